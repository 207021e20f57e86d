#include "shell/main_window.h"

#include "controls/file_dialogs.h"
#include "controls/form_goto.h"
#include "controls/form_remote.h"
#include "controls/playlist.h"
#include "controls/rlistview.h"
#include "controls/speech_alignment.h"
#include "controls/subtitle_list.h"
#include "controls/subtitle_track_controller.h"
#include "controls/track_nudges.h"
#include "controls/track_panel.h"
#include "controls/transport.h"
#include "controls/video_commands.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "media/form_color.h"
#include "media/video_window.h"
#include "presentation/form_font.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/subtitle_areas.h"
#include "presentation/synchronisation.h"
#include "shell/file_drops.h"
#include "shell/film_subtitles.h"
#include "shell/form_file.h"
#include "shell/form_new_version.h"
#include "shell/help.h"
#include "shell/idle_picture.h"
#include "shell/menu_icons.h"
#include "shell/mpris_service.h"
#include "shell/other_windows.h"
#include "shell/popup_menus.h"
#include "shell/recent_files_menu.h"
#include "shell/settings_files.h"
#include "shell/shell_logging.h"
#include "shell/shortcut_rule.h"
#include "shell/subtitle_autoload.h"
#include "shell/update_check.h"
#include "shell/volume_keys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <exception>
#include <tuple>

namespace duvara {

QString TrimmedFileName(const QString &name)
{
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && name.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && name.at(last - 1).unicode() <= 0x20)
        --last;
    return name.mid(first, last - first);
}

TFormVDMain::TFormVDMain(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormVDMain"));
    m_filterGraph.setObjectName(QStringLiteral("FilterGraph"));
    buildLayout();
    FormCreate();
}

TFormVDMain::~TFormVDMain()
{
    // The hook must not see the events sent while the widgets below are torn down.
    delete m_keyHook;
    // A fullscreen picture lives in a window of its own: it comes home first, so that it goes
    // with this window instead of staying on screen after it.
    m_videoCommands->LeaveFullScreen();
}

void TFormVDMain::FormCreate()
{
    createCollaborators();
    createTracks();
    wireMenus();
    wireVideoWindow();
    m_settingsFiles = std::make_unique<SettingsFiles>(
        SettingsFiles::Parts {*this,
                              *Splitter,
                              *PnlPList,
                              *TabVideo->SldVol,
                              *m_videoCommands,
                              *m_playlist,
                              {*m_primaryTrack, *Panel1},
                              {*m_secondaryTrack, *Panel2},
                              *PopupMenu1->item(QStringLiteral("MnuLayoutTop")),
                              *PopupMenu1->item(QStringLiteral("MnuLayoutBottom")),
                              *PopupMenu1->item(QStringLiteral("MnuRemember"))});
    m_settingsFiles->SetSubtitleAutoload(m_subtitleAutoload);
    // Media keys and the desktop's player widgets, over the session bus.
    m_mpris = std::make_unique<MprisService>(
        MprisService::Parts {*m_transport, *m_playlist, m_filterGraph, *TabVideo, *SldPos,
                             *LstPL->model(), *this, [this](const QString &name) {
                                 OpenFileByName(name);
                             }});
    m_mpris->Publish(QDBusConnection::sessionBus());
    wireDropsAndRecentFiles();
}

void TFormVDMain::wireDropsAndRecentFiles()
{
    m_fileDrops = new FileDrops(
        {*m_transport, *m_playlist, *LstPL, *m_primaryTrack, *m_secondaryTrack, *VideoWnd}, this);
    // With no film the idle picture stands where the picture will be.
    m_fileDrops->AddPictureTarget(ImgIdle);
    m_recentFiles
        = new RecentFilesMenu({*m_transport, *m_playlist,
                               *PopupMenu1->findChild<QMenu *>(QStringLiteral("MnuRecentMenu")),
                               *PopupMenu1->item(QStringLiteral("MnuRecentNone")),
                               *PopupMenu1->item(QStringLiteral("MnuRecentClear"))},
                              this);
    m_settingsFiles->SetRecentFiles(m_recentFiles);
}

