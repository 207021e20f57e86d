// Starts the real player as separate processes to check that only one instance runs per user,
// that later starts hand their file over to it, and that a film named at the start plays.
#include "shell/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Stands in for a running player on the endpoint later starts look for, so that what they send,
// and what they do when the answer does not come, can be seen byte for byte.
class FakeInstance : public QObject
{
public:
    enum class Answer { Acknowledge, Never, HangUp };

    FakeInstance(const QString &serverName, Answer answer)
        : m_answer(answer)
    {
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        m_server.listen(serverName);
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }

    bool isListening() const { return m_server.isListening(); }
    QList<QByteArray> messages; // each without its closing zero byte

private:
    void read(QLocalSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const auto end = buffer.indexOf('\0');
        if (end < 0)
            return;
        messages << buffer.left(end);
        if (m_answer == Answer::Acknowledge) {
            socket->write("\x06");
            socket->flush();
        } else if (m_answer == Answer::HangUp) {
            socket->disconnectFromServer();
        }
    }

    Answer m_answer;
    QLocalServer m_server;
    QHash<QLocalSocket *, QByteArray> m_buffers;
};

// A running instance that no longer takes connections: a listening socket whose queue of
// connections not yet taken is full, as it is once a player has hung for long enough.
class FullInstance
{
public:
    explicit FullInstance(const QByteArray &path)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path))
            return;
        std::copy(path.cbegin(), path.cend(), address.sun_path);
        const auto *socketAddress = reinterpret_cast<const sockaddr *>(&address);
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (m_listener < 0 || ::bind(m_listener, socketAddress, sizeof address) != 0
            || ::listen(m_listener, 0) != 0)
            return;
        // The kernel queues a few connections beyond the backlog asked for; fill them all.
        for (int i = 0; i < 16 && !m_full; ++i) {
            const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (client < 0)
                return;
            if (::connect(client, socketAddress, sizeof address) == 0) {
                m_clients << client;
            } else {
                m_full = errno == EAGAIN;
                ::close(client);
            }
        }
    }
    ~FullInstance()
    {
        for (int client : std::as_const(m_clients))
            ::close(client);
        if (m_listener >= 0)
            ::close(m_listener);
    }
    FullInstance(const FullInstance &) = delete;
    FullInstance &operator=(const FullInstance &) = delete;

    bool isFull() const { return m_full; }

private:
    int m_listener = -1;
    QList<int> m_clients;
    bool m_full = false;
};

} // namespace

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

    void namesAreHandedOverAsTheSecondStartMeansThem_data();
    void namesAreHandedOverAsTheSecondStartMeansThem();
    void blankNameIsNoName();
    void relativeNameReachesTheRunningInstance();

    void unansweredHandOverEndsWithAMessage_data();
    void unansweredHandOverEndsWithAMessage();
    void runningInstanceThatTakesNoConnectionsKeepsItsPlace();
    void stoppedPlayerDoesNotOpenWhatItWasTooLateFor();
    void startThatGivesUpWhileTheNameIsHandledLeavesThePlayerRunning();

    void withoutRuntimeFolderTheSocketIsInAPrivateFolder();
    void folderThatIsNotPrivateLeavesAPlayerOfItsOwn_data();
    void folderThatIsNotPrivateLeavesAPlayerOfItsOwn();

private:
    QProcess *startPlayer(const QStringList &arguments = {}, const QString &workingFolder = {});
    // Where a running player listens for the environment the players of this test get.
    QString serverName() const;
    // Runs the event loop, which a fake running instance needs, until the process has ended.
    static bool waitForEnd(QProcess *process);
    // A copy of the demo film at this path under the test's folder (directories made as needed).
    QString film(const QString &relativePath);
    static bool waitForOutput(QProcess *process, const QByteArray &text, int timeoutMs = 30000);

    QTemporaryDir *m_runtimeDir = nullptr;
    QList<QProcess *> m_processes;
    QProcessEnvironment m_environment;
    bool m_permissiveUmask = false; // players start with umask 0
};

