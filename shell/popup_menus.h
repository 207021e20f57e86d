#pragma once

#include <QMenu>

class QAction;
class QActionGroup;

namespace duvara {

// A popup menu that also tells when it has closed (whether or not an item was chosen).
class TRPopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TRPopupMenu(QWidget *parent = nullptr);

    // The item (or submenu item) with this object name, or nullptr.
    QAction *item(const QString &name) const;

signals:
    void OnPopup();
    void OnHide();

protected:
    void hideEvent(QHideEvent *event) override;
};

// An item of a submenu can look disabled while it can still be chosen: a recent film whose
// file is gone says so when chosen.
void SetItemGreyed(QAction *item, bool greyed);
bool ItemGreyed(const QAction *item);

// The window menu of the main window, the video window and the remote window.
TRPopupMenu *CreateWindowMenu(QWidget *parent);

// The playlist's menu.
TRPopupMenu *CreatePlaylistMenu(QWidget *parent);

} // namespace duvara
