// duvara-subs end to end: the real program on real files.
#include "subtitles/synthetic_timing.h"
#include "support/srt_time.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// `addressSpace` above 0 limits the tool's address space to that many bytes; `output`, when
// given, is the file standard output goes to.
Outcome RunTool(const QStringList &args, rlim_t addressSpace = 0, const QString &output = {})
{
    QProcess tool;
    if (!output.isEmpty())
        tool.setStandardOutputFile(output);
    if (addressSpace > 0) {
        tool.setChildProcessModifier([addressSpace] {
            const rlimit limit = {addressSpace, addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        });
    }
    tool.start(QStringLiteral(DUVARA_SUBS_PATH), args);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}

QString Data(const char *name)
{
    return QStringLiteral(DUVARA_SUBTITLE_DATA_DIR "/") + QLatin1String(name);
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// `count` entries in the layout the tool saves in; entry n runs from n s to n s + 500 ms.
QByteArray NumberedSubRip(int count)
{
    const auto time = duvara::test::SrtTimeText;
    QByteArray text;
    for (int n = 1; n <= count; ++n) {
        const QByteArray number = QByteArray::number(n);
        text += number + "\r\n" + time(n * qint64(1000)) + " --> " + time(n * qint64(1000) + 500)
            + "\r\nentry " + number + "\r\n\r\n";
    }
    return text;
}

// The SubRip file of these entries, texts "line 1", "line 2", ...
QByteArray SubRipOf(const duvara::test::Timings &timings)
{
    const auto time = duvara::test::SrtTimeText;
    QByteArray text;
    for (std::size_t i = 0; i < timings.size(); ++i) {
        const QByteArray number = QByteArray::number(qulonglong(i + 1));
        text += number + "\r\n" + time(timings[i].start) + " --> " + time(timings[i].end)
            + "\r\nline " + number + "\r\n\r\n";
    }
    return text;
}

QByteArray Complaint(const QString &message)
{
    return "duvara-subs: " + message.toUtf8() + "\n";
}

const QByteArray BasicSavedWithOffset2000
    = "1\r\n00:00:03,000 --> 00:00:06,000\r\n<b><i>Hello\r\nworld</b></i>\r\n\r\n"
      "2\r\n00:00:07,000 --> 00:00:08,500\r\nIn the year\r\n1984\r\n\r\n"
      "3\r\n00:00:09,000 --> 00:00:10,000\r\nNo blank line follows\r\n\r\n"
      "4\r\n00:00:10,000 --> 00:00:11,000\r\nNor here\r\n\r\n"
      "5\r\n00:00:11,500 --> 00:00:12,000\r\n<u>Last</u>\r\n\r\n";

} // namespace

class TestDuvaraSubs : public QObject
{
    Q_OBJECT

private slots:
    void output_data();
    void output();
    void commandLineErrors_data();
    void commandLineErrors();
    void helpAndVersion();
    void outputThatCannotBeWritten();
    void manPageListsWhatHelpLists();
    void dumpIsValidJsonOfAnyBytes();
    void notASubtitleFile_data();
    void notASubtitleFile();
    void largeTrackIsHandledWhole_data();
    void largeTrackIsHandledWhole();
    void fileTooLargeForMemory();
    void hoursPastNinetyNine_data();
    void hoursPastNinetyNine();
    void save();
    void failedSaveKeepsTheFile_data();
    void failedSaveKeepsTheFile();
    void alignSavesWhatListShows_data();
    void alignSavesWhatListShows();
    void alignRefuses_data();
    void alignRefuses();
};

void TestDuvaraSubs::output_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QString basic = Data("basic.srt");
    QTest::newRow("dump SubRip")
        << QStringList {"dump", basic} << 0
        << QByteArray(
               R"({"base": 1000, "span": 9000, "entries": [)"
               R"({"start": 0, "end": 3000, "style": "bi", "color": -1, "text": "Hello\n\rworld", "list": "Hello|world"}, )"
               R"({"start": 4000, "end": 5500, "style": "", "color": -1, "text": "In the year\n\r1984", "list": "In the year|1984"}, )"
               R"({"start": 6000, "end": 7000, "style": "", "color": -1, "text": "No blank line follows", "list": "No blank line follows"}, )"
               R"({"start": 7000, "end": 8000, "style": "", "color": -1, "text": "Nor here", "list": "Nor here"}, )"
               R"({"start": 8500, "end": 9000, "style": "u", "color": -1, "text": "Last", "list": "Last"}]})"
               "\n")
        << QByteArray();
    QTest::newRow("dump MicroDVD")
        << QStringList {"dump", Data("rate.sub")} << 0
        << QByteArray(
               R"({"base": 1001, "span": 3003, "entries": [)"
               R"({"start": 0, "end": 1001, "style": "i", "color": 255, "text": "Hi\n\rthere", "list": "Hi|there"}, )"
               R"({"start": 2002, "end": 3003, "style": "bu", "color": -1, "text": "Bold and underlined", "list": "Bold and underlined"}]})"
               "\n")
        << QByteArray();
    QTest::newRow("dump escapes")
        << QStringList {"dump", Data("escapes.srt")} << 0
        << QByteArray(
               R"({"base": 1000, "span": 1000, "entries": [{"start": 0, "end": 1000, "style": "", "color": -1, )"
               R"("text": "\"quoted\" back\\slash\ttab \u0001\u001F\u007F\n\r)"
               R"(café € 😀 latin1 \u00E9 lone \u0080 overlong \u00C0\u00AF surrogate \u00ED\u00A0\u0080", )"
               R"("list": "\"quoted\" back\\slash\ttab \u0001\u001F\u007F|)"
               R"(café € 😀 latin1 \u00E9 lone \u0080 overlong \u00C0\u00AF surrogate \u00ED\u00A0\u0080"}]})"
               "\n")
        << QByteArray();

    QTest::newRow("list with offset and span")
        << QStringList {"list", basic, "--offset", "2000", "--span", "18000"} << 0
        << QByteArray("0001\t00:00:03,000 - 00:00:09,000\tHello|world\n"
                      "0002\t00:00:11,000 - 00:00:14,000\tIn the year|1984\n"
                      "0003\t00:00:15,000 - 00:00:17,000\tNo blank line follows\n"
                      "0004\t00:00:17,000 - 00:00:19,000\tNor here\n"
                      "0005\t00:00:20,000 - 00:00:21,000\tLast\n")
        << QByteArray();
    QTest::newRow("offset of a minute")
        << QStringList {"list", Data("rate.sub"), "--offset", "60000"} << 0
        << QByteArray("0001\t00:01:01,001 - 00:01:02,002\tHi|there\n"
                      "0002\t00:01:03,003 - 00:01:04,004\tBold and underlined\n")
        << QByteArray();
    QTest::newRow("span of zero") << QStringList {"list", Data("rate.sub"), "--span", "0"} << 0
                                  << QByteArray(
                                         "0001\t00:00:01,001 - 00:00:01,001\tHi|there\n"
                                         "0002\t00:00:01,001 - 00:00:01,001\tBold and underlined\n")
                                  << QByteArray();

    // Lookup offset base - 150 = 850: entry 1 holds 850..3850, entry 2 4850..6350.
    QTest::newRow("at: inside") << QStringList {"at", basic, "3850"} << 0 << QByteArray("1\n")
                                << QByteArray();
    QTest::newRow("at: between") << QStringList {"at", basic, "4000"} << 0 << QByteArray("-1\n")
                                 << QByteArray();
    QTest::newRow("at: before the first")
        << QStringList {"at", basic, "-5"} << 0 << QByteArray("0\n") << QByteArray();
    QTest::newRow("at: after the last")
        << QStringList {"at", basic, "100000"} << 0 << QByteArray("-5\n") << QByteArray();
    QTest::newRow("at: touching entries, first reached wins")
        << QStringList {"at", basic, "7850"} << 0 << QByteArray("3\n") << QByteArray();
    QTest::newRow("at: --last keeps the shown entry")
        << QStringList {"--last", "4"} << 0 << QByteArray("4\n") << QByteArray();
    QTest::newRow("at: --last outside the track starts at the first")
        << QStringList {"--last", "70000"} << 0 << QByteArray("3\n") << QByteArray();
    QTest::newRow("at: with offset") << QStringList {"at", basic, "4000", "--offset", "1000"} << 0
                                     << QByteArray("1\n") << QByteArray();

    QTest::newRow("missing file") << QStringList {"list", Data("missing.srt")} << 1 << QByteArray()
                                  << Complaint(Data("missing.srt") + ": no such file");
    QTest::newRow("a folder") << QStringList {"at", Data(""), "0"} << 1 << QByteArray()
                              << Complaint(Data("") + ": is a folder, not a file");
    QTest::newRow("a path through a file")
        << QStringList {"dump", Data("basic.srt/x.srt")} << 1 << QByteArray()
        << Complaint(Data("basic.srt/x.srt") + ": cannot read: Not a directory");
    QTest::newRow("span beyond what this track reaches")
        << QStringList {"list", Data("rate.sub"), "--span", "1803004"} << 2 << QByteArray()
        << Complaint("--span: 1803004 is out of range for " + Data("rate.sub")
                     + " (0 to 1803003 ms)");
}