void TestSingleInstance::init()
{
    m_runtimeDir = new QTemporaryDir;
    QVERIFY(m_runtimeDir->isValid());
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert("QT_QPA_PLATFORM", "offscreen");
    m_environment.insert("XDG_RUNTIME_DIR", m_runtimeDir->path());
    m_environment.insert("QT_LOGGING_RULES", "duvara.*.info=true");
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

QProcess *TestSingleInstance::startPlayer(const QStringList &arguments,
                                          const QString &workingFolder)
{
    auto *process = new QProcess;
    process->setProcessEnvironment(m_environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty())
        process->setWorkingDirectory(workingFolder);
    if (m_permissiveUmask)
        process->setChildProcessModifier([] { ::umask(0); });
    process->start(QStringLiteral(DUVARA_PLAYER), arguments);
    m_processes << process;
    return process;
}

QString TestSingleInstance::serverName() const
{
    return m_runtimeDir->filePath(QStringLiteral("duvara-%1.socket").arg(getuid()));
}

bool TestSingleInstance::waitForEnd(QProcess *process)
{
    return QTest::qWaitFor([process] { return process->state() == QProcess::NotRunning; }, 30000);
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

void TestSingleInstance::namesAreHandedOverAsTheSecondStartMeansThem_data()
{
    QTest::addColumn<QString>("typed");
    // The file the name means, under the second start's working folder; or, when empty, the
    // name must arrive unchanged.
    QTest::addColumn<QString>("means");

    QTest::newRow("name in the working folder") << "clip.mp4"
                                                << "clip.mp4";
    QTest::newRow("name in a sub-folder") << "films/clip.mp4"
                                          << "films/clip.mp4";
    QTest::newRow("name starting with a dot") << "./clip.mp4"
                                              << "clip.mp4";
    QTest::newRow("name in the parent folder") << "../beside.mp4"
                                               << "../beside.mp4";
    QTest::newRow("blanks around the name") << " \tclip.mp4  "
                                            << "clip.mp4";
    QTest::newRow("colon in a file name") << "take:2.mp4"
                                          << "take:2.mp4";
    QTest::newRow("characters outside ASCII") << "été à Kraków.mp4"
                                              << "été à Kraków.mp4";
    QTest::newRow("web address") << "https://example.invalid/films/clip.mp4"
                                 << "";
    QTest::newRow("file address") << "file:///films/clip.mp4"
                                  << "";
    QTest::newRow("stream address") << "rtsp://camera.invalid:554/live"
                                    << "";
}

void TestSingleInstance::namesAreHandedOverAsTheSecondStartMeansThem()
{
    QFETCH(QString, typed);
    QFETCH(QString, means);

    // The second start runs in a folder of its own; the receiver has yet another one (the
    // test's), so a name resolved on the wrong side names no file.
    const QString workingFolder = m_runtimeDir->filePath("elsewhere/here");
    QVERIFY(QDir().mkpath(workingFolder));
    if (!means.isEmpty()) {
        QFile file(QDir(workingFolder).filePath(means));
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    FakeInstance running(serverName(), FakeInstance::Answer::Acknowledge);
    QVERIFY(running.isListening());
    QProcess *second = startPlayer({typed}, workingFolder);
    QVERIFY(waitForEnd(second));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(second->readAll(), QByteArray());

    QCOMPARE(running.messages.size(), 1);
    const QString received = QFile::decodeName(running.messages.first());
    if (means.isEmpty()) {
        QCOMPARE(received, typed);
    } else {
        QVERIFY2(QFileInfo(received).isAbsolute(), qPrintable(received));
        QCOMPARE(QFileInfo(received).canonicalFilePath(),
                 QFileInfo(QDir(workingFolder).filePath(means)).canonicalFilePath());
    }
}

void TestSingleInstance::blankNameIsNoName()
{
    // Made absolute, a blank name would become the name of the working folder.
    FakeInstance running(serverName(), FakeInstance::Answer::Acknowledge);
    QVERIFY(running.isListening());
    QProcess *second = startPlayer({" \t "}, m_runtimeDir->path());
    QVERIFY(waitForEnd(second));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(second->readAll(), QByteArray());
    for (const QByteArray &message : std::as_const(running.messages))
        QVERIFY2(message.trimmed().isEmpty(), message.constData());
}

void TestSingleInstance::relativeNameReachesTheRunningInstance()
{
    QProcess *first = startPlayer({}, m_runtimeDir->path());
    QVERIFY(waitForOutput(first, "main window shown"));

    const QString handedOver = film("typed elsewhere/handed over.mp4");
    const QString workingFolder = QFileInfo(handedOver).absolutePath();
    QProcess *second = startPlayer({"handed over.mp4"}, workingFolder);
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    const QString expected = QFileInfo(handedOver).canonicalFilePath();
    QVERIFY(waitForOutput(first, "OpenFileByName: " + expected.toUtf8() + "\n"));
}

void TestSingleInstance::unansweredHandOverEndsWithAMessage_data()
{
    QTest::addColumn<FakeInstance::Answer>("answer");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("never answers")
        << FakeInstance::Answer::Never << QByteArray("duvara: the running player did not answer; ");
    QTest::newRow("hangs up") << FakeInstance::Answer::HangUp
                              << QByteArray("duvara: the running player went away; ");
}

void TestSingleInstance::unansweredHandOverEndsWithAMessage()
{
    QFETCH(FakeInstance::Answer, answer);
    QFETCH(QByteArray, message);

    FakeInstance running(serverName(), answer);
    QVERIFY(running.isListening());
    m_environment.insert("DUVARA_HAND_OVER_WAIT_MS", "300");
    const QString name = film("not taken.mp4");
    QProcess *second = startPlayer({name});
    QVERIFY(waitForEnd(second));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QVERIFY(second->exitCode() != 0);
    QCOMPARE(second->readAll(), message + name.toUtf8() + " was not opened\n");
    QCOMPARE(running.messages, QList<QByteArray> {name.toUtf8()});
}

void TestSingleInstance::runningInstanceThatTakesNoConnectionsKeepsItsPlace()
{
    const QByteArray path = QFile::encodeName(serverName());
    FullInstance running(path);
    QVERIFY(running.isFull());
    struct stat before = {};
    QCOMPARE(::lstat(path.constData(), &before), 0);
    m_environment.insert("DUVARA_HAND_OVER_WAIT_MS", "300");

    // Taking over the endpoint would leave two players, one that later starts cannot reach.
    const QString name = film("not taken.mp4");
    QProcess *second = startPlayer({name});
    QVERIFY(second->waitForFinished(30000));
    QVERIFY(second->exitCode() != 0);
    QCOMPARE(second->readAll(),
             "duvara: the running player did not answer; " + name.toUtf8() + " was not opened\n");
    struct stat after = {};
    QCOMPARE(::lstat(path.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);

    // Without a file nothing is lost, so nothing is said either.
    QProcess *third = startPlayer();
    QVERIFY(third->waitForFinished(30000));
    QCOMPARE(third->exitCode(), 0);
    QCOMPARE(third->readAll(), QByteArray());
}

void TestSingleInstance::stoppedPlayerDoesNotOpenWhatItWasTooLateFor()
{
    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));
    const auto pid = static_cast<pid_t>(first->processId());

    // Stopped as in a debugger: the connection is queued and the name is written, but nobody
    // reads it until the player goes on.
    QCOMPARE(::kill(pid, SIGSTOP), 0);
    m_environment.insert("DUVARA_HAND_OVER_WAIT_MS", "300");
    const QString late = film("too late.mp4");
    QProcess *second = startPlayer({late});
    const bool ended = second->waitForFinished(30000);
    ::kill(pid, SIGCONT);
    QVERIFY(ended);
    QVERIFY(second->exitCode() != 0);
    QVERIFY(second->readAll().contains(late.toUtf8() + " was not opened"));

    // The player was told the name after all; it must keep to what the user was told.
    QVERIFY(waitForOutput(first, "hand-over dropped"));
    m_environment.remove("DUVARA_HAND_OVER_WAIT_MS");
    const QString inTime = film("in time.mp4");
    QProcess *third = startPlayer({inTime});
    QVERIFY(third->waitForFinished(30000));
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(waitForOutput(first, "OpenFileByName: " + inTime.toUtf8()));
    QVERIFY(!first->readAll().contains("OpenFileByName: " + late.toUtf8()));
}

// Opening a name may show an error box, an event loop of its own, and the start that sent the
// name may give up meanwhile: its connection goes, and the player goes on once the box is
// closed. The player is this process here, so that the box can stay open until the start has
// ended.
void TestSingleInstance::startThatGivesUpWhileTheNameIsHandledLeavesThePlayerRunning()
{
    const duvara::InstanceEndpoint endpoint {
        serverName(), m_runtimeDir->filePath(QStringLiteral("duvara-%1.lock").arg(getuid()))};
    duvara::SingleInstance running(endpoint);
    QCOMPARE(running.claim(), duvara::SingleInstance::Role::Primary);
    m_environment.insert("DUVARA_HAND_OVER_WAIT_MS", "300");
    QProcess *start = nullptr;
    QStringList handled;
    std::vector<std::string> scribbled;
    bool boxClosed = false;
    // The player's own loop, as the hand-over arrives in it.
    QEventLoop player;
    connect(&running, &duvara::SingleInstance::fileHandedOver, this, [&](const QString &name) {
        handled << name;
        QEventLoop box;
        connect(start, &QProcess::finished, &box, [&box] {
            // A moment more for the connection to be seen closed.
            QTimer::singleShot(200, &box, &QEventLoop::quit);
        });
        QTimer::singleShot(30000, &box, &QEventLoop::quit);
        box.exec();
        // Whatever the box freed is handed out again and overwritten, as a player's next
        // allocations would: an object used after it was deleted then shows.
        for (int round = 0; round < 4; ++round)
            for (std::size_t size = 8; size <= 4096; size += 8)
                scribbled.emplace_back(size, char(0xA5));
        boxClosed = true;
        player.quit();
    });
    const QString name = film("late.mp4");
    start = startPlayer({name});
    QTimer::singleShot(35000, &player, &QEventLoop::quit);
    player.exec();
    QVERIFY(boxClosed);
    QCOMPARE(handled, QStringList {name});
    QVERIFY(start->readAll().contains(name.toUtf8() + " was not opened"));
    // Whatever is left of the connection goes with the next turns of the loop.
    QTest::qWait(50);
}

namespace {

enum class NotPrivate {
    OpenToGroup,
    OpenToAll,
    WritableByAll,
    SymbolicLink,
    PlainFile,
    OtherOwner
};

struct Entry
{
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    bool operator==(const Entry &other) const
    {
        return exists == other.exists && mode == other.mode && owner == other.owner;
    }
};

Entry entryAt(const QString &path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, info.st_mode, info.st_uid};
}

constexpr auto kEverything = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;

QStringList socketsIn(const QString &folder)
{
    QStringList sockets;
    for (const QString &name : QDir(folder).entryList(kEverything)) {
        if (S_ISSOCK(entryAt(QDir(folder).filePath(name)).mode))
            sockets << name;
    }
    return sockets;
}

} // namespace

void TestSingleInstance::withoutRuntimeFolderTheSocketIsInAPrivateFolder()
{
    // A name in the shared temporary folder could be taken first by another user.
    const QString temp = m_runtimeDir->filePath("tmp");
    QVERIFY(QDir().mkpath(temp));
    m_environment.remove("XDG_RUNTIME_DIR");
    m_environment.insert("TMPDIR", temp);
    m_permissiveUmask = true;
    // What an earlier version left there under its own socket name stands in nobody's way.
    QFile leftover(QDir(temp).filePath(QStringLiteral("duvara-%1").arg(getuid())));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    QProcess *first = startPlayer();
    QVERIFY(waitForOutput(first, "main window shown"));
    // Qt makes a folder of its own there too; no socket may lie in the shared folder itself.
    QCOMPARE(socketsIn(temp), QStringList());
    const QString folder = QDir(temp).filePath(QStringLiteral("duvara-%1.d").arg(getuid()));
    const Entry entry = entryAt(folder);
    QVERIFY(S_ISDIR(entry.mode));
    QCOMPARE(entry.owner, getuid());
    QCOMPARE(entry.mode & 07777, mode_t(0700));
    QCOMPARE(socketsIn(folder).size(), 1);

    const QString handedOver = film("handed over.mp4");
    QProcess *second = startPlayer({handedOver});
    QVERIFY(second->waitForFinished(30000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(waitForOutput(first, "OpenFileByName: " + handedOver.toUtf8()));
    QVERIFY(!second->readAll().contains("main window shown"));
}

void TestSingleInstance::folderThatIsNotPrivateLeavesAPlayerOfItsOwn_data()
{
    QTest::addColumn<NotPrivate>("kind");
    QTest::newRow("group may enter") << NotPrivate::OpenToGroup;
    QTest::newRow("all may enter") << NotPrivate::OpenToAll;
    QTest::newRow("all may write") << NotPrivate::WritableByAll;
    QTest::newRow("symbolic link to a private folder") << NotPrivate::SymbolicLink;
    QTest::newRow("plain file") << NotPrivate::PlainFile;
    QTest::newRow("folder of another user") << NotPrivate::OtherOwner;
}

void TestSingleInstance::folderThatIsNotPrivateLeavesAPlayerOfItsOwn()
{
    QFETCH(NotPrivate, kind);
    if (kind == NotPrivate::OtherOwner && getuid() != 0)
        QSKIP("only root can make a folder that belongs to another user");

    const QString temp = m_runtimeDir->filePath("tmp");
    QVERIFY(QDir().mkpath(temp));
    const QString folder = QDir(temp).filePath(QStringLiteral("duvara-%1.d").arg(getuid()));
    const QByteArray path = QFile::encodeName(folder);
    const QString target = m_runtimeDir->filePath("private");
    switch (kind) {
    case NotPrivate::OpenToGroup:
        QCOMPARE(::mkdir(path.constData(), 0700), 0);
        QCOMPARE(::chmod(path.constData(), 0750), 0);
        break;
    case NotPrivate::OpenToAll:
        QCOMPARE(::mkdir(path.constData(), 0700), 0);
        QCOMPARE(::chmod(path.constData(), 0755), 0);
        break;
    case NotPrivate::WritableByAll:
        QCOMPARE(::mkdir(path.constData(), 0700), 0);
        QCOMPARE(::chmod(path.constData(), 01777), 0);
        break;
    case NotPrivate::SymbolicLink:
        QCOMPARE(::mkdir(QFile::encodeName(target).constData(), 0700), 0);
        QVERIFY(QFile::link(target, folder));
        break;
    case NotPrivate::PlainFile: {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        break;
    }
    case NotPrivate::OtherOwner:
        QCOMPARE(::mkdir(path.constData(), 0700), 0);
        QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
        break;
    }
    const Entry before = entryAt(folder);

    m_environment.remove("XDG_RUNTIME_DIR");
    m_environment.insert("TMPDIR", temp);
    const QString name = film("played anyway.mp4");
    QProcess *player = startPlayer({name});
    QVERIFY(waitForOutput(player, "OpenFileByName: " + name.toUtf8()));
    QVERIFY(waitForOutput(player, "main window shown"));
    const QByteArray output = player->readAll();
    QVERIFY2(output.contains(path + " is not a private folder of this user; refusing to use it"),
             output.constData());

    // Refused means left as it was: not repaired, not written into.
    QCOMPARE(entryAt(folder), before);
    if (kind == NotPrivate::SymbolicLink)
        QVERIFY(QDir(target).isEmpty(kEverything));
    else if (kind != NotPrivate::PlainFile)
        QVERIFY(QDir(folder).isEmpty(kEverything));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
