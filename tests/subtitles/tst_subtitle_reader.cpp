// The SubRip and MicroDVD reader: grammars, markup, encodings, limits and hostile input.
#include "subtitle_test_support.h"

#include "subtitles/corrections.h"
#include "subtitles/line_cursor.h"
#include "subtitles/subtitle_markup.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_writer.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>
#include <random>

using namespace duvara;
using namespace duvara::test;

namespace {

// Tag removal stated plainly: delete first occurrences, one at a time, until none is left.
void StripByRepeatedDeletion(std::string &line, uint8_t &style)
{
    const auto removeFirst = [&line](const char *tag) {
        const std::size_t at = line.find(tag);
        if (at == std::string::npos)
            return false;
        line.erase(at, std::strlen(tag));
        return true;
    };
    const auto removeStyles = [&](const char *italic, const char *bold, const char *underline) {
        for (;;) {
            if (removeFirst(italic))
                style |= StyleItalic;
            else if (removeFirst(bold))
                style |= StyleBold;
            else if (removeFirst(underline))
                style |= StyleUnderline;
            else
                return;
        }
    };
    const auto removeGroups = [&line](char open, char close) {
        for (;;) {
            const std::size_t first = line.find(open);
            const std::size_t last = line.find(close);
            if (first == std::string::npos || last == std::string::npos || first > last)
                return;
            line.erase(first, last - first + 1);
        }
    };
    removeStyles("<i>", "<b>", "<u>");
    removeGroups('<', '>');
    removeStyles("{\\i1}", "{\\b1}", "{\\u1}");
    removeGroups('{', '}');
}

// Line splitting stated plainly: CR LF, a lone CR or a lone LF ends a line; an ending at the very
// end adds no empty line.
std::vector<std::string> SplitBySearch(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = std::min(text.find('\r', from), text.find('\n', from));
        if (end == std::string::npos) {
            lines.push_back(text.substr(from));
            break;
        }
        lines.push_back(text.substr(from, end - from));
        from = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

} // namespace

class TestSubtitleReader : public QObject
{
    Q_OBJECT

private slots:
    void readBuffer_data();
    void readBuffer();
    void readFixture_data();
    void readFixture();
    void baseTimeIsResetByEveryLoad();
    void reloadEqualsAFreshLoad_data();
    void reloadEqualsAFreshLoad();
    void unreadablePathsEmptyTheTrack();
    void everyEntryIsKept_data();
    void everyEntryIsKept();
    void lastEntryOfALargeTrackIsFound_data();
    void lastEntryOfALargeTrackIsFound();
    void loadsBeyondTheMemoryLimitFail_data();
    void loadsBeyondTheMemoryLimitFail();
    void hostileLines_data();
    void hostileLines();
    void binaryInput();
    void stripSrtTagsMatchesRepeatedDeletion();
    void linesAndArrowsMatchAPlainSearch();
    void regressionInputs();
};

void TestSubtitleReader::readBuffer_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("base");
    QTest::addColumn<QStringList>("entries");

    const QStringList none;
    const QStringList ab = {R"(0-1000 - -1 "A" "A")", R"(2000-3000 - -1 "B" "B")"};