void TestDuvaraSubs::output()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    if (args.first() == "--last")
        args = QStringList {"at", Data("basic.srt"), "7850"} + args;
    const Outcome outcome = RunTool(args);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.out, out);
    QCOMPARE(outcome.err, err);
}

void TestDuvaraSubs::commandLineErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("err");

    // The parser's table has every refusal; these show how the program answers each kind.
    const QByteArray usage = "usage: duvara-subs dump FILE\n";
    QTest::newRow("wrong shape: the reason, then the usage")
        << QStringList {"show", Data("basic.srt")}
        << "duvara-subs: unknown command 'show'\n" + usage;
    QTest::newRow("bad number: the reason alone")
        << QStringList {"list", Data("basic.srt"), "--offset", "12x"}
        << QByteArray("duvara-subs: --offset: '12x' is not a number of milliseconds\n");
    QTest::newRow("out of range: the range")
        << QStringList {"at", Data("missing.srt"), "0", "--offset", "-60001"}
        << QByteArray("duvara-subs: --offset: -60001 is out of range (-60000 to 60000 ms)\n");
}

// A wrong command line ends with status 2 before any file is read, and nothing on standard
// output.
void TestDuvaraSubs::commandLineErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, err);
    const Outcome outcome = RunTool(args);
    QCOMPARE(outcome.exitCode, 2);
    QCOMPARE(outcome.out, QByteArray());
    if (err.endsWith("FILE\n"))
        QVERIFY2(outcome.err.startsWith(err), outcome.err.constData());
    else
        QCOMPARE(outcome.err, err);
}

