// The player on the session bus for desktop media controls (MPRIS): media keys, the panel's
// player widget, command-line remotes. Each request goes to the handler the window's own button
// or key runs, so a media key acts as F3, F4, F2, Previous or Next do; what the bus reads is
// what the window shows. Without a session bus the player runs as before.
#pragma once

#include "shell/mpris_model.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QSlider;
class QWidget;

namespace duvara {

class Playlist;
class TFilterGraph;
class Transport;
class VideoPage;

class MprisService : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        Transport &transport;
        Playlist &playlist;
        TFilterGraph &graph;
        VideoPage &page; // the volume slider, the mute buttons and the engine's track bar
        QSlider &position; // the position slider the user sees (milliseconds)
        QAbstractItemModel &playlistRows;
        QWidget &window; // raised, closed, and the parent of error boxes
        std::function<void(const QString &)> open; // as a file handed to the player is opened
    };
    // A request the player turns down, with the bus error it answers.
    struct Refusal
    {
        QDBusError::ErrorType type;
        QString message;
    };

    MprisService(const Parts &parts, QObject *parent = nullptr);
    ~MprisService() override;

    // Puts the player on the bus under its name, or under its instance name when another player
    // has the name. False, with one line in the log, when there is no bus or it refuses.
    bool Publish(QDBusConnection bus);
    // The name on the bus; empty while not published.
    QString ServiceName() const { return m_serviceName; }

    mpris::PlayerState State() const;
    qint64 PositionUs() const;

    // Root interface.
    void Raise();
    std::optional<Refusal> Quit();

    // Player interface. The commands act once the bus has had its answer: they may start a
    // film, and a film that fails shows the player's error box.
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qint64 offsetUs);
    void SetPosition(const QString &trackId, qint64 positionUs);
    std::optional<Refusal> OpenUri(const QString &uri);
    // Answers a call with its refusal instead of the plain reply.
    void Refuse(const QDBusMessage &call, const Refusal &refusal);
    void SetVolume(double volume);
    void SetRate(double rate);

signals:
    void Seeked(qint64 positionUs);

private:
    mpris::PlaybackStatus status() const;
    void later(std::function<void()> action);
    void seekTo(qint64 positionUs);
    void scheduleRefresh();
    void refresh();
    void positionShown(int ms);
    void rebaseline();
    bool eventFilter(QObject *watched, QEvent *event) override;

    Transport &m_transport;
    Playlist &m_playlist;
    TFilterGraph &m_graph;
    VideoPage &m_page;
    QSlider &m_position;
    QWidget &m_window;
    std::function<void(const QString &)> m_open;

    QDBusConnection m_bus {QString()};
    QString m_serviceName;
    // What the bus was last told, to tell it only what changed.
    mpris::PlayerState m_told;
    bool m_refreshQueued = false;

    // The film the graph plays, counted by its sessions.
    quint64 m_track = 0;
    // The last position the slider showed, when, and in which film, to tell seeks apart from
    // playback.
    int m_shownMs = 0;
    quint64 m_shownTrack = 0;
    QElapsedTimer m_shownAt;
    bool m_seeking = false;
};

} // namespace duvara