    // SubRip
    QTest::newRow("tags set the style of the whole entry")
        << "a.srt" << QByteArray("1\n00:00:01,000 --> 00:00:04,000\n<i>Hello</i>\n<b>world</b>\n\n")
        << true << 1000 << QStringList {R"(0-3000 bi -1 "Hello\n\rworld" "Hello|world")"};
    QTest::newRow("next time line ends the text")
        << "a.srt"
        << QByteArray("00:00:01,000 --> 00:00:02,000\nA\n00:00:03,000 --> 00:00:04,000\nB\n")
        << true << 1000 << ab;
    QTest::newRow("number line before a time line ends the text")
        << "a.srt"
        << QByteArray("00:00:01,000 --> 00:00:02,000\nA\n2\n00:00:03,000 --> 00:00:04,000\nB")
        << true << 1000 << ab;
    QTest::newRow("a line of digits elsewhere is a caption")
        << "a.srt"
        << QByteArray(
               "1\n00:00:01,000 --> 00:00:02,000\n1984\n\n2\n00:00:03,000 --> 00:00:04,000\nB\n")
        << true << 1000
        << QStringList {R"(0-1000 - -1 "1984" "1984")", R"(2000-3000 - -1 "B" "B")"};
    QTest::newRow("digits on the last line are a caption")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\nA\n  2001  ") << true << 1000
        << QStringList {R"(0-1000 - -1 "A\n\r2001" "A|2001")"};
    // Single unmarked lines go to the track straight from the file, others through buffers.
    QTest::newRow("plain line, then a marked one")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\nA plain one\n<b>B</b>\n") << true
        << 1000 << QStringList {R"(0-1000 b -1 "A plain one\n\rB" "A plain one|B")"};
    QTest::newRow("a line that markup empties, then a plain one")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\n<i></i>\nA\n") << true << 1000
        << QStringList {R"(0-1000 i -1 "A" "A")"};
    QTest::newRow("plain line, then one that markup empties")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\nA\n{\\u1}\n") << true << 1000
        << QStringList {R"(0-1000 u -1 "A\n\r" "A|")"};
    QTest::newRow("three plain lines, the entries around single ones")
        << "a.srt"
        << QByteArray("00:00:01,000 --> 00:00:02,000\nfirst\n\n"
                      "00:00:03,000 --> 00:00:04,000\nA\nB\nC\n\n"
                      "00:00:05,000 --> 00:00:06,000\nlast")
        << true << 1000
        << QStringList {R"(0-1000 - -1 "first" "first")", R"(2000-3000 - -1 "A\n\rB\n\rC" "A|B|C")",
                        R"(4000-5000 - -1 "last" "last")"};
    QTest::newRow("arrow before column 11 is no time line")
        << "a.srt" << QByteArray("0:0:1,0 --> 0:0:2,0\nX\n") << true << 0 << none;
    QTest::newRow("short millisecond field and a point")
        << "a.srt" << QByteArray("00:01:02,5 --> 00:01:03.250\nX\n") << true << 62005
        << QStringList {R"(0-1245 - -1 "X" "X")"};
    QTest::newRow("blank line ends the text, blanks include controls")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\n\t A \x01\n \t \nlost\n") << true
        << 1000 << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("stray braces and brackets stay")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\nHello } world {\na > b < c\n")
        << true << 1000
        << QStringList {
               R"(0-1000 - -1 "Hello } world {\n\ra > b < c" "Hello } world {|a > b < c")"};
    QTest::newRow("unterminated tags stay as text")
        << "a.srt"
        << QByteArray("00:00:01,000 --> 00:00:02,000\n<i>open\n<font color=\"red\"\n{\\b1 half\n")
        << true << 1000
        << QStringList {
               R"(0-1000 i -1 "open\n\r<font color="red"\n\r{\b1 half" "open|<font color="red"|{\b1 half")"};
    QTest::newRow("brace style tags")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\n{\\i1}x{\\i0} {\\b1}y{\\u1}\n")
        << true << 1000 << QStringList {R"(0-1000 biu -1 "x y" "x y")"};
    QTest::newRow("removing a tag can join another")
        << "a.srt" << QByteArray("00:00:01,000 --> 00:00:02,000\n<<i>b>x</b>\n") << true << 1000
        << QStringList {R"(0-1000 bi -1 "x" "x")"};

    // SubRip hours past two digits, up to what a track's 32-bit times hold
    const int int32Max = std::numeric_limits<int>::max();
    QTest::newRow("100 hours and more")
        << "a.srt" << QByteArray("1\n100:00:00,000 --> 123:45:06,789\nX\n") << true << 360000000
        << QStringList {R"(0-85506789 - -1 "X" "X")"};
    QTest::newRow("an entry from 99 hours into 100")
        << "a.srt" << QByteArray("99:59:59,999 --> 100:00:00,000\nX\n") << true << 359999999
        << QStringList {R"(0-1 - -1 "X" "X")"};
    QTest::newRow("an entry after 100 hours, then one before")
        << "a.srt"
        << QByteArray("100:00:01,000 --> 100:00:02,000\nA\n\n"
                      "00:00:01,000 --> 00:00:02,000\nB\n")
        << true << 360001000
        << QStringList {R"(0-1000 - -1 "A" "A")", R"(3934967296-3934968296 - -1 "B" "B")"};
    QTest::newRow("wide hours keep the tolerance of two-digit ones")
        << "a.srt" << QByteArray(" 0100:01:02,5 --> 100:01:03.250 trailing\nX\n") << true
        << 360062005 << QStringList {R"(0-1245 - -1 "X" "X")"};
    QTest::newRow("the largest time a track holds")
        << "a.srt" << QByteArray("596:31:23,646 --> 596:31:23,647\nX\n") << true << int32Max - 1
        << QStringList {R"(0-1 - -1 "X" "X")"};
    QTest::newRow("times beyond 24 days saturate, as MicroDVD frames do")
        << "a.srt" << QByteArray("596:31:23,648 --> 1193:02:47,295\nX\n") << true << int32Max
        << QStringList {R"(0-0 - -1 "X" "X")"};
    QTest::newRow("hours of any length saturate")
        << "a.srt"
        << QByteArray(100, '9') + ":00:00,000 --> " + QByteArray(30, '9') + ":00:00,000\nX\n"
        << true << int32Max << QStringList {R"(0-0 - -1 "X" "X")"};
    QTest::newRow("an end past 24 days saturates the end only")
        << "a.srt" << QByteArray("00:00:01,000 --> 1000:00:00,000\nX\n") << true << 1000
        << QStringList {R"(0-2147482647 - -1 "X" "X")"};
    QTest::newRow("unreadable wide hours read as 0, the entry stays")
        << "a.srt" << QByteArray("100:0:00,000 --> 100:00:01,000\nX\n") << true << 0
        << QStringList {R"(0-360001000 - -1 "X" "X")"};

    // MicroDVD
    QTest::newRow("rate line, style and colour")
        << "a.sub" << QByteArray("{1}{1}23.976\n{24}{48}{y:i}{C:$0000FF}Hi|there") << true << 1001
        << QStringList {R"(0-1001 i 255 "Hi\n\rthere" "Hi|there")"};
    QTest::newRow("rate digits are thousandths")
        << "a.sub" << QByteArray("{0}{0}25000\n{25}{50}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("a rate without a point is whole frames a second")
        << "a.sub" << QByteArray("{1}{1}25\n{25}{50}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("a whole rate of 24 frames")
        << "a.sub" << QByteArray("{0}{0}24\n{24}{48}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("rate applies to the lines after it")
        << "a.sub" << QByteArray("{25}{50}A\n{1}{1}50.000\n{100}{150}B") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")", R"(1000-2000 - -1 "B" "B")"};
    QTest::newRow("rates above 65.535 fps are kept whole")
        << "a.sub" << QByteArray("{1}{1}100.000\n{100}{200}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("unreadable rate keeps the rate")
        << "a.sub" << QByteArray("{1}{1}fast\n{25}{50}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("unreadable start leaves an empty entry")
        << "a.sub" << QByteArray("{x}{50}Text\n{25}{50}B") << true << 0
        << QStringList {R"(0-0 - -1 "" "")", R"(1000-2000 - -1 "B" "B")"};
    QTest::newRow("unreadable end keeps the start") << "a.sub" << QByteArray("{25}{x}Text") << true
                                                    << 1000 << QStringList {R"(0-0 - -1 "" "")"};
    QTest::newRow("malformed colour still takes eleven bytes")
        << "a.sub" << QByteArray("{1}{2}{c:$12}Text here") << true << 40
        << QStringList {R"(0-40 - -1 " here" " here")"};
    QTest::newRow("colour tag before the style tag")
        << "a.sub" << QByteArray("{1}{2}{c:$FF0000}{y:b}X") << true << 40
        << QStringList {R"(0-40 b 16711680 "X" "X")"};
    QTest::newRow("only the first style tag counts, in any case")
        << "a.sub" << QByteArray("{1}{2}{Y:bU}{y:i}X") << true << 40
        << QStringList {R"(0-40 bu -1 "X" "X")"};
    QTest::newRow("25 fps by default, stray braces stay")
        << "a.sub" << QByteArray("\n  \n{10}{20}Hello } world {") << true << 400
        << QStringList {R"(0-400 - -1 "Hello } world {" "Hello } world {")"};
    QTest::newRow("frame products beyond 32 bits")
        << "a.sub" << QByteArray("{5000000}{5000025}A") << true << 200000000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("times beyond 24 days saturate")
        << "a.sub" << QByteArray("{2147483647}{2147483647}A") << true << 2147483647
        << QStringList {R"(0-0 - -1 "A" "A")"};
    // Frame numbers of any length are numbers: past 32 and 64 bits they saturate the same way.
    for (const QByteArray &frame :
         {QByteArray("2147483648"), QByteArray("4294967295"), QByteArray("4294967296"),
          QByteArray("1099511627776"), QByteArray(18, '9'), QByteArray("9223372036854775808"),
          QByteArray("18446744073709551615"), QByteArray("18446744073709551617"),
          QByteArray(40, '9'), "+" + QByteArray(40, '9')}) {
        QTest::addRow("frame %s keeps the text", frame.constData())
            << "a.sub"
            << "{" + frame + "}{" + frame + "}A" << true << 2147483647
            << QStringList {R"(0-0 - -1 "A" "A")"};
    }
    QTest::newRow("at 429496.729 fps frame 2^32 is within range")
        << "a.sub" << QByteArray("{1}{1}4294967.29\n{4294967296}{4724464025}A") << true << 10000000
        << QStringList {R"(0-1000000 - -1 "A" "A")"};
    QTest::newRow("end frame 2^32 saturates the end only")
        << "a.sub" << QByteArray("{25}{4294967296}A") << true << 1000
        << QStringList {R"(0-2147482647 - -1 "A" "A")"};
    QTest::newRow("start frame -2^32 saturates below zero")
        << "a.sub" << QByteArray("{-4294967296}{25}A") << true << std::numeric_limits<int>::min()
        << QStringList {R"(0-2147484648 - -1 "A" "A")"};
    QTest::newRow("frames -2^64 saturate below zero")
        << "a.sub" << QByteArray("{-18446744073709551616}{-18446744073709551616}A|B") << true
        << std::numeric_limits<int>::min() << QStringList {R"(0-0 - -1 "A\n\rB" "A|B")"};
    QTest::newRow("a long number with a letter is still no frame")
        << "a.sub" << QByteArray("{42949672960x}{50}Text") << true << 0
        << QStringList {R"(0-0 - -1 "" "")"};

    // Choosing the grammar and having no line
    // The first line that only one grammar begins an entry with decides; then the name.
    QTest::newRow("MicroDVD named .srt")
        << "a.srt" << QByteArray("{1}{1}23.976\n{24}{48}Hi") << true << 1001
        << QStringList {R"(0-1001 - -1 "Hi" "Hi")"};
    QTest::newRow("SubRip named .TXT")
        << "dir.sub/a.TXT" << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHi\n\n") << true << 1000
        << QStringList {R"(0-1000 - -1 "Hi" "Hi")"};
    QTest::newRow("SubRip named .sub, with a byte-order mark and a title first")
        << "a.sub"
        << QByteArray("\xEF\xBB\xBF"
                      "A film\n\n1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n")
        << true << 1000 << QStringList {R"(0-1000 - -1 "Hi" "Hi")"};
    QTest::newRow("braces in SubRip text after a time line")
        << "a.txt" << QByteArray("00:00:01,000 --> 00:00:02,000\n{1}{2}Hi\n") << true << 1000
        << QStringList {R"(0-1000 - -1 "Hi" "Hi")"};
    QTest::newRow("neither: a .txt is MicroDVD")
        << "a.txt" << QByteArray("A\n2\n{25}{50}B\n") << true << 0
        << QStringList {R"(0-0 - -1 "" "")", R"(0-0 - -1 "" "")", R"(1000-2000 - -1 "B" "B")"};
    // Read as MicroDVD, no line of it begins with frames: a note, not a subtitle file.
    QTest::newRow("plain text named .txt has no entry")
        << "notes.txt" << QByteArray("Buy milk\n\nCall {Anna} at 5\n") << true << 0 << none;
    QTest::newRow("neither: a .srt is SubRip")
        << "a.srt" << QByteArray("{x}{1}Hello\n") << true << 0 << none;
    QTest::newRow("extension is read to four characters")
        << "a.subx" << QByteArray("{25}{50}A") << true << 1000
        << QStringList {R"(0-1000 - -1 "A" "A")"};
    QTest::newRow("one empty line is a line") << "a.srt" << QByteArray("\n") << true << 0 << none;
    QTest::newRow("empty") << "a.srt" << QByteArray() << false << 0 << none;
    QTest::newRow("NUL first") << "a.srt" << QByteArray("\0abc\n", 5) << false << 0 << none;
    QTest::newRow("byte-order mark only")
        << "a.sub" << QByteArray("\xEF\xBB\xBF") << false << 0 << none;
}

void TestSubtitleReader::readBuffer()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(int, base);
    QFETCH(QStringList, entries);

    SubtitleTrack track;
    const std::string name = fileName.toStdString();
    QCOMPARE(
        LoadSubtitlesFromBuffer(track, std::string_view(content.constData(), content.size()), name),
        ok);
    QCOMPARE(track.BaseTime, base);
    QCOMPARE(Describe(track), entries);
}

void TestSubtitleReader::readFixture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("base");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("UTF-8 byte-order mark keeps the rate line")
        << "utf8-bom.sub" << 1001 << QStringList {R"(0-1001 - -1 "Café" "Café")"};
    QTest::newRow("UTF-16 LE") << "utf16le.srt" << 1000
                               << QStringList {R"(0-1000 - -1 "Grüße 😀" "Grüße 😀")"};
    QTest::newRow("UTF-16 BE") << "utf16be.sub" << 1000
                               << QStringList {R"(0-1000 - -1 "Привет\n\rмир" "Привет|мир")"};
    QTest::newRow("CR, LF and CR LF mixed")
        << "mixed-line-ends.srt" << 1000
        << QStringList {R"(0-1000 - -1 "cr only" "cr only")",
                        R"(2000-3000 - -1 "lf only\n\rsecond" "lf only|second")",
                        R"(4000-5000 - -1 "cr lf" "cr lf")",
                        R"(6000-7000 - -1 "last line without end" "last line without end")"};
    QTest::newRow("NUL ends the text")
        << "nul-byte.srt" << 1000 << QStringList {R"(0-1000 - -1 "before" "before")"};
}

void TestSubtitleReader::readFixture()
{
    QFETCH(QString, file);
    QFETCH(int, base);
    QFETCH(QStringList, entries);

    SubtitleTrack track;
    QVERIFY(LoadSubtitles(track, DataPath(file).toStdString()));
    QCOMPARE(track.BaseTime, base);
    QCOMPARE(Describe(track), entries);
    QCOMPARE(QString::fromStdString(track.SubFileName), file);
}

void TestSubtitleReader::baseTimeIsResetByEveryLoad()
{
    SubtitleTrack track;
    QVERIFY(LoadSubtitles(track, DataPath("basic.srt").toStdString()));
    QCOMPARE(track.BaseTime, 1000);
    track.LastIndex = 4;

    // The first entry's frames cannot be read, so nothing sets the base time of this file.
    QVERIFY(LoadSubtitlesFromBuffer(track, "{x}{1}A\n{25}{50}B", "b.sub"));
    QCOMPARE(track.BaseTime, 0);
    QCOMPARE(track.Subs[1].StartTime, 1000u);
    QCOMPARE(track.LastIndex, 1);
}

void TestSubtitleReader::reloadEqualsAFreshLoad_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("styled and coloured, then plain") << "rate.sub"
                                                     << "basic.srt";
    QTest::newRow("more entries, then fewer") << "basic.srt"
                                              << "rate.sub";
    QTest::newRow("entries, then none") << "basic.srt"
                                        << "rate.sub as .srt";
    QTest::newRow("then a failed load") << "basic.srt"
                                        << "missing.srt";
}

// Loading over a loaded track reuses its entries' storage; nothing of the old file may show.
void TestSubtitleReader::reloadEqualsAFreshLoad()
{
    QFETCH(QString, first);
    QFETCH(QString, second);

    const auto load = [](SubtitleTrack &track, const QString &name) {
        if (name.endsWith(" as .srt")) {
            const QByteArray bytes = FileBytes(DataPath(name.section(' ', 0, 0)));
            return LoadSubtitlesFromBuffer(track, std::string_view(bytes.constData(), bytes.size()),
                                           "x.srt");
        }
        return LoadSubtitles(track, DataPath(name).toStdString());
    };
    SubtitleTrack fresh;
    const bool freshOk = load(fresh, second);
    SubtitleTrack reused;
    QVERIFY(load(reused, first));
    QCOMPARE(load(reused, second), freshOk);
    QCOMPARE(Describe(reused), Describe(fresh));
    QCOMPARE(reused.BaseTime, fresh.BaseTime);
}

void TestSubtitleReader::unreadablePathsEmptyTheTrack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &path :
         {dir.filePath("missing.srt"), dir.path(), dir.filePath("empty.srt")}) {
        if (path.endsWith("empty.srt"))
            QVERIFY(WriteBytes(path, QByteArray()));
        SubtitleTrack track;
        QVERIFY(LoadSubtitles(track, DataPath("basic.srt").toStdString()));
        QVERIFY(!LoadSubtitles(track, path.toStdString()));
        QCOMPARE(track.SubCount(), 0);
        QVERIFY(track.ListText.empty());
        QCOMPARE(track.BaseTime, 0);
        QCOMPARE(track.SubFileName, std::string("basic.srt")); // the last file that did load
    }
}

void TestSubtitleReader::everyEntryIsKept_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("lastText");

    QTest::newRow("SubRip 65535") << "a.srt" << NumberedEntries(65535, false) << 65535
                                  << "entry 65535";
    QTest::newRow("SubRip 65536") << "a.srt" << NumberedEntries(65536, false) << 65536
                                  << "entry 65536";
    QTest::newRow("SubRip 70000") << "a.srt" << NumberedEntries(70000, false) << 70000
                                  << "entry 70000";
    QTest::newRow("MicroDVD 70000")
        << "a.sub" << NumberedEntries(70000, true) << 70000 << "entry 70000";
    QTest::newRow("MicroDVD 300000")
        << "a.sub" << NumberedEntries(300000, true) << 300000 << "entry 300000";
    // A 16-bit line counter would wrap long before the entry at the end.
    QTest::newRow("entry after 70000 lines")
        << "a.srt" << QByteArray(70000, '\n') + "00:00:01,000 --> 00:00:02,000\nfound\n"
        << 1 << "found";
}

