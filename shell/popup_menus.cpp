#include "shell/popup_menus.h"

#include <QActionGroup>
#include <QHash>

namespace duvara {

namespace {

enum Flag : unsigned {
    None = 0,
    Off = 1,
    Checkable = 2,
    Checked = 4 | Checkable,
    Radio = 8 | Checkable
};

// One row of a menu tree: depth 0 items belong to the menu itself; a row with a deeper depth
// belongs to the closest submenu above it. An empty name is a separator.
struct MenuRow
{
    int depth;
    const char *name;
    const char *caption;
    const char *shortcut;
    unsigned flags;
    bool submenu;
};

constexpr MenuRow kWindowMenu[] = {
    {0, "MnuOpen", "&Open                ", "Ctrl+O", None, false},
    {0, "MnuPlayList", "Play &List", "", None, true},
    {1, "MnuPLAdd", "&Add", "", None, false},
    {1, "MnuPLRemove", "&Remove", "", Off, false},
    {1, "MnuPLClear", "&Clear", "", Off, false},
    {0, "MnuSubtitles", "Sub&titles", "", None, true},
    {1, "MnuPrimary", "&Primary", "", None, true},
    {2, "MnuOpen1", "&Open", "Ctrl+1", None, false},
    {2, "MnuSaveAs1", "&Save As", "", Off, false},
    {2, "MnuClear1", "&Clear", "", Off, false},
    {2, "", "", "", None, false},
    {2, "MnuFont1", "&Font", "", Off, false},
    {1, "MnuSecondary", "&Secondary", "", None, true},
    {2, "MnuOpen2", "&Open", "Ctrl+2", None, false},
    {2, "MnuSaveAs2", "&Save As", "", Off, false},
    {2, "MnuClear2", "&Clear", "", Off, false},
    {2, "", "", "", None, false},
    {2, "MnuFont2", "&Font", "", Off, false},
    {0, "", "", "", None, false},
    {0, "MnuStop", "&Stop", "F2", Off, false},
    {0, "MnuPlay", "&Play", "F3", None, false},
    {0, "MnuPause", "Pa&use", "F4", Off, false},
    {0, "MnuStep", "St&ep", "F5", Off, false},
    {0, "MnuNavigate", "&Navigate", "", Off, true},
    {1, "MnuRew", "Fast &Backward", "Ctrl+B", Off, false},
    {1, "MnuFF", "Fast &Forward", "Ctrl+F", Off, false},
    {1, "", "", "", None, false},
    {1, "MnuGoTo", "&Go To", "Ctrl+G", None, false},
    {1, "", "", "", None, false},
    {1, "MnuPrev", "&Previous", "", Off, false},
    {1, "MnuNext", "&Next", "", Off, false},
    {0, "", "", "", None, false},
    {0, "MnuColor", "&Video settings", "", Off, false},
    {0, "MnuZoom", "&Zoom", "", Off, true},
    {1, "MnuZ100", "&100%", "", Radio | Checked, false},
    {1, "MnuZ200", "&200%", "", Radio, false},
    {1, "MnuZ300", "&300%", "", Radio, false},
    {0, "MnuFile", "File t&ypes", "", None, false},
    {0, "", "", "", None, false},
    {0, "MnuAspect", "&Aspect", "", Off, true},
    {1, "MnuStretched", "&Stretched", "F10", Radio, false},
    {1, "MnuLetterBox", "&Letter Box", "F11", Radio | Checked, false},
    {1, "MnuCrop", "&Crop", "F12", Radio, false},
    {0, "MnuFullscreen", "&Fullscreen", "F6", Off | Checkable, false},
    {0, "MnuMute", "&Mute", "Ctrl+M", None, false},
    {0, "", "", "", None, false},
    {0, "MnuHelp", "&Help", "", None, true},
    {1, "MnuDuvaraHelp", "Duvara &Help", "F1", None, false},
    {1, "", "", "", None, false},
    {1, "MnuAbout", "&About", "Ctrl+A", None, false},
    {1, "MnuNew", "New &Version", "Ctrl+N", None, false},
    {1, "MnuHome", "Home&page", "", None, false},
    {0, "", "", "", None, false},
    {0, "MnuExit", "E&xit", "", None, false},
};

constexpr MenuRow kPlaylistMenu[] = {
    {0, "MnuAdd", "&Add", "Ctrl+Alt+A", None, false},
    {0, "MnuRemove", "&Remove", "Ctrl+Alt+R", None, false},
    {0, "MnuClear", "&Clear", "", None, false},
};

template<std::size_t N> void fillMenu(TRPopupMenu *root, const MenuRow (&rows)[N])
{
    QMenu *levels[4] = {root, nullptr, nullptr, nullptr};
    QHash<QMenu *, QActionGroup *> radioGroups;
    for (const MenuRow &row : rows) {
        QMenu *menu = levels[row.depth];
        const QString name = QString::fromLatin1(row.name);
        if (name.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction *action = nullptr;
        if (row.submenu) {
            QMenu *submenu = menu->addMenu(QString::fromLatin1(row.caption));
            submenu->setObjectName(name + QStringLiteral("Menu"));
            action = submenu->menuAction();
            levels[row.depth + 1] = submenu;
        } else {
            action = menu->addAction(QString::fromLatin1(row.caption));
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        }
        action->setObjectName(name);
        action->setEnabled(!(row.flags & Off));
        action->setCheckable(row.flags & Checkable);
        action->setChecked((row.flags & Checked) == Checked);
        if ((row.flags & Radio) == Radio) {
            QActionGroup *&group = radioGroups[menu];
            if (!group)
                group = new QActionGroup(root);
            group->addAction(action);
        }
    }
}

} // namespace

TRPopupMenu::TRPopupMenu(QWidget *parent)
    : QMenu(parent)
{
    connect(this, &QMenu::aboutToShow, this, &TRPopupMenu::OnPopup);
    connect(this, &QMenu::aboutToHide, this, &TRPopupMenu::OnHide);
}

QAction *TRPopupMenu::item(const QString &name) const
{
    return findChild<QAction *>(name);
}

TRPopupMenu *CreateWindowMenu(QWidget *parent)
{
    auto *menu = new TRPopupMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    fillMenu(menu, kWindowMenu);
    return menu;
}

TRPopupMenu *CreatePlaylistMenu(QWidget *parent)
{
    auto *menu = new TRPopupMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu2"));
    fillMenu(menu, kPlaylistMenu);
    return menu;
}

} // namespace duvara
