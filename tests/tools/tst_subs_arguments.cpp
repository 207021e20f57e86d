// duvara-subs's command line: every form it takes apart, and the exact words of every refusal.
#include "subs_arguments.h"

#include <QTest>

using duvara::SubsCommandLine;
using Action = SubsCommandLine::Action;

Q_DECLARE_METATYPE(Action)

namespace {

SubsCommandLine Parse(const QStringList &words)
{
    std::vector<std::string> bytes;
    for (const QString &word : words)
        bytes.push_back(word.toStdString());
    return duvara::ParseSubsArguments(std::vector<std::string_view>(bytes.begin(), bytes.end()));
}

// The parsed arguments in one line, to compare a row at a glance.
QString Summary(const duvara::SubsArguments &a)
{
    const auto number = [](const std::optional<int64_t> &value) {
        return value ? QString::number(*value) : QStringLiteral("-");
    };
    return QStringLiteral("file=%1 out=%2 to=%3 audio=%4 position=%5 offset=%6 span=%7 last=%8")
        .arg(QString::fromStdString(a.file), QString::fromStdString(a.out),
             QString::fromStdString(a.reference), QString::fromStdString(a.film))
        .arg(a.position)
        .arg(number(a.offset), number(a.span), number(a.last));
}

} // namespace

class TestSubsArguments : public QObject
{
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void spanOfATrack_data();
    void spanOfATrack();
};

void TestSubsArguments::accepted_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("summary");

    const QString none = "file=%1 out=%2 to= audio= position=%3 offset=%4 span=%5 last=%6";
    QTest::newRow("options before and after the position")
        << QStringList {"at", "--offset", "-60000", "f.srt", "-5", "--last", "2147483647"}
        << none.arg("f.srt", "").arg(-5).arg("-60000", "-", "2147483647");
    QTest::newRow("the largest numbers")
        << QStringList {"at", "f.srt", "-9223372036854775808", "--span", "2147483647"}
        << none.arg("f.srt", "").arg("-9223372036854775808").arg("-", "2147483647", "-");
    QTest::newRow("the later of two offsets")
        << QStringList {"save", "f.srt", "o.srt", "--offset", "1", "--offset", "007"}
        << none.arg("f.srt", "o.srt").arg(0).arg("7", "-", "-");
    QTest::newRow("names beginning with dashes after --")
        << QStringList {"save", "--span", "0", "--", "--in.srt", "-"}
        << none.arg("--in.srt", "-").arg(0).arg("-", "0", "-");
    QTest::newRow("align to a film")
        << QStringList {"align", "f.srt", "--to-audio", "film.mp4", "--save", "o.srt"}
        << "file=f.srt out=o.srt to= audio=film.mp4 position=0 offset=- span=- last=-";
}

void TestSubsArguments::accepted()
{
    QFETCH(QStringList, words);
    QFETCH(QString, summary);
    const SubsCommandLine line = Parse(words);
    QCOMPARE(line.action, Action::Run);
    QCOMPARE(Summary(line.arguments), summary);
}

