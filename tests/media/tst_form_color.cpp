#include "media/form_color.h"

#include "color/fake_color_overlay.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace duvara;

namespace {

// What the picture shows by itself, and what it shows when the dialog opens.
const ColorRecord kPictureOwn = makeRecord(750, 10000, 0, 10000, 5, 1, 1);
const ColorRecord kOpening = makeRecord(2000, 12000, 10, 8000, 3, 2, 1);

// A video window's colour parts with a picture that captured kPictureOwn and now shows kOpening.
struct Rig
{
    explicit Rig(std::uint32_t supported = ColorFlag::All)
    {
        overlay.supported = supported;
        overlay.held = kPictureOwn;
        control.CaptureDefaults();
        control.SetValues(kOpening);
        overlay.writes.clear();
    }

    FakeColorOverlay overlay;
    TColorControl control {&overlay};
    TDSVideoWindowEx2Caps caps {control};
    TFormColor dialog {control, caps};
};

bool open(TFormColor &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    return QTest::qWaitForWindowActive(&dialog);
}

QSlider *slider(TFormColor &dialog, const QString &name)
{
    return dialog.findChild<QSlider *>(name);
}

// "TrkHue:End" presses End on TrkHue; "BtnDef" clicks that button.
void perform(TFormColor &dialog, const QString &step)
{
    const QStringList parts = step.split(':');
    if (parts.size() == 1) {
        QTest::mouseClick(dialog.findChild<QPushButton *>(parts[0]), Qt::LeftButton);
        return;
    }
    static const QMap<QString, Qt::Key> keys = {{"PageUp", Qt::Key_PageUp},
                                                {"PageDown", Qt::Key_PageDown},
                                                {"Home", Qt::Key_Home},
                                                {"End", Qt::Key_End}};
    QTest::keyClick(slider(dialog, parts[0]), keys.value(parts[1]));
}

} // namespace

class TestFormColor : public QObject
{
    Q_OBJECT
private slots:
    void showsValuesOfThePicture_data();
    void showsValuesOfThePicture();
    void sliderPositionIsTheValue_data();
    void sliderPositionIsTheValue();
    void cancelRestoresValuesFoundAtOpening_data();
    void cancelRestoresValuesFoundAtOpening();
    void cancelRestoresShownValuesWhenPictureReportsOddHiddenOnes();
    void okAndCloseBoxKeepPresentValues_data();
    void okAndCloseBoxKeepPresentValues();
    void reopeningRemembersTheNewValues();
    void capabilityFlagsEnableSliders_data();
    void capabilityFlagsEnableSliders();
    void disabledSliderValueIsWrittenUnchanged();
    void errorsAreReportedNotThrown();
};

void TestFormColor::showsValuesOfThePicture_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QList<int>>("shown"); // brightness, contrast, hue, saturation

    QTest::newRow("playing") << true << false << QList<int> {2000, 12000, 10, 8000};
    // After the playlist was cleared the stored values show, which are then the captured ones.
    QTest::newRow("no graph") << false << false << QList<int> {750, 10000, 0, 10000};
    QTest::newRow("picture refuses to report") << true << true << QList<int> {750, 10000, 0, 10000};
}

void TestFormColor::showsValuesOfThePicture()
{
    QFETCH(bool, active);
    QFETCH(bool, refuse);
    QFETCH(QList<int>, shown);

    Rig rig;
    if (!active) {
        rig.control.RestoreDefaults(); // what leaving the graph does
        rig.overlay.active = false;
        rig.overlay.writes.clear();
        rig.overlay.reads = 0;
    }
    rig.overlay.refuseReads = refuse;
    QVERIFY(open(rig.dialog));

    TFormColor &d = rig.dialog;
    QCOMPARE(
        (QList<int> {d.TrkBrg->value(), d.TrkCnt->value(), d.TrkHue->value(), d.TrkStr->value()}),
        shown);
    if (!active) {
        QVERIFY(rig.overlay.writes.empty());
        QCOMPARE(rig.overlay.reads, 0);
    }
}