void TestSubtitleReader::everyEntryIsKept()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QFETCH(QString, lastText);

    SubtitleTrack track;
    QVERIFY(LoadSubtitlesFromBuffer(track, std::string_view(content.constData(), content.size()),
                                    fileName.toStdString()));
    QCOMPARE(int(track.Subs.size()), count);
    QCOMPARE(int(track.ListText.size()), count);
    QCOMPARE(track.SubCount(), count);
    QCOMPARE(QString::fromStdString(track.Subs.back().Text), lastText);
    QCOMPARE(QString::fromStdString(track.ListText.back()), lastText);
}

void TestSubtitleReader::lastEntryOfALargeTrackIsFound_data()
{
    QTest::addColumn<bool>("microDvd");
    QTest::addColumn<int>("count");

    QTest::newRow("SubRip 70000") << false << 70000;
    QTest::newRow("MicroDVD 70000") << true << 70000;
    QTest::newRow("SubRip 131073") << false << 131073;
}

// Positions come from the generated file's own numbers, so they hold whatever the track did.
void TestSubtitleReader::lastEntryOfALargeTrackIsFound()
{
    QFETCH(bool, microDvd);
    QFETCH(int, count);

    const QByteArray content = NumberedEntries(count, microDvd);
    SubtitleTrack track;
    QVERIFY(LoadSubtitlesFromBuffer(track, std::string_view(content.constData(), content.size()),
                                    microDvd ? "a.sub" : "a.srt"));
    ResetCorrections(track);
    const int32_t offset = track.BaseTime;
    const struct
    {
        int last;
        int64_t position;
        int32_t expected;
    } lookups[] = {
        {1, NumberedStart(count, microDvd), count},
        {1, NumberedEnd(count, microDvd), count},
        {count, NumberedStart(count, microDvd), count},
        {count - 1, NumberedStart(count, microDvd), count},
        {count, NumberedEnd(count - 1, microDvd) + 1, -(count - 1)},
        {1, NumberedEnd(count, microDvd) + 1, -count},
        {count, NumberedEnd(count, microDvd) + 100000, -count},
        {count, NumberedStart(1, microDvd), 1},
        {count, NumberedStart(65536, microDvd), 65536},
    };
    for (const auto &lookup : lookups) {
        track.LastIndex = lookup.last;
        QCOMPARE(FindEntryAt(track, offset, lookup.position, 1.0f), lookup.expected);
    }
}