// Asked for, help and version go to standard output and succeed.
void TestDuvaraSubs::helpAndVersion()
{
    for (const QStringList &ask :
         {QStringList {"--help"}, QStringList {"-h"}, QStringList {"align", "x.srt", "--help"}}) {
        const Outcome help = RunTool(ask);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("usage: duvara-subs dump FILE\n"));
        QVERIFY(help.out.contains("Exit status: 0"));
        QCOMPARE(help.err, QByteArray());
    }
    const Outcome version = RunTool({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("duvara-subs " DUVARA_VERSION "\n"));
    QCOMPARE(version.err, QByteArray());
}

// An answer that cannot be written out is a failure that says so, not a silent one.
void TestDuvaraSubs::outputThatCannotBeWritten()
{
    for (const QStringList &args :
         {QStringList {"dump", Data("basic.srt")}, QStringList {"--help"}}) {
        const Outcome outcome = RunTool(args, 0, QStringLiteral("/dev/full"));
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.err,
                 QByteArray("duvara-subs: cannot write to standard output: No space left on "
                            "device\n"));
    }
}

// The commands the man page describes and the long options it names are those --help gives.
void TestDuvaraSubs::manPageListsWhatHelpLists()
{
    const QString help = QString::fromUtf8(RunTool({"--help"}).out);
    QString page = QString::fromUtf8(FileBytes(QStringLiteral(DUVARA_SUBS_MAN_PAGE)));
    QVERIFY(!page.isEmpty());
    page.replace("\\-", "-");

    const QRegularExpression longOption("--[a-z][a-z-]*");
    const auto options = [&](const QString &text) {
        QSet<QString> found;
        for (const QRegularExpressionMatch &match : longOption.globalMatch(text))
            found.insert(match.captured());
        return found;
    };
    QSet<QString> helpCommands;
    const QRegularExpression usageLine("^(?:usage:)? +duvara-subs ([a-z]+)(?= |$)",
                                       QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &match : usageLine.globalMatch(help))
        helpCommands.insert(match.captured(1));
    // In the page, each command is the first word of a tagged paragraph under COMMANDS.
    QSet<QString> pageCommands;
    const QString commands = page.section("\n.SH COMMANDS\n", 1).section("\n.SH ", 0, 0);
    const QRegularExpression tag("^\\.TP\n\\.BI? ([a-z]+)(?= |$)",
                                 QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &match : tag.globalMatch(commands))
        pageCommands.insert(match.captured(1));

    QVERIFY(helpCommands.contains("align"));
    QCOMPARE(pageCommands, helpCommands);
    QVERIFY(options(help).contains("--to-audio"));
    QCOMPARE(options(page), options(help));
}