void TFormVDMain::createCollaborators()
{
    m_sync = std::make_unique<Synchronisation>(m_filterGraph, *TabVideo->SldDS, *SldPos, *LblPos,
                                               this);
    connect(m_sync.get(), &Synchronisation::TimeTextChanged, m_osd.get(),
            &OnScreenDisplay::SetTimeText);
    m_dialogs = std::make_unique<FileDialogs>(this, *m_sync);
    m_playlist = std::make_unique<Playlist>(*LstPL, *m_dialogs, this);
    m_transport = std::make_unique<Transport>(Transport::Parts {m_filterGraph, *TabVideo, *SldPos,
                                                                *VideoWnd, *m_playlist, *m_sync,
                                                                *m_osd, *m_dialogs},
                                              this);
    m_videoCommands = std::make_unique<VideoCommands>(*VideoWnd, *TabVideo->GrpMonit,
                                                      *TabVideo->CmbMonit, *m_sync, this);
    connect(m_transport.get(), &Transport::MediaStarted, m_videoCommands.get(),
            &VideoCommands::CheckColorControlSupport);
    connect(m_transport.get(), &Transport::MediaLoadedChanged, m_videoCommands.get(),
            &VideoCommands::MediaLoadedChanged);
    connect(m_transport.get(), &Transport::PictureEnding, m_videoCommands.get(),
            &VideoCommands::LeaveFullScreen);
    m_help = std::make_unique<Help>(this);
    m_updateCheck = std::make_unique<UpdateCheck>(*m_sync, this);
}

