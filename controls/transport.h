// The transport: opening and starting files, the commands on all their faces (the video page's
// buttons and the menu items that join them) with their enabled states, fast motion by the
// graph's rate or by jumps, frame steps, the position slider's presses, volume and mute, and
// what the graph's events lead to.
#pragma once

#include "controls/playlist.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

class QAbstractButton;
class QAction;
class QSlider;
class QWidget;

namespace duvara {

class FileDialogs;
class OnScreenDisplay;
class Synchronisation;
class TFilterGraph;
class VideoPage;

class Transport : public QObject, public PlaylistPlayer
{
    Q_OBJECT
public:
    enum class Command { Play, Pause, Stop, Step, Rew, FF, Prev, Next };
    static constexpr int kCommandCount = 8;

    struct Parts
    {
        TFilterGraph &graph;
        VideoPage &page;
        QSlider &position; // the position slider the user sees
        QWidget &video; // the video window, shown while the playlist has rows
        Playlist &playlist;
        Synchronisation &sync;
        OnScreenDisplay &osd;
        FileDialogs &dialogs;
    };
    Transport(const Parts &parts, QWidget *errorParent);

    // Another face of a command (a menu item, a button of another window): it acts like the
    // video page's button and is enabled with it.
    void AddFace(Command command, QAction *item);
    void AddFace(Command command, QAbstractButton *button);
    // Another mute pair: it shows the same one of its two buttons as the video page's pair.
    void AddMutePair(QAbstractButton *muteOn, QAbstractButton *muteOff);
    // Items that are enabled while something plays, and while a file is loaded.
    void AddRunningItems(const QList<QAction *> &items);
    void AddLoadedItems(const QList<QAction *> &items);
    // The mute item shows `soundOn` or `muted` as the sound is.
    void SetMuteItem(QAction *item, const QIcon &soundOn, const QIcon &muted);
    void SetOpenItem(QAction *item);

    double Speed() const { return m_speed; }
    bool CommandEnabled(Command command) const;

    void MnuOpenClick();
    // What Open does with the files the dialog gave (files dropped on the picture, a recent
    // film): they replace the playlist and the first plays.
    void OpenMediaFiles(const QStringList &files);
    void PlayFile(const QString &name);
    void SetTransportEnabled(bool on);
    void BtnPlayClick();
    void BtnPauseClick();
    void BtnStopClick();
    void BtnStepClick();
    void BtnRewClick();
    void BtnFFClick();
    void BtnPrvClick();
    void BtnNxtClick();
    void BtnMuteOnClick();
    void BtnMuteOffClick();
    void MnuMuteClick();
    void TimerMoveTimer();
    void FilterGraphDSEvent(int event, std::intptr_t param1, std::intptr_t param2);
    void FilterGraphGraphStepComplete();
    void SldPosMouseDown(Qt::MouseButton button, int x, int y);
    void SldPosMouseUp(Qt::MouseButton button);
    void SldVolChange();

    // PlaylistPlayer
    bool PlaybackRunning() const override;
    bool MediaLoaded() const override;
    void StopPlayback() override;
    void EmptyMedia() override;
    void CloseMedia() override;
    void ShowVideo(bool shown) override;
    void PlayOpenedFile(const QString &file) override;
    void PlayRow(int row) override;
    void MoveOn() override;
    void RowsAdded() override;

signals:
    // A file began to play: what depends on the picture (colour controls) may change.
    void MediaStarted();
    // Whether a file is loaded in the graph, told whenever the commands' states are set.
    void MediaLoadedChanged(bool loaded);
    // The picture goes away (the graph's session ends or the video window hides): a
    // fullscreen picture must give the window back first.
    void PictureEnding();
    // Playback was stopped (the film stays loaded, at its start).
    void Stopped();
    // A command was enabled or disabled, the speed changed or the sound was turned on or off.
    void StateChanged();

private:
    void setCommandEnabled(Command command, bool on);
    void connectFace(Command command, QObject *face);
    void endFastMotion();
    void showStopped();
    void changeSpeed(double speed);
    void startSpeed();
    void startRow(int row);
    void afterRowStarted();
    void showSoundOn(bool on);
    bool eventFilter(QObject *watched, QEvent *event) override;

    TFilterGraph &m_graph;
    VideoPage &m_page;
    QSlider &m_position;
    QWidget &m_video;
    Playlist &m_playlist;
    Synchronisation &m_sync;
    OnScreenDisplay &m_osd;
    FileDialogs &m_dialogs;
    QWidget *m_errorParent;
    std::array<QList<QObject *>, kCommandCount> m_faces;
    QList<QAction *> m_runningItems;
    QList<QAction *> m_loadedItems;
    QList<std::pair<QAbstractButton *, QAbstractButton *>> m_mutePairs;
    QAction *m_muteItem = nullptr;
    QIcon m_soundOnImage;
    QIcon m_mutedImage;
    QTimer m_timerMove;
    double m_speed = 1.0;
    // Where the movement timer's last jump aimed, while fast motion by jumps goes on.
    std::optional<qint64> m_moveTarget;
};

} // namespace duvara
