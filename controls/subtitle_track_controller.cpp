#include "controls/subtitle_track_controller.h"

#include "controls/correction_texts.h"
#include "controls/file_dialogs.h"
#include "controls/spin_arrows.h"
#include "controls/subtitle_list.h"
#include "controls/time_edit.h"
#include "controls/track_panel.h"
#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "media/filter_graph.h"
#include "presentation/form_font.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_layout.h"
#include "presentation/subtitle_text.h"
#include "presentation/synchronisation.h"
#include "subtitles/corrections.h"
#include "subtitles/frame_retiming.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"
#include "subtitles/track_alignment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace duvara {

namespace {

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

// The frame-rate item that stands for the film's own rate, whatever it turns out to be.
constexpr uint32_t kFilmRate = std::numeric_limits<uint32_t>::max();

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

SubtitleTrackController::SubtitleTrackController(const Faces &faces, const Parts &parts,
                                                 QWidget *errorParent)
    : QObject(errorParent)
    , m_faces(faces)
    , m_graph(parts.graph)
    , m_engineBar(parts.engineBar)
    , m_pages(parts.pages)
    , m_sync(parts.sync)
    , m_dialogs(parts.dialogs)
    , m_errorParent(errorParent)
{
    m_faces.panel->EditOffset->setValue(0);
    m_faces.panel->EditOffset->setEnabled(false);
    m_faces.panel->ArwDur->setEnabled(false);
    m_rows = new SubtitleRowsModel(m_track, this);
    m_faces.list->setModel(m_rows);
    m_sync.AddTrack({&m_track, m_faces.panel->ScrOffset, m_faces.label, m_faces.list, m_faces.page,
                     &m_charset});
    wire(errorParent);
}

void SubtitleTrackController::wire(QWidget *errorParent)
{
    TrackPanel &panel = *m_faces.panel;
    const auto command = [this, errorParent](void (SubtitleTrackController::*handler)()) {
        return Guarded(errorParent, [this, handler] { (this->*handler)(); });
    };
    const struct
    {
        QPushButton *button;
        QAction *item;
        void (SubtitleTrackController::*handler)();
    } commands[] = {
        {panel.BtnOpen, m_faces.openItem, &SubtitleTrackController::BtnOpenClick},
        {panel.BtnClr, m_faces.clearItem, &SubtitleTrackController::BtnClrClick},
        {panel.BtnSaveAs, m_faces.saveAsItem, &SubtitleTrackController::BtnSaveAsClick},
        {panel.BtnFont, m_faces.fontItem, &SubtitleTrackController::BtnFontClick},
        {panel.BtnDef, nullptr, &SubtitleTrackController::BtnDefClick},
        {panel.BtnAlign, nullptr, &SubtitleTrackController::AlignToOtherTrack},
    };
    for (const auto &c : commands) {
        connect(c.button, &QPushButton::clicked, this, command(c.handler));
        if (c.item)
            connect(c.item, &QAction::triggered, this, command(c.handler));
    }
    // Toggled rather than clicked: a state restored from the settings reaches the label too.
    connect(panel.ChkOutline, &QCheckBox::toggled, this,
            command(&SubtitleTrackController::ChkOutlineClick));
    connect(panel.ChkShadow, &QCheckBox::toggled, this,
            command(&SubtitleTrackController::ChkShadowClick));
    connect(panel.EditOffset, &QSpinBox::valueChanged, this,
            command(&SubtitleTrackController::EditOffsetChange));
    connect(panel.ScrOffset, &QSlider::valueChanged, this,
            command(&SubtitleTrackController::ScrOffsetChange));
    connect(panel.EditDur, &RTimeEdit::OnChange, this,
            command(&SubtitleTrackController::EditDurChange));
    connect(panel.ScrDur, &QSlider::valueChanged, this,
            command(&SubtitleTrackController::ScrDurChange));
    connect(panel.ArwDur, &SpinArrows::OnStep, this,
            [this](bool up) { RunGuarded(m_errorParent, [&] { ArwDurClick(up); }); });

    connect(panel.CmbRate, &QComboBox::activated, this,
            [this](int index) { RunGuarded(m_errorParent, [&] { CmbRateChange(index); }); });

    SubtitleListView &list = *m_faces.list;
    list.setItemDelegate(new SubtitleRowDelegate(&list));
    // The list's own commands: its context menu, and Insert while it has the focus.
    m_anchorItem = new QAction(QStringLiteral("This line is &now"), &list);
    m_anchorItem->setObjectName(QStringLiteral("MnuAnchor%1").arg(m_faces.number));
    m_anchorItem->setShortcut(QKeySequence(Qt::Key_Insert));
    m_anchorItem->setShortcutContext(Qt::WidgetShortcut);
    m_alignItem = new QAction(QStringLiteral("&Align to the other track"), &list);
    m_alignItem->setObjectName(QStringLiteral("MnuAlign%1").arg(m_faces.number));
    m_anchorItem->setEnabled(false);
    m_alignItem->setEnabled(false);
    list.addAction(m_anchorItem);
    list.addAction(m_alignItem);
    list.setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_anchorItem, &QAction::triggered, this,
            command(&SubtitleTrackController::AnchorSelectedEntry));
    connect(m_alignItem, &QAction::triggered, this,
            command(&SubtitleTrackController::AlignToOtherTrack));
    connect(&list, &QAbstractItemView::clicked, this,
            command(&SubtitleTrackController::LstSubtClick));
    connect(&list, &SubtitleListView::OnKeyUp, this,
            [this](int key) { RunGuarded(m_errorParent, [&] { LstSubtKeyUp(key); }); });
    connect(&list, &SubtitleListView::OnVScroll, this,
            command(&SubtitleTrackController::LstSubtVScroll));
    connect(&list, &SubtitleListView::OnDblClick, this,
            &SubtitleTrackController::ListDoubleClicked);
}

