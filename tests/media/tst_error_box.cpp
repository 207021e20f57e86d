#include "media/error_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace duvara;

class TestErrorBox : public QObject
{
    Q_OBJECT
private slots:
    void appendsFullStopAfterCharactersSortingAfterIt_data();
    void appendsFullStopAfterCharactersSortingAfterIt();
    void guardShowsErrorAndKeepsWhatWasDone();
    void guardLetsSuccessfulActionsRun();
};

void TestErrorBox::appendsFullStopAfterCharactersSortingAfterIt_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "File not found"
                            << "File not found.";
    QTest::newRow("digit") << "Error 42"
                           << "Error 42.";
    QTest::newRow("closing parenthesis sorts before the full stop") << "failed ($80040265)"
                                                                    << "failed ($80040265)";
    QTest::newRow("full stop kept") << "Done."
                                    << "Done.";
    QTest::newRow("exclamation mark sorts before") << "Stop!"
                                                   << "Stop!";
    QTest::newRow("slash sorts after") << "path /tmp/"
                                       << "path /tmp/.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestErrorBox::appendsFullStopAfterCharactersSortingAfterIt()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(message), shown);
}

void TestErrorBox::guardShowsErrorAndKeepsWhatWasDone()
{
    QString seenTitle;
    QString seenText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        box->accept();
    });

    int steps = 0;
    RunGuarded(nullptr, [&] {
        ++steps;
        throw std::runtime_error("Cannot render the file");
        ++steps; // never reached
    });

    QCOMPARE(steps, 1);
    QCOMPARE(seenTitle, QStringLiteral("Duvara"));
    QCOMPARE(seenText, QStringLiteral("Cannot render the file."));
    QCOMPARE(seenIcon, QMessageBox::Critical);
}

void TestErrorBox::guardLetsSuccessfulActionsRun()
{
    bool ran = false;
    RunGuarded(nullptr, [&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestErrorBox)
#include "tst_error_box.moc"
