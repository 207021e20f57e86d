#include "controls/video_commands.h"

#include "controls/form_remote.h"
#include "media/error_box.h"
#include "media/filter_graph.h"
#include "media/form_color.h"
#include "media/video_window.h"
#include "presentation/synchronisation.h"
#include "subtitles/subtitle_track.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>

namespace duvara {

namespace {

constexpr int kRemoteInterval = 300;

// A panel or list in the key colour lets the picture through; in any other colour it is opaque.
void paintPanelIn(QWidget *panel, const QColor &color, const QColor &key)
{
    const bool transparent = color == key;
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, transparent ? QColor(Qt::transparent) : color);
    panel->setPalette(palette);
    panel->setAutoFillBackground(!transparent);
    panel->setProperty("duvaraKeyed", transparent);
}

} // namespace

QStringList MonitorListEntries(int monitorCount)
{
    QStringList entries {QStringLiteral("Current Monitor")};
    if (monitorCount > 1) {
        for (int i = 0; i < monitorCount; ++i)
            entries << QStringLiteral("Monitor %1").arg(i);
    }
    return entries;
}

RemoteClick RemoteClickFor(const RemoteClickState &state)
{
    if (!state.fullScreen)
        return RemoteClick::Nothing;
    if (!state.pageTrackEntries)
        return state.remoteShown ? RemoteClick::HideRemote : RemoteClick::ShowRemoteSoon;
    return *state.pageTrackEntries == 0 ? RemoteClick::ShowRemoteSoon : RemoteClick::Nothing;
}

VideoCommands::VideoCommands(TDSVideoWindowEx2 &video, QGroupBox &monitorGroup,
                             QComboBox &monitorList, Synchronisation &sync, QWidget *errorParent)
    : QObject(errorParent)
    , m_video(video)
    , m_monitorGroup(monitorGroup)
    , m_monitorList(monitorList)
    , m_sync(sync)
    , m_errorParent(errorParent)
{
    m_timerRem.setObjectName(QStringLiteral("TimerRem"));
    m_timerRem.setInterval(kRemoteInterval);
    m_timerRem.setSingleShot(true);
    m_timerRem.setParent(this);
    connect(&m_timerRem, &QTimer::timeout, this, Guarded(errorParent, [this] { TimerRemTimer(); }));
    connect(&m_video, &TDSVideoWindowEx2::OnClick, this,
            Guarded(errorParent, [this] { VideoWndClick(); }));
    connect(&m_video, &TDSVideoWindowEx2::OnDblClick, this,
            Guarded(errorParent, [this] { VideoWndDblClick(); }));
    connect(&m_video, &TDSVideoWindowEx2::OnColorKeyChanged, this,
            Guarded(errorParent, [this] { VideoWndColorKeyChanged(); }));
    connect(&m_video, &TDSVideoWindowEx2::OnOverlayVisible, this, [this](bool visible) {
        RunGuarded(m_errorParent, [&] { VideoWndOverlayVisible(visible); });
    });
    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setObjectName(QStringLiteral("ActLeaveFullScreen"));
    m_leaveFullScreen->setShortcut(Qt::Key_Escape);
    m_leaveFullScreen->setEnabled(false);
    m_video.addAction(m_leaveFullScreen);
    connect(m_leaveFullScreen, &QAction::triggered, this,
            Guarded(errorParent, [this] { LeaveFullScreen(); }));
    FillMonitorList();
}

void VideoCommands::SetMenuItems(const MenuItems &items)
{
    m_items = items;
    const struct
    {
        QAction *item;
        void (VideoCommands::*handler)();
    } commands[] = {
        {items.stretched, &VideoCommands::StretchedClick},
        {items.letterBox, &VideoCommands::LetterBoxClick},
        {items.crop, &VideoCommands::CropClick},
        {items.zoom100, &VideoCommands::MnuZ100Click},
        {items.zoom200, &VideoCommands::MnuZ200Click},
        {items.zoom300, &VideoCommands::MnuZ300Click},
        {items.fullscreen, &VideoCommands::VideoWndDblClick},
        {items.color, &VideoCommands::MnuColorClick},
    };
    for (const auto &command : commands)
        connect(command.item, &QAction::triggered, this,
                Guarded(m_errorParent, [this, handler = command.handler] { (this->*handler)(); }));
    ShowFullScreenState();
    // The aspect marks follow the video window's mode.
    QAction *const aspectItems[] = {items.stretched, items.letterBox, items.crop};
    aspectItems[static_cast<int>(m_video.AspectRatio())]->setChecked(true);
}

void VideoCommands::SetRemote(const Remote &remote)
{
    m_remote = remote;
    connect(&m_video, &TDSVideoWindowEx2::OnPaint, this, [this] { PlaceRemote(); });
}

RemoteClickState VideoCommands::remoteClickState() const
{
    RemoteClickState state;
    state.fullScreen = m_video.FullScreen();
    state.remoteShown = m_remote.window->isVisible();
    const int page = m_remote.pages ? m_remote.pages->currentIndex() : -1;
    for (const auto &[trackPage, track] : m_remote.trackPages) {
        if (trackPage == page)
            state.pageTrackEntries = track->SubCount();
    }
    return state;
}

