#include "controls/transport.h"

#include "controls/file_dialogs.h"
#include "controls/speed_ladder.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "media/filter_graph.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/synchronisation.h"

#include <QAbstractButton>
#include <QAction>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>

namespace duvara {

namespace {
constexpr int kMoveInterval = 250;
} // namespace

Transport::Transport(const Parts &parts, QWidget *errorParent)
    : QObject(errorParent)
    , m_graph(parts.graph)
    , m_page(parts.page)
    , m_position(parts.position)
    , m_video(parts.video)
    , m_playlist(parts.playlist)
    , m_sync(parts.sync)
    , m_osd(parts.osd)
    , m_dialogs(parts.dialogs)
    , m_errorParent(errorParent)
{
    m_timerMove.setObjectName(QStringLiteral("TimerMove"));
    m_timerMove.setInterval(kMoveInterval);
    m_timerMove.setParent(this);
    connect(&m_timerMove, &QTimer::timeout, this,
            Guarded(errorParent, [this] { TimerMoveTimer(); }));

    const struct
    {
        Command command;
        QToolButton *button;
        void (Transport::*handler)();
    } buttons[] = {
        {Command::Play, m_page.BtnPlay, &Transport::BtnPlayClick},
        {Command::Pause, m_page.BtnPause, &Transport::BtnPauseClick},
        {Command::Stop, m_page.BtnStop, &Transport::BtnStopClick},
        {Command::Step, m_page.BtnStep, &Transport::BtnStepClick},
        {Command::Rew, m_page.BtnRew, &Transport::BtnRewClick},
        {Command::FF, m_page.BtnFF, &Transport::BtnFFClick},
        {Command::Prev, m_page.BtnPrv, &Transport::BtnPrvClick},
        {Command::Next, m_page.BtnNxt, &Transport::BtnNxtClick},
    };
    for (const auto &face : buttons) {
        m_faces[std::size_t(face.command)] << face.button;
        connect(face.button, &QToolButton::clicked, this,
                Guarded(errorParent, [this, handler = face.handler] { (this->*handler)(); }));
    }
    connect(m_page.BtnMuteOn, &QToolButton::clicked, this,
            Guarded(errorParent, [this] { BtnMuteOnClick(); }));
    connect(m_page.BtnMuteOff, &QToolButton::clicked, this,
            Guarded(errorParent, [this] { BtnMuteOffClick(); }));
    connect(m_page.SldVol, &QSlider::valueChanged, this,
            Guarded(errorParent, [this] { SldVolChange(); }));
    connect(&m_graph, &TFilterGraph::OnDSEvent, this,
            [this](int event, std::intptr_t param1, std::intptr_t param2) {
                RunGuarded(m_errorParent, [&] { FilterGraphDSEvent(event, param1, param2); });
            });
    connect(&m_graph, &TFilterGraph::OnGraphStepComplete, this,
            Guarded(errorParent, [this] { FilterGraphGraphStepComplete(); }));
    m_position.installEventFilter(this);
    m_playlist.SetPlayer(this);
}

void Transport::AddFace(Command command, QAction *item)
{
    connectFace(command, item);
}

// A button made after the transport started takes the state its command is in now.
void Transport::AddFace(Command command, QAbstractButton *button)
{
    button->setEnabled(CommandEnabled(command));
    connectFace(command, button);
}

void Transport::connectFace(Command command, QObject *face)
{
    static constexpr void (Transport::*kHandlers[kCommandCount])() = {
        &Transport::BtnPlayClick, &Transport::BtnPauseClick, &Transport::BtnStopClick,
        &Transport::BtnStepClick, &Transport::BtnRewClick,   &Transport::BtnFFClick,
        &Transport::BtnPrvClick,  &Transport::BtnNxtClick,
    };
    m_faces[std::size_t(command)] << face;
    const auto handler = Guarded(
        m_errorParent, [this, handler = kHandlers[std::size_t(command)]] { (this->*handler)(); });
    if (auto *item = qobject_cast<QAction *>(face))
        connect(item, &QAction::triggered, this, handler);
    else if (auto *button = qobject_cast<QAbstractButton *>(face))
        connect(button, &QAbstractButton::clicked, this, handler);
}

void Transport::AddMutePair(QAbstractButton *muteOn, QAbstractButton *muteOff)
{
    m_mutePairs.append(std::pair(muteOn, muteOff));
    const bool soundOn = !m_page.BtnMuteOn->isHidden();
    muteOn->setVisible(soundOn);
    muteOff->setVisible(!soundOn);
    connect(muteOn, &QAbstractButton::clicked, this,
            Guarded(m_errorParent, [this] { BtnMuteOnClick(); }));
    connect(muteOff, &QAbstractButton::clicked, this,
            Guarded(m_errorParent, [this] { BtnMuteOffClick(); }));
}

void Transport::AddRunningItems(const QList<QAction *> &items)
{
    m_runningItems << items;
}

void Transport::AddLoadedItems(const QList<QAction *> &items)
{
    m_loadedItems << items;
}

void Transport::SetMuteItem(QAction *item, const QIcon &soundOn, const QIcon &muted)
{
    m_muteItem = item;
    m_soundOnImage = soundOn;
    m_mutedImage = muted;
    item->setIcon(m_page.BtnMuteOn->isHidden() ? muted : soundOn);
    connect(item, &QAction::triggered, this, Guarded(m_errorParent, [this] { MnuMuteClick(); }));
}

void Transport::SetOpenItem(QAction *item)
{
    connect(item, &QAction::triggered, this, Guarded(m_errorParent, [this] { MnuOpenClick(); }));
}

void Transport::setCommandEnabled(Command command, bool on)
{
    for (QObject *face : std::as_const(m_faces[std::size_t(command)])) {
        if (auto *item = qobject_cast<QAction *>(face))
            item->setEnabled(on);
        else if (auto *button = qobject_cast<QWidget *>(face))
            button->setEnabled(on);
    }
    emit StateChanged();
}

bool Transport::CommandEnabled(Command command) const
{
    return static_cast<QWidget *>(m_faces[std::size_t(command)].constFirst())->isEnabled();
}

bool Transport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_position
        && (event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        RunGuarded(m_errorParent, [&] {
            if (event->type() == QEvent::MouseButtonPress)
                SldPosMouseDown(mouse->button(), at.x(), at.y());
            else
                SldPosMouseUp(mouse->button());
        });
    }
    return false;
}

