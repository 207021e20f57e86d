#include "controls/rlistview.h"

namespace duvara {

RListView::RListView(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void RListView::SetAllowHScroll(bool allow)
{
    m_allowHScroll = allow;
    setHorizontalScrollBarPolicy(allow ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void RListView::SetAllowVScroll(bool allow)
{
    m_allowVScroll = allow;
    setVerticalScrollBarPolicy(allow ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void RListView::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    if (dx != 0)
        emit OnHScroll();
    if (dy != 0)
        emit OnVScroll();
}

} // namespace duvara
