// SIGTERM, SIGINT and SIGHUP end the player as closing its window does, so that the settings and
// the playlist are written: a session that ends, a `kill` or Ctrl+C in a terminal would otherwise
// lose whatever changed since the start.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace duvara {

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Only one watcher at a time: the signals have one handler per process.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the signals could not be watched; they then end the program as before.
    bool watching() const { return m_notifier != nullptr; }

signals:
    // Once per signal, from the event loop. The handler is put back to the system's own after
    // each signal: a second one ends a player whose close hangs.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace duvara
