#include "media/color_control.h"
#include "media/color_mapping.h"
#include "media/media_error.h"

#include "color/fake_color_overlay.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace duvara;

Q_DECLARE_METATYPE(duvara::ColorAxis)

namespace {

struct Property
{
    void (TColorControl::*set)(int);
    int ColorRecord::*field;
};

const QMap<QString, Property> kProperties = {
    {"Brightness", {&TColorControl::SetBrightness, &ColorRecord::brightness}},
    {"Contrast", {&TColorControl::SetContrast, &ColorRecord::contrast}},
    {"Hue", {&TColorControl::SetHue, &ColorRecord::hue}},
    {"Saturation", {&TColorControl::SetSaturation, &ColorRecord::saturation}},
    {"Sharpness", {&TColorControl::SetSharpness, &ColorRecord::sharpness}},
    {"Gamma", {&TColorControl::SetGamma, &ColorRecord::gamma}},
};

} // namespace

class TestColorControl : public QObject
{
    Q_OBJECT
private slots:
    void setterChecksItsRange_data();
    void setterChecksItsRange();
    void setValuesChecksEveryValueBeforeStoringAny();
    void inactiveOverlayOnlyStores();
    void gettersReadBackFromActiveOverlay();
    void gettersFallBackToStandardValuesWhenOverlayRefuses();
    void captureDefaultsTakesTheWholeRecordOrKeepsThePrevious();
    void restoreDefaultsWritesCapturedValues();
    void capsFollowCapturedFlags_data();
    void capsFollowCapturedFlags();

    void mappingNeutralPointsAndEnds_data();
    void mappingNeutralPointsAndEnds();
    void mappingRoundTripSettles_data();
    void mappingRoundTripSettles();
    void readBackKeepsWhatWasWritten();
    void softwareFilterText_data();
    void softwareFilterText();
    void softwareFilterIsAcceptedByLibavfilter();
};

void TestColorControl::setterChecksItsRange_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("error"); // empty: accepted

    const QString brightness = "Value %1 out of range. Value must bee between 0 -> 10.000";
    const QString range20000 = "Value %1 out of range. Value must bee between 0 -> 20.000";
    const QString hue = "Value %1 out of range. Value must bee between -180 -> 180";
    const QString sharpness = "Value %1 out of range. Value must bee between 0 -> 10";
    const QString gamma = "Value %1 out of range. Value must bee between 1 -> 500";

    QTest::newRow("brightness -1") << "Brightness" << -1 << brightness.arg(-1);
    QTest::newRow("brightness 10000") << "Brightness" << 10000 << QString();
    QTest::newRow("brightness 10001") << "Brightness" << 10001 << brightness.arg(10001);
    QTest::newRow("contrast 20000") << "Contrast" << 20000 << QString();
    QTest::newRow("contrast 20001") << "Contrast" << 20001 << range20000.arg(20001);
    QTest::newRow("hue -181") << "Hue" << -181 << hue.arg(-181);
    QTest::newRow("hue -180") << "Hue" << -180 << QString();
    QTest::newRow("hue 181") << "Hue" << 181 << hue.arg(181);
    QTest::newRow("saturation 20001") << "Saturation" << 20001 << range20000.arg(20001);
    QTest::newRow("sharpness 0") << "Sharpness" << 0 << QString();
    QTest::newRow("sharpness 11") << "Sharpness" << 11 << sharpness.arg(11);
    QTest::newRow("gamma 0") << "Gamma" << 0 << gamma.arg(0);
    QTest::newRow("gamma 500") << "Gamma" << 500 << QString();
    QTest::newRow("gamma 501") << "Gamma" << 501 << gamma.arg(501);
}