void Transport::MnuOpenClick()
{
    OpenMediaFiles(m_dialogs.ChooseMediaFiles(QStringLiteral("Open")));
}

void Transport::OpenMediaFiles(const QStringList &files)
{
    if (!files.isEmpty())
        m_playlist.OpenFiles(files);
    // Also after a cancelled dialog: a stopped list with rows after the current one offers Next.
    if (m_playlist.PlayIndex() < m_playlist.Count() - 1)
        setCommandEnabled(Command::Next, true);
}

void Transport::PlayFile(const QString &name)
{
    m_graph.EmptyGraph();
    m_graph.SetActive(false);
    m_graph.SetActive(true);
    m_graph.RenderMediaFile(name);
    // While muted the stored volume is 0: the slider goes there and the sound shows as on.
    m_page.SldVol->setValue(m_graph.StoredVolume());
    SetTransportEnabled(true);
    setCommandEnabled(Command::Play, false);
    setCommandEnabled(Command::Pause, true);
    // Playing: frame steps wait for the next pause, whatever state the last file was left in.
    setCommandEnabled(Command::Step, false);
    m_graph.Play();
    m_osd.PlaybackResumed();
    emit MediaStarted();
}

void Transport::SetTransportEnabled(bool on)
{
    for (Command command : {Command::Stop, Command::Rew, Command::FF})
        setCommandEnabled(command, on);
    for (QAction *item : std::as_const(m_runningItems))
        item->setEnabled(on);
    for (QAction *item : std::as_const(m_loadedItems))
        item->setEnabled(m_graph.Active());
    setCommandEnabled(Command::Prev, on && m_playlist.PlayIndex() > 0);
    setCommandEnabled(Command::Next, on && m_playlist.PlayIndex() < m_playlist.Count() - 1);
    emit MediaLoadedChanged(m_graph.Active());
}

void Transport::endFastMotion()
{
    m_timerMove.stop();
    m_speed = 1.0;
    m_graph.SetPlaybackRate(1.0);
    emit StateChanged();
}

void Transport::BtnPlayClick()
{
    if (m_graph.Active()) {
        SetTransportEnabled(true);
        m_graph.Play();
        setCommandEnabled(Command::Play, false);
        setCommandEnabled(Command::Pause, true);
        setCommandEnabled(Command::Step, false);
        endFastMotion();
    } else if (m_playlist.Count() > 0) {
        const int row = m_playlist.MakeSelectedCurrent();
        // A new file: its duration and time text are made afresh by the position tick.
        m_sync.ResetDuration();
        PlayFile(m_playlist.PlaylistPath(row));
    } else {
        MnuOpenClick();
    }
    emit MediaStarted();
    if (m_graph.Active())
        m_osd.ShowOsdMessage(OsdMessage::Play);
}

