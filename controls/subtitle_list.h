// The rows of a subtitle track's list: number, corrected time range and text of each entry, as
// a model over the track (no item per entry: a track of millions of entries lists at once), and
// the view that shows them over the picture.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace duvara {

struct SubtitleTrack;
struct TSubT;

// The number column: 1-based, at least four digits.
QString SubtitleRowNumber(std::size_t index);

// The time column: the entry's corrected start and end; a time below 0 shows as 0.
QString SubtitleRowTimes(const TSubT &entry, float factor, int32_t shift);

// The list's rows, read from the track when the view asks for them. The track belongs to its
// owner, who tells the model when its entries or corrections change.
class SubtitleRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // True for the rows the user anchored (see SetAnchoredRows).
    static constexpr int AnchorRole = Qt::UserRole + 1;

    SubtitleRowsModel(const SubtitleTrack &track, QObject *parent = nullptr);

    // The track's entries were replaced or removed.
    void TrackChanged();
    // The time column follows new corrections.
    void SetCorrections(int32_t shift, float factor);
    // The text column reads text that is not UTF-8 in this character set.
    void SetCharset(int charset);
    // The rows that carry an anchor; the rest lose theirs.
    void SetAnchoredRows(std::vector<int> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const SubtitleTrack &m_track;
    int m_rows = 0; // what the view was last told
    int32_t m_shift = 0;
    float m_factor = 1.0f;
    int m_charset; // DefaultCharset until the track's font says otherwise
    std::vector<int> m_anchored; // at most a few rows
};

// A track's list over the picture. It tells when the user scrolled it (not when the program
// did), when a key was released in it, and of any double click in it, on a row or below them.
class SubtitleListView : public QTreeView
{
    Q_OBJECT
public:
    explicit SubtitleListView(QWidget *parent = nullptr);

    // The columns' widths, kept for whichever model the view gets.
    void SetColumnWidths(const QList<int> &widths);
    void setModel(QAbstractItemModel *model) override;

signals:
    void OnVScroll();
    void OnKeyUp(int key);
    void OnDblClick();

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QList<int> m_widths;
};

// Draws the selected row white and bold and every other row yellow, over the list's black; an
// anchored row has a mark before its number and shows cyan.
class SubtitleRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace duvara
