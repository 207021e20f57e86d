// Keeps the position slider, the time texts and both subtitle tracks in step with playback.
#include "shell/main_window.h"

#include "controls/rlistview.h"
#include "controls/track_panel.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "presentation/color_ref.h"
#include "presentation/gradient_panel.h"
#include "presentation/osd_display.h"
#include "presentation/osd_label.h"
#include "presentation/position_text.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_text.h"
#include "shell/error_box.h"
#include "subtitles/corrections.h"

#include <QLabel>
#include <QScrollBar>
#include <QSlider>

namespace duvara {

void TFormVDMain::wireSynchronisation()
{
    TDSTrackBar *bar = TabVideo->SldDS;
    connect(bar, &QSlider::valueChanged, this, &TFormVDMain::SldDSChange);
    connect(bar, &TDSTrackBar::OnTimer, this, &TFormVDMain::SldDSTimer);
    connect(SldPos, &QSlider::valueChanged, this,
            [this] { RunGuarded(this, [this] { SldPosChange(true); }); });
}

void TFormVDMain::SldDSTimer(quint32 current, quint32 duration)
{
    TDSTrackBar *bar = TabVideo->SldDS;
    SldPos->setEnabled(true);
    if (bar->maximum() == 0)
        bar->setMaximum(1);
    SldPos->setMaximum(bar->maximum() * 100);
    if (DurationText.isEmpty()) {
        if (MediaDuration == 0)
            MediaDuration = qint64(duration) * 10000;
        DurationText = PositionText(MediaDuration / 10000000);
    }
    const QString time = PositionText(current / 1000);
    Osd->SetTimeText(time);
    LblPos->setText(time + QStringLiteral(" / ") + DurationText);
}

void TFormVDMain::SldDSChange()
{
    SldPos->setValue(TabVideo->SldDS->value() * 100);
}

void TFormVDMain::SldPosChange(bool fromSlider)
{
    TDSTrackBar *bar = TabVideo->SldDS;
    if (fromSlider)
        bar->setValue(RoundHalfEven(SldPos->value() / 100.0));
    if (FilterGraph.PlayState() == PlayState::psPaused)
        SldDSTimer(static_cast<quint32>(SldPos->value()),
                   static_cast<quint32>(RoundHalfEven(MediaDuration / 10000.0)));

    const qint64 position = SldPos->value();
    showEntryAt(Track1, *Panel1, *LblSub1, *LstSubt1, position);
    showEntryAt(Track2, *Panel2, *LblSub2, *LstSubt2, position);
}

void TFormVDMain::showEntryAt(SubtitleTrack &track, const TrackPanel &panel, RSubtitleLabel &label,
                              RListView &list, qint64 position)
{
    const int count = track.SubCount();
    const int k = count == 0
        ? 0
        : FindEntryAt(track, LookupOffset(panel.ScrOffset->value(), track.BaseTime), position,
                      track.DurFactor);
    if (k < 1) {
        if (!label.TextCaption().isEmpty())
            label.SetTextCaption(QString());
    } else {
        const TSubT &entry = track.Subs[std::size_t(k - 1)];
        const QString text = DecodeSubtitleText(entry.Text, DefaultCharset);
        if (label.TextCaption() != text) {
            label.SetFontColor(entry.Color < 0 ? QColor(Qt::white)
                                               : colorFromRef(std::uint32_t(entry.Color)));
            QFont font = label.font();
            font.setBold(entry.Style & StyleBold);
            font.setItalic(entry.Style & StyleItalic);
            font.setUnderline(entry.Style & StyleUnderline);
            label.setFont(font);
            label.SetTextCaption(text);
            if (k < count && !VideoCovered)
                label.SetTextNextCaption(
                    DecodeSubtitleText(track.Subs[std::size_t(k)].Text, DefaultCharset));
            track.LastIndex = static_cast<std::uint16_t>(k);
        }
    }

    // The list follows too, unless the user is working in it.
    const int row = std::abs(k);
    if (list.isVisible() && !list.hasFocus() && row > 0 && row <= count
        && row <= list.topLevelItemCount()) {
        QTreeWidgetItem *item = list.topLevelItem(row - 1);
        list.setCurrentItem(item);
        // Row tops are relative to the first visible row; the list scrolls by pixels.
        QScrollBar *scroll = list.verticalScrollBar();
        scroll->setValue(scroll->value() + list.visualItemRect(item).top() - 100);
    }
}

} // namespace duvara