void TestSubtitleReader::loadsBeyondTheMemoryLimitFail_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("count"); // -1: the load fails as too large

    constexpr qint64 MB = 1 << 20;
    const QByteArray blankLines = QByteArray(4 * MB, '\n') + "00:00:01,000 --> 00:00:02,000\nA\n";
    QTest::newRow("SubRip entries beyond the limit")
        << "a.srt" << NumberedEntries(70000, false) << false << 1 * MB << -1;
    QTest::newRow("the same entries within it")
        << "a.srt" << NumberedEntries(70000, false) << false << 64 * MB << 70000;
    QTest::newRow("MicroDVD entries beyond the limit")
        << "a.sub" << NumberedEntries(300000, true) << false << 8 * MB << -1;
    // Every line of a MicroDVD file is an entry: two bytes of file make one.
    QTest::newRow("one-letter lines beyond the limit")
        << "a.sub"
        << "{1}{2}x\n" + QByteArray("x\n").repeated(1000000) << false << 32 * MB << -1;
    QTest::newRow("one long entry beyond the limit")
        << "a.sub"
        << "{1}{2}" + QByteArray(2 * MB, 'x') << false << 3 * MB << -1;
    // The size of the file suggests many entries; storage for them is only a guess.
    QTest::newRow("a guess beyond the limit is not reserved")
        << "a.srt" << blankLines << false << 1 * MB << 1;
    QTest::newRow("file bytes beyond the limit") << "a.srt" << blankLines << true << 1 * MB << -1;
    QTest::newRow("file bytes within it") << "a.srt" << blankLines << true << 8 * MB << 1;
}

