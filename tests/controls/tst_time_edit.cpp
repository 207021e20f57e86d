// The time edit: its text and value, what it reads while the user types, and stepping the field
// under the caret.
#include "controls/time_edit.h"

#include <QSignalSpy>
#include <QTest>

using namespace duvara;

class TestTimeEdit : public QObject
{
    Q_OBJECT
private slots:
    void valueAndText_data();
    void valueAndText();
    void blankWhileTypingIsNotAChange();
    void stepsTheFieldUnderTheCaret_data();
    void stepsTheFieldUnderTheCaret();

private:
    // A shown, focused edit of the given length holding `ms`.
    std::unique_ptr<RTimeEdit> focusedEdit(int length, int ms);
};

std::unique_ptr<RTimeEdit> TestTimeEdit::focusedEdit(int length, int ms)
{
    auto edit = std::make_unique<RTimeEdit>();
    edit->SetMaxLength(length);
    edit->SetMilliseconds(ms);
    edit->show();
    edit->activateWindow();
    edit->setFocus();
    if (!QTest::qWaitForWindowActive(edit.get()))
        qWarning("the edit's window did not become active");
    return edit;
}

void TestTimeEdit::valueAndText_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("negative") << 12 << -5 << "00:00:00,000" << 0;
    QTest::newRow("all fields") << 12 << 3723004 << "01:02:03,004" << 3723004;
    // A new text is read back: the milliseconds it cannot show are gone.
    QTest::newRow("whole seconds") << 8 << 3723004 << "01:02:03" << 3723000;
    QTest::newRow("beyond two hour digits") << 12 << 400000000 << "99:59:59,999" << 400000000;
}

void TestTimeEdit::valueAndText()
{
    QFETCH(int, length);
    QFETCH(int, set);
    RTimeEdit edit;
    edit.SetMaxLength(length);
    QSignalSpy changes(&edit, &RTimeEdit::OnChange);
    edit.SetMilliseconds(set);
    QTEST(edit.text(), "text");
    QTEST(edit.Milliseconds(), "value");
    QCOMPARE(changes.count(), set > 0 ? 1 : 0);
}

void TestTimeEdit::blankWhileTypingIsNotAChange()
{
    auto edit = focusedEdit(12, 5000);
    QSignalSpy changes(edit.get(), &RTimeEdit::OnChange);
    edit->setCursorPosition(7);
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    QCOMPARE(edit->displayText(), QStringLiteral("00:00:_5,000"));
    QCOMPARE(edit->Milliseconds(), 0);
    QCOMPARE(changes.count(), 0);
    QTest::keyClicks(edit.get(), QStringLiteral("3"));
    QCOMPARE(edit->Milliseconds(), 35000);
    QCOMPARE(changes.count(), 1);
    // The first hour digit is optional.
    edit->setCursorPosition(1);
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    QCOMPARE(edit->displayText(), QStringLiteral("_0:00:35,000"));
    QCOMPARE(changes.count(), 2);
}

void TestTimeEdit::stepsTheFieldUnderTheCaret_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("caret"); // -1: the edit has no focus
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("once");
    QTest::addColumn<int>("twice");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::newRow("minutes") << 12 << 0 << 4 << true << 60000 << 120000 << 3 << 2;
    QTest::newRow("hours down") << 12 << 7200000 << 1 << false << 3600000 << 0 << 0 << 2;
    QTest::newRow("caret at start") << 12 << 0 << 0 << true << 100 << 200 << 9 << 3;
    QTest::newRow("no focus") << 12 << 0 << -1 << true << 100 << 200 << 9 << 3;
    QTest::newRow("not below 0") << 12 << 500 << 7 << false << 0 << 0 << 6 << 2;
    QTest::newRow("seconds carry") << 8 << 59000 << 7 << true << 60000 << 61000 << 6 << 2;
    // The text shows no milliseconds: the value keeps them until the text changes and is read
    // back. The caret then stands at the end, in the seconds.
    QTest::newRow("whole seconds") << 8 << 1000 << -1 << true << 1100 << 2000 << 6 << 2;
}

void TestTimeEdit::stepsTheFieldUnderTheCaret()
{
    QFETCH(int, length);
    QFETCH(int, start);
    QFETCH(int, caret);
    QFETCH(bool, up);
    auto edit = focusedEdit(length, start);
    if (caret < 0)
        edit->clearFocus();
    else
        edit->setCursorPosition(caret);

    GetIncMode(*edit, up);
    QTEST(edit->Milliseconds(), "once");
    QVERIFY(edit->hasFocus());
    GetIncMode(*edit, up);
    QTEST(edit->Milliseconds(), "twice");
    QTEST(edit->selectionStart(), "selectionStart");
    QTEST(int(edit->selectedText().size()), "selectionLength");
    QCOMPARE(edit->text(), TimeEditText(edit->Milliseconds(), length));
}

QTEST_MAIN(TestTimeEdit)
#include "tst_time_edit.moc"
