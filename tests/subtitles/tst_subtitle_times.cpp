// Time texts and the offset/duration corrections of a track.
#include "subtitle_test_support.h"

#include "subtitles/corrections.h"
#include "subtitles/time_text.h"

#include <QTest>

#include <limits>

using namespace duvara;
using namespace duvara::test;

namespace {
constexpr int32_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Int32Min = std::numeric_limits<int32_t>::min();
} // namespace

class TestSubtitleTimes : public QObject
{
    Q_OBJECT

private slots:
    void parseSrtTime_data();
    void parseSrtTime();
    void readTimeFields_data();
    void readTimeFields();
    void formatSrtTime_data();
    void formatSrtTime();
    void framesToMs_data();
    void framesToMs();
    void correctedTimes_data();
    void correctedTimes();
    void durationControls();
    void listTexts();
};

void TestSubtitleTimes::parseSrtTime_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("ms");

    QTest::newRow("short millisecond field") << QByteArray("00:01:02,5") << 62005;
    QTest::newRow("point separator") << QByteArray("00:00:01.250") << 1250;
    QTest::newRow("blanks around") << QByteArray(" \t01:30:00,000  ") << 5400000;
    QTest::newRow("largest with two-digit hours") << QByteArray("99:59:59,999") << 359999999;
    QTest::newRow("text after the time") << QByteArray("00:00:01,000 X1:100") << 1000;
    QTest::newRow("one-digit hours") << QByteArray("1:02:03,000") << 0;
    QTest::newRow("letter in a field") << QByteArray("00:0a:01,000") << 0;
    QTest::newRow("signed field") << QByteArray("-1:00:00,000") << 0;
    QTest::newRow("no millisecond field") << QByteArray("00:00:01") << 0;
    QTest::newRow("empty") << QByteArray() << 0;

    // Hours take every leading digit; the other fields follow them at the usual distances.
    QTest::newRow("100 hours") << QByteArray("100:00:00,000") << 360000000;
    QTest::newRow("three-digit hours, every field")
        << QByteArray("123:45:06,789") << 123 * 3600000 + 45 * 60000 + 6789;
    QTest::newRow("leading zeros in the hours") << QByteArray("0100:00:00,001") << 360000001;
    QTest::newRow("three-digit hours, short millisecond field")
        << QByteArray("100:01:02,5") << 360062005;
    QTest::newRow("three-digit hours, point and blanks")
        << QByteArray(" \t100:00:01.250  ") << 360001250;
    QTest::newRow("three-digit hours, text after the time")
        << QByteArray("100:00:01,000 X1:100") << 360001000;
    QTest::newRow("three-digit hours, one-digit minutes") << QByteArray("100:0:01,000") << 0;
    QTest::newRow("three-digit hours, no millisecond field") << QByteArray("100:00:01") << 0;
    QTest::newRow("three-digit hours, letter in a field") << QByteArray("100:00:0x,000") << 0;
    QTest::newRow("a digit cannot separate the hours") << QByteArray("01234567890123") << 0;
    QTest::newRow("largest a track holds") << QByteArray("596:31:23,647") << Int32Max;
    QTest::newRow("one past it saturates") << QByteArray("596:31:23,648") << Int32Max;
    QTest::newRow("minutes past 59 beyond it saturate") << QByteArray("596:99:99,999") << Int32Max;
    QTest::newRow("largest the writer writes saturates")
        << QByteArray("1193:02:47,295") << Int32Max;
    QTest::newRow("hours beyond 64 bits saturate")
        << QByteArray(40, '9') + ":00:00,000" << Int32Max;
    QTest::newRow("hours beyond 64 bits, then no minutes") << QByteArray(40, '9') + ":0" << 0;
}

void TestSubtitleTimes::parseSrtTime()
{
    QFETCH(QByteArray, text);
    QFETCH(int, ms);
    QCOMPARE(ParseSrtTime(std::string_view(text.constData(), text.size())), ms);
}

void TestSubtitleTimes::readTimeFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("millisOptional");
    QTest::addColumn<int>("ms"); // -1: unreadable

    QTest::newRow("whole seconds") << QByteArray("01:02:03") << true << 3723000;
    QTest::newRow("whole seconds need the option") << QByteArray("01:02:03") << false << -1;
    QTest::newRow("a time of 0 is a time") << QByteArray("00:00:00,000") << false << 0;
    QTest::newRow("untrimmed") << QByteArray(" 00:00:01,000") << false << -1;
    QTest::newRow("three-digit hours") << QByteArray("100:00:00,000") << false << 360000000;
    QTest::newRow("three-digit hours, whole seconds")
        << QByteArray("100:00:03") << true << 360003000;
    QTest::newRow("separator without milliseconds") << QByteArray("01:02:03,") << true << 3723000;
    QTest::newRow("three-digit hours, separator without milliseconds")
        << QByteArray("100:00:03,") << true << 360003000;
    QTest::newRow("three-digit hours, short millisecond field")
        << QByteArray("100:00:03,5") << true << 360003005;
    QTest::newRow("three-digit hours saturate") << QByteArray("999:00:00") << true << Int32Max;
}

void TestSubtitleTimes::readTimeFields()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, millisOptional);
    QFETCH(int, ms);
    const std::optional<int32_t> read
        = ReadTimeFields(std::string_view(text.constData(), text.size()), millisOptional);
    QCOMPARE(read.value_or(-1), ms);
}

