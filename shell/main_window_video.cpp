// The main window's part in playback: opening files, starting one, and what it does on the video
// window's events and menu items.
#include "shell/main_window.h"

#include "controls/playlist_item.h"
#include "controls/rlistview.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/form_color.h"
#include "media/video_window.h"
#include "presentation/position_text.h"
#include "shell/error_box.h"
#include "shell/popup_menus.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidgetItem>

namespace duvara {

namespace {

const QString kMediaFilters = QStringLiteral(
    "Video files (*.avi *.mpg *.mpeg *.mpv *.m2v *.mpe *.m2p *.mp4 *.wmv *.wm *.asf *.mkv *.webm "
    "*.mov *.AVI *.MPG *.MPEG *.MPV *.M2V *.MPE *.M2P *.MP4 *.WMV *.WM *.ASF *.MKV *.WEBM *.MOV);;"
    "Audio files (*.mpa *.mp2 *.mp3 *.m3u *.m4a *.wav *.wma *.mid *.midi *.rmi *.ogg *.flac "
    "*.MPA *.MP2 *.MP3 *.M3U *.M4A *.WAV *.WMA *.MID *.MIDI *.RMI *.OGG *.FLAC);;"
    "All files (*)");

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

void TFormVDMain::wireVideoWindow()
{
    VideoWnd->SetFilterGraph(&FilterGraph);
    VideoWnd->SetAutoHideCursor(3000);
    VideoWnd->SetFullScreenTopMost(true);
    VideoWnd->SetNoScreenSaver(true);
    connect(VideoWnd, &TDSVideoWindowEx2::OnDblClick, this,
            [this] { RunGuarded(this, [this] { VideoWndDblClick(); }); });
    connect(VideoWnd, &TDSVideoWindowEx2::OnColorKeyChanged, this,
            &TFormVDMain::VideoWndColorKeyChanged);
    connect(VideoWnd, &TDSVideoWindowEx2::OnOverlayVisible, this,
            &TFormVDMain::VideoWndOverlayVisible);
    connect(VideoWnd, &TDSVideoWindowEx2::OnPaint, this, &TFormVDMain::VideoWndPaint);
    VideoWnd->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(VideoWnd, &QWidget::customContextMenuRequested, this,
            [this] { PopupMenu1->popup(QCursor::pos()); });
    TabVideo->SldDS->SetFilterGraph(&FilterGraph);
    // Errors of the graph's event handlers and of the position tick reach the error box here.
    const auto showError = [this](const QString &message) { ShowErrorBox(this, message); };
    connect(&FilterGraph, &TFilterGraph::handlerFailed, this, showError);
    connect(TabVideo->SldDS, &TDSTrackBar::handlerFailed, this, showError);

    const auto onMenu = [this](const char *name, void (TFormVDMain::*handler)()) {
        connect(PopupMenu1->item(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
    };
    onMenu("MnuOpen", &TFormVDMain::MnuOpenClick);
    onMenu("MnuStretched", &TFormVDMain::StretchedClick);
    onMenu("MnuLetterBox", &TFormVDMain::LetterBoxClick);
    onMenu("MnuCrop", &TFormVDMain::CropClick);
    onMenu("MnuZ100", &TFormVDMain::MnuZ100Click);
    onMenu("MnuZ200", &TFormVDMain::MnuZ200Click);
    onMenu("MnuZ300", &TFormVDMain::MnuZ300Click);
    onMenu("MnuFullscreen", &TFormVDMain::VideoWndDblClick);
    onMenu("MnuColor", &TFormVDMain::MnuColorClick);
    // The window menu is the video window's and the main window's context menu.
    for (QAction *action : PopupMenu1->findChildren<QAction *>())
        addAction(action);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this] { PopupMenu1->popup(QCursor::pos()); });
}

void TFormVDMain::MnuOpenClick()
{
    ensureFileDialogs();
    VideoCovered = true;
    DlgFile->setWindowTitle(QStringLiteral("Open"));
    DlgFile->setNameFilters(kMediaFilters.split(QStringLiteral(";;")));
    const bool chosen = DlgFile->exec() == QDialog::Accepted;
    const QStringList files = chosen ? DlgFile->selectedFiles() : QStringList();
    struct Uncover
    {
        TFormVDMain *window;
        ~Uncover() { window->VideoCovered = false; }
    } uncover{this};
    if (!files.isEmpty())
        OpenFiles(files);
}

void TFormVDMain::OpenFiles(const QStringList &files)
{
    LstPL->clear();
    DurationText.clear();
    MediaDuration = 0;
    for (const QString &file : files) {
        const TPlayListItem item = MakePlayListItem(file);
        const qint64 duration = FilterGraph1.ProbeDuration(file);
        auto *row = new QTreeWidgetItem(LstPL, {item.FileName, MediaDurationText(duration)});
        row->setData(0, Qt::UserRole, QVariant::fromValue(item));
    }
    if (LstPL->topLevelItemCount() == 0)
        return;
    LstPL->setCurrentItem(LstPL->topLevelItem(0));
    VideoWnd->show();
    PlayIndex = 0;
    PlayFile(files.first());
    if (PlayIndex < LstPL->topLevelItemCount() - 1)
        TabVideo->BtnNxt->setEnabled(true);
}

void TFormVDMain::PlayFile(const QString &name)
{
    FilterGraph.EmptyGraph();
    FilterGraph.SetActive(false);
    FilterGraph.SetActive(true);
    FilterGraph.RenderMediaFile(name);
    TabVideo->SldVol->setValue(FilterGraph.StoredVolume());
    SetTransportEnabled(true);
    TabVideo->BtnPlay->setEnabled(false);
    PopupMenu1->item(QStringLiteral("MnuPlay"))->setEnabled(false);
    TabVideo->BtnPause->setEnabled(true);
    PopupMenu1->item(QStringLiteral("MnuPause"))->setEnabled(true);
    FilterGraph.Play();
    CheckColorControlSupport();
}

void TFormVDMain::SetTransportEnabled(bool on)
{
    for (QWidget *face : std::initializer_list<QWidget *>{TabVideo->BtnStop, TabVideo->BtnRew,
                                                          TabVideo->BtnFF})
        face->setEnabled(on);
    for (const char *item : {"MnuStop", "MnuNavigate", "MnuRew", "MnuFF", "MnuZoom"})
        PopupMenu1->item(QString::fromLatin1(item))->setEnabled(on);
    for (const char *item : {"MnuFullscreen", "MnuAspect"})
        PopupMenu1->item(QString::fromLatin1(item))->setEnabled(FilterGraph.Active());
    const bool previous = on && PlayIndex > 0;
    const bool next = on && PlayIndex < LstPL->topLevelItemCount() - 1;
    TabVideo->BtnPrv->setEnabled(previous);
    PopupMenu1->item(QStringLiteral("MnuPrev"))->setEnabled(previous);
    TabVideo->BtnNxt->setEnabled(next);
    PopupMenu1->item(QStringLiteral("MnuNext"))->setEnabled(next);
}

void TFormVDMain::CheckColorControlSupport()
{
    PopupMenu1->item(QStringLiteral("MnuColor"))->setEnabled(true);
}

void TFormVDMain::MnuColorClick()
{
    VideoCovered = true;
    FormColor->exec();
    VideoCovered = false;
}

void TFormVDMain::setAspect(TRatioModes mode, const char *item)
{
    // The mark moves whether or not the picture could take the mode.
    PopupMenu1->item(QString::fromLatin1(item))->setChecked(true);
    VideoWnd->SetAspectRatio(mode);
}

void TFormVDMain::StretchedClick()
{
    setAspect(TRatioModes::rmStretched, "MnuStretched");
}

void TFormVDMain::LetterBoxClick()
{
    setAspect(TRatioModes::rmLetterBox, "MnuLetterBox");
}

void TFormVDMain::CropClick()
{
    setAspect(TRatioModes::rmCrop, "MnuCrop");
}

void TFormVDMain::MnuZ100Click()
{
    VideoWnd->SetDigitalZoom(0);
}

void TFormVDMain::MnuZ200Click()
{
    VideoWnd->SetDigitalZoom(47);
}

void TFormVDMain::MnuZ300Click()
{
    VideoWnd->SetDigitalZoom(95);
}

void TFormVDMain::VideoWndDblClick()
{
    TimerRem.stop();
    if (VideoWnd->FullScreen()) {
        VideoWnd->LeaveFullScreen();
        return;
    }
    const int selected = TabVideo->CmbMonit->currentIndex();
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (selected <= 0 || selected - 1 >= screens.size())
        VideoWnd->EnterFullScreenHere();
    else
        VideoWnd->EnterFullScreen(screens.at(selected - 1));
}

void TFormVDMain::VideoWndColorKeyChanged()
{
    recolourSubtitleAreas(VideoWnd->OverlayVisible() ? VideoWnd->ColorKey() : VideoWnd->Color());
}

void TFormVDMain::VideoWndOverlayVisible(bool visible)
{
    recolourSubtitleAreas(visible ? VideoWnd->ColorKey() : VideoWnd->Color());
}

void TFormVDMain::recolourSubtitleAreas(const QColor &color)
{
    for (QWidget *area : std::initializer_list<QWidget *>{LstSubt1, LstSubt2, PnlSub1, PnlSub2})
        paintPanelIn(area, color, VideoWnd->ColorKey());
}

} // namespace duvara
