#pragma once

#include <QObject>

namespace duvara {

// Asks the desktop's screen saver service not to blank the screen while media plays. A
// desktop without the service is simply not asked.
class ScreenSaverInhibitor : public QObject
{
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(QObject *parent = nullptr);
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);
    bool isInhibited() const { return m_wanted; }

private:
    bool m_wanted = false;
    quint32 m_cookie = 0;
    bool m_haveCookie = false;
};

} // namespace duvara
