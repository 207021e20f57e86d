// The subtitle track panels: opening, clearing and saving a track, its offset and duration
// corrections, its font and look, and its list over the video.
#include "shell/main_window.h"

#include "controls/rlistview.h"
#include "controls/spin_arrows.h"
#include "controls/subtitle_list.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "presentation/form_font.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_text.h"
#include "shell/error_box.h"
#include "shell/popup_menus.h"
#include "shell/video_cover.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace duvara {

namespace {

SubtitleTrack &trackData(TFormVDMain &window, int track)
{
    return track == 1 ? window.Track1 : window.Track2;
}

TrackPanel &panelOf(TFormVDMain &window, int track)
{
    return track == 1 ? *window.Panel1 : *window.Panel2;
}

RListView &listOf(TFormVDMain &window, int track)
{
    return track == 1 ? *window.LstSubt1 : *window.LstSubt2;
}

RSubtitleLabel &labelOf(TFormVDMain &window, int track)
{
    return track == 1 ? *window.LblSub1 : *window.LblSub2;
}

// The popup menu's item of a track: MnuOpen1, MnuFont2, ...
QAction *trackMenuItem(const TRPopupMenu &menu, const char *name, int track)
{
    return menu.item(QString::fromLatin1(name) + QString::number(track));
}

QString trackText(int track, const char *primary, const char *secondary)
{
    return QString::fromLatin1(track == 1 ? primary : secondary);
}

void showFileError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QStringLiteral("Error"), text);
}

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

int saturatedInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

bool isListNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

void TFormVDMain::wireTrackPanels()
{
    wireTrackPanel(1);
    wireTrackPanel(2);
    connect(PageCntrl, &QTabWidget::currentChanged, this, guarded(&TFormVDMain::PageCntrlChange));
}

void TFormVDMain::wireTrackPanel(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    RListView &list = listOf(*this, track);
    const auto command = [this, track](void (TFormVDMain::*handler)(int)) {
        return [this, track, handler] {
            RunGuarded(this, [&] { (this->*handler)(track); });
        };
    };
    const auto menuItem = [this, track](const char *name) {
        return trackMenuItem(*PopupMenu1, name, track);
    };

    for (auto [button, item, handler] :
         {std::tuple {panel.BtnOpen, menuItem("MnuOpen"), &TFormVDMain::BtnOpenClick},
          std::tuple {panel.BtnClr, menuItem("MnuClear"), &TFormVDMain::BtnClrClick},
          std::tuple {panel.BtnSaveAs, menuItem("MnuSaveAs"), &TFormVDMain::BtnSaveAsClick},
          std::tuple {panel.BtnFont, menuItem("MnuFont"), &TFormVDMain::BtnFontClick}}) {
        connect(button, &QPushButton::clicked, this, command(handler));
        if (item)
            connect(item, &QAction::triggered, this, command(handler));
    }
    connect(panel.BtnDef, &QPushButton::clicked, this, command(&TFormVDMain::BtnDefClick));
    // Toggled rather than clicked: a state restored from the settings reaches the label too.
    connect(panel.ChkOutline, &QCheckBox::toggled, this, command(&TFormVDMain::ChkOutlineClick));
    connect(panel.ChkShadow, &QCheckBox::toggled, this, command(&TFormVDMain::ChkShadowClick));

    connect(panel.EditOffset, &QSpinBox::valueChanged, this,
            command(&TFormVDMain::EditOffsetChange));
    connect(panel.ScrOffset, &QSlider::valueChanged, this, command(&TFormVDMain::ScrOffsetChange));
    connect(panel.EditDur, &RTimeEdit::OnChange, this, command(&TFormVDMain::EditDurChange));
    connect(panel.ScrDur, &QSlider::valueChanged, this, command(&TFormVDMain::ScrDurChange));
    connect(panel.ArwDur, &SpinArrows::OnStep, this,
            [this, track](bool up) { RunGuarded(this, [&] { ArwDurClick(track, up); }); });

    list.setItemDelegate(new SubtitleRowDelegate(&list));
    connect(&list, &QAbstractItemView::clicked, this, command(&TFormVDMain::LstSubtClick));
    connect(&list, &RListView::OnKeyUp, this,
            [this, track](int key) { RunGuarded(this, [&] { LstSubtKeyUp(track, key); }); });
    connect(&list, &RListView::OnVScroll, this, command(&TFormVDMain::LstSubtVScroll));
    connect(&list, &QAbstractItemView::doubleClicked, this,
            guarded(&TFormVDMain::VideoWndDblClick));
}

void TFormVDMain::BtnOpenClick(int track)
{
    ensureFileDialogs();
    DlgSubt->setWindowTitle(trackText(track, "Open primary subtitles", "Open secondary subtitles"));
    QString chosen;
    {
        const VideoCover cover(VideoCovered);
        if (DlgSubt->exec() == QDialog::Accepted && !DlgSubt->selectedFiles().isEmpty())
            chosen = DlgSubt->selectedFiles().constFirst();
    }
    OpenSubtitleFile(track, chosen);
}