// A load that would exhaust memory fails as a whole and gives its storage back; the track is
// left as after any failed load.
void TestSubtitleReader::loadsBeyondTheMemoryLimitFail()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, fromFile);
    QFETCH(qint64, limit);
    QFETCH(int, count);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath(fileName).toStdString();
    QVERIFY(WriteBytes(QString::fromStdString(path), content));
    SubtitleTrack track;
    QVERIFY(LoadSubtitles(track, DataPath("basic.srt").toStdString()));

    const auto memoryLimit = static_cast<std::size_t>(limit);
    const LoadResult result = fromFile
        ? ReadSubtitleFile(track, path, memoryLimit)
        : ReadSubtitleBuffer(track, std::string_view(content.constData(), content.size()),
                             fileName.toStdString(), memoryLimit);
    if (count < 0) {
        QCOMPARE(result, LoadResult::TooLarge);
        QCOMPARE(track.SubCount(), 0);
        QVERIFY(track.ListText.empty());
        QCOMPARE(track.Subs.capacity(), std::size_t {0});
        QCOMPARE(track.BaseTime, 0);
        QCOMPARE(track.SubFileName, std::string("basic.srt"));
    } else {
        QCOMPARE(result, LoadResult::Loaded);
        QCOMPARE(track.SubCount(), count);
        QCOMPARE(track.SubFileName, fileName.toStdString());
    }
}

