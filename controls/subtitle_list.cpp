#include "controls/subtitle_list.h"

#include "controls/rlistview.h"
#include "presentation/subtitle_text.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/time_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace duvara {

namespace {
enum Column { NumberColumn, TimeColumn, TextColumn, ColumnCount };
} // namespace

QString SubtitleRowNumber(std::size_t index)
{
    return QString::fromStdString(ListEntryNumber(index + 1));
}

QString SubtitleRowTimes(const TSubT &entry, float factor, int32_t shift)
{
    return QString::fromStdString(ListRowTimes(entry, factor, shift));
}

SubtitleRowsModel::SubtitleRowsModel(const SubtitleTrack &track, QObject *parent)
    : QAbstractTableModel(parent)
    , m_track(track)
    , m_rows(track.SubCount())
    , m_charset(DefaultCharset)
{ }

void SubtitleRowsModel::TrackChanged()
{
    beginResetModel();
    m_rows = m_track.SubCount();
    endResetModel();
}

void SubtitleRowsModel::SetCorrections(int32_t shift, float factor)
{
    m_shift = shift;
    m_factor = factor;
    if (m_rows > 0)
        emit dataChanged(index(0, TimeColumn), index(m_rows - 1, TimeColumn), {Qt::DisplayRole});
}

void SubtitleRowsModel::SetCharset(int charset)
{
    if (charset == m_charset)
        return;
    m_charset = charset;
    if (m_rows > 0)
        emit dataChanged(index(0, TextColumn), index(m_rows - 1, TextColumn), {Qt::DisplayRole});
}

void SubtitleRowsModel::SetAnchoredRows(std::vector<int> rows)
{
    std::vector<int> touched = m_anchored;
    m_anchored = std::move(rows);
    touched.insert(touched.end(), m_anchored.begin(), m_anchored.end());
    for (int row : touched)
        if (row >= 0 && row < m_rows)
            emit dataChanged(index(row, NumberColumn), index(row, TextColumn), {AnchorRole});
}

int SubtitleRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SubtitleRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SubtitleRowsModel::data(const QModelIndex &index, int role) const
{
    // The model may be asked between the track's change and its notice: rows it no longer has
    // are empty.
    if (!index.isValid() || index.row() >= m_track.SubCount())
        return {};
    if (role == AnchorRole)
        return std::find(m_anchored.begin(), m_anchored.end(), index.row()) != m_anchored.end();
    if (role != Qt::DisplayRole)
        return {};
    const auto row = std::size_t(index.row());
    switch (index.column()) {
    case NumberColumn:
        return SubtitleRowNumber(row);
    case TimeColumn:
        return SubtitleRowTimes(m_track.Subs[row], m_factor, m_shift);
    case TextColumn:
        return DecodeSubtitlePrefix(m_track.ListText[row], m_charset, kListTextLimit);
    default:
        return {};
    }
}

SubtitleListView::SubtitleListView(QWidget *parent)
    : QTreeView(parent)
{
    SetUpReportView(*this);
    // Scroll bar actions come from the user only; setValue and scrollTo raise none.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &SubtitleListView::OnVScroll);
}

void SubtitleListView::SetColumnWidths(const QList<int> &widths)
{
    m_widths = widths;
    for (int column = 0; column < m_widths.size(); ++column)
        header()->resizeSection(column, m_widths.at(column));
}

void SubtitleListView::setModel(QAbstractItemModel *model)
{
    QTreeView::setModel(model);
    SetColumnWidths(m_widths);
}

void SubtitleListView::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit OnKeyUp(event->key());
}

void SubtitleListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit OnDblClick();
}

void SubtitleRowDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = option->state & QStyle::State_Selected;
    option->font.setBold(selected);
    const bool anchored = index.data(SubtitleRowsModel::AnchorRole).toBool();
    if (anchored && index.column() == NumberColumn)
        option->text = QStringLiteral("\u25C6 ") + option->text;
    const QColor colour
        = selected ? QColor(Qt::white) : (anchored ? QColor(Qt::cyan) : QColor(Qt::yellow));
    option->palette.setColor(QPalette::Text, colour);
    option->palette.setColor(QPalette::HighlightedText, colour);
}

} // namespace duvara
