#pragma once

#include <QTreeWidget>

#include <functional>

namespace duvara {

// Sets a tree view up as a report: rows and columns, no tree, whole rows selected one at a
// time, nothing edited in place.
void SetUpReportView(QTreeView &view);

// A report-style list (rows and columns, no tree) that tells when the user scrolled it and
// when a key was released in it, and whose scroll bars can be switched off.
class RListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit RListView(QWidget *parent = nullptr);

    bool AllowHScroll() const { return m_allowHScroll; }
    void SetAllowHScroll(bool allow);
    bool AllowVScroll() const { return m_allowVScroll; }
    void SetAllowVScroll(bool allow);
    // The selected row shows as selected only while the list has the keyboard focus; otherwise
    // it keeps its own colours.
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool hide);

    // Dragging rows within the list. The owner decides: OnDragOver tells whether a drop at the
    // point would be taken, OnDragDrop makes it. Without them the list takes no drops. The list
    // never removes the dragged row itself; the owner's drop does what a move means.
    std::function<bool(QObject *source, const QPoint &position)> OnDragOver;
    std::function<void(QObject *source, const QPoint &position)> OnDragDrop;

signals:
    // Scrolling by the user (scroll bars, wheel), not scrolling the program asks for: a list
    // that follows playback must not take it for the user's.
    void OnHScroll();
    void OnVScroll();
    void OnKeyUp(int key);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool m_allowHScroll = true;
    bool m_allowVScroll = true;
    bool m_hideSelection = false;
};

} // namespace duvara