int SubtitleTrackController::Offset() const
{
    return m_faces.panel->ScrOffset->value();
}

int SubtitleTrackController::shift() const
{
    return TrackShift(Offset(), m_track.BaseTime);
}

void SubtitleTrackController::BtnOpenClick()
{
    OpenSubtitleFile(m_dialogs.ChooseSubtitleFile(m_faces.openTitle));
}

void SubtitleTrackController::ShowTrack(SubtitleTrack track)
{
    m_track = std::move(track);
    m_filePath.clear();
    showOpenedTrack();
}

void SubtitleTrackController::OpenSubtitleFile(const QString &path)
{
    if (!path.isEmpty() && !readSubtitleFile(localPath(path), QFileInfo(path).absoluteFilePath())) {
        const VideoCover cover(m_sync);
        showFileError(m_errorParent, QStringLiteral("File load error or unsupported file format"));
    }
    showOpenedTrack();
}

bool SubtitleTrackController::OpenSubtitleFileQuietly(const QByteArray &localPath)
{
    if (!readSubtitleFile(localPath.toStdString(),
                          QFileInfo(QFile::decodeName(localPath)).absoluteFilePath()))
        return false;
    showOpenedTrack();
    return true;
}

// Read aside: a file that cannot be read or holds no entry leaves the track as it was.
bool SubtitleTrackController::readSubtitleFile(const std::string &localPath,
                                               const QString &absolutePath)
{
    SubtitleTrack loaded;
    if (!LoadSubtitles(loaded, localPath) || loaded.SubCount() == 0)
        return false;
    m_track = std::move(loaded);
    m_filePath = absolutePath;
    return true;
}

// After every open, also a cancelled one: the list is rebuilt and the duration returns to the
// track's span; the offset stays.
void SubtitleTrackController::showOpenedTrack()
{
    ResetCorrections(m_track);
    m_rows->TrackChanged();
    setAnchors({});
    const bool hasEntries = m_track.SubCount() > 0;
    EnableTrackControls(hasEntries);
    fillRates();
    enableAlignment();
    emit EntriesChanged();
    // The duration handler fills the emptied list.
    setUpDuration();
    m_faces.list->setVisible(hasEntries && m_pages.currentIndex() == m_faces.page);
}