void TFormVDMain::createTracks()
{
    const auto item = [this](const char *name, int number) {
        return PopupMenu1->item(QString::fromLatin1(name) + QString::number(number));
    };
    const SubtitleTrackController::Parts parts {m_filterGraph, *TabVideo->SldDS, *PageCntrl,
                                                *m_sync, *m_dialogs};
    // The two tracks differ only in their widgets, menu items and the word in their titles.
    const auto faces = [&](int number, TrackPanel *panel, QWidget *subtitlePanel,
                           RSubtitleLabel *label, SubtitleListView *list, const QString &which) {
        SubtitleTrackController::Faces track;
        track.number = number;
        track.panel = panel;
        track.page = PageCntrl->indexOf(panel);
        track.label = label;
        track.subtitlePanel = subtitlePanel;
        track.list = list;
        track.openItem = item("MnuOpen", number);
        track.clearItem = item("MnuClear", number);
        track.saveAsItem = item("MnuSaveAs", number);
        track.fontItem = item("MnuFont", number);
        track.openTitle = QStringLiteral("Open %1 subtitles").arg(which);
        track.saveTitle = QStringLiteral("Save %1 subtitles").arg(which);
        track.fontTitle
            = which.left(1).toUpper() + which.mid(1) + QStringLiteral(" subtitles font");
        track.name = which.left(1).toUpper() + which.mid(1);
        return track;
    };
    m_primaryTrack = std::make_unique<SubtitleTrackController>(
        faces(1, Panel1, PnlSub1, LblSub1, LstSubt1, QStringLiteral("primary")), parts, this);
    m_secondaryTrack = std::make_unique<SubtitleTrackController>(
        faces(2, Panel2, PnlSub2, LblSub2, LstSubt2, QStringLiteral("secondary")), parts, this);

    // Each track's list offers aligning the track to the playing film's speech.
    const auto film = [this] {
        const int row = m_playlist->PlayIndex();
        return m_filterGraph.Active() && row >= 0 ? m_playlist->PlaylistPath(row) : QString();
    };
    for (const auto &[track, list, which] :
         {std::tuple {m_primaryTrack.get(), LstSubt1, QStringLiteral("Primary")},
          std::tuple {m_secondaryTrack.get(), LstSubt2, QStringLiteral("Secondary")}}) {
        auto *speech = new SpeechAlignment(*track, which, film, this);
        list->addAction(speech->Action());
        connect(speech, &SpeechAlignment::Finished, m_osd.get(),
                [this](const SpeechAlignmentOutcome &outcome) {
                    // What went wrong was already said in a message box.
                    if (outcome.applied)
                        m_osd->ShowOsdText(outcome.message);
                });
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
    }

    m_primaryTrack->SetOtherTrack(m_secondaryTrack.get());
    m_secondaryTrack->SetOtherTrack(m_primaryTrack.get());
    auto *nudges
        = new TrackNudges(*this, *PageCntrl, {m_primaryTrack.get(), m_secondaryTrack.get()});
    connect(nudges, &TrackNudges::Report, m_osd.get(), &OnScreenDisplay::ShowOsdText);
    for (SubtitleTrackController *track : {m_primaryTrack.get(), m_secondaryTrack.get()}) {
        connect(track, &SubtitleTrackController::ListDoubleClicked, this,
                Guarded(this, [this] { m_videoCommands->VideoWndDblClick(); }));
        connect(track, &SubtitleTrackController::Report, m_osd.get(),
                &OnScreenDisplay::ShowOsdText);
        // The film's own frame rate is offered to a MicroDVD track.
        connect(m_transport.get(), &Transport::MediaLoadedChanged, track,
                &SubtitleTrackController::FilmChanged);
    }
    connect(PageCntrl, &QTabWidget::currentChanged, this,
            [this](int page) { RunGuarded(this, [&] { m_sync->PageCntrlChange(page); }); });

    m_filmSubtitles
        = new FilmSubtitles({*m_transport, *m_playlist, *m_primaryTrack, *m_secondaryTrack,
                             *PopupMenu1->item(QStringLiteral("MnuRemember"))},
                            this);
    // Queued: a film's start shows its own message first, which would hide the note at once.
    connect(m_filmSubtitles, &FilmSubtitles::Report, m_osd.get(), &OnScreenDisplay::ShowOsdText,
            Qt::QueuedConnection);

    // Subtitle files beside the film fill what its remembered tracks left empty.
    m_subtitleAutoload = new SubtitleAutoload({*m_filmSubtitles, *m_primaryTrack, *m_secondaryTrack,
                                               *PopupMenu1->item(QStringLiteral("MnuAutoLoad"))},
                                              this);
    connect(m_subtitleAutoload, &SubtitleAutoload::Report, m_osd.get(),
            &OnScreenDisplay::ShowOsdText, Qt::QueuedConnection);
}

