// Run by installed_player.sh on a tree made by `cmake --install`: what the player looks for
// beside itself, it finds there.
#include "shell/help.h"
#include "shell/program_icon.h"

#include <QDir>
#include <QTest>

class TestInstalledLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpPageOfEveryContext_data();
    void helpPageOfEveryContext();
    void windowIcon();

private:
    QString m_prefix;
};

void TestInstalledLayout::initTestCase()
{
    m_prefix = qEnvironmentVariable("DUVARA_INSTALLED_PREFIX");
    QVERIFY2(QDir(m_prefix).exists(), "DUVARA_INSTALLED_PREFIX names the installed tree");
}

void TestInstalledLayout::helpPageOfEveryContext_data()
{
    QTest::addColumn<int>("context");
    for (const int context : duvara::HelpContexts())
        QTest::newRow(qPrintable(duvara::HelpPageName(context))) << context;
}

void TestInstalledLayout::helpPageOfEveryContext()
{
    QFETCH(int, context);
    const QString bin = QDir(m_prefix).filePath(QStringLiteral("bin"));
    const duvara::HelpTopic topic = duvara::FindHelpTopic(duvara::HelpFolders(bin), context);
    QVERIFY2(topic.error.isEmpty(), qPrintable(topic.error));
    QCOMPARE(topic.url.toLocalFile(),
             QDir(m_prefix).filePath(QStringLiteral("share/duvara/help/")
                                     + duvara::HelpPageName(context)));
}

void TestInstalledLayout::windowIcon()
{
    QIcon::setThemeSearchPaths({}); // the icon must come from the tree, not the machine's theme
    const QIcon icon = duvara::ProgramIcon(QDir(m_prefix).filePath(QStringLiteral("bin")));
    for (const int size : {48, 128, 256})
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
}

QTEST_MAIN(TestInstalledLayout)
#include "tst_installed_layout.moc"