void TestSubtitleTimes::formatSrtTime_data()
{
    QTest::addColumn<uint>("ms");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("zero") << 0u << QByteArray("00:00:00,000");
    QTest::newRow("padded fields") << 62005u << QByteArray("00:01:02,005");
    QTest::newRow("last two-digit hour") << 359999999u << QByteArray("99:59:59,999");
    QTest::newRow("100 hours") << 360000000u << QByteArray("100:00:00,000");
    QTest::newRow("largest a track holds") << 2147483647u << QByteArray("596:31:23,647");
    QTest::newRow("largest") << 4294967295u << QByteArray("1193:02:47,295");
}

void TestSubtitleTimes::formatSrtTime()
{
    QFETCH(uint, ms);
    QFETCH(QByteArray, text);
    QCOMPARE(Bytes(FormatSrtTime(ms)), text);
}

void TestSubtitleTimes::framesToMs_data()
{
    QTest::addColumn<uint>("rate");
    QTest::addColumn<qint64>("x");
    QTest::addColumn<int>("ms");

    QTest::newRow("frame 100 at 25 fps") << 25000u << qint64(100000) << 4000;
    QTest::newRow("frame 1 at 23.976 fps") << 23976u << qint64(1000) << 42;
    QTest::newRow("frame 24 at 23.976 fps") << 23976u << qint64(24000) << 1001;
    QTest::newRow("no rate") << 0u << qint64(5000) << 0;
    QTest::newRow("product beyond 32 bits") << 25000u << qint64(5000000) * 1000 << 200000000;
    QTest::newRow("negative frame") << 25000u << qint64(-1000) << -40;
    QTest::newRow("saturates above") << 1u << std::numeric_limits<qint64>::max() << Int32Max;
    QTest::newRow("saturates below") << 1u << std::numeric_limits<qint64>::min() << Int32Min;
}

void TestSubtitleTimes::framesToMs()
{
    QFETCH(uint, rate);
    QFETCH(qint64, x);
    QFETCH(int, ms);
    QCOMPARE(FramesToMs(rate, x), ms);
}

void TestSubtitleTimes::correctedTimes_data()
{
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<float>("factor");
    QTest::addColumn<int>("shift");
    QTest::addColumn<qint64>("corrected");
    QTest::addColumn<uint>("shown");
    QTest::addColumn<int>("tenths");

    QTest::newRow("uncorrected") << qint64(62005) << 1.0f << 0 << qint64(62005) << 62005u << 620;
    QTest::newRow("shift") << qint64(1000) << 1.0f << 2000 << qint64(3000) << 3000u << 30;
    QTest::newRow("below zero shows as zero")
        << qint64(3000) << 1.0f << -5000 << qint64(-2000) << 0u << -20;
    QTest::newRow("half rounds down to even") << qint64(5) << 0.5f << 0 << qint64(2) << 2u << 0;
    QTest::newRow("half rounds up to even") << qint64(7) << 0.5f << 0 << qint64(4) << 4u << 0;
    QTest::newRow("tenths round halves to even")
        << qint64(250) << 1.0f << 0 << qint64(250) << 250u << 2;
    // Span 89 min from 00:01:00,000 stretched to 01:32:42,500: the last end lands on 01:33:42,500.
    QTest::newRow("stretched last end") << qint64(5340000) << DurationFactor(5562500, 5340000)
                                        << 60000 << qint64(5622500) << 5622500u << 56225;
    QTest::newRow("entry before the first one")
        << qint64(4294962296) << 1.0f << 60000 << qint64(55000) << 55000u << 550;
    QTest::newRow("absurd factor saturates")
        << qint64(1000000000) << 3e38f << 0 << qint64(4611686018427387904) << 4294967295u
        << Int32Max;
}

void TestSubtitleTimes::correctedTimes()
{
    QFETCH(qint64, stored);
    QFETCH(float, factor);
    QFETCH(int, shift);
    QFETCH(qint64, corrected);
    QFETCH(uint, shown);
    QFETCH(int, tenths);

    const auto t = static_cast<uint32_t>(stored);
    QCOMPARE(CorrectedTime(t, factor, shift), corrected);
    QCOMPARE(ShownTime(t, factor, shift), shown);
    QCOMPARE(SeekTenths(t, factor, shift), tenths);
}

void TestSubtitleTimes::durationControls()
{
    QCOMPARE(DurationFactor(5340000, 5340000), 1.0f);
    QCOMPARE(DurationFactor(1000, 0), 1.0f);
    QCOMPARE(DurationFactor(1000, -5000), 1.0f);

    // 99:59:59,999 typed for a 01:30:00,000 track stops at 02:00:00,000.
    QCOMPARE(ClampTargetSpan(359999999, 5400000), 7200000);
    QCOMPARE(ClampTargetSpan(-5, 1000000), 0);
    QCOMPARE(ClampTargetSpan(100, -2000000), 0);
    QCOMPARE(ClampTargetSpan(std::numeric_limits<int64_t>::max(), Int32Max), Int32Max);

    QCOMPARE(TrackShift(60000, Int32Max), Int32Max);
    QCOMPARE(LookupOffset(-60000, Int32Min + 10), Int32Min);
}

void TestSubtitleTimes::listTexts()
{
    QCOMPARE(Bytes(ListEntryNumber(12)), QByteArray("0012"));
    QCOMPARE(Bytes(ListEntryNumber(12345)), QByteArray("12345"));
    TSubT entry;
    entry.StartTime = 1000;
    entry.EndTime = 4000;
    QCOMPARE(Bytes(ListRowTimes(entry, 1.0f, -2000)), QByteArray("00:00:00,000 - 00:00:02,000"));
}

QTEST_GUILESS_MAIN(TestSubtitleTimes)
#include "tst_subtitle_times.moc"
