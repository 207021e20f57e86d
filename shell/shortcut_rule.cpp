#include "shell/shortcut_rule.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace duvara {

ShortcutRule::ShortcutRule(QObject *parent)
    : QObject(parent)
{ }

void ShortcutRule::AddMenu(QMenu *menu)
{
    addItems(menu, {});
}

void ShortcutRule::addItems(QMenu *menu, const QList<QPointer<QAction>> &above)
{
    for (QAction *action : menu->actions()) {
        if (QMenu *submenu = action->menu()) {
            QList<QPointer<QAction>> deeper {action};
            deeper << above;
            addItems(submenu, deeper);
        } else if (!action->shortcuts().isEmpty()) {
            m_items.append(Item {action, above});
        }
    }
}

bool ShortcutRule::underClosedSubmenu(const Item &item)
{
    return std::any_of(
        item.submenus.begin(), item.submenus.end(),
        [](const QPointer<QAction> &submenu) { return submenu && !submenu->isEnabled(); });
}

QAction *ShortcutRule::WithheldItem(QKeyCombination key) const
{
    const QKeySequence pressed(key);
    for (const Item &item : m_items) {
        if (item.action && item.action->shortcuts().contains(pressed) && underClosedSubmenu(item))
            return item.action;
    }
    return nullptr;
}

QAction *ShortcutRule::ActingItem(QKeyCombination key, const QWidget *focus) const
{
    const QKeySequence pressed(key);
    for (const Item &item : m_items) {
        QAction *action = item.action;
        // Keys bound to one control (the playlist's) are that control's business.
        if (!action || !action->isEnabled() || action->shortcutContext() != Qt::WindowShortcut
            || !action->shortcuts().contains(pressed) || underClosedSubmenu(item))
            continue;
        for (QObject *holder : action->associatedObjects()) {
            const auto *window = qobject_cast<QWidget *>(holder);
            if (window && !qobject_cast<QMenu *>(holder) && window->window() == focus->window())
                return action;
        }
    }
    return nullptr;
}

bool ShortcutRule::eventFilter(QObject *watched, QEvent *event)
{
    // Before it looks for a shortcut, Qt offers the key to the focused control. Taking the
    // offer on its behalf keeps the key from the shortcut and delivers it as a plain key
    // press; keeping the offer from the control leaves the key to the shortcut.
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (WithheldItem(key->keyCombination())) {
        key->accept();
        return true;
    }
    const auto *focus = qobject_cast<QWidget *>(watched);
    if (focus && ActingItem(key->keyCombination(), focus)) {
        key->ignore();
        return true;
    }
    return false;
}

} // namespace duvara