void VideoCommands::VideoWndClick()
{
    if (!m_remote.window)
        return;
    switch (RemoteClickFor(remoteClickState())) {
    case RemoteClick::HideRemote:
        m_remote.window->hide();
        break;
    case RemoteClick::ShowRemoteSoon:
        m_timerRem.start();
        break;
    case RemoteClick::Nothing:
        break;
    }
}

void VideoCommands::TimerRemTimer()
{
    m_timerRem.stop();
    // The picture may have left fullscreen in the meantime by a key.
    if (!m_remote.window || !m_video.FullScreen())
        return;
    PlaceRemote();
    m_remote.window->ShowOverPicture(&m_video);
}

void VideoCommands::PlaceRemote()
{
    if (!m_remote.window)
        return;
    if (m_video.FullScreen())
        m_remote.window->PlaceOver(QRect(m_video.mapToGlobal(QPoint(0, 0)), m_video.size()));
    else if (m_remote.window->isVisible())
        m_remote.window->hide();
}

void VideoCommands::AddSubtitleAreas(const QList<QWidget *> &areas)
{
    m_areas << areas;
}

void VideoCommands::FillMonitorList()
{
    const QStringList entries = MonitorListEntries(int(QGuiApplication::screens().size()));
    m_monitorList.clear();
    m_monitorList.addItems(entries);
    if (entries.size() > 1) {
        m_monitorGroup.show();
        m_monitorList.setCurrentIndex(0);
    } else {
        m_monitorGroup.hide();
        m_monitorList.setCurrentIndex(-1);
    }
}

void VideoCommands::CheckColorControlSupport()
{
    if (m_items.color)
        m_items.color->setEnabled(true);
}

void VideoCommands::MnuColorClick()
{
    if (!m_colorDialog)
        return;
    const VideoCover cover(m_sync);
    m_colorDialog->exec();
}

void VideoCommands::setAspect(TRatioModes mode, QAction *item)
{
    // The mark moves whether or not the picture could take the mode.
    item->setChecked(true);
    m_video.SetAspectRatio(mode);
}

void VideoCommands::StretchedClick()
{
    setAspect(TRatioModes::rmStretched, m_items.stretched);
}

void VideoCommands::LetterBoxClick()
{
    setAspect(TRatioModes::rmLetterBox, m_items.letterBox);
}

void VideoCommands::CropClick()
{
    setAspect(TRatioModes::rmCrop, m_items.crop);
}

TRatioModes VideoCommands::AspectMode() const
{
    return m_video.AspectRatio();
}

void VideoCommands::SetAspectMode(TRatioModes mode)
{
    switch (mode) {
    case TRatioModes::rmStretched:
        StretchedClick();
        break;
    case TRatioModes::rmLetterBox:
        LetterBoxClick();
        break;
    case TRatioModes::rmCrop:
        CropClick();
        break;
    }
}

void VideoCommands::MnuZ100Click()
{
    m_video.SetDigitalZoom(0);
}

void VideoCommands::MnuZ200Click()
{
    m_video.SetDigitalZoom(47);
}

void VideoCommands::MnuZ300Click()
{
    m_video.SetDigitalZoom(95);
}

void VideoCommands::VideoWndDblClick()
{
    m_timerRem.stop();
    if (m_video.FullScreen()) {
        LeaveFullScreen();
        return;
    }
    const int selected = m_monitorList.currentIndex();
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (selected <= 0 || selected - 1 >= screens.size())
        m_video.EnterFullScreenHere();
    else
        m_video.EnterFullScreen(screens.at(selected - 1));
    ShowFullScreenState();
}

void VideoCommands::LeaveFullScreen()
{
    m_timerRem.stop();
    if (m_video.FullScreen())
        m_video.LeaveFullScreen();
    ShowFullScreenState();
    PlaceRemote();
}

void VideoCommands::MediaLoadedChanged(bool loaded)
{
    m_mediaLoaded = loaded;
    ShowFullScreenState();
}

// The item is checkable and Qt flips its mark on every trigger; the mark is set from the
// picture's real state after each change instead.
void VideoCommands::ShowFullScreenState()
{
    const bool fullScreen = m_video.FullScreen();
    m_leaveFullScreen->setEnabled(fullScreen);
    if (!m_items.fullscreen)
        return;
    m_items.fullscreen->setChecked(fullScreen);
    m_items.fullscreen->setEnabled(m_mediaLoaded || fullScreen);
}

void VideoCommands::VideoWndColorKeyChanged()
{
    recolourSubtitleAreas(m_video.OverlayVisible() ? m_video.ColorKey() : m_video.Color());
}

void VideoCommands::VideoWndOverlayVisible(bool visible)
{
    recolourSubtitleAreas(visible ? m_video.ColorKey() : m_video.Color());
}

void VideoCommands::recolourSubtitleAreas(const QColor &color)
{
    for (QWidget *area : std::as_const(m_areas))
        paintPanelIn(area, color, m_video.ColorKey());
}

} // namespace duvara