void SubtitleTrackController::setUpDuration()
{
    QSlider *scrDur = m_faces.panel->ScrDur;
    const int span = m_track.SubDuration;
    {
        // One run of the handler for the new range and position, not one for each.
        const QSignalBlocker quiet(scrDur);
        scrDur->setRange(saturatedInt(qint64(span) - SpanSlack),
                         saturatedInt(qint64(span) + SpanSlack));
        scrDur->setValue(span);
    }
    ScrDurChange();
}

void SubtitleTrackController::BtnClrClick()
{
    EnableTrackControls(false);
    // Emptied first, so that the refreshes below have no rows left to rewrite.
    m_track.Clear();
    m_filePath.clear();
    m_rows->TrackChanged();
    setAnchors({});
    fillRates();
    m_faces.list->hide();
    m_faces.panel->ScrOffset->setValue(0);
    m_faces.panel->ScrDur->setValue(m_track.SubDuration);
    enableAlignment();
    emit EntriesChanged();
}

void SubtitleTrackController::BtnSaveAsClick()
{
    if (m_track.SubCount() == 0)
        return;
    const QString name = m_dialogs.ChooseSaveName(
        m_faces.saveTitle, QFile::decodeName(QByteArray::fromStdString(m_track.SubFileName)));
    if (name.isEmpty())
        return;
    const VideoCover cover(m_sync);
    if (!SaveSubtitles(m_track, shift(), localPath(name)))
        showFileError(m_errorParent, QStringLiteral("File save error"));
}

void SubtitleTrackController::BtnDefClick()
{
    setAnchors({});
    m_faces.panel->ScrDur->setValue(m_track.SubDuration);
    m_faces.panel->ScrOffset->setValue(0);
}

void SubtitleTrackController::SetFontDialog(TFormFont *dialog)
{
    m_fontDialog = dialog;
    enableFontChoice(m_track.SubCount() > 0);
}

void SubtitleTrackController::enableFontChoice(bool enabled)
{
    // The font is offered only where there is a font dialog to choose it in.
    const bool font = enabled && m_fontDialog;
    m_faces.panel->BtnFont->setEnabled(font);
    if (m_faces.fontItem)
        m_faces.fontItem->setEnabled(font);
}

void SubtitleTrackController::BtnFontClick()
{
    if (!m_fontDialog)
        return;
    m_fontDialog->setWindowTitle(m_faces.fontTitle);
    m_fontDialog->setTrackNumber(m_faces.number);
    std::optional<TrackFont> chosen;
    {
        const VideoCover cover(m_sync);
        chosen = m_fontDialog->Choose(Font(), m_faces.panel->ChkOutline->isChecked(),
                                      m_faces.panel->ChkShadow->isChecked());
    }
    // Applied once the picture is uncovered again, so that the caption after the one on screen
    // is prepared in the new font.
    if (chosen)
        SetFont(*chosen);
}

SubtitleTrackController::TrackFont SubtitleTrackController::Font() const
{
    return {m_faces.subtitlePanel->font(), m_charset};
}

void SubtitleTrackController::SetFont(const TrackFont &font)
{
    m_faces.subtitlePanel->setFont(font.font);
    m_charset = font.charset;

    RSubtitleLabel &label = *m_faces.label;
    QFont shown = font.font;
    // The entry on screen keeps its own bold, italic and underline; the next entry sets its own.
    const QFont present = label.font();
    shown.setBold(present.bold());
    shown.setItalic(present.italic());
    shown.setUnderline(present.underline());
    const int width = m_faces.subtitlePanel->width();
    if (width > 0)
        shown.setPointSize(std::max(1, RoundHalfEven(font.font.pointSizeF() * width / 612.0)));
    label.setFont(shown);
    // The outline follows the size now rather than at the next layout of the picture.
    if (width > 0)
        label.SetTextOutlineWidth(
            static_cast<std::uint8_t>(std::clamp(RoundHalfEven(shown.pointSize() / 8.0), 0, 255)));
    // A caption prepared in the old font or character set would be drawn again anyway.
    label.SetTextNextCaption(QString());
    m_rows->SetCharset(m_charset);
    m_sync.Refresh();
}

