#include "controls/subtitle_list.h"

#include "presentation/subtitle_text.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"

#include <QSignalBlocker>
#include <QTreeWidget>

namespace duvara {

namespace {

constexpr int kTimeColumn = 1;

} // namespace

QString SubtitleRowNumber(std::size_t index)
{
    return QString::fromStdString(ListEntryNumber(index + 1));
}

QString SubtitleRowTimes(const TSubT &entry, float factor, int32_t shift)
{
    return QString::fromStdString(ListRowTimes(entry, factor, shift));
}

void FillSubtitleRows(QTreeWidget &list, const SubtitleTrack &track, int32_t shift, float factor,
                      int charset)
{
    const std::size_t count = track.Subs.size();
    if (count == 0)
        return;
    const auto existing = std::size_t(list.topLevelItemCount());
    if (existing < count) {
        // Built apart and handed over at once: inserting rows one by one into a shown list
        // costs a view update each.
        QList<QTreeWidgetItem *> rows;
        rows.reserve(qsizetype(count - existing));
        for (std::size_t i = existing; i < count; ++i)
            rows.append(new QTreeWidgetItem(
                QStringList {SubtitleRowNumber(i), SubtitleRowTimes(track.Subs[i], factor, shift),
                             DecodeSubtitleText(track.ListText[i], charset)}));
        list.addTopLevelItems(rows);
    }
    // One repaint for the whole column instead of a change notice per row.
    {
        const QSignalBlocker quiet(list.model());
        for (std::size_t i = 0; i < std::min(existing, count); ++i)
            list.topLevelItem(int(i))->setText(kTimeColumn,
                                               SubtitleRowTimes(track.Subs[i], factor, shift));
    }
    list.viewport()->update();
}

void SubtitleRowDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = option->state & QStyle::State_Selected;
    option->font.setBold(selected);
    const QColor colour = selected ? QColor(Qt::white) : QColor(Qt::yellow);
    option->palette.setColor(QPalette::Text, colour);
    option->palette.setColor(QPalette::HighlightedText, colour);
}

} // namespace duvara
