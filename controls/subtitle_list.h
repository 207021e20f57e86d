// The rows of a subtitle track's list: number, corrected time range and text of each entry.
#pragma once

#include <QStyledItemDelegate>

#include <cstddef>
#include <cstdint>

class QTreeWidget;

namespace duvara {

struct SubtitleTrack;
struct TSubT;

// The number column: 1-based, at least four digits.
QString SubtitleRowNumber(std::size_t index);

// The time column: the entry's corrected start and end; a time below 0 shows as 0.
QString SubtitleRowTimes(const TSubT &entry, float factor, int32_t shift);

// Fills an empty list with one row per entry, or rewrites only the time column of a list that
// already has its rows. An empty track leaves the list as it is. `charset` decodes texts that
// are not UTF-8.
void FillSubtitleRows(QTreeWidget &list, const SubtitleTrack &track, int32_t shift, float factor,
                      int charset);

// Draws the selected row white and bold and every other row yellow, over the list's black.
class SubtitleRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace duvara
