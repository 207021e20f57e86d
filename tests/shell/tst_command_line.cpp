#include "shell/command_line.h"
#include "shell/version.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using duvara::CommandLine;

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("file"); // null: no film
    QTest::addColumn<QString>("error");

    using A = CommandLine::Action;
    QTest::newRow("nothing") << QStringList {} << A::Run << QString() << "";
    QTest::newRow("a film") << QStringList {"film.mp4"} << A::Run << "film.mp4"
                            << "";
    QTest::newRow("only the first film") << QStringList {"a.mp4", "b.mp4"} << A::Run << "a.mp4"
                                         << "";
    QTest::newRow("help") << QStringList {"--help"} << A::Help << QString() << "";
    QTest::newRow("short help after a film") << QStringList {"a.mp4", "-h"} << A::Help << "a.mp4"
                                             << "";
    QTest::newRow("version") << QStringList {"--version"} << A::Version << QString() << "";
    QTest::newRow("a film named like an option")
        << QStringList {"--", "--version"} << A::Run << "--version"
        << "";
    QTest::newRow("a film beginning with a dash")
        << QStringList {"--", "-cut.mp4"} << A::Run << "-cut.mp4"
        << "";
    QTest::newRow("a lone dash is a name") << QStringList {"-"} << A::Run << "-"
                                           << "";
    QTest::newRow("unknown option")
        << QStringList {"-cut.mp4"} << A::Error << QString() << "unknown option -cut.mp4";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, words);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, file);
    QFETCH(QString, error);
    std::vector<std::string> bytes;
    for (const QString &word : words)
        bytes.push_back(word.toStdString());
    const CommandLine line
        = duvara::ParseCommandLine(std::vector<std::string_view>(bytes.begin(), bytes.end()));
    QCOMPARE(line.action, action);
    QCOMPARE(line.hasFile, !file.isNull());
    QCOMPARE(QString::fromStdString(line.file), file.isNull() ? QString("") : file);
    QCOMPARE(QString::fromStdString(line.error), error);
}

void TestCommandLine::answersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("version") << QStringList {"--version"} << 0
                             << QByteArray("duvara ") + duvara::ProgramVersion().toUtf8()
            + QByteArray("\n");
    QTest::newRow("help") << QStringList {"--help"} << 0 << QByteArray(duvara::kPlayerUsage);
    QTest::newRow("version after Qt's own options")
        << QStringList {"-platform", "offscreen", "--version"} << 0
        << QByteArray("duvara ") + duvara::ProgramVersion().toUtf8() + QByteArray("\n");
}

// Neither a display nor a running player is needed to ask the program what it is.
void TestCommandLine::answersWithoutADisplay()
{
    QFETCH(QStringList, words);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QProcess player;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    // Qt's platform, made when Qt's options come first, would complain on stderr without one.
    const QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    player.setProcessEnvironment(environment);
    player.start(QStringLiteral(DUVARA_PLAYER), words);
    QVERIFY(player.waitForFinished(30000));
    QCOMPARE(player.exitStatus(), QProcess::NormalExit);
    QCOMPARE(player.exitCode(), status);
    QCOMPARE(player.readAllStandardOutput(), out);
    QCOMPARE(player.readAllStandardError(), QByteArray());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
