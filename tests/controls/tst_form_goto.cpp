// The go-to dialog with a slider and an engine track bar of its own: what it shows, how its
// arrows step and stop at the film's ends, and what its buttons and keys do.
#include "controls/form_goto.h"
#include "controls/spin_arrows.h"
#include "controls/time_edit.h"
#include "media/ds_track_bar.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace duvara;

class TestFormGoTo : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showsThePresentPosition();
    void arrowsStopAtTheFilmsEnds();
    void goToMovesTheSliderWithinTheFilm_data();
    void goToMovesTheSliderWithinTheFilm();
    void escapeChangesNothing();

private:
    // Runs the dialog modally and does `action` inside it.
    int run(const std::function<void()> &action);

    QWidget *m_window = nullptr;
    QSlider *m_slider = nullptr;
    TDSTrackBar *m_bar = nullptr;
    TFormGoTo *m_dialog = nullptr;
};

void TestFormGoTo::init()
{
    m_window = new QWidget;
    m_slider = new QSlider(Qt::Horizontal, m_window);
    m_slider->setRange(0, 40 * 60000); // a 40-minute film
    m_bar = new TDSTrackBar(m_window);
    m_dialog = new TFormGoTo(*m_slider, *m_bar, m_window);
}

void TestFormGoTo::cleanup()
{
    delete m_window;
}

int TestFormGoTo::run(const std::function<void()> &action)
{
    QTimer::singleShot(0, m_dialog, [this, action] {
        // The arrows step the field under the caret of a focused edit, as a user has it.
        m_dialog->activateWindow();
        if (QTest::qWaitForWindowActive(m_dialog))
            action();
        if (m_dialog->isVisible())
            m_dialog->reject();
    });
    return m_dialog->exec();
}

void TestFormGoTo::showsThePresentPosition()
{
    m_slider->setValue((12 * 60 + 34) * 1000 + 560);
    QString shown;
    run([&] { shown = m_dialog->EditGoTo->text(); });
    QCOMPARE(shown, QStringLiteral("00:12:34"));
    QCOMPARE(m_dialog->size(), QSize(214, 96));
    QVERIFY(m_dialog->BtnGoTo->isDefault());
}

void TestFormGoTo::arrowsStopAtTheFilmsEnds()
{
    m_slider->setValue(10 * 60000);
    int afterUp = -1;
    int afterDown = -1;
    run([&] {
        // The caret in the hours: one hour up passes the end of a 40-minute film.
        m_dialog->EditGoTo->setCursorPosition(1);
        emit m_dialog->ArwGoTo->OnStep(true);
        afterUp = m_dialog->EditGoTo->Milliseconds();
        m_dialog->EditGoTo->setCursorPosition(1);
        emit m_dialog->ArwGoTo->OnStep(false);
        emit m_dialog->ArwGoTo->OnStep(false);
        afterDown = m_dialog->EditGoTo->Milliseconds();
    });
    QCOMPARE(afterUp, 40 * 60000);
    QCOMPARE(afterDown, 0);
    QCOMPARE(m_slider->value(), 10 * 60000); // stepping alone jumps nowhere
}

void TestFormGoTo::goToMovesTheSliderWithinTheFilm_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("slider");
    QTest::newRow("inside") << "00:25:07" << (25 * 60 + 7) * 1000;
    QTest::newRow("past the end") << "01:30:00" << 40 * 60000;
}

void TestFormGoTo::goToMovesTheSliderWithinTheFilm()
{
    QFETCH(QString, typed);
    QFETCH(int, slider);
    const int result = run([&] {
        m_dialog->EditGoTo->selectAll();
        QTest::keyClicks(m_dialog->EditGoTo, QString(typed).remove(QLatin1Char(':')));
        // Enter anywhere in the dialog is the default button.
        QTest::keyClick(m_dialog->EditGoTo, Qt::Key_Return);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_slider->value(), slider);
}

void TestFormGoTo::escapeChangesNothing()
{
    m_slider->setValue(5000);
    const int result = run([&] {
        m_dialog->EditGoTo->SetMilliseconds(20 * 60000);
        QTest::keyClick(m_dialog, Qt::Key_Escape);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_slider->value(), 5000);
}

QTEST_MAIN(TestFormGoTo)
#include "tst_form_goto.moc"