void TestSubsArguments::refused_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("error");

    // Asked for anywhere, help and version are the answer.
    QTest::newRow("help after a command")
        << QStringList {"list", "x.srt", "-h"} << Action::Help << "";
    QTest::newRow("version after nonsense")
        << QStringList {"show", "--version"} << Action::Version << "";
    QTest::newRow("help after -- is a file name")
        << QStringList {"dump", "--", "--help"} << Action::Run << "";

    const Action shape = Action::WrongShape;
    QTest::newRow("nothing") << QStringList {} << shape << "no command given";
    QTest::newRow("unknown command")
        << QStringList {"show", "f.srt"} << shape << "unknown command 'show'";
    QTest::newRow("option instead of a command")
        << QStringList {"--offset", "5"} << shape << "unknown option '--offset'";
    QTest::newRow("no file") << QStringList {"dump"} << shape << "'dump' needs FILE";
    QTest::newRow("no position") << QStringList {"at", "f.srt"} << shape
                                 << "'at' needs POSITION_MS";
    QTest::newRow("no output") << QStringList {"save", "f.srt"} << shape << "'save' needs OUT";
    QTest::newRow("one argument too many")
        << QStringList {"dump", "f.srt", "more"} << shape << "unexpected argument 'more'";
    QTest::newRow("output given to align")
        << QStringList {"align", "f.srt", "o.srt"} << shape << "unexpected argument 'o.srt'";
    QTest::newRow("unknown option")
        << QStringList {"list", "f.srt", "--shift", "5"} << shape << "unknown option '--shift'";
    QTest::newRow("option with an equals sign")
        << QStringList {"list", "f.srt", "--offset=5"} << shape << "unknown option '--offset=5'";
    QTest::newRow("dump takes no corrections") << QStringList {"dump", "f.srt", "--offset", "5"}
                                               << shape << "'dump' does not take --offset";
    QTest::newRow("--last only for at")
        << QStringList {"list", "f.srt", "--last", "2"} << shape << "'list' does not take --last";
    QTest::newRow("align takes no corrections")
        << QStringList {"align", "f.srt", "--to", "o.srt", "--span", "5"} << shape
        << "'align' does not take --span";
    QTest::newRow("--to only for align")
        << QStringList {"list", "f.srt", "--to", "o.srt"} << shape << "'list' does not take --to";
    QTest::newRow("number missing")
        << QStringList {"list", "f.srt", "--offset"} << shape << "--offset needs a value";
    QTest::newRow("file name missing")
        << QStringList {"align", "f.srt", "--to"} << shape << "--to needs a file name";
    QTest::newRow("align to nothing") << QStringList {"align", "f.srt", "--save", "o.srt"} << shape
                                      << "'align' needs --to OTHER or --to-audio FILM";
    QTest::newRow("align to two things")
        << QStringList {"align", "f.srt", "--to", "o.srt", "--to-audio", "film.mp4"} << shape
        << "'align' takes --to or --to-audio, not both";

    const Action value = Action::BadValue;
    QTest::newRow("offset with a letter")
        << QStringList {"list", "f.srt", "--offset", "12x"} << value
        << "--offset: '12x' is not a number of milliseconds";
    QTest::newRow("offset with a plus sign")
        << QStringList {"list", "f.srt", "--offset", "+5"} << value
        << "--offset: '+5' is not a number of milliseconds";
    QTest::newRow("offset in seconds") << QStringList {"list", "f.srt", "--offset", "1.5"} << value
                                       << "--offset: '1.5' is not a number of milliseconds";
    QTest::newRow("offset a lone minus") << QStringList {"list", "f.srt", "--offset", "-"} << value
                                         << "--offset: '-' is not a number of milliseconds";
    QTest::newRow("offset empty") << QStringList {"list", "f.srt", "--offset", ""} << value
                                  << "--offset: '' is not a number of milliseconds";
    QTest::newRow("offset past a minute")
        << QStringList {"list", "f.srt", "--offset", "60001"} << value
        << "--offset: 60001 is out of range (-60000 to 60000 ms)";
    QTest::newRow("offset below a minute back")
        << QStringList {"save", "f.srt", "o.srt", "--offset", "-60001"} << value
        << "--offset: -60001 is out of range (-60000 to 60000 ms)";
    QTest::newRow("offset past 64 bits")
        << QStringList {"list", "f.srt", "--offset", "99999999999999999999"} << value
        << "--offset: 99999999999999999999 is out of range (-60000 to 60000 ms)";
    QTest::newRow("negative span") << QStringList {"list", "f.srt", "--span", "-1"} << value
                                   << "--span: -1 is out of range (0 to 2147483647 ms)";
    QTest::newRow("span another option")
        << QStringList {"list", "f.srt", "--span", "--offset"} << value
        << "--span: '--offset' is not a number of milliseconds";
    QTest::newRow("last entry 0") << QStringList {"at", "f.srt", "0", "--last", "0"} << value
                                  << "--last: 0 is out of range (1 to 2147483647)";
    QTest::newRow("last not a number") << QStringList {"at", "f.srt", "0", "--last", "two"} << value
                                       << "--last: 'two' is not an entry number";
    QTest::newRow("position not a number") << QStringList {"at", "f.srt", "12x"} << value
                                           << "POSITION_MS: '12x' is not a number of milliseconds";
    QTest::newRow("position past 64 bits")
        << QStringList {"at", "f.srt", "-9223372036854775809"} << value
        << "POSITION_MS: -9223372036854775809 is out of range "
           "(-9223372036854775808 to 9223372036854775807 ms)";
    QTest::newRow("empty file name")
        << QStringList {"dump", ""} << value << "FILE: the file name is empty";
    QTest::newRow("empty output name")
        << QStringList {"save", "f.srt", ""} << value << "OUT: the file name is empty";
    QTest::newRow("empty --save name") << QStringList {"align", "f.srt", "--save", ""} << value
                                       << "--save: the file name is empty";
}

void TestSubsArguments::refused()
{
    QFETCH(QStringList, words);
    QFETCH(Action, action);
    QFETCH(QString, error);
    const SubsCommandLine line = Parse(words);
    QCOMPARE(line.action, action);
    QCOMPARE(QString::fromStdString(line.error), error);
}

void TestSubsArguments::spanOfATrack_data()
{
    QTest::addColumn<qint64>("span");
    QTest::addColumn<int>("trackSpan");
    QTest::addColumn<QString>("error");

    QTest::newRow("half an hour shorter") << qint64(1000) << 1801000 << "";
    QTest::newRow("more than half an hour shorter")
        << qint64(999) << 1801000 << "--span: 999 is out of range for f.srt (1000 to 3601000 ms)";
    QTest::newRow("half an hour longer") << qint64(3601000) << 1801000 << "";
    QTest::newRow("more than half an hour longer")
        << qint64(3601001) << 1801000
        << "--span: 3601001 is out of range for f.srt (1000 to 3601000 ms)";
    QTest::newRow("a short track to nothing") << qint64(0) << 5000 << "";
    QTest::newRow("the largest span of a long track") << qint64(2147483647) << 2147483000 << "";
}

// Beside the fixed limits, a span must lie within half an hour of the track's own.
void TestSubsArguments::spanOfATrack()
{
    QFETCH(qint64, span);
    QFETCH(int, trackSpan);
    QFETCH(QString, error);
    QCOMPARE(QString::fromStdString(duvara::SpanProblem(span, trackSpan, "f.srt")), error);
}

QTEST_GUILESS_MAIN(TestSubsArguments)
#include "tst_subs_arguments.moc"