void TestColorControl::setterChecksItsRange()
{
    QFETCH(QString, property);
    QFETCH(int, value);
    QFETCH(QString, error);

    FakeColorOverlay overlay;
    overlay.held = makeRecord(2000, 9000, 20, 11000, 3, 7, 1);
    TColorControl control(&overlay);
    const ColorRecord before = control.Values();

    QString raised;
    try {
        (control.*kProperties[property].set)(value);
    } catch (const EDirectShowException &e) {
        raised = QString::fromUtf8(e.what());
    }
    QCOMPARE(raised, error);

    if (error.isEmpty()) {
        QCOMPARE(overlay.writes.size(), std::size_t(1));
        QCOMPARE(overlay.writes.back().*kProperties[property].field, value);
        QCOMPARE(overlay.writes.back().flags, ColorFlag::All);
        QCOMPARE(control.Values().*kProperties[property].field, value);
    } else {
        QVERIFY(overlay.writes.empty());
        QCOMPARE(control.Values(), before);
    }
}

void TestColorControl::setValuesChecksEveryValueBeforeStoringAny()
{
    FakeColorOverlay overlay;
    TColorControl control(&overlay);
    const ColorRecord before = control.Values();

    // Only the last value is wrong; the ones before it must not be stored either.
    const ColorRecord wanted = makeRecord(100, 200, 30, 400, 2, 501, 0);
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, control.SetValues(wanted));
    QVERIFY(overlay.writes.empty());
    QCOMPARE(control.Values(), before);

    ColorRecord valid = wanted;
    valid.gamma = 500;
    control.SetValues(valid);
    QCOMPARE(overlay.writes.size(), std::size_t(1)); // seven values, one write
    QCOMPARE(control.Values(), valid);
}

void TestColorControl::inactiveOverlayOnlyStores()
{
    FakeColorOverlay overlay;
    overlay.active = false;
    TColorControl control(&overlay);
    control.SetBrightness(4321);
    control.CaptureDefaults();
    QCOMPARE(control.Brightness(), 4321);
    QVERIFY(overlay.writes.empty());
    QCOMPARE(overlay.reads, 0);

    TColorControl detached; // no overlay at all
    detached.SetHue(-90);
    QCOMPARE(detached.Hue(), -90);
}

void TestColorControl::gettersReadBackFromActiveOverlay()
{
    FakeColorOverlay overlay;
    TColorControl control(&overlay);
    control.SetBrightness(100);

    // The picture changed behind the control's back: the getters report the picture's values.
    overlay.held = makeRecord(1234, 15000, -45, 300, 9, 250, 0);
    QCOMPARE(control.Brightness(), 1234);
    QCOMPARE(control.Contrast(), 15000);
    QCOMPARE(control.Hue(), -45);
    QCOMPARE(control.Saturation(), 300);
    QCOMPARE(control.Sharpness(), 9);
    QCOMPARE(control.Gamma(), 250);
    QCOMPARE(control.ColorEnable(), false);

    // A value set next is written along with the six values just read back.
    control.SetHue(10);
    QCOMPARE(overlay.writes.back(), makeRecord(1234, 15000, 10, 300, 9, 250, 0));
}

void TestColorControl::gettersFallBackToStandardValuesWhenOverlayRefuses()
{
    FakeColorOverlay overlay;
    overlay.active = false;
    TColorControl control(&overlay);
    control.SetValues(makeRecord(9999, 1, 77, 2, 0, 400, 0));

    overlay.active = true;
    overlay.refuseReads = true;
    QCOMPARE(control.Brightness(), 750);
    QCOMPARE(control.Contrast(), 10000);
    QCOMPARE(control.Hue(), 0);
    QCOMPARE(control.Saturation(), 10000);
    QCOMPARE(control.Sharpness(), 5);
    QCOMPARE(control.Gamma(), 1);
    QCOMPARE(control.ColorEnable(), true);
}

void TestColorControl::captureDefaultsTakesTheWholeRecordOrKeepsThePrevious()
{
    FakeColorOverlay overlay;
    TColorControl control(&overlay);
    QCOMPARE(control.CapturedDefaults(), makeRecord(750, 10000, 0, 10000, 5, 1, 1, 0x7F));

    overlay.held = makeRecord(500, 9000, 5, 8000, 2, 3, 1);
    overlay.supported = 0x0F;
    control.CaptureDefaults();
    QCOMPARE(control.CapturedDefaults(), makeRecord(500, 9000, 5, 8000, 2, 3, 1, 0x0F));
    QVERIFY(overlay.writes.empty()); // capturing does not apply

    overlay.held = makeRecord(1, 1, 1, 1, 1, 1, 0);
    overlay.refuseReads = true;
    control.CaptureDefaults();
    QCOMPARE(control.CapturedDefaults(), makeRecord(500, 9000, 5, 8000, 2, 3, 1, 0x0F));
}

