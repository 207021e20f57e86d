#include "shell/help.h"

#include "media/error_box.h"
#include "shell/shell_logging.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <array>

#ifndef DUVARA_HOME_URL
#error "DUVARA_HOME_URL comes from the build configuration"
#endif

namespace duvara {

namespace {

struct TopicPage
{
    int context;
    const char *page;
};

// Every context has a page of its own rather than an anchor on one page: some launchers hand
// a file address to the browser without its fragment, and the right page still opens.
constexpr std::array<TopicPage, 5> kTopicPages {{
    {kHelpContents, "index.html"},
    {kHelpButtons, "help-and-updates.html"},
    {kHelpMainWindow, "main-window.html"},
    {kHelpCommands, "menu.html"},
    {kHelpRemote, "remote.html"},
}};

} // namespace

const QList<int> &HelpContexts()
{
    static const QList<int> contexts = [] {
        QList<int> all;
        for (const TopicPage &topic : kTopicPages)
            all << topic.context;
        return all;
    }();
    return contexts;
}

QString HelpPageName(int context)
{
    for (const TopicPage &topic : kTopicPages)
        if (topic.context == context)
            return QString::fromLatin1(topic.page);
    return QString::fromLatin1(kTopicPages.front().page);
}

QString HelpAnchor(int context)
{
    return QStringLiteral("context-%1").arg(HelpContexts().contains(context) ? context : 0);
}

QStringList HelpFolders(const QString &programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(program.filePath(QStringLiteral("help"))),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/duvara/help")))};
}

HelpTopic FindHelpTopic(const QStringList &folders, int context)
{
    const QString page = HelpPageName(context);
    for (const QString &folder : folders) {
        const QFileInfo file(QDir(folder).filePath(page));
        if (!file.isFile() || !file.isReadable())
            continue;
        QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
        url.setFragment(HelpAnchor(context));
        return {url, QString()};
    }
    QStringList where;
    for (const QString &folder : folders)
        where << QDir::toNativeSeparators(folder);
    return {QUrl(),
            QStringLiteral("The help pages were not found in %1")
                .arg(where.isEmpty() ? QStringLiteral("any folder")
                                     : where.join(QStringLiteral(" or ")))};
}

QUrl HomePageUrl()
{
    return QUrl(QStringLiteral(DUVARA_HOME_URL), QUrl::StrictMode);
}

Help::Help(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_folders(HelpFolders(QCoreApplication::applicationDirPath()))
    , m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{ }

void Help::ShowHelp(int context)
{
    const HelpTopic topic = FindHelpTopic(m_folders, context);
    if (topic.url.isEmpty()) {
        ShowErrorBox(messageParent(), topic.error);
        return;
    }
    qCDebug(lcShell).noquote() << "help:" << topic.url.toString();
    if (!m_opener(topic.url))
        ShowErrorBox(
            messageParent(),
            QStringLiteral("No web browser was found to show the help; the pages are in %1")
                .arg(QDir::toNativeSeparators(QFileInfo(topic.url.toLocalFile()).absolutePath())));
}

void Help::ShowHomePage()
{
    const QUrl home = HomePageUrl();
    if (!m_opener(home))
        qCInfo(lcShell).noquote() << "the home page did not open:" << home.toString();
}

void Help::AddHelpKey(QWidget *window, int context)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QStringLiteral("HelpKey"));
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this,
            [this, context] { RunGuarded(messageParent(), [&] { ShowHelp(context); }); });
}

QWidget *Help::messageParent() const
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_window;
}

} // namespace duvara