void TFormVDMain::OpenSubtitleFile(int track, const QString &path)
{
    if (!path.isEmpty()) {
        // Read aside: a file that cannot be read or holds no entry leaves the track as it was,
        // and says so.
        SubtitleTrack loaded;
        if (LoadSubtitles(loaded, localPath(path)) && loaded.SubCount() > 0) {
            trackData(*this, track) = std::move(loaded);
        } else {
            const VideoCover cover(VideoCovered);
            showFileError(this, QStringLiteral("File load error or unsupported file format"));
        }
    }
    showOpenedTrack(track);
}

// After every open, also a cancelled one: the list is rebuilt and the duration returns to the
// track's span; the offset stays.
void TFormVDMain::showOpenedTrack(int track)
{
    SubtitleTrack &subtitles = trackData(*this, track);
    RListView &list = listOf(*this, track);
    list.clear();
    ResetCorrections(subtitles);
    const bool hasEntries = subtitles.SubCount() > 0;
    EnableTrackControls(track, hasEntries);
    // The duration handler fills the emptied list.
    setUpDuration(track);
    list.setVisible(hasEntries && PageCntrl->currentIndex() == track);
}

void TFormVDMain::setUpDuration(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    const int span = trackData(*this, track).SubDuration;
    {
        // One run of the handler for the new range and position, not one for each.
        const QSignalBlocker quiet(panel.ScrDur);
        panel.ScrDur->setRange(saturatedInt(qint64(span) - SpanSlack),
                               saturatedInt(qint64(span) + SpanSlack));
        panel.ScrDur->setValue(span);
    }
    ScrDurChange(track);
}

void TFormVDMain::BtnClrClick(int track)
{
    EnableTrackControls(track, false);
    // Emptied first, so that the refreshes below have no rows left to rewrite.
    RListView &list = listOf(*this, track);
    list.clear();
    list.hide();
    SubtitleTrack &subtitles = trackData(*this, track);
    subtitles.Clear();
    TrackPanel &panel = panelOf(*this, track);
    panel.ScrOffset->setValue(0);
    panel.ScrDur->setValue(subtitles.SubDuration);
}

void TFormVDMain::BtnSaveAsClick(int track)
{
    SubtitleTrack &subtitles = trackData(*this, track);
    if (subtitles.SubCount() == 0)
        return;
    ensureFileDialogs();
    SaveSubt->setWindowTitle(
        trackText(track, "Save primary subtitles", "Save secondary subtitles"));
    SaveSubt->setDirectory(DlgSubt->directory());
    SaveSubt->selectFile(QFile::decodeName(QByteArray::fromStdString(subtitles.SubFileName)));
    const VideoCover cover(VideoCovered);
    if (SaveSubt->exec() != QDialog::Accepted || SaveSubt->selectedFiles().isEmpty())
        return;
    const int shift = TrackShift(panelOf(*this, track).ScrOffset->value(), subtitles.BaseTime);
    if (!SaveSubtitles(subtitles, shift, localPath(SaveSubt->selectedFiles().constFirst())))
        showFileError(this, QStringLiteral("File save error"));
}

void TFormVDMain::BtnDefClick(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    panel.ScrDur->setValue(trackData(*this, track).SubDuration);
    panel.ScrOffset->setValue(0);
}

void TFormVDMain::BtnFontClick(int track)
{
    if (!FormFont)
        return;
    FormFont->setWindowTitle(
        trackText(track, "Primary subtitles font", "Secondary subtitles font"));
    FormFont->setTrackNumber(track);
    const VideoCover cover(VideoCovered);
    FormFont->exec();
}

void TFormVDMain::ChkOutlineClick(int track)
{
    labelOf(*this, track).SetTextOutline(panelOf(*this, track).ChkOutline->isChecked());
}

void TFormVDMain::ChkShadowClick(int track)
{
    labelOf(*this, track).SetTextShadow(panelOf(*this, track).ChkShadow->isChecked());
}

void TFormVDMain::EditOffsetChange(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    const int offset = ClampUserOffset(panel.EditOffset->value());
    if (offset != panel.EditOffset->value())
        panel.EditOffset->setValue(offset);
    panel.ScrOffset->setValue(offset);
}

void TFormVDMain::ScrOffsetChange(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    const int offset = panel.ScrOffset->value();
    panel.EditOffset->setValue(offset);
    if (auto *text = panel.EditOffset->findChild<QLineEdit *>())
        text->deselect();
    const SubtitleTrack &subtitles = trackData(*this, track);
    FillSubtitleList(track, TrackShift(offset, subtitles.BaseTime), listOf(*this, track),
                     subtitles.DurFactor);
    if (FilterGraph.Active())
        SldPosChange(false);
}

