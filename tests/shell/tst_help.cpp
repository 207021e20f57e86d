#include "controls/video_page.h"
#include "shell/help.h"
#include "shell/main_window.h"
#include "shell/popup_menus.h"
#include "window_test_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QXmlStreamReader>

#include <clocale>
#include <memory>

using namespace duvara;
using namespace duvara::test;

namespace {

// What a page holds that the tests look at. The pages are written as well-formed XML so that a
// plain reader checks them.
struct Page
{
    QString error;
    QSet<QString> ids;
    QStringList images; // src of every <img>
    QStringList links; // href of every <a>
    QStringList resources; // href of <link>, src of <script>
    QStringList shortcutKeys; // the first cell of each row of the table "shortcuts"
};

Page readPage(const QString &path)
{
    Page page;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        page.error = QStringLiteral("cannot read ") + path;
        return page;
    }
    QXmlStreamReader xml(&file);
    int shortcutDepth = -1;
    int depth = 0;
    int cellInRow = 0;
    QString cell;
    bool inFirstCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const auto attributes = xml.attributes();
            const QString name = xml.name().toString();
            if (attributes.hasAttribute(QStringLiteral("id")))
                page.ids.insert(attributes.value(QStringLiteral("id")).toString());
            if (name == QStringLiteral("img"))
                page.images << attributes.value(QStringLiteral("src")).toString();
            else if (name == QStringLiteral("a") && attributes.hasAttribute(QStringLiteral("href")))
                page.links << attributes.value(QStringLiteral("href")).toString();
            else if (name == QStringLiteral("link"))
                page.resources << attributes.value(QStringLiteral("href")).toString();
            else if (name == QStringLiteral("script"))
                page.resources << attributes.value(QStringLiteral("src")).toString();
            if (name == QStringLiteral("table")
                && attributes.value(QStringLiteral("id")) == QStringLiteral("shortcuts"))
                shortcutDepth = depth;
            if (shortcutDepth > 0 && name == QStringLiteral("tr"))
                cellInRow = 0;
            if (shortcutDepth > 0 && name == QStringLiteral("td")) {
                inFirstCell = ++cellInRow == 1;
                cell.clear();
            }
        } else if (xml.isCharacters() && inFirstCell) {
            cell += xml.text();
        } else if (xml.isEndElement()) {
            if (inFirstCell && xml.name() == QStringLiteral("td")) {
                inFirstCell = false;
                // "Alt+V, Alt+P" lists several keys in one cell.
                for (const QString &key : cell.split(QLatin1Char(',')))
                    page.shortcutKeys << key.simplified().remove(QLatin1Char(' '));
            }
            if (depth == shortcutDepth)
                shortcutDepth = -1;
            --depth;
        }
    }
    if (xml.hasError())
        page.error
            = QStringLiteral("%1:%2: %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

bool isExternal(const QString &reference)
{
    return reference.contains(QLatin1Char(':'));
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyContextOpensAnAnchorThatExists_data();
    void everyContextOpensAnAnchorThatExists();
    void pagesAreWholeAndSelfContained();
    void everyMenuShortcutIsInTheTable();
    void missingPagesSayWhereTheyWereLookedFor_data();
    void missingPagesSayWhereTheyWereLookedFor();
    void f1AndTheHelpButtonOpenTheHelpOnce();
    void f1InADialogOpensItsTopic_data();
    void f1InADialogOpensItsTopic();
    void homePageOpensTheConfiguredAddressQuietly();

private:
    // Records what the window asks the browser to show; `opens` tells whether that works.
    void recordOpens(bool opens = true);

    TFormVDMain *m_window = nullptr;
    QList<QUrl> m_opened;
};

void TestHelp::init()
{
    std::setlocale(LC_NUMERIC, "C");
    m_window = new TFormVDMain;
    m_opened.clear();
}

void TestHelp::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestHelp::recordOpens(bool opens)
{
    m_window->help().setUrlOpener([this, opens](const QUrl &url) {
        m_opened << url;
        return opens;
    });
}

void TestHelp::everyContextOpensAnAnchorThatExists_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("anchor");
    for (int context : HelpContexts())
        QTest::addRow("%d", context) << context << QStringLiteral("context-%1").arg(context);
    // A context without a topic of its own opens the contents.
    QTest::newRow("unknown") << 12345 << QStringLiteral("context-0");
}

void TestHelp::everyContextOpensAnAnchorThatExists()
{
    QFETCH(int, context);
    QFETCH(QString, anchor);
    // The pages the build put beside the program, where the player looks for them.
    const HelpTopic topic
        = FindHelpTopic(HelpFolders(QCoreApplication::applicationDirPath()), context);
    QVERIFY2(topic.error.isEmpty(), qPrintable(topic.error));
    QVERIFY(topic.url.isLocalFile());
    QCOMPARE(topic.url.fragment(), anchor);
    const Page page = readPage(topic.url.toLocalFile());
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY2(page.ids.contains(anchor), qPrintable(topic.url.toString()));
}