void TestDuvaraSubs::dumpIsValidJsonOfAnyBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Every byte but the line ends, NUL and the markup brackets, between two guards so that
    // nothing is trimmed. No two high bytes in a row form UTF-8, so each maps to its own value.
    QByteArray text = "[";
    for (int byte = 1; byte < 256; ++byte) {
        if (!QByteArray("\n\r<>{}").contains(char(byte)))
            text += char(byte);
    }
    text += "]";
    const QString path = dir.filePath("all-bytes.srt");
    QVERIFY(WriteBytes(path, "00:00:01,000 --> 00:00:02,000\n" + text + "\n"));

    const Outcome outcome = RunTool({"dump", path});
    QCOMPARE(outcome.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(outcome.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject entry = json.object().value("entries").toArray().at(0).toObject();
    QCOMPARE(entry.value("text").toString(), QString::fromLatin1(text));
    QCOMPARE(entry.value("list").toString(), QString::fromLatin1(text));
}

void TestDuvaraSubs::notASubtitleFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << "empty.srt" << QByteArray() << "is empty";
    QTest::newRow("text without an entry") << "notes.srt" << QByteArray("just text\n")
                                           << "not a subtitle file (no SubRip entry in it)";
    QTest::newRow("binary") << "picture.sub" << QByteArray("\0\0\0 ftypisom", 12)
                            << "not a subtitle file (no MicroDVD entry in it)";
}

// Whatever the command, such a file is refused; saved over itself, it stays as it was.
void TestDuvaraSubs::notASubtitleFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(name);
    QVERIFY(WriteBytes(file, bytes));
    const QStringList commands[] = {{"dump", file},
                                    {"list", file, "--span", "5000"},
                                    {"at", file, "1000", "--last", "3"},
                                    {"save", file, file},
                                    {"align", file, "--to", Data("basic.srt")}};
    for (const QStringList &args : commands) {
        const Outcome outcome = RunTool(args);
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.out, QByteArray());
        QCOMPARE(outcome.err, Complaint(file + ": " + reason));
    }
    QCOMPARE(FileBytes(file), bytes);
    // As the reference of an alignment, too.
    const Outcome aligned = RunTool({"align", Data("basic.srt"), "--to", file});
    QCOMPARE(aligned.exitCode, 1);
    QCOMPARE(aligned.err, Complaint(file + ": " + reason));
}

void TestDuvaraSubs::largeTrackIsHandledWhole_data()
{
    QTest::addColumn<QStringList>("args"); // FILE and OUT stand for the input and output paths
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("outputEnd");

    // 70000 entries, based at 1000 ms; the lookup offset is 1000 - 150.
    QTest::newRow("dump") << QStringList {"dump", "FILE"} << 1
                          << QByteArray(R"("text": "entry 70000", "list": "entry 70000"}]})"
                                        "\n");
    QTest::newRow("list") << QStringList {"list", "FILE"} << 70000
                          << QByteArray("\n70000\t19:26:40,000 - 19:26:40,500\tentry 70000\n");
    QTest::newRow("at the last entry, from the first")
        << QStringList {"at", "FILE", "70000000"} << 1 << QByteArray("70000\n");
    QTest::newRow("at the last entry, shown last")
        << QStringList {"at", "FILE", "70000000", "--last", "70000"} << 1 << QByteArray("70000\n");
    QTest::newRow("at between the last two")
        << QStringList {"at", "FILE", "69999500", "--last", "69999"} << 1 << QByteArray("-69999\n");
    QTest::newRow("at after the last")
        << QStringList {"at", "FILE", "80000000", "--last", "65536"} << 1 << QByteArray("-70000\n");
    QTest::newRow("save over the source")
        << QStringList {"save", "FILE", "FILE"} << 0 << QByteArray();
    QTest::newRow("save elsewhere") << QStringList {"save", "FILE", "OUT"} << 0 << QByteArray();
}