void TestSubtitleReader::hostileLines_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<int>("style");

    const QByteArray srtHead = "00:00:01,000 --> 00:00:02,000\n";
    const QByteArray subHead = "{1}{2}";
    QTest::newRow("100 KB of text") << "a.srt" << srtHead + QByteArray(100000, 'x') << 100000 << 0;
    QTest::newRow("100 KB of nested tags")
        << "a.srt" << srtHead + QByteArray("<<i>").repeated(25000) << 25000 << int(StyleItalic);
    QTest::newRow("100 KB of open brackets")
        << "a.srt" << srtHead + QByteArray("<{").repeated(50000) << 100000 << 0;
    QTest::newRow("100 KB of half brace tags")
        << "a.srt" << srtHead + QByteArray("{\\i1").repeated(25000) << 100000 << 0;
    QTest::newRow("100 KB of brace groups")
        << "a.srt" << srtHead + QByteArray("{}").repeated(50000) << 0 << 0;
    // The style tag and a broken colour tag go first, then every group but a trailing "{C:$".
    QTest::newRow("100 KB of MicroDVD tags")
        << "a.sub" << subHead + QByteArray("{y:i}{C:$").repeated(11111) << 6 << int(StyleItalic);
    QTest::newRow("100 KB time line")
        << "a.srt" << QByteArray(100000, ' ') + "-->" + QByteArray(100000, '9') << 0 << 0;
}

