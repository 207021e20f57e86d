#pragma once

#include <QTreeWidget>

namespace duvara {

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

signals:
    // Scrolling by the user (scroll bars, wheel), not scrolling the program asks for: a list
    // that follows playback must not take it for the user's.
    void OnHScroll();
    void OnVScroll();
    void OnKeyUp(int key);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool m_allowHScroll = true;
    bool m_allowVScroll = true;
};

} // namespace duvara