void Transport::BtnPauseClick()
{
    m_osd.ShowOsdMessage(OsdMessage::Pause);
    endFastMotion();
    m_graph.Pause();
    setCommandEnabled(Command::Play, true);
    setCommandEnabled(Command::Pause, false);
    setCommandEnabled(Command::Step, true);
}

void Transport::BtnStopClick()
{
    m_osd.ShowOsdMessage(OsdMessage::Stop);
    // The display shows "Stop" before the graph stops, which may take a moment.
    m_osd.PnlOSD()->repaint();
    endFastMotion();
    m_graph.SeekToMs(0);
    m_graph.Stop();
    showStopped();
}

void Transport::showStopped()
{
    SetTransportEnabled(false);
    setCommandEnabled(Command::Step, false);
    m_sync.ShowStopped();
    setCommandEnabled(Command::Play, true);
    setCommandEnabled(Command::Pause, false);
    emit Stopped();
}

void Transport::BtnStepClick()
{
    if (!m_graph.HasVideo())
        return;
    // The step plays a sliver of sound; the completion gives the volume back.
    m_graph.SetVolume(0);
    if (!m_graph.FrameStep())
        return;
    if (const auto position = m_graph.CurrentPosition())
        m_sync.ShowPosition(*position);
}

void Transport::FilterGraphGraphStepComplete()
{
    m_graph.SetVolume(m_page.BtnMuteOff->isHidden() ? m_page.SldVol->value() : 0);
    // The step has landed now: the slider and the times show the frame that is up.
    if (const auto position = m_graph.CurrentPosition(); position && m_graph.Active())
        m_sync.ShowPosition(*position);
}

void Transport::BtnPrvClick()
{
    endFastMotion();
    if (m_playlist.PlayIndex() > 0)
        startRow(m_playlist.PlayIndex() - 1);
    afterRowStarted();
}

void Transport::BtnNxtClick()
{
    endFastMotion();
    if (m_playlist.PlayIndex() < m_playlist.Count() - 1)
        startRow(m_playlist.PlayIndex() + 1);
    afterRowStarted();
}

// What Previous, Next and starting a row from the list do once the row is under way.
void Transport::afterRowStarted()
{
    setCommandEnabled(Command::Prev, m_playlist.PlayIndex() >= 1);
    setCommandEnabled(Command::Next, m_playlist.PlayIndex() < m_playlist.Count() - 1);
    setCommandEnabled(Command::Step, false);
    m_playlist.RepaintPlaylist();
    m_osd.ShowOsdMessage(OsdMessage::Play);
}

// Selects the row, makes it the current one and plays it.
void Transport::startRow(int row)
{
    m_playlist.MakeCurrent(row);
    PlayFile(m_playlist.PlaylistPath(row));
    m_sync.ResetDuration();
}

void Transport::FilterGraphDSEvent(int event, std::intptr_t param1, std::intptr_t)
{
    if (event == GraphEvent::EC_COMPLETE) {
        MoveOn();
    } else if (event == GraphEvent::EC_ERRORABORT) {
        // The film broke while it played: the transport shows that nothing plays, the
        // playlist stays for another try, and the error box says why.
        endFastMotion();
        showStopped();
        throw TFilterGraph::ErrorFor(param1);
    }
}

void Transport::BtnFFClick()
{
    setCommandEnabled(Command::Step, false);
    setCommandEnabled(Command::Rew, true);
    changeSpeed(FastForwardSpeed(m_speed));
    if (m_speed == 16.0)
        setCommandEnabled(Command::FF, false);
    startSpeed();
}

void Transport::BtnRewClick()
{
    setCommandEnabled(Command::Step, false);
    setCommandEnabled(Command::FF, true);
    changeSpeed(FastBackwardSpeed(m_speed));
    if (m_speed == -16.0)
        setCommandEnabled(Command::Rew, false);
    startSpeed();
}

void Transport::changeSpeed(double speed)
{
    m_speed = speed;
    setCommandEnabled(Command::Play, m_speed != 1.0);
    setCommandEnabled(Command::Pause, m_speed == 1.0);
}

