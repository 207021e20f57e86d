// A menu item's shortcut acts only while the item and every submenu above it are enabled, and
// then whatever control has the focus in a window that holds the menu.
//
// Qt asks only whether the item itself is enabled, so this gate stands before it: a key that
// matches the shortcut of an item under a disabled submenu is held back from the shortcuts and
// goes on to the control that has the focus, as if the item had no shortcut. The item keeps
// its shortcut, so the menu still shows the key. And a text field may not claim a key that is
// an acting item's (Ctrl+A would select its text instead of opening About).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyCombination;
class QMenu;
class QWidget;

namespace duvara {

class ShortcutRule : public QObject
{
    Q_OBJECT
public:
    explicit ShortcutRule(QObject *parent = nullptr);

    // Watches the items of the menu and of all its submenus. The rule acts once it is an
    // event filter of the application.
    void AddMenu(QMenu *menu);

    // The item whose shortcut is this key but that may not act now, or nullptr.
    QAction *WithheldItem(QKeyCombination key) const;
    // The item whose shortcut is this key and that acts now in the window of `focus`, or
    // nullptr.
    QAction *ActingItem(QKeyCombination key, const QWidget *focus) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Item
    {
        QPointer<QAction> action;
        // The submenus it lies under, nearest first.
        QList<QPointer<QAction>> submenus;
    };
    void addItems(QMenu *menu, const QList<QPointer<QAction>> &above);
    static bool underClosedSubmenu(const Item &item);

    QList<Item> m_items;
};

} // namespace duvara
