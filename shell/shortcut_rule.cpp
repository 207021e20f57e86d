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

QAction *ShortcutRule::WithheldItem(QKeyCombination key) const
{
    const QKeySequence pressed(key);
    for (const Item &item : m_items) {
        if (!item.action || !item.action->shortcuts().contains(pressed))
            continue;
        const bool closed = std::any_of(
            item.submenus.begin(), item.submenus.end(),
            [](const QPointer<QAction> &submenu) { return submenu && !submenu->isEnabled(); });
        if (closed)
            return item.action;
    }
    return nullptr;
}

bool ShortcutRule::eventFilter(QObject *, QEvent *event)
{
    // Before it looks for a shortcut, Qt offers the key to the focused control. Taking the
    // offer on its behalf keeps the key from the shortcut and delivers it as a plain key press.
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (!WithheldItem(key->keyCombination()))
        return false;
    key->accept();
    return true;
}

} // namespace duvara