void TestFormColor::sliderPositionIsTheValue_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QList<int>>("values"); // brightness, contrast, hue, saturation

    QTest::newRow("brightness to the right end")
        << "TrkBrg:End" << QList<int> {10000, 12000, 10, 8000};
    QTest::newRow("hue to the left end") << "TrkHue:Home" << QList<int> {2000, 12000, -180, 8000};
    QTest::newRow("hue a page down") << "TrkHue:PageDown" << QList<int> {2000, 12000, -90, 8000};
}

void TestFormColor::sliderPositionIsTheValue()
{
    QFETCH(QString, step);
    QFETCH(QList<int>, values);

    Rig rig;
    QVERIFY(open(rig.dialog));
    perform(rig.dialog, step);

    const ColorRecord expected
        = makeRecord(values[0], values[1], values[2], values[3], kOpening.sharpness, kOpening.gamma,
                     kOpening.colorEnable);
    QVERIFY(!rig.overlay.writes.empty());
    QCOMPARE(rig.overlay.writes.back(), expected); // applied at once, all seven values
    QCOMPARE(rig.control.Values(), expected);
}

void TestFormColor::cancelRestoresValuesFoundAtOpening_data()
{
    QTest::addColumn<uint>("supported");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("close");

    const QStringList moves {"TrkBrg:PageUp", "TrkCnt:PageDown", "TrkHue:End", "TrkStr:Home"};
    QTest::newRow("moves, Cancel") << 0x7Fu << moves << "BtnCnc";
    QTest::newRow("moves, Escape") << 0x7Fu << moves << "Escape";
    QTest::newRow("moves, Enter") << 0x7Fu << moves << "Enter";
    // "&Default" also resets the sharpness and gamma that the dialog does not show.
    QTest::newRow("Default, Cancel") << 0x7Fu << QStringList {"BtnDef"} << "BtnCnc";
    QTest::newRow("move, Default, move, Escape")
        << 0x7Fu << QStringList {"TrkBrg:End", "BtnDef", "TrkHue:Home"} << "Escape";
    // Nothing moves here: a wrong button would either accept or leave the dialog open.
    QTest::newRow("no slider to focus, Enter") << 0u << QStringList {} << "Enter";
}

void TestFormColor::cancelRestoresValuesFoundAtOpening()
{
    QFETCH(uint, supported);
    QFETCH(QStringList, steps);
    QFETCH(QString, close);

    Rig rig(supported);
    QVERIFY(open(rig.dialog));
    for (const QString &step : steps)
        perform(rig.dialog, step);
    if (!steps.isEmpty())
        QVERIFY(rig.control.Values() != kOpening); // the steps did change something
    QVERIFY(rig.dialog.isVisible());

    if (close == "BtnCnc") {
        QTest::mouseClick(rig.dialog.BtnCnc, Qt::LeftButton);
    } else {
        QWidget *focused = rig.dialog.focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, close == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
    }

    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(rig.control.Values(), kOpening);
    QCOMPARE(rig.overlay.held, kOpening); // the picture too, not only the stored values
}

void TestFormColor::cancelRestoresShownValuesWhenPictureReportsOddHiddenOnes()
{
    Rig rig;
    rig.overlay.held.gamma = 0; // no setter would take it
    QVERIFY(open(rig.dialog));
    perform(rig.dialog, "TrkBrg:End");
    QTest::mouseClick(rig.dialog.BtnCnc, Qt::LeftButton);

    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.control.Brightness(), kOpening.brightness);
    QCOMPARE(rig.control.Gamma(), 1);
}

void TestFormColor::okAndCloseBoxKeepPresentValues_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << true << int(QDialog::Accepted);
    QTest::newRow("close box") << false << int(QDialog::Rejected);
}

void TestFormColor::okAndCloseBoxKeepPresentValues()
{
    QFETCH(bool, ok);
    QFETCH(int, result);

    Rig rig;
    QVERIFY(open(rig.dialog));
    perform(rig.dialog, "TrkBrg:PageUp");
    perform(rig.dialog, "TrkHue:Home");
    if (ok)
        QTest::mouseClick(rig.dialog.BtnOK, Qt::LeftButton);
    else
        rig.dialog.close();

    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.dialog.result(), result);
    QCOMPARE(rig.control.Values(), makeRecord(2100, 12000, -180, 8000, 3, 2, 1));
}