void TestDuvaraSubs::largeTrackIsHandledWhole()
{
    QFETCH(QStringList, args);
    QFETCH(int, lines);
    QFETCH(QByteArray, outputEnd);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray source = NumberedSubRip(70000);
    const QString file = dir.filePath("large.srt");
    const QString out = dir.filePath("out.srt");
    QVERIFY(WriteBytes(file, source));
    args.replaceInStrings(QRegularExpression("^FILE$"), file);
    args.replaceInStrings(QRegularExpression("^OUT$"), out);

    const Outcome outcome = RunTool(args);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QByteArray());
    QCOMPARE(outcome.out.count('\n'), lines);
    QVERIFY2(outcome.out.endsWith(outputEnd), outcome.out.right(200).constData());
    if (args.first() == "save") {
        const QByteArray saved = FileBytes(args.last());
        QCOMPARE(saved.size(), source.size());
        QVERIFY(saved == source);
    }
}

// Every line of a MicroDVD file is an entry, so a few megabytes of one-letter lines ask for
// far more memory than the tool is given here.
void TestDuvaraSubs::fileTooLargeForMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than the limit allows");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("lines.sub");
    QVERIFY(WriteBytes(file, "{1}{2}x\n" + QByteArray("x\n").repeated(2000000)));
    const QString out = dir.filePath("out.srt");

    for (const QStringList &args : {QStringList {"dump", file}, QStringList {"save", file, out}}) {
        // The tool maps FFmpeg's libraries (for align --to-audio) at start, some 150-190 MB of
        // address space before it reads a byte.
        const Outcome outcome = RunTool(args, rlim_t {256} << 20);
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.out, QByteArray());
        QCOMPARE(outcome.err, Complaint(file + ": too large: its entries do not fit in memory"));
    }
    QVERIFY(!QFile::exists(out));
    // With room to read the track but not to print all of it: a message, not an abort.
    const Outcome printed = RunTool({"dump", file}, rlim_t {512} << 20);
    QVERIFY2(printed.exitCode == 0 || printed.exitCode == 1, printed.err.constData());
    if (printed.exitCode == 1)
        QCOMPARE(printed.err, Complaint(file + ": not enough memory to finish"));
    QCOMPARE(RunTool({"at", file, "0"}).exitCode, 0); // without the limit it loads
}

void TestDuvaraSubs::hoursPastNinetyNine_data()
{
    QTest::addColumn<QStringList>("args"); // FILE and OUT stand for the input and output paths
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("saved"); // OUT afterwards; empty when nothing is saved

    // The first entry crosses into 100 hours, the last ends on the largest time a track holds.
    QTest::newRow("dump")
        << QStringList {"dump", "FILE"}
        << QByteArray(
               R"({"base": 359999999, "span": 1787483648, "entries": [)"
               R"({"start": 0, "end": 1, "style": "", "color": -1, "text": "first", "list": "first"}, )"
               R"({"start": 1787482648, "end": 1787483648, "style": "", "color": -1, "text": "last", "list": "last"}]})"
               "\n")
        << QByteArray();
    QTest::newRow("list") << QStringList {"list", "FILE"}
                          << QByteArray("0001\t99:59:59,999 - 100:00:00,000\tfirst\n"
                                        "0002\t596:31:22,647 - 596:31:23,647\tlast\n")
                          << QByteArray();
    QTest::newRow("list shifted past what a track holds")
        << QStringList {"list", "FILE", "--offset", "60000"}
        << QByteArray("0001\t100:00:59,999 - 100:01:00,000\tfirst\n"
                      "0002\t596:32:22,647 - 596:32:23,647\tlast\n")
        << QByteArray();
    QTest::newRow("at the last entry")
        << QStringList {"at", "FILE", "2147483000"} << QByteArray("2\n") << QByteArray();
    QTest::newRow("save gives the file back")
        << QStringList {"save", "FILE", "OUT"} << QByteArray()
        << QByteArray("1\r\n99:59:59,999 --> 100:00:00,000\r\nfirst\r\n\r\n"
                      "2\r\n596:31:22,647 --> 596:31:23,647\r\nlast\r\n\r\n");
    QTest::newRow("save shifted back a minute")
        << QStringList {"save", "FILE", "OUT", "--offset", "-60000"} << QByteArray()
        << QByteArray("1\r\n99:58:59,999 --> 99:59:00,000\r\nfirst\r\n\r\n"
                      "2\r\n596:30:22,647 --> 596:30:23,647\r\nlast\r\n\r\n");
}

