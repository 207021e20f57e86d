#include "shell/program_icon.h"

#include <QTemporaryDir>
#include <QTest>

class TestProgramIcon : public QObject
{
    Q_OBJECT
private slots:
    void foundBesideTheProgram();
    void nothingWhereThereIsNoIcon();
};

// The build tree holds the icon where an installed player finds it: ../share/icons from bin/.
void TestProgramIcon::foundBesideTheProgram()
{
    const QIcon icon = duvara::ProgramIcon(QCoreApplication::applicationDirPath());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {48, 128, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

void TestProgramIcon::nothingWhereThereIsNoIcon()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QIcon::setThemeSearchPaths({folder.path()});
    QVERIFY(duvara::ProgramIcon(folder.filePath(QStringLiteral("bin"))).isNull());
}

QTEST_MAIN(TestProgramIcon)
#include "tst_program_icon.moc"
