#include "controls/rlistview.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace duvara {

namespace {

class HideSelectionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain(option);
        const auto *view = qobject_cast<const RListView *>(parent());
        if (view && view->HideSelection() && !view->hasFocus())
            plain.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

} // namespace

void SetUpReportView(QTreeView &view)
{
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

RListView::RListView(QWidget *parent)
    : QTreeWidget(parent)
{
    SetUpReportView(*this);
    // Scroll bar actions come from the user only; setValue and scrollTo raise none.
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &RListView::OnHScroll);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &RListView::OnVScroll);
}

void RListView::SetHideSelection(bool hide)
{
    m_hideSelection = hide;
    if (hide && !dynamic_cast<HideSelectionDelegate *>(itemDelegate()))
        setItemDelegate(new HideSelectionDelegate(this));
    viewport()->update();
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

void RListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (OnDragOver)
        event->acceptProposedAction();
    else
        event->ignore();
}

void RListView::dragMoveEvent(QDragMoveEvent *event)
{
    const bool accepted = OnDragOver && OnDragOver(event->source(), event->position().toPoint());
    event->setAccepted(accepted);
}

void RListView::dropEvent(QDropEvent *event)
{
    if (!OnDragDrop || !OnDragOver || !OnDragOver(event->source(), event->position().toPoint())) {
        event->ignore();
        return;
    }
    OnDragDrop(event->source(), event->position().toPoint());
    // A copy action keeps the view from deleting the dragged row after the drop.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace duvara