void TestDuvaraSubs::hoursPastNinetyNine()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, saved);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("long.srt");
    const QString outFile = dir.filePath("out.srt");
    QVERIFY(WriteBytes(file,
                       "1\r\n99:59:59,999 --> 100:00:00,000\r\nfirst\r\n\r\n"
                       "2\r\n596:31:22,647 --> 596:31:23,647\r\nlast\r\n\r\n"));
    args.replaceInStrings(QRegularExpression("^FILE$"), file);
    args.replaceInStrings(QRegularExpression("^OUT$"), outFile);

    const Outcome outcome = RunTool(args);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QByteArray());
    QCOMPARE(outcome.out, out);
    QCOMPARE(FileBytes(outFile), saved);
    if (!saved.isEmpty()) {
        // What was saved reads back to the times it shows.
        QCOMPARE(RunTool({"save", outFile, outFile}).exitCode, 0);
        QCOMPARE(FileBytes(outFile), saved);
    }
}

void TestDuvaraSubs::save()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath("out.srt");
    QVERIFY(WriteBytes(out, "replaced"));

    const Outcome outcome = RunTool({"save", Data("basic.srt"), out, "--offset", "2000"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(outcome.out.isEmpty());
    QVERIFY(outcome.err.isEmpty());
    QCOMPARE(FileBytes(out), BasicSavedWithOffset2000);

    // A MicroDVD track comes out as SubRip, its line breaks as lines and its colour gone.
    QCOMPARE(RunTool({"save", Data("rate.sub"), out}).exitCode, 0);
    QCOMPARE(
        FileBytes(out),
        QByteArray(
            "1\r\n00:00:01,001 --> 00:00:02,002\r\n<i>Hi\r\nthere</i>\r\n\r\n"
            "2\r\n00:00:03,003 --> 00:00:04,004\r\n<b><u>Bold and underlined</b></u>\r\n\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"out.srt"});
}

void TestDuvaraSubs::failedSaveKeepsTheFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder") << "missing/out.srt"
                                    << "cannot save: No such file or directory";
    QTest::newRow("target is a folder") << "sub"
                                        << "is a folder, not a file";
    QTest::newRow("disk full") << "old.srt"
                               << "cannot save: File too large";
}

void TestDuvaraSubs::failedSaveKeepsTheFile()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const QByteArray old = "old bytes";
    QVERIFY(WriteBytes(dir.filePath("old.srt"), old));

    Outcome outcome;
    if (target == "old.srt") {
        // The tool inherits a file size limit below the output's size; writes then fail.
        rlimit saved = {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = 64;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        outcome = RunTool({"save", Data("basic.srt"), dir.filePath(target)});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    } else {
        outcome = RunTool({"save", Data("basic.srt"), dir.filePath(target)});
    }
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, Complaint(dir.filePath(target) + ": " + reason));
    QCOMPARE(FileBytes(dir.filePath("old.srt")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList {"old.srt", "sub"}));
    QVERIFY(QDir(dir.filePath("sub")).isEmpty());
}

void TestDuvaraSubs::alignSavesWhatListShows_data()
{
    QTest::addColumn<double>("stretch");
    QTest::addColumn<int>("lateMs");
    QTest::addColumn<bool>("damaged"); // lines lost, split and merged; else the reference's lines

    QTest::newRow("3.2 s late at 25 / 23.976, damaged") << 25 / (24000.0 / 1001) << 3200 << true;
    QTest::newRow("40 s early") << 1.0 << -40000 << false;
}

// The offset and span the command prints are the player's: the track listed with them shows the
// times of the file it saved.
void TestDuvaraSubs::alignSavesWhatListShows()
{
    QFETCH(double, stretch);
    QFETCH(int, lateMs);
    QFETCH(bool, damaged);
    using namespace duvara::test;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Timings film = FilmTiming(5, 1500, 60000);
    const QString reference = dir.filePath("reference.srt");
    const QString file = dir.filePath("track.srt");
    const QString out = dir.filePath("aligned.srt");
    QVERIFY(WriteBytes(reference, SubRipOf(film)));
    QVERIFY(WriteBytes(
        file, SubRipOf(Mapped(damaged ? Damaged(film, 6, 0.1, 0.1, 0.1) : film, stretch, lateMs))));

    const Outcome aligned = RunTool({"align", file, "--to", reference, "--save", out});
    QCOMPARE(aligned.err, QByteArray());
    QCOMPARE(aligned.exitCode, 0);
    const QRegularExpressionMatch line
        = QRegularExpression("^offset (-?[0-9]+) span ([0-9]+)\\n$").match(aligned.out);
    QVERIFY2(line.hasMatch(), aligned.out.constData());
    const Outcome corrected
        = RunTool({"list", file, "--offset", line.captured(1), "--span", line.captured(2)});
    const Outcome saved = RunTool({"list", out});
    QCOMPARE(saved.exitCode, 0);
    QVERIFY(saved.out.count('\n') > 1000);
    QCOMPARE(saved.out, corrected.out);
    if (!damaged) // a shift alone comes back exactly
        QCOMPARE(saved.out, RunTool({"list", reference}).out);
}

void TestDuvaraSubs::alignRefuses_data()
{
    QTest::addColumn<QByteArray>("track"); // "unrelated", "late" or the file's bytes
    QTest::addColumn<QString>("referenceName");
    QTest::addColumn<QString>("err"); // a pattern; FILE and OTHER stand for the two paths

    QTest::newRow("unrelated tracks")
        << QByteArray("unrelated") << "reference.srt"
        << "duvara-subs: no fit between FILE and OTHER: their timing has too little in common "
           "\\(at best [0-9]+ % of the entries line up\\)\n";
    QTest::newRow("95 s late") << QByteArray("late") << "reference.srt"
                               << "duvara-subs: no fit between FILE and OTHER: lining them up "
                                  "needs an offset "
                                  "of -95\\.000 s, beyond the 60\\.000 s either way the offset "
                                  "reaches\n";
    QTest::newRow("a missing reference") << QByteArray("late") << "missing.srt"
                                         << "duvara-subs: OTHER: no such file\n";
}

// A refusal names the files and says why, and leaves the file --save names alone.
void TestDuvaraSubs::alignRefuses()
{
    QFETCH(QByteArray, track);
    QFETCH(QString, referenceName);
    QFETCH(QString, err);
    using namespace duvara::test;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Timings film = FilmTiming(8, 600);
    if (track == "unrelated")
        track = SubRipOf(FilmTiming(9, 600));
    else if (track == "late")
        track = SubRipOf(Mapped(film, 1, 95000));
    const QString file = dir.filePath("track.srt");
    const QString reference = dir.filePath(referenceName);
    const QString out = dir.filePath("out.srt");
    QVERIFY(WriteBytes(file, track));
    QVERIFY(WriteBytes(dir.filePath("reference.srt"), SubRipOf(film)));
    QVERIFY(WriteBytes(out, "old"));

    const Outcome outcome = RunTool({"align", file, "--to", reference, "--save", out});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out, QByteArray());
    err.replace("FILE", QRegularExpression::escape(file))
        .replace("OTHER", QRegularExpression::escape(reference));
    QVERIFY2(QRegularExpression("^" + err + "$").match(QString::fromUtf8(outcome.err)).hasMatch(),
             outcome.err.constData());
    QCOMPARE(FileBytes(out), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestDuvaraSubs)
#include "tst_duvara_subs.moc"
