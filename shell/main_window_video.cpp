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
#include "shell/video_cover.h"

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
            guarded(&TFormVDMain::VideoWndDblClick));
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
    const auto showError = [this](const QString &message) {
        ShowErrorBox(this, message);
    };
    connect(&FilterGraph, &TFilterGraph::handlerFailed, this, showError);
    connect(TabVideo->SldDS, &TDSTrackBar::handlerFailed, this, showError);

    const auto onMenu = [this](const char *name, void (TFormVDMain::*handler)()) {
        connect(PopupMenu1->item(QString::fromLatin1(name)), &QAction::triggered, this,
                guarded(handler));
    };
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

void TFormVDMain::CheckColorControlSupport()
{
    PopupMenu1->item(QStringLiteral("MnuColor"))->setEnabled(true);
}

void TFormVDMain::MnuColorClick()
{
    const VideoCover cover(VideoCovered);
    FormColor->exec();
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
    for (QWidget *area : std::initializer_list<QWidget *> {LstSubt1, LstSubt2, PnlSub1, PnlSub2})
        paintPanelIn(area, color, VideoWnd->ColorKey());
}

} // namespace duvara