void TestColorControl::restoreDefaultsWritesCapturedValues()
{
    FakeColorOverlay overlay;
    overlay.held = makeRecord(500, 9000, 5, 8000, 2, 3, 0);
    TColorControl control(&overlay);
    control.CaptureDefaults();
    control.SetValues(makeRecord(6000, 16000, -100, 200, 8, 40, 1));

    control.RestoreDefaults();
    QCOMPARE(overlay.writes.back(), makeRecord(500, 9000, 5, 8000, 2, 3, 0, ColorFlag::All));

    // Without a graph the captured values still become the stored ones, for the next file.
    overlay.active = false;
    control.SetValues(makeRecord(6000, 16000, -100, 200, 8, 40, 1));
    const auto writes = overlay.writes.size();
    control.RestoreDefaults();
    QCOMPARE(overlay.writes.size(), writes);
    QCOMPARE(control.Values(), makeRecord(500, 9000, 5, 8000, 2, 3, 0));
}

void TestColorControl::capsFollowCapturedFlags_data()
{
    QTest::addColumn<bool>("capture");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<QList<bool>>("can"); // brightness, contrast, hue, saturation, sharpness,
                                          // gamma, colour enable

    QTest::newRow("before the first capture")
        << false << 0u << QList<bool> {true, true, true, true, true, true, true};
    QTest::newRow("mpv's four") << true << 0x0Fu
                                << QList<bool> {true, true, true, true, false, false, false};
    QTest::newRow("nothing") << true << 0u
                             << QList<bool> {false, false, false, false, false, false, false};
}

void TestColorControl::capsFollowCapturedFlags()
{
    QFETCH(bool, capture);
    QFETCH(uint, flags);
    QFETCH(QList<bool>, can);

    FakeColorOverlay overlay;
    overlay.supported = flags;
    TColorControl control(&overlay);
    TDSVideoWindowEx2Caps caps(control);
    if (capture)
        control.CaptureDefaults();

    const QList<bool> seen {caps.CanControlBrigtness(),   caps.CanControlContrast(),
                            caps.CanControlHue(),         caps.CanControlSaturation(),
                            caps.CanControlSharpness(),   caps.CanControlGamma(),
                            caps.CanControlColorEnabled()};
    QCOMPARE(seen, can);
}

void TestColorControl::mappingNeutralPointsAndEnds_data()
{
    QTest::addColumn<ColorAxis>("axis");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mpv");

    QTest::newRow("brightness bottom") << kBrightnessAxis << 0 << -100;
    QTest::newRow("brightness neutral") << kBrightnessAxis << 750 << 0;
    QTest::newRow("brightness halfway up") << kBrightnessAxis << 5375 << 50;
    QTest::newRow("brightness top") << kBrightnessAxis << 10000 << 100;
    QTest::newRow("brightness below range") << kBrightnessAxis << -40 << -100;
    QTest::newRow("contrast bottom") << kContrastAxis << 0 << -100;
    QTest::newRow("contrast neutral") << kContrastAxis << 10000 << 0;
    QTest::newRow("contrast top") << kContrastAxis << 20000 << 100;
    QTest::newRow("hue left") << kHueAxis << -180 << -100;
    QTest::newRow("hue neutral") << kHueAxis << 0 << 0;
    QTest::newRow("hue 90 degrees") << kHueAxis << 90 << 50;
    QTest::newRow("hue right") << kHueAxis << 180 << 100;
    QTest::newRow("saturation grey") << kSaturationAxis << 0 << -100;
    QTest::newRow("saturation top") << kSaturationAxis << 20000 << 100;
    QTest::newRow("saturation above range") << kSaturationAxis << 25000 << 100;
}

