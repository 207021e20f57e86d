// Starts the real player as separate processes to check that only one instance runs per user,
// that later starts hand their file over to it, and that a film named at the start plays.
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void secondStartWithFileReachesTheRunningInstance();
    void secondStartWithoutFileEndsSilently();
    void longNamesArriveWhole();
    void killedInstanceDoesNotBlockTheNextStart();
    void racingStartsMakeOneInstance();
    void filmNamedAtTheStartPlays();

private:
    QProcess *startPlayer(const QStringList &arguments = {});
    // A copy of the demo film at this path under the test's folder (directories made as needed).
    QString film(const QString &relativePath);
    static bool waitForOutput(QProcess *process, const QByteArray &text, int timeoutMs = 30000);

    QTemporaryDir *m_runtimeDir = nullptr;
    QList<QProcess *> m_processes;
};

void TestSingleInstance::init()
{
    m_runtimeDir = new QTemporaryDir;
    QVERIFY(m_runtimeDir->isValid());
}

void TestSingleInstance::cleanup()
{
    for (QProcess *process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
    delete m_runtimeDir;
    m_runtimeDir = nullptr;
}

QProcess *TestSingleInstance::startPlayer(const QStringList &arguments)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", m_runtimeDir->path());
    env.insert("QT_LOGGING_RULES", "duvara.*.info=true");
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QStringLiteral(DUVARA_PLAYER), arguments);
    m_processes << process;
    return process;
}

QString TestSingleInstance::film(const QString &relativePath)
{
    const QString path = m_runtimeDir->filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), path);
    return path;
}

bool TestSingleInstance::waitForOutput(QProcess *process, const QByteArray &text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process->peek(process->bytesAvailable()).contains(text)) {
        if (deadline.hasExpired())
            return false;
        if (!process->waitForReadyRead(static_cast<int>(deadline.remainingTime()))
            && process->state() == QProcess::NotRunning)
            return process->peek(process->bytesAvailable()).contains(text);
    }
    return true;
}

void TestSingleInstance::secondStartWithFileReachesTheRunningInstance()
{
    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));

    const QString handedOver = film("films/handed over.mp4");
    QProcess *second = startPlayer({handedOver, "/films/ignored.mkv"});
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(!second->readAll().contains("main window shown"));

    // The second start returns only once the file was handled.
    QVERIFY(waitForOutput(first, "OpenFileByName: " + handedOver.toUtf8()));
    QVERIFY(!first->readAll().contains("ignored.mkv"));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::secondStartWithoutFileEndsSilently()
{
    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));

    QProcess *second = startPlayer();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(second->readAll().isEmpty());

    // Hand-overs are handled in the order they come, so once a later file has arrived, anything
    // the start without a file had caused would be in the log before it.
    const QString marker = film("marker.mp4");
    QProcess *third = startPlayer({marker});
    QVERIFY(third->waitForFinished(20000));
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(waitForOutput(first, "OpenFileByName: " + marker.toUtf8()));
    const QByteArray log = first->readAll();
    QCOMPARE(log.count("OpenFileByName"), 1);
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::longNamesArriveWhole()
{
    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));

    // Far beyond any fixed buffer, yet a path the system can open: long folder names, each
    // within the limit for one name, and characters outside ASCII.
    QString relative;
    for (int i = 0; i < 16; ++i)
        relative += QString(120, QLatin1Char('a' + i)) + QString(40, u'é') + "/";
    const QString name = film(relative + "film.mp4");
    QVERIFY(QFile::exists(name));
    QVERIFY(name.toUtf8().size() > 2500);
    QProcess *second = startPlayer({name});
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(waitForOutput(first, "OpenFileByName: " + name.toUtf8() + "\n"));
}

void TestSingleInstance::killedInstanceDoesNotBlockTheNextStart()
{
    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(20000));

    // The socket file of the dead instance is still there; the next start takes over.
    const QString afterCrash = film("after crash.mp4");
    QProcess *next = startPlayer({afterCrash});
    QVERIFY(waitForOutput(next, "main window shown"));
    QVERIFY(next->readAll().contains("OpenFileByName: " + afterCrash.toUtf8()));
    QCOMPARE(next->state(), QProcess::Running);
}

void TestSingleInstance::racingStartsMakeOneInstance()
{
    QList<QProcess *> starts;
    for (int i = 0; i < 3; ++i)
        starts << startPlayer();
    const auto finished = [&starts] {
        return std::count_if(starts.cbegin(), starts.cend(), [](const QProcess *process) {
            return process->state() == QProcess::NotRunning;
        });
    };
    // Two starts find the third and end; were there two players, only one start would end.
    QTRY_COMPARE_WITH_TIMEOUT(finished(), 2, 30000);
    QProcess *survivor = nullptr;
    for (QProcess *process : starts) {
        if (process->state() == QProcess::NotRunning) {
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        } else {
            survivor = process;
        }
    }
    QVERIFY(survivor);
    QVERIFY(waitForOutput(survivor, "main window shown"));

    // The one that runs is the one later starts reach.
    const QString handedOver = film("after the race.mp4");
    QProcess *later = startPlayer({handedOver});
    QVERIFY(later->waitForFinished(20000));
    QCOMPARE(later->exitCode(), 0);
    QVERIFY(waitForOutput(survivor, "OpenFileByName: " + handedOver.toUtf8()));
}

void TestSingleInstance::filmNamedAtTheStartPlays()
{
    // Blanks around the name are no part of it.
    const QString name = film("at start.mp4");
    QProcess *player = startPlayer({QStringLiteral(" %1 ").arg(name)});
    QVERIFY(waitForOutput(player, "first frame shown"));
    QVERIFY(player->readAll().contains("OpenFileByName: " + name.toUtf8() + "\n"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
