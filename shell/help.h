// The help pages shipped with the player, opened in the user's web browser at the topic of the
// window or command that asked, and the home page.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWidget;

namespace duvara {

// The help contexts of the player's windows and commands.
enum HelpContext : int {
    kHelpContents = 0, // the default topic
    kHelpButtons = 100, // the help and new-version buttons
    kHelpMainWindow = 400,
    kHelpCommands = 500, // the window menu's items and the go-to dialog
    kHelpRemote = 600,
};

// The contexts that have a topic, in the order of the contents.
const QList<int> &HelpContexts();

// The page of a context's topic ("index.html" for a context without one of its own) and the
// anchor on it ("context-<n>").
QString HelpPageName(int context);
QString HelpAnchor(int context);

// Where the pages are looked for, for a program in `programFolder`: beside it (the build tree,
// an unpacked archive), then in the shared data folder of an installed layout.
QStringList HelpFolders(const QString &programFolder);

// The address of a context's topic in the first of `folders` that holds its page; when none does,
// an empty address and the message that says where the pages were looked for.
struct HelpTopic
{
    QUrl url;
    QString error;
};
HelpTopic FindHelpTopic(const QStringList &folders, int context);

// The home page, as the build configured it.
QUrl HomePageUrl();

class Help : public QObject
{
    Q_OBJECT
public:
    // Hands an address to the program that shows it; false when there is none.
    using UrlOpener = std::function<bool(const QUrl &)>;

    // Messages go over the active window, else over `window`.
    explicit Help(QWidget *window);

    void setUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }
    void setFolders(const QStringList &folders) { m_folders = folders; }

    // Opens the topic of `context`; says so when the pages are missing or nothing can show them.
    void ShowHelp(int context);
    // Opens the home page; a failure is not reported.
    void ShowHomePage();

    // F1 in `window` opens the topic of `context`. A modal dialog keeps its keys from the main
    // window's shortcuts, so each dialog gets a key of its own.
    void AddHelpKey(QWidget *window, int context);

private:
    QWidget *messageParent() const;

    QPointer<QWidget> m_window;
    QStringList m_folders;
    UrlOpener m_opener;
};

} // namespace duvara