void TestFormColor::reopeningRemembersTheNewValues()
{
    Rig rig;
    QVERIFY(open(rig.dialog));
    perform(rig.dialog, "TrkBrg:PageUp");
    QTest::mouseClick(rig.dialog.BtnOK, Qt::LeftButton);

    QVERIFY(open(rig.dialog));
    perform(rig.dialog, "TrkBrg:PageUp");
    perform(rig.dialog, "TrkStr:PageUp");
    QTest::mouseClick(rig.dialog.BtnCnc, Qt::LeftButton);
    QCOMPARE(rig.control.Brightness(), 2100);
    QCOMPARE(rig.control.Saturation(), 8000);
}

void TestFormColor::capabilityFlagsEnableSliders_data()
{
    QTest::addColumn<uint>("supported");
    QTest::addColumn<QList<bool>>("enabled"); // TrkBrg, TrkCnt, TrkHue, TrkStr

    QTest::newRow("all") << 0x7Fu << QList<bool> {true, true, true, true};
    QTest::newRow("no hue") << 0x7Bu << QList<bool> {true, true, false, true};
    QTest::newRow("only sharpness and gamma") << 0x30u << QList<bool> {false, false, false, false};
}

void TestFormColor::capabilityFlagsEnableSliders()
{
    QFETCH(uint, supported);
    QFETCH(QList<bool>, enabled);

    Rig rig(supported);
    QVERIFY(open(rig.dialog));
    TFormColor &d = rig.dialog;
    QCOMPARE((QList<bool> {d.TrkBrg->isEnabled(), d.TrkCnt->isEnabled(), d.TrkHue->isEnabled(),
                           d.TrkStr->isEnabled()}),
             enabled);
    rig.dialog.close();

    // A new picture with other capabilities: the next opening follows it.
    rig.overlay.supported = ColorFlag::All;
    rig.control.CaptureDefaults();
    QVERIFY(open(rig.dialog));
    QVERIFY(d.TrkBrg->isEnabled() && d.TrkCnt->isEnabled() && d.TrkHue->isEnabled()
            && d.TrkStr->isEnabled());
}

void TestFormColor::disabledSliderValueIsWrittenUnchanged()
{
    Rig rig(ColorFlag::All & ~ColorFlag::Hue);
    QVERIFY(open(rig.dialog));
    QVERIFY(!rig.dialog.TrkHue->isEnabled());
    QCOMPARE(rig.dialog.TrkHue->value(), kOpening.hue);

    const std::size_t writesAtOpening = rig.overlay.writes.size();
    for (const char *step : {"TrkBrg:PageUp", "TrkCnt:End", "TrkStr:PageDown", "TrkBrg:Home"})
        perform(rig.dialog, step);
    QCOMPARE(rig.overlay.writes.size(), writesAtOpening + 4);
    for (const ColorRecord &written : rig.overlay.writes) {
        QCOMPARE(written.hue, kOpening.hue);
        QCOMPARE(written.flags, ColorFlag::All);
    }
}

void TestFormColor::errorsAreReportedNotThrown()
{
    Rig rig;
    rig.overlay.throwOnWrite = true;
    QLoggingCategory::setFilterRules(QStringLiteral("duvara.media.warning=false"));
    // Every error box that comes up is read and closed.
    QStringList errors;
    QTimer boxes;
    boxes.setInterval(5);
    QObject::connect(&boxes, &QTimer::timeout, [&errors] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            errors << box->text();
            box->accept();
        }
    });
    boxes.start();

    // Opening moves every slider from its design position, and each move writes.
    QVERIFY(open(rig.dialog));
    QVERIFY(!errors.isEmpty());
    errors.clear();

    perform(rig.dialog, "TrkCnt:PageUp");
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0), QStringLiteral("Overlay lost."));
    QCOMPARE(rig.dialog.TrkCnt->value(), 12200); // what was done before the error stays

    QTest::mouseClick(rig.dialog.BtnCnc, Qt::LeftButton);
    QCOMPARE(errors.size(), 2);
    QVERIFY(!rig.dialog.isVisible()); // Cancel still leaves the dialog
    QLoggingCategory::setFilterRules(QString());
}

QTEST_MAIN(TestFormColor)
#include "tst_form_color.moc"
