#include "controls/rlistview.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace duvara {

RListView::RListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Scroll bar actions come from the user only; setValue and scrollTo raise none.
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &RListView::OnHScroll);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &RListView::OnVScroll);
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

void RListView::keyReleaseEvent(QKeyEvent *event)
{
    QTreeWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit OnKeyUp(event->key());
}

} // namespace duvara