void SubtitleTrackController::ChkOutlineClick()
{
    m_faces.label->SetTextOutline(m_faces.panel->ChkOutline->isChecked());
}

void SubtitleTrackController::ChkShadowClick()
{
    m_faces.label->SetTextShadow(m_faces.panel->ChkShadow->isChecked());
}

void SubtitleTrackController::EditOffsetChange()
{
    QSpinBox *edit = m_faces.panel->EditOffset;
    const int offset = ClampUserOffset(edit->value());
    if (offset != edit->value())
        edit->setValue(offset);
    m_faces.panel->ScrOffset->setValue(offset);
}

void SubtitleTrackController::ScrOffsetChange()
{
    QSpinBox *edit = m_faces.panel->EditOffset;
    edit->setValue(Offset());
    if (auto *text = edit->findChild<QLineEdit *>())
        text->deselect();
    FillSubtitleList();
    m_sync.Refresh();
}

void SubtitleTrackController::EditDurChange()
{
    RTimeEdit &edit = *m_faces.panel->EditDur;
    const int target = ClampTargetSpan(edit.Milliseconds(), m_track.SubDuration);
    if (target != edit.Milliseconds())
        edit.SetMilliseconds(target);
    m_faces.panel->ScrDur->setValue(edit.Milliseconds());
}

void SubtitleTrackController::ScrDurChange()
{
    const int target = m_faces.panel->ScrDur->value();
    m_faces.panel->EditDur->SetMilliseconds(target);
    m_faces.panel->EditDur->deselect();
    m_track.DurFactor = DurationFactor(target, m_track.SubDuration);
    FillSubtitleList();
    m_sync.Refresh();
}

void SubtitleTrackController::ArwDurClick(bool up)
{
    RTimeEdit &edit = *m_faces.panel->EditDur;
    const QSlider &scrDur = *m_faces.panel->ScrDur;
    if (up && edit.Milliseconds() > scrDur.maximum())
        edit.SetMilliseconds(scrDur.maximum());
    if (!up && edit.Milliseconds() < scrDur.minimum())
        edit.SetMilliseconds(scrDur.minimum());
    GetIncMode(edit, up);
}

void SubtitleTrackController::EnableTrackControls(bool enabled)
{
    TrackPanel &panel = *m_faces.panel;
    for (QWidget *control : std::initializer_list<QWidget *> {
             panel.GrpOffset, panel.EditOffset, panel.GrpDur,
             // The duration editor lies inside the arrows' frame, so the arrows come with it.
             panel.ArwDur, panel.EditDur, panel.BtnDef, panel.BtnSaveAs, panel.BtnClr,
             panel.ChkOutline, panel.ChkShadow})
        control->setEnabled(enabled);
    for (QAction *item : {m_faces.saveAsItem, m_faces.clearItem, m_anchorItem})
        if (item)
            item->setEnabled(enabled);
    enableFontChoice(enabled);
    enableAlignment();
}

void SubtitleTrackController::FillSubtitleList()
{
    m_rows->SetCorrections(shift(), m_track.DurFactor);
}

// Positions the engine's track bar at the selected row's corrected start; false when no row of
// the track is selected.
bool SubtitleTrackController::moveToSelectedRow()
{
    const SubtitleListView &list = *m_faces.list;
    const QModelIndex current = list.currentIndex();
    const int row = current.row();
    if (!current.isValid() || !list.selectionModel()->isSelected(current) || row < 0
        || row >= m_track.SubCount())
        return false;
    m_engineBar.setValue(
        SeekTenths(m_track.Subs[std::size_t(row)].StartTime, m_track.DurFactor, shift()));
    return true;
}

void SubtitleTrackController::LstSubtClick()
{
    if (!m_graph.Active() || !moveToSelectedRow())
        return;
    // The list keeps the focus, and so stays where the user put it, for a while.
    m_sync.HoldListFocus();
    m_engineBar.MouseUp(Qt::LeftButton);
}

void SubtitleTrackController::LstSubtKeyUp(int key)
{
    if (!isListNavigationKey(key))
        return;
    if (m_graph.Active())
        moveToSelectedRow();
    m_engineBar.MouseUp(Qt::LeftButton);
}