void TestSubtitleReader::hostileLines()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, line);
    QFETCH(int, textSize);
    QFETCH(int, style);

    SubtitleTrack track;
    QVERIFY(LoadSubtitlesFromBuffer(track, std::string_view(line.constData(), line.size()),
                                    fileName.toStdString()));
    QCOMPARE(track.SubCount(), 1);
    QCOMPARE(int(track.Subs[0].Text.size()), textSize);
    QCOMPARE(int(track.Subs[0].Style), style);
}

void TestSubtitleReader::binaryInput()
{
    std::mt19937 random(20240611);
    std::string bytes(1 << 20, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() % 255 + 1); // no NUL, so all of it is read
    for (const char *name : {"noise.srt", "noise.sub"}) {
        SubtitleTrack track;
        QVERIFY(LoadSubtitlesFromBuffer(track, bytes, name));
        QCOMPARE(track.ListText.size(), track.Subs.size());
    }
}

void TestSubtitleReader::stripSrtTagsMatchesRepeatedDeletion()
{
    static constexpr char alphabet[] = "<>{}\\ibu1x";
    std::mt19937 random(7);
    for (int round = 0; round < 50000; ++round) {
        std::string line(random() % 24, ' ');
        for (char &c : line)
            c = alphabet[random() % (sizeof(alphabet) - 1)];
        std::string expected = line;
        uint8_t expectedStyle = 0;
        StripByRepeatedDeletion(expected, expectedStyle);

        TSubT entry;
        std::string actual = line;
        StripSrtTags(actual, entry);
        if (actual != expected || entry.Style != expectedStyle)
            QFAIL(qPrintable(QStringLiteral("input %1: got \"%2\" style %3, want \"%4\" style %5")
                                 .arg(QString::fromStdString(line), QString::fromStdString(actual))
                                 .arg(entry.Style)
                                 .arg(QString::fromStdString(expected))
                                 .arg(expectedStyle)));
    }
}