// The slow forward speeds are the graph's rate; the others are the movement timer's jumps,
// which begin at its next tick.
void Transport::startSpeed()
{
    if (SpeedUsesGraphRate(m_speed)) {
        m_timerMove.stop();
        m_graph.Play();
        m_graph.SetPlaybackRate(m_speed);
    } else {
        m_moveTarget.reset();
        m_timerMove.start();
    }
    m_osd.ShowOsdMessage(OsdMessage::Speed);
}

void Transport::TimerMoveTimer()
{
    const MoveTiming timing = MoveTimingFor(m_speed);
    m_timerMove.setInterval(timing.interval);
    m_graph.Pause();
    // The graph's stored rate stays as it is; only the jumps are played at normal rate.
    m_graph.SetRate(1.0);
    const qint64 position = MoveOrigin(m_graph.CurrentPosition().value_or(0), m_moveTarget);
    if (m_sync.MediaDuration() == 0)
        m_sync.SetMediaDuration(m_graph.Duration().value_or(0));
    const qint64 duration = m_sync.MediaDuration();
    const qint64 target = MoveTarget(position, m_speed);
    m_moveTarget = target;
    if (target >= duration) {
        // Normal playback resumes at the very end; the completion then moves on or stops.
        m_graph.SetCurrentPosition(duration);
        BtnPlayClick();
    } else if (target > 0) {
        m_graph.SetCurrentPosition(target);
        m_sync.ShowPosition(target);
    } else {
        // Backward past the start: forward play from where the jumps got to.
        BtnPlayClick();
    }
}

void Transport::SldPosMouseDown(Qt::MouseButton button, int x, int y)
{
    if (const auto position = SliderPressPosition(x, y, m_position.width(), m_position.maximum()))
        m_position.setValue(*position);
    m_page.SldDS->MouseDown(button);
}

void Transport::SldPosMouseUp(Qt::MouseButton button)
{
    m_page.SldDS->MouseUp(button);
}

void Transport::showSoundOn(bool on)
{
    m_page.BtnMuteOn->setVisible(on);
    m_page.BtnMuteOff->setVisible(!on);
    // The menu's image follows the sound however it changed (buttons, menu, volume slider).
    if (m_muteItem)
        m_muteItem->setIcon(on ? m_soundOnImage : m_mutedImage);
    for (const auto &[muteOn, muteOff] : std::as_const(m_mutePairs)) {
        muteOn->setVisible(on);
        muteOff->setVisible(!on);
    }
    emit StateChanged();
}

void Transport::SldVolChange()
{
    showSoundOn(true);
    m_graph.SetVolume(m_page.SldVol->value());
    m_osd.ShowVolume(m_page.SldVol->value());
}

void Transport::BtnMuteOnClick()
{
    showSoundOn(false);
    m_graph.SetVolume(0);
    m_osd.ShowMuteOn();
}

void Transport::BtnMuteOffClick()
{
    showSoundOn(true);
    m_graph.SetVolume(m_page.SldVol->value());
    m_osd.ShowMuteOff();
}

void Transport::MnuMuteClick()
{
    if (!m_page.BtnMuteOn->isHidden())
        BtnMuteOnClick();
    else
        BtnMuteOffClick();
}

// What the playlist asks of playback.

bool Transport::PlaybackRunning() const
{
    return CommandEnabled(Command::Stop);
}

bool Transport::MediaLoaded() const
{
    return m_graph.Active();
}

void Transport::StopPlayback()
{
    BtnStopClick();
}

void Transport::EmptyMedia()
{
    m_graph.EmptyGraph();
}

void Transport::CloseMedia()
{
    emit PictureEnding();
    m_graph.SetActive(false);
    SetTransportEnabled(false);
}

void Transport::ShowVideo(bool shown)
{
    if (!shown)
        emit PictureEnding();
    m_video.setVisible(shown);
}

void Transport::PlayOpenedFile(const QString &file)
{
    m_sync.ResetDuration();
    PlayFile(file);
    if (m_playlist.PlayIndex() < m_playlist.Count() - 1)
        setCommandEnabled(Command::Next, true);
}

void Transport::PlayRow(int row)
{
    startRow(row);
    afterRowStarted();
}

void Transport::MoveOn()
{
    if (m_playlist.PlayIndex() < m_playlist.Count() - 1)
        BtnNxtClick();
    else
        BtnStopClick();
}

void Transport::RowsAdded()
{
    if (m_playlist.PlayIndex() > 0)
        setCommandEnabled(Command::Prev, true);
    if (m_playlist.PlayIndex() < m_playlist.Count() - 1)
        setCommandEnabled(Command::Next, true);
}

} // namespace duvara
