#include "shell/popup_menus.h"

#include "shell/menu_icons.h"
#include "shell/menu_style.h"

#include <QActionGroup>
#include <QHash>
#include <QStyleOptionMenuItem>

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
    MenuImage image;
};

constexpr MenuRow kWindowMenu[] = {
    {0, "MnuOpen", "&Open                ", "Ctrl+O", None, false, MenuImage::Open},
    // The films themselves are put in before the separator each time the submenu opens.
    {0, "MnuRecent", "Re&cent films", "", None, true, MenuImage::None},
    {1, "MnuRecentNone", "(none)", "", Off, false, MenuImage::None},
    {1, "", "", "", None, false, MenuImage::None},
    {1, "MnuRecentClear", "&Clear list", "", Off, false, MenuImage::ClearPlaylist},
    {0, "MnuPlayList", "Play &List", "", None, true, MenuImage::None},
    {1, "MnuPLAdd", "&Add", "", None, false, MenuImage::AddToPlaylist},
    {1, "MnuPLRemove", "&Remove", "", Off, false, MenuImage::RemoveFromPlaylist},
    {1, "MnuPLClear", "&Clear", "", Off, false, MenuImage::ClearPlaylist},
    {0, "MnuSubtitles", "Sub&titles", "", None, true, MenuImage::None},
    {1, "MnuPrimary", "&Primary", "", None, true, MenuImage::None},
    {2, "MnuOpen1", "&Open", "Ctrl+1", None, false, MenuImage::OpenSubtitles},
    {2, "MnuSaveAs1", "&Save As", "", Off, false, MenuImage::SaveSubtitles},
    {2, "MnuClear1", "&Clear", "", Off, false, MenuImage::ClearSubtitles},
    {2, "", "", "", None, false, MenuImage::None},
    {2, "MnuFont1", "&Font", "", Off, false, MenuImage::Font},
    {1, "MnuSecondary", "&Secondary", "", None, true, MenuImage::None},
    {2, "MnuOpen2", "&Open", "Ctrl+2", None, false, MenuImage::OpenSubtitles},
    {2, "MnuSaveAs2", "&Save As", "", Off, false, MenuImage::SaveSubtitles},
    {2, "MnuClear2", "&Clear", "", Off, false, MenuImage::ClearSubtitles},
    {2, "", "", "", None, false, MenuImage::None},
    {2, "MnuFont2", "&Font", "", Off, false, MenuImage::Font},
    {0, "", "", "", None, false, MenuImage::None},
    {0, "MnuStop", "&Stop", "F2", Off, false, MenuImage::Stop},
    {0, "MnuPlay", "&Play", "F3", None, false, MenuImage::Play},
    {0, "MnuPause", "Pa&use", "F4", Off, false, MenuImage::Pause},
    {0, "MnuStep", "St&ep", "F5", Off, false, MenuImage::Step},
    {0, "MnuNavigate", "&Navigate", "", Off, true, MenuImage::None},
    {1, "MnuRew", "Fast &Backward", "Ctrl+B", Off, false, MenuImage::FastBackward},
    {1, "MnuFF", "Fast &Forward", "Ctrl+F", Off, false, MenuImage::FastForward},
    {1, "", "", "", None, false, MenuImage::None},
    {1, "MnuGoTo", "&Go To", "Ctrl+G", None, false, MenuImage::GoTo},
    {1, "", "", "", None, false, MenuImage::None},
    {1, "MnuPrev", "&Previous", "", Off, false, MenuImage::Previous},
    {1, "MnuNext", "&Next", "", Off, false, MenuImage::Next},
    {0, "", "", "", None, false, MenuImage::None},
    {0, "MnuColor", "&Video settings", "", Off, false, MenuImage::None},
    {0, "MnuZoom", "&Zoom", "", Off, true, MenuImage::None},
    {1, "MnuZ100", "&100%", "", Radio | Checked, false, MenuImage::None},
    {1, "MnuZ200", "&200%", "", Radio, false, MenuImage::None},
    {1, "MnuZ300", "&300%", "", Radio, false, MenuImage::None},
    {0, "MnuFile", "File t&ypes", "", None, false, MenuImage::None},
    {0, "", "", "", None, false, MenuImage::None},
    {0, "MnuAspect", "&Aspect", "", Off, true, MenuImage::None},
    {1, "MnuStretched", "&Stretched", "F10", Radio, false, MenuImage::None},
    {1, "MnuLetterBox", "&Letter Box", "F11", Radio | Checked, false, MenuImage::None},
    {1, "MnuCrop", "&Crop", "F12", Radio, false, MenuImage::None},
    {0, "MnuSubLayout", "Su&btitle layout", "", None, true, MenuImage::None},
    {1, "MnuLayoutTop", "Secondary at the &top", "", Radio | Checked, false, MenuImage::None},
    {1, "MnuLayoutBottom", "Both at the &bottom", "", Radio, false, MenuImage::None},
    {0, "MnuRemember", "&Remember subtitles per film", "", Checked, false, MenuImage::None},
    {0, "MnuAutoLoad", "Fin&d subtitles automatically", "", Checked, false, MenuImage::None},
    {0, "MnuFullscreen", "&Fullscreen", "F6", Off | Checkable, false, MenuImage::None},
    {0, "MnuMute", "&Mute", "Ctrl+M", None, false, MenuImage::SoundOn},
    {0, "", "", "", None, false, MenuImage::None},
    {0, "MnuHelp", "&Help", "", None, true, MenuImage::None},
    {1, "MnuDuvaraHelp", "Duvara &Help", "F1", None, false, MenuImage::Help},
    {1, "", "", "", None, false, MenuImage::None},
    {1, "MnuAbout", "&About", "Ctrl+A", None, false, MenuImage::About},
    {1, "MnuNew", "New &Version", "Ctrl+N", None, false, MenuImage::None},
    {1, "MnuHome", "Home&page", "", None, false, MenuImage::None},
    {0, "", "", "", None, false, MenuImage::None},
    {0, "MnuExit", "E&xit", "", None, false, MenuImage::Exit},
};