// Lines and arrows are found sixteen bytes at a time: endings and arrows at every distance from
// a block's edge, in texts of every length, must come out as a byte-by-byte search finds them.
void TestSubtitleReader::linesAndArrowsMatchAPlainSearch()
{
    static constexpr char rare[] = "\r\n->-<{";
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 90, 'a');
        for (char &c : text) {
            if (random() % 4 == 0)
                c = rare[random() % (sizeof(rare) - 1)];
        }
        std::vector<std::string> lines;
        LineCursor cursor(text);
        for (std::string_view line; cursor.Next(line);) {
            lines.emplace_back(line);
            if (FindTimeArrow(line) != (line.size() < 13 ? line.npos : line.find("-->", 10)))
                QFAIL(qPrintable(QStringLiteral("arrow of \"%1\"")
                                     .arg(QByteArray(line.data(), int(line.size()))
                                              .toPercentEncoding(" -<>{a"))));
            const bool hasMarkup = line.find_first_of("<{") != line.npos;
            QCOMPARE(ContainsEither(line, '<', '{'), hasMarkup);
        }
        if (lines != SplitBySearch(text))
            QFAIL(qPrintable(QStringLiteral("lines of \"%1\"")
                                 .arg(QByteArray::fromStdString(text).toPercentEncoding("-<>{a"))));
    }
}

// Fuzzer inputs: the first byte chooses the grammar (even SubRip, odd MicroDVD), the rest is
// the file. Replays the seed corpus and every input that once broke the reader.
void TestSubtitleReader::regressionInputs()
{
    int replayed = 0;
    for (const QString &folder : {QStringLiteral(DUVARA_FUZZ_CORPUS_DIR), DataPath("regression")}) {
        QDirIterator files(folder, QDir::Files);
        while (files.hasNext()) {
            const QString path = files.next();
            const QByteArray input = FileBytes(path);
            if (input.isEmpty())
                continue;
            const std::string_view bytes(input.constData() + 1, input.size() - 1);
            SubtitleTrack track;
            LoadSubtitlesFromBuffer(track, bytes, (input[0] & 1) ? "case.sub" : "case.srt");
            QVERIFY2(track.Subs.size() <= MaxSubtitleEntries, qPrintable(path));
            QVERIFY2(track.ListText.size() == track.Subs.size(), qPrintable(path));
            const std::string written = BuildSubRipText(track, track.BaseTime);
            QVERIFY2(LoadSubtitlesFromBuffer(track, written, "again.srt") || written.empty(),
                     qPrintable(path));
            ++replayed;
        }
    }
    QVERIFY(replayed >= 12);
}

QTEST_GUILESS_MAIN(TestSubtitleReader)
#include "tst_subtitle_reader.moc"
