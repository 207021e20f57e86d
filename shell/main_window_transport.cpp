// The transport: opening and starting files, the commands on all their faces, fast motion by the
// graph's rate or by jumps, frame steps, the position slider's presses, volume and mute.
#include "shell/main_window.h"

#include "controls/playlist_item.h"
#include "controls/rlistview.h"
#include "controls/speed_ladder.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/subtitle_label.h"
#include "shell/error_box.h"
#include "shell/popup_menus.h"
#include "shell/video_cover.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <cmath>

namespace duvara {

namespace {

// The faces of a command: its button on the video page and its item in the window menu.
struct Faces
{
    QToolButton *VideoPage::*button;
    const char *menuItem;
};

Faces facesOf(int command)
{
    static const Faces kFaces[] = {
        {&VideoPage::BtnPlay, "MnuPlay"}, {&VideoPage::BtnPause, "MnuPause"},
        {&VideoPage::BtnStop, "MnuStop"}, {&VideoPage::BtnStep, "MnuStep"},
        {&VideoPage::BtnRew, "MnuRew"},   {&VideoPage::BtnFF, "MnuFF"},
        {&VideoPage::BtnPrv, "MnuPrev"},  {&VideoPage::BtnNxt, "MnuNext"},
    };
    return kFaces[command];
}

// The 100-ns position as the slider's milliseconds.
int sliderMs(qint64 position)
{
    return static_cast<int>(position / 10000);
}

} // namespace

void TFormVDMain::setCommandEnabled(Command command, bool on)
{
    const Faces faces = facesOf(static_cast<int>(command));
    (TabVideo->*faces.button)->setEnabled(on);
    PopupMenu1->item(QString::fromLatin1(faces.menuItem))->setEnabled(on);
}

bool TFormVDMain::commandEnabled(Command command) const
{
    return (TabVideo->*facesOf(static_cast<int>(command)).button)->isEnabled();
}

void TFormVDMain::wireTransport()
{
    const auto guarded = [this](void (TFormVDMain::*handler)()) {
        return [this, handler] {
            RunGuarded(this, [this, handler] { (this->*handler)(); });
        };
    };
    const struct
    {
        QToolButton *VideoPage::*button;
        const char *menuItem;
        void (TFormVDMain::*handler)();
    } commands[] = {
        {&VideoPage::BtnPlay, "MnuPlay", &TFormVDMain::BtnPlayClick},
        {&VideoPage::BtnPause, "MnuPause", &TFormVDMain::BtnPauseClick},
        {&VideoPage::BtnStop, "MnuStop", &TFormVDMain::BtnStopClick},
        {&VideoPage::BtnStep, "MnuStep", &TFormVDMain::BtnStepClick},
        {&VideoPage::BtnRew, "MnuRew", &TFormVDMain::BtnRewClick},
        {&VideoPage::BtnFF, "MnuFF", &TFormVDMain::BtnFFClick},
        {&VideoPage::BtnPrv, "MnuPrev", &TFormVDMain::BtnPrvClick},
        {&VideoPage::BtnNxt, "MnuNext", &TFormVDMain::BtnNxtClick},
        {&VideoPage::BtnMuteOn, nullptr, &TFormVDMain::BtnMuteOnClick},
        {&VideoPage::BtnMuteOff, nullptr, &TFormVDMain::BtnMuteOffClick},
        {nullptr, "MnuMute", &TFormVDMain::MnuMuteClick},
        {nullptr, "MnuOpen", &TFormVDMain::MnuOpenClick},
    };
    for (const auto &command : commands) {
        if (command.button)
            connect(TabVideo->*command.button, &QToolButton::clicked, this,
                    guarded(command.handler));
        if (command.menuItem)
            connect(PopupMenu1->item(QString::fromLatin1(command.menuItem)), &QAction::triggered,
                    this, guarded(command.handler));
    }
    connect(&TimerMove, &QTimer::timeout, this, guarded(&TFormVDMain::TimerMoveTimer));
    connect(TabVideo->SldVol, &QSlider::valueChanged, this, guarded(&TFormVDMain::SldVolChange));
    // The graph's pump shows what its event handlers throw.
    connect(&FilterGraph, &TFilterGraph::OnDSEvent, this, &TFormVDMain::FilterGraphDSEvent);
    connect(&FilterGraph, &TFilterGraph::OnGraphStepComplete, this,
            &TFormVDMain::FilterGraphGraphStepComplete);
    SldPos->installEventFilter(this);
}

void TFormVDMain::MnuOpenClick()
{
    const QStringList files = chooseMediaFiles(QStringLiteral("Open"));
    if (!files.isEmpty())
        OpenFiles(files);
}

// The media file dialog, with the video covered while it is up; empty when cancelled.
QStringList TFormVDMain::chooseMediaFiles(const QString &title)
{
    ensureFileDialogs();
    DlgFile->setWindowTitle(title);
    const VideoCover cover(VideoCovered);
    return DlgFile->exec() == QDialog::Accepted ? DlgFile->selectedFiles() : QStringList();
}

void TFormVDMain::OpenFiles(const QStringList &files)
{
    LstPL->clear();
    DurationText.clear();
    MediaDuration = 0;
    // A file that cannot be measured ends the filling; the rows before it stay.
    for (const QString &file : files)
        appendPlaylistRow(file);
    if (LstPL->topLevelItemCount() == 0)
        return;
    LstPL->setCurrentItem(LstPL->topLevelItem(0));
    VideoWnd->show();
    PlayIndex = 0;
    repaintPlaylist();
    PlayFile(files.first());
    if (PlayIndex < LstPL->topLevelItemCount() - 1)
        setCommandEnabled(Command::Next, true);
}

void TFormVDMain::PlayFile(const QString &name)
{
    FilterGraph.EmptyGraph();
    FilterGraph.SetActive(false);
    FilterGraph.SetActive(true);
    FilterGraph.RenderMediaFile(name);
    // While muted the stored volume is 0: the slider goes there and the sound shows as on.
    TabVideo->SldVol->setValue(FilterGraph.StoredVolume());
    SetTransportEnabled(true);
    setCommandEnabled(Command::Play, false);
    setCommandEnabled(Command::Pause, true);
    // Playing: frame steps wait for the next pause, whatever state the last file was left in.
    setCommandEnabled(Command::Step, false);
    FilterGraph.Play();
    Osd->PlaybackResumed();
    CheckColorControlSupport();
}

void TFormVDMain::SetTransportEnabled(bool on)
{
    for (Command command : {Command::Stop, Command::Rew, Command::FF})
        setCommandEnabled(command, on);
    for (const char *item : {"MnuNavigate", "MnuZoom"})
        PopupMenu1->item(QString::fromLatin1(item))->setEnabled(on);
    for (const char *item : {"MnuFullscreen", "MnuAspect"})
        PopupMenu1->item(QString::fromLatin1(item))->setEnabled(FilterGraph.Active());
    setCommandEnabled(Command::Prev, on && PlayIndex > 0);
    setCommandEnabled(Command::Next, on && PlayIndex < LstPL->topLevelItemCount() - 1);
}

void TFormVDMain::endFastMotion()
{
    TimerMove.stop();
    Speed = 1.0;
    FilterGraph.SetPlaybackRate(1.0);
}

void TFormVDMain::BtnPlayClick()
{
    if (FilterGraph.Active()) {
        SetTransportEnabled(true);
        FilterGraph.Play();
        setCommandEnabled(Command::Play, false);
        setCommandEnabled(Command::Pause, true);
        setCommandEnabled(Command::Step, false);
        endFastMotion();
    } else if (LstPL->topLevelItemCount() > 0) {
        if (LstPL->selectedItems().isEmpty())
            LstPL->setCurrentItem(LstPL->topLevelItem(0));
        PlayIndex = LstPL->indexOfTopLevelItem(LstPL->selectedItems().constFirst());
        // A new file: its duration and time text are made afresh by the position tick.
        DurationText.clear();
        MediaDuration = 0;
        repaintPlaylist();
        PlayFile(PlaylistPath(PlayIndex));
    } else {
        MnuOpenClick();
    }
    CheckColorControlSupport();
    if (FilterGraph.Active())
        Osd->ShowOsdMessage(OsdMessage::Play);
}

void TFormVDMain::BtnPauseClick()
{
    Osd->ShowOsdMessage(OsdMessage::Pause);
    endFastMotion();
    FilterGraph.Pause();
    setCommandEnabled(Command::Play, true);
    setCommandEnabled(Command::Pause, false);
    setCommandEnabled(Command::Step, true);
}

void TFormVDMain::BtnStopClick()
{
    Osd->ShowOsdMessage(OsdMessage::Stop);
    // The display paints before the graph stops; user input waits for the stop to finish.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    endFastMotion();
    FilterGraph.SeekToMs(0);
    FilterGraph.Stop();
    SetTransportEnabled(false);
    setCommandEnabled(Command::Step, false);
    DurationText.clear();
    MediaDuration = 0;
    SldPos->setEnabled(false);
    SldPos->setValue(0);
    setCommandEnabled(Command::Play, true);
    setCommandEnabled(Command::Pause, false);
}

void TFormVDMain::BtnStepClick()
{
    if (!FilterGraph.HasVideo())
        return;
    // The step plays a sliver of sound; the completion gives the volume back.
    FilterGraph.SetVolume(0);
    if (!FilterGraph.FrameStep())
        return;
    if (const auto position = FilterGraph.CurrentPosition())
        SldPos->setValue(sliderMs(*position));
    SldDSTimer(SldPos->value(), static_cast<quint32>(std::nearbyint(MediaDuration / 10000.0)));
}

void TFormVDMain::FilterGraphGraphStepComplete()
{
    FilterGraph.SetVolume(TabVideo->BtnMuteOff->isHidden() ? TabVideo->SldVol->value() : 0);
    // The step has landed now: the slider and the times show the frame that is up.
    if (const auto position = FilterGraph.CurrentPosition(); position && FilterGraph.Active()) {
        SldPos->setValue(sliderMs(*position));
        SldDSTimer(SldPos->value(), static_cast<quint32>(std::nearbyint(MediaDuration / 10000.0)));
    }
}

void TFormVDMain::BtnPrvClick()
{
    endFastMotion();
    if (PlayIndex > 0)
        startRow(PlayIndex - 1);
    afterRowStarted();
}

void TFormVDMain::BtnNxtClick()
{
    endFastMotion();
    if (PlayIndex < LstPL->topLevelItemCount() - 1)
        startRow(PlayIndex + 1);
    afterRowStarted();
}

// What Previous, Next and starting a row from the list do once the row is under way.
void TFormVDMain::afterRowStarted()
{
    setCommandEnabled(Command::Prev, PlayIndex >= 1);
    setCommandEnabled(Command::Next, PlayIndex < LstPL->topLevelItemCount() - 1);
    setCommandEnabled(Command::Step, false);
    repaintPlaylist();
    Osd->ShowOsdMessage(OsdMessage::Play);
}

// Selects the row, makes it the current one and plays it.
void TFormVDMain::startRow(int row)
{
    LstPL->setCurrentItem(LstPL->topLevelItem(row));
    PlayIndex = row;
    PlayFile(PlaylistPath(row));
    DurationText.clear();
    MediaDuration = 0;
}

void TFormVDMain::FilterGraphDSEvent(int event, std::intptr_t, std::intptr_t)
{
    if (event != GraphEvent::EC_COMPLETE)
        return;
    if (PlayIndex < LstPL->topLevelItemCount() - 1)
        BtnNxtClick();
    else
        BtnStopClick();
}

void TFormVDMain::BtnFFClick()
{
    setCommandEnabled(Command::Step, false);
    setCommandEnabled(Command::Rew, true);
    changeSpeed(FastForwardSpeed(Speed));
    if (Speed == 16.0)
        setCommandEnabled(Command::FF, false);
    startSpeed();
}

void TFormVDMain::BtnRewClick()
{
    setCommandEnabled(Command::Step, false);
    setCommandEnabled(Command::FF, true);
    changeSpeed(FastBackwardSpeed(Speed));
    if (Speed == -16.0)
        setCommandEnabled(Command::Rew, false);
    startSpeed();
}

void TFormVDMain::changeSpeed(double speed)
{
    Speed = speed;
    setCommandEnabled(Command::Play, Speed != 1.0);
    setCommandEnabled(Command::Pause, Speed == 1.0);
}

// The slow forward speeds are the graph's rate; the others are the movement timer's jumps,
// which begin at its next tick.
void TFormVDMain::startSpeed()
{
    if (SpeedUsesGraphRate(Speed)) {
        TimerMove.stop();
        FilterGraph.Play();
        FilterGraph.SetPlaybackRate(Speed);
    } else {
        m_moveTarget.reset();
        TimerMove.start();
    }
    Osd->ShowOsdMessage(OsdMessage::Speed);
}

void TFormVDMain::TimerMoveTimer()
{
    const MoveTiming timing = MoveTimingFor(Speed);
    TimerMove.setInterval(timing.interval);
    FilterGraph.Pause();
    // The graph's stored rate stays as it is; only the jumps are played at normal rate.
    FilterGraph.SetRate(1.0);
    const qint64 position = MoveOrigin(FilterGraph.CurrentPosition().value_or(0), m_moveTarget);
    if (MediaDuration == 0)
        MediaDuration = FilterGraph.Duration().value_or(0);
    const qint64 target = MoveTarget(position, Speed);
    m_moveTarget = target;
    if (target >= MediaDuration) {
        // Normal playback resumes at the very end; the completion then moves on or stops.
        FilterGraph.SetCurrentPosition(MediaDuration);
        BtnPlayClick();
    } else if (target > 0) {
        FilterGraph.SetCurrentPosition(target);
        SldPos->setValue(sliderMs(target));
        SldDSTimer(SldPos->value(), static_cast<quint32>(std::nearbyint(MediaDuration / 10000.0)));
    } else {
        // Backward past the start: forward play from where the jumps got to.
        BtnPlayClick();
    }
}

void TFormVDMain::SldPosMouseDown(Qt::MouseButton button, int x, int y)
{
    if (const auto position = SliderPressPosition(x, y, SldPos->width(), SldPos->maximum()))
        SldPos->setValue(*position);
    TabVideo->SldDS->MouseDown(button);
}

void TFormVDMain::SldPosMouseUp(Qt::MouseButton button)
{
    TabVideo->SldDS->MouseUp(button);
}

void TFormVDMain::showSoundOn(bool on)
{
    TabVideo->BtnMuteOn->setVisible(on);
    TabVideo->BtnMuteOff->setVisible(!on);
}

void TFormVDMain::SldVolChange()
{
    showSoundOn(true);
    FilterGraph.SetVolume(TabVideo->SldVol->value());
    Osd->ShowVolume(TabVideo->SldVol->value());
}

void TFormVDMain::BtnMuteOnClick()
{
    showSoundOn(false);
    FilterGraph.SetVolume(0);
    Osd->ShowMuteOn();
}

void TFormVDMain::BtnMuteOffClick()
{
    showSoundOn(true);
    FilterGraph.SetVolume(TabVideo->SldVol->value());
    Osd->ShowMuteOff();
}

void TFormVDMain::MnuMuteClick()
{
    QAction *item = PopupMenu1->item(QStringLiteral("MnuMute"));
    if (!TabVideo->BtnMuteOn->isHidden()) {
        BtnMuteOnClick();
        item->setIcon(style()->standardIcon(QStyle::SP_MediaVolumeMuted));
    } else {
        BtnMuteOffClick();
        item->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    }
}

} // namespace duvara