void TFormVDMain::wireMenus()
{
    const auto item = [](TRPopupMenu *menu, const char *name) {
        return menu->item(QString::fromLatin1(name));
    };
    using Command = Transport::Command;
    const std::pair<Command, const char *> faces[] = {
        {Command::Play, "MnuPlay"}, {Command::Pause, "MnuPause"}, {Command::Stop, "MnuStop"},
        {Command::Step, "MnuStep"}, {Command::Rew, "MnuRew"},     {Command::FF, "MnuFF"},
        {Command::Prev, "MnuPrev"}, {Command::Next, "MnuNext"},
    };
    for (const auto &[command, name] : faces)
        m_transport->AddFace(command, item(PopupMenu1, name));
    m_transport->AddRunningItems({item(PopupMenu1, "MnuNavigate"), item(PopupMenu1, "MnuZoom")});
    m_transport->AddLoadedItems({item(PopupMenu1, "MnuFullscreen"), item(PopupMenu1, "MnuAspect")});
    m_transport->SetMuteItem(item(PopupMenu1, "MnuMute"), MenuIcon(MenuImage::SoundOn),
                             MenuIcon(MenuImage::Muted));
    m_transport->SetOpenItem(item(PopupMenu1, "MnuOpen"));

    m_playlist->AddMenuItems(item(PopupMenu2, "MnuAdd"), item(PopupMenu2, "MnuRemove"),
                             item(PopupMenu2, "MnuClear"));
    m_playlist->AddMenuItems(item(PopupMenu1, "MnuPLAdd"), item(PopupMenu1, "MnuPLRemove"),
                             item(PopupMenu1, "MnuPLClear"));
    // The playlist menu's shortcuts work while the list has the keyboard focus.
    for (QAction *action : PopupMenu2->actions()) {
        action->setShortcutContext(Qt::WidgetShortcut);
        LstPL->addAction(action);
    }
    for (TRPopupMenu *menu : {PopupMenu1, PopupMenu2})
        connect(menu, &TRPopupMenu::OnPopup, m_playlist.get(), &Playlist::PopupMenu2Popup);
    connect(PopupMenu1, &TRPopupMenu::OnPopup, this, Guarded(this, [this] { PopupMenu1Popup(); }));
    connect(PopupMenu1, &TRPopupMenu::OnHide, this, Guarded(this, [this] { PopupMenu1Hide(); }));
    // An item's shortcut acts only while every submenu above it is enabled too.
    auto *shortcutRule = new ShortcutRule(this);
    shortcutRule->AddMenu(PopupMenu1);
    shortcutRule->AddMenu(PopupMenu2);
    qApp->installEventFilter(shortcutRule);
    LstPL->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(LstPL, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu2->popup(LstPL->viewport()->mapToGlobal(at)); });

    VideoCommands::MenuItems video;
    video.stretched = item(PopupMenu1, "MnuStretched");
    video.letterBox = item(PopupMenu1, "MnuLetterBox");
    video.crop = item(PopupMenu1, "MnuCrop");
    video.zoom100 = item(PopupMenu1, "MnuZ100");
    video.zoom200 = item(PopupMenu1, "MnuZ200");
    video.zoom300 = item(PopupMenu1, "MnuZ300");
    video.fullscreen = item(PopupMenu1, "MnuFullscreen");
    video.color = item(PopupMenu1, "MnuColor");
    m_videoCommands->SetMenuItems(video);

    connect(item(PopupMenu1, "MnuExit"), &QAction::triggered, this,
            Guarded(this, [this] { MnuExitClick(); }));
    connect(item(PopupMenu1, "MnuAbout"), &QAction::triggered, this,
            Guarded(this, [this] { MnuAboutClick(); }));
    connect(item(PopupMenu1, "MnuGoTo"), &QAction::triggered, this,
            Guarded(this, [this] { MnuGoToClick(); }));
    const auto showHelp = Guarded(this, [this] { m_help->ShowHelp(kHelpContents); });
    connect(item(PopupMenu1, "MnuDuvaraHelp"), &QAction::triggered, this, showHelp);
    connect(TabVideo->BtnHlp, &QToolButton::clicked, this, showHelp);
    connect(item(PopupMenu1, "MnuHome"), &QAction::triggered, this,
            Guarded(this, [this] { m_help->ShowHomePage(); }));
    connect(item(PopupMenu1, "MnuFile"), &QAction::triggered, this,
            Guarded(this, [this] { MnuFileClick(); }));
    connect(item(PopupMenu1, "MnuLayoutBottom"), &QAction::toggled, this, [this](bool atBottom) {
        RunGuarded(this, [&] {
            SetSubtitleArrangement(atBottom ? SubtitleArrangement::BothAtBottom
                                            : SubtitleArrangement::SecondaryAtTop);
        });
    });
    m_updateCheck->AddFace(item(PopupMenu1, "MnuNew"));
    m_updateCheck->AddFace(TabVideo->BtnNew);
    connect(item(PopupMenu1, "MnuNew"), &QAction::triggered, this,
            Guarded(this, [this] { m_updateCheck->MnuNewClick(); }));
    connect(TabVideo->BtnNew, &QToolButton::clicked, this,
            Guarded(this, [this] { m_updateCheck->MnuNewClick(); }));
    // The window menu is the video window's and the main window's context menu, and its
    // shortcuts work in both windows: the video window is a window of its own in fullscreen.
    for (QAction *action : PopupMenu1->findChildren<QAction *>()) {
        addAction(action);
        VideoWnd->addAction(action);
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this] { PopupMenu1->popup(QCursor::pos()); });
}