void SubtitleTrackController::LstSubtVScroll()
{
    m_sync.HoldListFocus();
    m_faces.list->setFocus();
}

int SubtitleTrackController::TargetSpan() const
{
    return m_faces.panel->ScrDur->value();
}

void SubtitleTrackController::SetOtherTrack(SubtitleTrackController *other)
{
    if (m_other)
        disconnect(m_other, &SubtitleTrackController::EntriesChanged, this, nullptr);
    m_other = other;
    if (m_other)
        connect(m_other, &SubtitleTrackController::EntriesChanged, this,
                &SubtitleTrackController::enableAlignment);
    enableAlignment();
}

void SubtitleTrackController::enableAlignment()
{
    const bool enabled = m_track.SubCount() > 0 && m_other && m_other->Track().SubCount() > 0;
    m_faces.panel->BtnAlign->setEnabled(enabled);
    if (m_alignItem)
        m_alignItem->setEnabled(enabled);
}

void SubtitleTrackController::setAnchors(std::vector<TrackAnchor> anchors)
{
    m_anchors = std::move(anchors);
    std::vector<int> rows;
    for (const TrackAnchor &anchor : m_anchors)
        rows.push_back(anchor.entry);
    m_rows->SetAnchoredRows(std::move(rows));
}

// A correction found elsewhere (the film's speech) replaces the anchors, as Align does.
void SubtitleTrackController::ApplyCorrection(int offsetMs, int spanMs)
{
    setAnchors({});
    applyCorrection(offsetMs, spanMs);
}

// Span first: the offset handler then lists and shows the track once more with both in place.
void SubtitleTrackController::applyCorrection(int offsetMs, int spanMs)
{
    m_faces.panel->ScrDur->setValue(ClampTargetSpan(spanMs, m_track.SubDuration));
    m_faces.panel->ScrOffset->setValue(ClampUserOffset(offsetMs));
}

void SubtitleTrackController::AnchorSelectedEntry()
{
    const SubtitleListView &list = *m_faces.list;
    const QModelIndex current = list.currentIndex();
    if (m_track.SubCount() == 0)
        return;
    if (!current.isValid() || !list.selectionModel()->isSelected(current)
        || current.row() >= m_track.SubCount()) {
        emit Report(m_faces.name + QStringLiteral(": select the line that is spoken now"));
        return;
    }
    const std::optional<qint64> position = m_graph.CurrentPosition();
    if (!position) {
        emit Report(m_faces.name + QStringLiteral(": play the film to the line first"));
        return;
    }
    const TrackAnchor added {current.row(), (*position + 5000) / 10000};
    AnchorPlacement placement = AnchorPlacement::Added;
    setAnchors(PlaceAnchor(m_track, m_anchors, added, &placement));
    const AnchorCorrection correction = CorrectionForAnchors(m_track, m_anchors, TargetSpan());
    applyCorrection(correction.offsetMs, correction.spanMs);

    QString text = CorrectionText(m_faces.name, Offset(), m_track.DurFactor);
    if (correction.offsetClamped)
        text += QStringLiteral(" (nearest to the %1 needed)")
                    .arg(SignedSeconds(correction.wantedOffsetMs));
    if (correction.spanClamped)
        text += QStringLiteral(" (stretch at its limit)");
    if (placement == AnchorPlacement::Contradicted)
        text += QStringLiteral("; the earlier anchor was out of order and is gone");
    emit Report(text);
}

void SubtitleTrackController::AlignToOtherTrack()
{
    if (!m_other || m_track.SubCount() == 0 || m_other->Track().SubCount() == 0) {
        emit Report(m_faces.name + QStringLiteral(": aligning needs both tracks open"));
        return;
    }
    // The other track as the user sees it now, corrections and all.
    const SubtitleTrack reference = CorrectedTimings(m_other->Track(), m_other->Offset());
    const TrackAlignment fit = AlignTracks(m_track, reference);
    if (!fit.found) {
        QString why;
        switch (fit.failure) {
        case AlignmentFailure::OffsetOutOfReach:
            why = QStringLiteral("it needs an offset of %1, beyond 60 s")
                      .arg(SignedSeconds(fit.offsetMs));
            break;
        case AlignmentFailure::SpanOutOfReach:
            why = QStringLiteral("it needs a stretch beyond 30 minutes");
            break;
        default:
            why = QStringLiteral("the timings have too little in common");
            break;
        }
        emit Report(m_faces.name + QStringLiteral(": no fit to the other track, ") + why);
        return;
    }
    setAnchors({});
    applyCorrection(int(fit.offsetMs), int(fit.spanMs));
    emit Report(CorrectionText(m_faces.name, Offset(), m_track.DurFactor));
}

