// The window menu's "Recent films": every film that starts playing goes to the top of the list;
// choosing one opens it as Open does. A film whose file is gone is greyed when the menu opens
// and leaves the list when it is chosen, with the message a missing film always gets.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

namespace duvara {

class Playlist;
class Transport;

class RecentFilesMenu : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        Transport &transport;
        Playlist &playlist;
        QMenu &menu; // the submenu; it holds the "(none)" item, a separator and "Clear list"
        QAction &none;
        QAction &clear;
    };
    RecentFilesMenu(const Parts &parts, QWidget *errorParent);

    const QStringList &Files() const { return m_files; }
    // The list as the settings file kept it.
    void SetFiles(const QStringList &files);

    // Opens a listed film; one whose file is gone leaves the list, and the error says why.
    void OpenRecentFile(const QString &film);
    void ClearList();

private:
    void filmStarted();
    void fillMenu();

    Parts m_parts;
    QWidget *m_errorParent;
    QStringList m_files;
    QList<QAction *> m_items;
};

} // namespace duvara