void TFormVDMain::PopupMenu1Popup()
{
    m_videoCommands->ShowFullScreenState();
    m_sync->ForgetPreparedCaptions();
}

void TFormVDMain::PopupMenu1Hide()
{
    m_sync->ForgetPreparedCaptions();
}

void TFormVDMain::MnuGoToClick()
{
    // The dialog comes with the other windows, after the main window.
    if (!FormGoTo)
        return;
    const VideoCover cover(*m_sync);
    FormGoTo->exec();
}

void TFormVDMain::MnuFileClick()
{
    if (!FormFile)
        return;
    const VideoCover cover(*m_sync);
    FormFile->exec();
}

void TFormVDMain::MnuAboutClick()
{
    const VideoCover cover(*m_sync);
    FormAbout->exec();
}

void TFormVDMain::wireVideoWindow()
{
    VideoWnd->SetFilterGraph(&m_filterGraph);
    VideoWnd->SetAutoHideCursor(3000);
    VideoWnd->SetFullScreenTopMost(true);
    VideoWnd->SetNoScreenSaver(true);
    m_videoCommands->AddSubtitleAreas({LstSubt1, LstSubt2, PnlSub1, PnlSub2});
    // A paint of the video window leaves the prepared captions alone: a label uses its prepared
    // caption only when text, size and look still match, so there is nothing to forget here.
    VideoWnd->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(VideoWnd, &QWidget::customContextMenuRequested, this,
            [this] { PopupMenu1->popup(QCursor::pos()); });
    TabVideo->SldDS->SetFilterGraph(&m_filterGraph);
    // Errors of the graph's event handlers and of the position tick reach the error box here.
    const auto showError = [this](const QString &message) {
        ShowErrorBox(this, message);
    };
    connect(&m_filterGraph, &TFilterGraph::handlerFailed, this, showError);
    connect(TabVideo->SldDS, &TDSTrackBar::handlerFailed, this, showError);
}

void TFormVDMain::CreateOtherWindows()
{
    FormRemote = new TFormRemote(
        {*m_transport, *m_playlist, *m_sync, *SldPos, *TabVideo->SldDS, *TabVideo->SldVol}, this);
    FormRemote->SetPopupMenu(PopupMenu1);
    // The remote lies over the fullscreen picture: a drop on it is a drop on the picture.
    m_fileDrops->AddPictureTarget(FormRemote);
    m_videoCommands->SetRemote({FormRemote,
                                PageCntrl,
                                {{PageCntrl->indexOf(Panel1), &m_primaryTrack->Track()},
                                 {PageCntrl->indexOf(Panel2), &m_secondaryTrack->Track()}}});
    FormAbout = new TFormAbout(this);
    FormColor = new TFormColor(VideoWnd->ColorControl(), VideoWnd->Caps(), this);
    m_videoCommands->SetColorDialog(FormColor);
    FormFont = new TFormFont(this);
    m_primaryTrack->SetFontDialog(FormFont);
    m_secondaryTrack->SetFontDialog(FormFont);
    FormGoTo = new TFormGoTo(*SldPos, *TabVideo->SldDS, this);
    FormFile = new TFormFile(this);
    m_settingsFiles->SetFileTypeDialog(FormFile);
    FormNewV = new TFormNewV(this);
    // F1 in a dialog opens the topic of the window it belongs to.
    const std::pair<QWidget *, HelpContext> helpKeys[] = {
        {FormAbout, kHelpContents}, {FormColor, kHelpCommands}, {FormFont, kHelpMainWindow},
        {FormGoTo, kHelpCommands},  {FormFile, kHelpContents},  {FormNewV, kHelpContents},
    };
    for (const auto &[window, context] : helpKeys)
        m_help->AddHelpKey(window, context);
    m_updateCheck->SetDialog(FormNewV);
}

void TFormVDMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    // Sent before the window is on screen, so that it opens where and as it was left: a window
    // maximised once it is mapped can lose its restored bounds to the window manager's replies.
    FormShow();
}

void TFormVDMain::FormShow()
{
    // A file that cannot be read is reported once the window is on screen; the start goes on.
    QString unreadable;
    try {
        LoadSettings();
    } catch (const std::exception &error) {
        unreadable = QString::fromUtf8(error.what());
    } catch (...) {
        unreadable = QStringLiteral("Unexpected error");
    }
    m_playlist->SetPlaylistTransient(false);
    // The rest runs once the window is on screen, so that it is painted before a file is opened.
    QMetaObject::invokeMethod(this,
                              Guarded(this, [this, unreadable] { finishFirstShow(unreadable); }),
                              Qt::QueuedConnection);
}

void TFormVDMain::finishFirstShow(const QString &unreadable)
{
    if (!unreadable.isEmpty())
        ShowErrorBox(this, unreadable);
    repaint();
    if (!m_commandLineFile.isNull() && !m_filterGraph.Active())
        OpenFileByName(m_commandLineFile);
    qCInfo(lcShell) << "main window shown";
    emit shown();
}

void TFormVDMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormVDMain::FormActivate()
{
    if (!m_keyHook)
        m_keyHook = new VolumeKeys(*TabVideo->SldVol, this);
    // Installing again moves the hook to the front; it never runs twice for one event.
    qApp->installEventFilter(m_keyHook);
}

void TFormVDMain::closeEvent(QCloseEvent *event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    RunGuarded(this, [this] { FormCloseQuery(); });
    event->accept();
}

void TFormVDMain::FormCloseQuery()
{
    // The settings are written however the exit went; its error is shown afterwards. They are
    // written before the event loop is told to end: no error box can show after that.
    std::exception_ptr failure;
    try {
        releaseGraphs();
    } catch (...) {
        failure = std::current_exception();
    }
    RunGuarded(this, [this] { SaveSettings(); });
    if (failure)
        std::rethrow_exception(failure);
    QCoreApplication::exit(0);
}

void TFormVDMain::MnuExitClick()
{
    releaseGraphs();
    // Ends the event loop without asking the windows to close again.
    QCoreApplication::exit(0);
}

void TFormVDMain::releaseGraphs()
{
    m_exiting = true;
    m_filmSubtitles->FilmEnded();
    try {
        m_filterGraph.EmptyGraph();
        m_filterGraph.SetActive(false);
    } catch (...) {
        // The program goes on: a later close must ask again and write the settings.
        m_exiting = false;
        throw;
    }
}

void TFormVDMain::OpenFileByName(const QString &name)
{
    const QString fileName = TrimmedFileName(name);
    if (fileName.isEmpty())
        return;
    qCInfo(lcShell).noquote() << "OpenFileByName:" << fileName;
    if (m_fileDrops->OpenIfSubtitleFile(fileName))
        return;
    m_playlist->SetPlaylistTransient(true);
    m_playlist->OpenFiles({fileName});
}

void TFormVDMain::LoadSettings()
{
    qCDebug(lcShell) << "LoadSettings";
    m_settingsFiles->LoadSettings();
}

void TFormVDMain::SaveSettings()
{
    qCDebug(lcShell) << "SaveSettings";
    m_settingsFiles->SaveSettings();
}

} // namespace duvara