void SubtitleTrackController::NudgeOffset(int deltaMs)
{
    if (m_track.SubCount() == 0) {
        emit Report(m_faces.name + QStringLiteral(": no subtitles to move"));
        return;
    }
    const qint64 wanted = qint64(Offset()) + deltaMs;
    m_faces.panel->ScrOffset->setValue(ClampUserOffset(wanted));
    QString text = CorrectionText(m_faces.name, Offset(), m_track.DurFactor);
    if (Offset() != wanted)
        text += QStringLiteral(" (the limit)");
    emit Report(text);
}

// The rates offered: the common ones, the one the track was read at, and the film's own.
void SubtitleTrackController::fillRates()
{
    QComboBox &combo = *m_faces.panel->CmbRate;
    const QSignalBlocker quiet(&combo);
    combo.clear();
    const bool retimable = CanRetime(m_track);
    combo.setEnabled(retimable);
    if (!retimable) {
        combo.setToolTip(m_track.SubCount() > 0 && m_track.FrameRate == 0
                             ? QStringLiteral("Timed in milliseconds: no frame rate applies")
                             : QString());
        return;
    }
    combo.setToolTip(QStringLiteral("Frames a second the track's frame numbers are read at"));
    std::vector<uint32_t> rates = CommonFrameRates();
    if (std::find(rates.begin(), rates.end(), m_track.FrameRate) == rates.end()) {
        rates.push_back(m_track.FrameRate);
        std::sort(rates.begin(), rates.end());
    }
    for (uint32_t rate : rates)
        combo.addItem(QString::fromStdString(FrameRateText(rate)) + QStringLiteral(" fps"),
                      QVariant::fromValue(rate));
    // The film's rate is looked up when chosen: the film may tell it only after it started.
    const uint32_t filmRate = filmFrameRate();
    combo.addItem(
        filmRate > 0
            ? QStringLiteral("Film's, %1 fps").arg(QString::fromStdString(FrameRateText(filmRate)))
            : QStringLiteral("Film's rate"),
        QVariant::fromValue(kFilmRate));
    combo.setCurrentIndex(combo.findData(QVariant::fromValue(m_track.FrameRate)));
}

uint32_t SubtitleTrackController::filmFrameRate() const
{
    const std::optional<double> film = m_graph.FilmFrameRate();
    return film ? FrameRateFromFps(*film) : 0;
}

void SubtitleTrackController::FilmChanged()
{
    fillRates();
}

void SubtitleTrackController::CmbRateChange(int index)
{
    QComboBox &combo = *m_faces.panel->CmbRate;
    uint32_t rate = combo.itemData(index).toUInt();
    if (rate == kFilmRate) {
        rate = filmFrameRate();
        if (rate == 0) {
            combo.setCurrentIndex(combo.findData(QVariant::fromValue(m_track.FrameRate)));
            emit Report(m_faces.name + QStringLiteral(": the film's frame rate is not known"));
            return;
        }
    }
    if (!CanRetime(m_track) || rate == 0 || rate == m_track.FrameRate) {
        fillRates();
        return;
    }
    RetimeFrames(m_track, rate);
    // New times, new span: the duration starts again from the track's own, the offset stays,
    // and anchors set on the old times no longer hold.
    ResetCorrections(m_track);
    setAnchors({});
    fillRates();
    setUpDuration();
    m_sync.Refresh();
    emit Report(m_faces.name + QStringLiteral(": ") + QString::fromStdString(FrameRateText(rate))
                + QStringLiteral(" frames a second"));
}

} // namespace duvara
