#include "shell/recent_files_menu.h"

#include "controls/playlist.h"
#include "controls/transport.h"
#include "media/error_box.h"
#include "shell/popup_menus.h"
#include "shell/recent_files.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace duvara {

RecentFilesMenu::RecentFilesMenu(const Parts &parts, QWidget *errorParent)
    : QObject(errorParent)
    , m_parts(parts)
    , m_errorParent(errorParent)
{
    m_parts.menu.setToolTipsVisible(true);
    // Filled as it opens: whether each file is still there is seen at that moment.
    connect(&m_parts.menu, &QMenu::aboutToShow, this, &RecentFilesMenu::fillMenu);
    connect(&m_parts.clear, &QAction::triggered, this, &RecentFilesMenu::ClearList);
    connect(&m_parts.transport, &Transport::MediaStarted, this, &RecentFilesMenu::filmStarted);
    fillMenu();
}

void RecentFilesMenu::SetFiles(const QStringList &files)
{
    m_files = files.mid(0, kRecentFilesLimit);
    fillMenu();
}

void RecentFilesMenu::filmStarted()
{
    const int row = m_parts.playlist.PlayIndex();
    const QString film = row >= 0 ? m_parts.playlist.PlaylistPath(row) : QString();
    if (!film.isEmpty() && QFileInfo(film).isFile())
        m_files = WithRecentFile(m_files, film);
}

void RecentFilesMenu::fillMenu()
{
    qDeleteAll(m_items);
    m_items.clear();
    // The films go above the separator that stands before "Clear list".
    const QList<QAction *> actions = m_parts.menu.actions();
    QAction *separator = actions.value(actions.indexOf(&m_parts.clear) - 1, &m_parts.clear);
    for (int index = 0; index < m_files.size(); ++index) {
        const QString film = m_files.at(index);
        auto *item = new QAction(RecentFileCaption(index, m_files), &m_parts.menu);
        item->setToolTip(film);
        SetItemGreyed(item, !QFileInfo::exists(film));
        connect(item, &QAction::triggered, this,
                Guarded(m_errorParent, [this, film] { OpenRecentFile(film); }));
        m_parts.menu.insertAction(separator, item);
        m_items << item;
    }
    m_parts.none.setVisible(m_files.isEmpty());
    m_parts.clear.setEnabled(!m_files.isEmpty());
}

void RecentFilesMenu::OpenRecentFile(const QString &film)
{
    try {
        m_parts.transport.OpenMediaFiles({film});
    } catch (...) {
        // Only a film that is gone leaves the list; one that is there but cannot be opened
        // stays, as the user may still mend it.
        if (!QFileInfo::exists(film)) {
            m_files = WithoutRecentFile(m_files, film);
            fillMenu();
        }
        throw;
    }
}

void RecentFilesMenu::ClearList()
{
    m_files.clear();
    fillMenu();
}

} // namespace duvara