void TestColorControl::mappingNeutralPointsAndEnds()
{
    QFETCH(ColorAxis, axis);
    QFETCH(int, value);
    QFETCH(int, mpv);
    QCOMPARE(ColorValueToMpv(axis, value), mpv);
    if (value >= axis.min && value <= axis.max)
        QCOMPARE(MpvToColorValue(axis, mpv), value);
}

void TestColorControl::mappingRoundTripSettles_data()
{
    QTest::addColumn<ColorAxis>("axis");
    QTest::newRow("brightness") << kBrightnessAxis;
    QTest::newRow("contrast") << kContrastAxis;
    QTest::newRow("hue") << kHueAxis;
    QTest::newRow("saturation") << kSaturationAxis;
}

void TestColorControl::mappingRoundTripSettles()
{
    QFETCH(ColorAxis, axis);
    for (int mpv = -100; mpv <= 100; ++mpv)
        QCOMPARE(ColorValueToMpv(axis, MpvToColorValue(axis, mpv)), mpv);

    // Every record value: the mapping never runs backwards and one trip settles the value.
    int previous = -100;
    for (int value = axis.min; value <= axis.max; ++value) {
        const int mpv = ColorValueToMpv(axis, value);
        QVERIFY2(mpv >= previous, qPrintable(QString::number(value)));
        previous = mpv;
        const int settled = MpvToColorValue(axis, mpv);
        QCOMPARE(MpvToColorValue(axis, ColorValueToMpv(axis, settled)), settled);
    }
}

void TestColorControl::readBackKeepsWhatWasWritten()
{
    // Each of these would come back changed through the inverse mapping alone (5003 as 5005,
    // 10049 as 10000, 1 as 2, 19999 as 20000).
    const ColorRecord written = makeRecord(5003, 10049, 1, 19999, 0, 300, 0);
    const MpvEqualizer held = MpvEqualizerFromRecord(written);
    QCOMPARE(RecordFromMpvEqualizer(held, written),
             makeRecord(5003, 10049, 1, 19999, 0, 300, 0, kMpvColorFlags));

    // Something else moved mpv's brightness: that one comes from the inverse mapping.
    MpvEqualizer moved = held;
    moved.brightness = -100;
    QCOMPARE(RecordFromMpvEqualizer(moved, written).brightness, 0);
    QCOMPARE(RecordFromMpvEqualizer(moved, written).contrast, 10049);
}

void TestColorControl::softwareFilterText_data()
{
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QString>("filter");

    QTest::newRow("neutral: no filter") << 0 << 0 << 0 << 0 << "";
    QTest::newRow("brighter") << 25 << 0 << 0 << 0
                              << "lavfi=[eq=brightness=0.25:contrast=1.00:saturation=1.00]";
    QTest::newRow("hue only") << 0 << 0 << 50 << 0 << "lavfi=[hue=h=90.0]";
    QTest::newRow("smallest hue step") << 0 << 0 << -1 << 0 << "lavfi=[hue=h=-1.8]";
    QTest::newRow("everything at the ends")
        << -100 << 100 << -100 << 100
        << "lavfi=[eq=brightness=-1.00:contrast=2.00:saturation=2.00,hue=h=-180.0]";
}

void TestColorControl::softwareFilterText()
{
    QFETCH(int, brightness);
    QFETCH(int, contrast);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(QString, filter);
    QCOMPARE(QString::fromStdString(
                 SoftwareColorFilter(MpvEqualizer {brightness, contrast, hue, saturation})),
             filter);
}

void TestColorControl::softwareFilterIsAcceptedByLibavfilter()
{
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is not installed");

    QString chain = QString::fromStdString(SoftwareColorFilter(MpvEqualizer {-37, 41, -73, 99}));
    QVERIFY(chain.startsWith("lavfi=[") && chain.endsWith("]"));
    chain = chain.mid(7, chain.size() - 8);

    QProcess process;
    process.start(ffmpeg,
                  {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                   "testsrc2=size=64x48:duration=0.1", "-vf", chain, "-f", "null", "-"});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

QTEST_GUILESS_MAIN(TestColorControl)
#include "tst_color_control.moc"