constexpr MenuRow kPlaylistMenu[] = {
    {0, "MnuAdd", "&Add", "Ctrl+Alt+A", None, false, MenuImage::AddToPlaylist},
    {0, "MnuRemove", "&Remove", "Ctrl+Alt+R", None, false, MenuImage::RemoveFromPlaylist},
    {0, "MnuClear", "&Clear", "", None, false, MenuImage::ClearPlaylist},
};

const char kGreyed[] = "duvaraGreyed";

// Shows items marked greyed as disabled ones, while they can still be chosen.
class SubMenu : public QMenu
{
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override
    {
        QMenu::initStyleOption(option, action);
        if (ItemGreyed(action))
            option->state &= ~QStyle::State_Enabled;
    }
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
            QMenu *submenu = new SubMenu(QString::fromLatin1(row.caption), menu);
            menu->addMenu(submenu);
            submenu->setObjectName(name + QStringLiteral("Menu"));
            action = submenu->menuAction();
            levels[row.depth + 1] = submenu;
        } else {
            action = menu->addAction(QString::fromLatin1(row.caption));
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        }
        action->setObjectName(name);
        action->setIcon(MenuIcon(row.image));
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

void SetItemGreyed(QAction *item, bool greyed)
{
    item->setProperty(kGreyed, greyed);
}

bool ItemGreyed(const QAction *item)
{
    return item && item->property(kGreyed).toBool();
}

TRPopupMenu::TRPopupMenu(QWidget *parent)
    : QMenu(parent)
{
    connect(this, &QMenu::aboutToShow, this, &TRPopupMenu::OnPopup);
}

void TRPopupMenu::hideEvent(QHideEvent *event)
{
    // aboutToHide comes while the menu is still on screen; this comes once it is gone, before
    // a chosen item's command runs.
    QMenu::hideEvent(event);
    // A hide the window system reports (the menu is still open to Qt) is not a close.
    if (!isVisible())
        emit OnHide();
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
    ApplyMenuLook(menu);
    return menu;
}

TRPopupMenu *CreatePlaylistMenu(QWidget *parent)
{
    auto *menu = new TRPopupMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu2"));
    fillMenu(menu, kPlaylistMenu);
    ApplyMenuLook(menu);
    return menu;
}

} // namespace duvara
