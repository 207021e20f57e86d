#pragma once

#include <QTreeWidget>

namespace duvara {

// A report-style list (rows and columns, no tree) that tells when it was scrolled and whose
// scroll bars can be switched off.
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
    void OnHScroll();
    void OnVScroll();

protected:
    void scrollContentsBy(int dx, int dy) override;

private:
    bool m_allowHScroll = true;
    bool m_allowVScroll = true;
};

} // namespace duvara