void TestHelp::pagesAreWholeAndSelfContained()
{
    const QDir help(QStringLiteral(DUVARA_HELP_SOURCE_DIR));
    const QStringList names = help.entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(names.contains(QStringLiteral("index.html")));
    QHash<QString, Page> pages;
    for (const QString &name : names) {
        pages.insert(name, readPage(help.filePath(name)));
        QVERIFY2(pages[name].error.isEmpty(), qPrintable(pages[name].error));
    }
    for (auto page = pages.cbegin(); page != pages.cend(); ++page) {
        const QString where = page.key() + QStringLiteral(": ");
        // Pictures and style sheets come with the pages: they show without a network.
        for (const QString &source : page->images + page->resources) {
            QVERIFY2(!isExternal(source) && help.exists(source), qPrintable(where + source));
            if (source.endsWith(QStringLiteral(".png")))
                QVERIFY2(QFileInfo(help.filePath(source)).size() <= 150 * 1024,
                         qPrintable(where + source + QStringLiteral(" is too large")));
        }
        for (const QString &link : page->links) {
            if (isExternal(link))
                continue;
            const QString file = link.section(QLatin1Char('#'), 0, 0);
            const QString anchor = link.section(QLatin1Char('#'), 1);
            const QString target = file.isEmpty() ? page.key() : file;
            QVERIFY2(pages.contains(target), qPrintable(where + link));
            if (!anchor.isEmpty())
                QVERIFY2(pages[target].ids.contains(anchor), qPrintable(where + link));
        }
    }
}

void TestHelp::everyMenuShortcutIsInTheTable()
{
    const Page keys = readPage(QStringLiteral(DUVARA_HELP_SOURCE_DIR "/keys.html"));
    QVERIFY2(keys.error.isEmpty(), qPrintable(keys.error));
    const QSet<QString> listed(keys.shortcutKeys.cbegin(), keys.shortcutKeys.cend());
    std::unique_ptr<TRPopupMenu> windowMenu(CreateWindowMenu(nullptr));
    std::unique_ptr<TRPopupMenu> playlistMenu(CreatePlaylistMenu(nullptr));
    int shortcuts = 0;
    for (TRPopupMenu *menu : {windowMenu.get(), playlistMenu.get()}) {
        for (const QAction *action : menu->findChildren<QAction *>()) {
            if (action->shortcut().isEmpty())
                continue;
            ++shortcuts;
            const QString key = action->shortcut().toString(QKeySequence::PortableText);
            QVERIFY2(listed.contains(key), qPrintable(action->objectName() + ": " + key));
        }
    }
    QVERIFY(shortcuts >= 20);
}

void TestHelp::missingPagesSayWhereTheyWereLookedFor_data()
{
    QTest::addColumn<bool>("pagesThere");
    QTest::addColumn<bool>("browserThere");
    QTest::addColumn<QString>("message");
    QTest::newRow("no pages") << false << true << "The help pages were not found in";
    QTest::newRow("no browser") << true << false << "No web browser was found";
}

void TestHelp::missingPagesSayWhereTheyWereLookedFor()
{
    QFETCH(bool, pagesThere);
    QFETCH(bool, browserThere);
    QFETCH(QString, message);
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("help"));
    const QString second = folder.filePath(QStringLiteral("share/duvara/help"));
    if (pagesThere) {
        QVERIFY(QDir().mkpath(second));
        QFile page(second + QStringLiteral("/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
    }
    recordOpens(browserThere);
    m_window->help().setFolders({first, second});

    QString shown;
    onNextModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    m_window->help().ShowHelp(kHelpContents);
    QVERIFY2(shown.startsWith(message), qPrintable(shown));
    QVERIFY(shown.contains(QDir::toNativeSeparators(pagesThere ? second : first)));
    if (!pagesThere) {
        QVERIFY(shown.contains(QDir::toNativeSeparators(second)));
        QVERIFY(m_opened.isEmpty());
    }
}

void TestHelp::f1AndTheHelpButtonOpenTheHelpOnce()
{
    recordOpens();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QTest::keyClick(m_window, Qt::Key_F1);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.last().fragment(), QStringLiteral("context-0"));

    auto *button = child<VideoPage>(m_window, "TabVideo")->BtnHlp;
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_opened.size(), 2);
    QCOMPARE(m_opened.last(), m_opened.first());
}

void TestHelp::f1InADialogOpensItsTopic_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("context");
    QTest::newRow("go to") << "FormGoTo" << int(kHelpCommands);
    QTest::newRow("video settings") << "FormColor" << int(kHelpCommands);
    QTest::newRow("font") << "FormFont" << int(kHelpMainWindow);
    QTest::newRow("file types") << "FormFile" << int(kHelpContents);
    QTest::newRow("new version") << "FormNewV" << int(kHelpContents);
}

void TestHelp::f1InADialogOpensItsTopic()
{
    QFETCH(QString, dialog);
    QFETCH(int, context);
    recordOpens();
    m_window->CreateOtherWindows();
    auto *window = m_window->findChild<QDialog *>(dialog);
    QVERIFY(window);
    // A modal dialog, as the player shows them: the main window's F1 does not reach it.
    bool active = false;
    onNextModal<QDialog>([&](QDialog *shown) {
        active = QTest::qWaitForWindowActive(shown);
        QTest::keyClick(shown, Qt::Key_F1);
        shown->reject();
    });
    window->exec();
    QVERIFY(active);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().fragment(), QStringLiteral("context-%1").arg(context));
}

void TestHelp::homePageOpensTheConfiguredAddressQuietly()
{
    recordOpens(false);
    auto *item = child<TRPopupMenu>(m_window, "PopupMenu1")->item(QStringLiteral("MnuHome"));
    QVERIFY(item->isEnabled());
    // A failed opening shows nothing: a message box would be up when this runs.
    bool boxShown = false;
    QTimer::singleShot(0, m_window, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            boxShown = true;
            box->close();
        }
    });
    item->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!boxShown);
    QCOMPARE(m_opened, QList<QUrl> {QUrl(QStringLiteral(DUVARA_HOME_URL))});
    QCOMPARE(HomePageUrl().toString(), QStringLiteral(DUVARA_HOME_URL));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