void TFormVDMain::EditDurChange(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    RTimeEdit &edit = *panel.EditDur;
    const int target = ClampTargetSpan(edit.Milliseconds(), trackData(*this, track).SubDuration);
    if (target != edit.Milliseconds())
        edit.SetMilliseconds(target);
    panel.ScrDur->setValue(edit.Milliseconds());
}

void TFormVDMain::ScrDurChange(int track)
{
    TrackPanel &panel = panelOf(*this, track);
    SubtitleTrack &subtitles = trackData(*this, track);
    const int target = panel.ScrDur->value();
    panel.EditDur->SetMilliseconds(target);
    panel.EditDur->deselect();
    subtitles.DurFactor = DurationFactor(target, subtitles.SubDuration);
    FillSubtitleList(track, TrackShift(panel.ScrOffset->value(), subtitles.BaseTime),
                     listOf(*this, track), subtitles.DurFactor);
    if (FilterGraph.Active())
        SldPosChange(false);
}

void TFormVDMain::ArwDurClick(int track, bool up)
{
    TrackPanel &panel = panelOf(*this, track);
    RTimeEdit &edit = *panel.EditDur;
    if (up && edit.Milliseconds() > panel.ScrDur->maximum())
        edit.SetMilliseconds(panel.ScrDur->maximum());
    if (!up && edit.Milliseconds() < panel.ScrDur->minimum())
        edit.SetMilliseconds(panel.ScrDur->minimum());
    GetIncMode(edit, up);
}

void TFormVDMain::GetIncMode(RTimeEdit &edit, bool up)
{
    duvara::GetIncMode(edit, up);
}

void TFormVDMain::EnableTrackControls(int track, bool enabled)
{
    TrackPanel &panel = panelOf(*this, track);
    const auto enableItem = [&](const char *name) {
        if (QAction *item = trackMenuItem(*PopupMenu1, name, track))
            item->setEnabled(enabled);
    };
    panel.GrpOffset->setEnabled(enabled);
    panel.EditOffset->setEnabled(enabled);
    panel.GrpDur->setEnabled(enabled);
    // The duration editor lies inside the arrows' frame, so the arrows come with it.
    panel.ArwDur->setEnabled(enabled);
    panel.EditDur->setEnabled(enabled);
    panel.BtnFont->setEnabled(enabled);
    enableItem("MnuFont");
    panel.BtnDef->setEnabled(enabled);
    panel.BtnSaveAs->setEnabled(enabled);
    enableItem("MnuSaveAs");
    panel.BtnClr->setEnabled(enabled);
    enableItem("MnuClear");
    panel.ChkOutline->setEnabled(enabled);
    panel.ChkShadow->setEnabled(enabled);
}

void TFormVDMain::FillSubtitleList(int track, int shift, RListView &list, float factor)
{
    FillSubtitleRows(list, trackData(*this, track), shift, factor, DefaultCharset);
}

// Positions the engine's track bar at the selected row's corrected start; false when no row of
// the track is selected.
bool TFormVDMain::moveToSelectedRow(int track)
{
    RListView &list = listOf(*this, track);
    const QTreeWidgetItem *item = list.currentItem();
    const int row = list.currentIndex().row();
    const SubtitleTrack &subtitles = trackData(*this, track);
    if (!item || !item->isSelected() || row < 0 || row >= subtitles.SubCount())
        return false;
    const int shift = TrackShift(panelOf(*this, track).ScrOffset->value(), subtitles.BaseTime);
    TabVideo->SldDS->setValue(
        SeekTenths(subtitles.Subs[std::size_t(row)].StartTime, subtitles.DurFactor, shift));
    return true;
}

void TFormVDMain::LstSubtClick(int track)
{
    if (!FilterGraph.Active() || !moveToSelectedRow(track))
        return;
    // The list keeps the focus, and so stays where the user put it, for a while.
    TimerLstFocus.start();
    TabVideo->SldDS->MouseUp(Qt::LeftButton);
}

void TFormVDMain::LstSubtKeyUp(int track, int key)
{
    if (!isListNavigationKey(key))
        return;
    if (FilterGraph.Active())
        moveToSelectedRow(track);
    TabVideo->SldDS->MouseUp(Qt::LeftButton);
}

void TFormVDMain::LstSubtVScroll(int track)
{
    TimerLstFocus.start();
    listOf(*this, track).setFocus();
}

void TFormVDMain::PageCntrlChange()
{
    // A prepared caption was laid out before the lists moved over the video.
    LblSub1->SetTextNextCaption(QString());
    LblSub2->SetTextNextCaption(QString());
    const int page = PageCntrl->currentIndex();
    LstSubt1->setVisible(page == 1 && Track1.SubCount() > 0);
    LstSubt2->setVisible(page == 2 && Track2.SubCount() > 0);
    if (page != 0 && FilterGraph.Active())
        SldPosChange(false);
}

} // namespace duvara
