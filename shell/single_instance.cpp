#include "shell/single_instance.h"

#include "shell/shell_logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace duvara {

namespace {
constexpr int kLockTimeoutMs = 10000;
constexpr char kAcknowledge = '\x06';

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// "scheme://" with a scheme as URLs allow it; a colon alone does not make one, since "take:2.mp4"
// is a valid file name.
bool hasScheme(const QString &name)
{
    const qsizetype colon = name.indexOf(QLatin1String("://"));
    if (colon < 1 || !isAsciiLetter(name.at(0)))
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = name.at(i);
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(deadline.remainingTime());
}

// True once the other end has closed its side; what it sent before is still readable.
bool peerHasClosed(QLocalSocket *socket)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return true;
    char next = 0;
    const auto descriptor = static_cast<int>(socket->socketDescriptor());
    return descriptor >= 0 && ::recv(descriptor, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// The folder must be this user's alone before a socket and a lock go in it: another user who
// could enter, write, or had made it (or a link to a folder of theirs) could stand in for the
// running player. A folder that fails is not repaired, since it may not be ours to change.
bool preparePrivateFolder(const QString &folder, QString *error)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) == 0) {
        // The umask can only have taken bits away; a folder just made is ours to set right.
        ::chmod(path.constData(), 0700);
    } else if (errno != EEXIST) {
        *error = QStringLiteral("cannot make %1: %2")
                     .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
        || (info.st_mode & 07777) != 0700) {
        *error = QStringLiteral("%1 is not a private folder of this user; refusing to use it")
                     .arg(folder);
        return false;
    }
    return true;
}
} // namespace

HandOverWaits HandOverWaits::fromEnvironment()
{
    HandOverWaits waits;
    const QString value = qEnvironmentVariable("DUVARA_HAND_OVER_WAIT_MS");
    if (value.isEmpty())
        return waits;
    bool ok = false;
    const int ms = value.toInt(&ok);
    if (!ok || ms <= 0) {
        qCWarning(lcShell).noquote()
            << QStringLiteral("DUVARA_HAND_OVER_WAIT_MS=\"%1\" is not a positive number of "
                              "milliseconds; the usual waits apply")
                   .arg(value);
        return waits;
    }
    waits.answerMs = ms;
    waits.connectMs = std::min(ms, waits.connectMs);
    return waits;
}

QString HandOverName(const QString &name, const QString &workingFolder)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name) || hasScheme(name))
        return name;
    if (workingFolder.isEmpty() || !QDir::isAbsolutePath(workingFolder))
        return {};
    // A leading "./" only makes the name longer; ".." stays, since taking it away with the folder
    // before it would be wrong where that folder is a symbolic link.
    QString relative = name;
    while (relative.startsWith(QLatin1String("./"))) {
        relative.remove(0, 2);
        while (relative.startsWith(u'/'))
            relative.remove(0, 1);
    }
    return QDir(workingFolder).filePath(relative.isEmpty() ? QStringLiteral(".") : relative);
}

InstanceEndpoint InstanceEndpoint::forCurrentUser(const QString &appKey)
{
    const QString name = QStringLiteral("%1-%2").arg(appKey).arg(getuid());
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QDir(runtimeDir).exists()) {
        return {QDir(runtimeDir).filePath(name + QStringLiteral(".socket")),
                QDir(runtimeDir).filePath(name + QStringLiteral(".lock"))};
    }
    // Not "duvara-<uid>" itself: earlier versions left their socket under that very name.
    const QDir folder(QDir::temp().filePath(name + QStringLiteral(".d")));
    return {folder.filePath(appKey + QStringLiteral(".socket")),
            folder.filePath(appKey + QStringLiteral(".lock")), folder.path()};
}

SingleInstance::SingleInstance(InstanceEndpoint endpoint, QObject *parent)
    : SingleInstance(std::move(endpoint), HandOverWaits(), parent)
{ }

SingleInstance::SingleInstance(InstanceEndpoint endpoint, HandOverWaits waits, QObject *parent)
    : QObject(parent)
    , m_endpoint(std::move(endpoint))
    , m_waits(waits)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

SingleInstance::Role SingleInstance::claim()
{
    if (!m_endpoint.privateFolder.isEmpty()
        && !preparePrivateFolder(m_endpoint.privateFolder, &m_error))
        return Role::Failed;
    QLockFile lock(m_endpoint.lockPath);
    // A lock left by a process that died is taken over at once; a live holder is waited for.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(kLockTimeoutMs)) {
        m_error = QStringLiteral("Cannot lock %1").arg(m_endpoint.lockPath);
        return Role::Failed;
    }

    auto *peer = new QLocalSocket(this);
    peer->connectToServer(m_endpoint.serverName);
    if (peer->waitForConnected(m_waits.connectMs)) {
        m_peer = peer;
        return Role::Secondary;
    }
    const QLocalSocket::LocalSocketError error = peer->error();
    const bool stillTrying = peer->state() == QLocalSocket::ConnectingState
        || error == QLocalSocket::SocketTimeoutError;
    const QString connectError = peer->errorString();
    delete peer;
    if (stillTrying) {
        // Something listens but takes no connection: a player that hangs. Removing its socket
        // would make a second player, one that later starts could not tell from the first.
        m_error = QStringLiteral("the running player did not answer");
        return Role::Secondary;
    }
    if (error != QLocalSocket::ConnectionRefusedError
        && error != QLocalSocket::ServerNotFoundError) {
        m_error = connectError;
        return Role::Failed;
    }

    // Nobody answers: a socket file that is left over from a crash is removed before listening.
    QLocalServer::removeServer(m_endpoint.serverName);
    if (!m_server.listen(m_endpoint.serverName)) {
        m_error = m_server.errorString();
        return Role::Failed;
    }
    qCDebug(lcShell) << "listening on" << m_server.fullServerName();
    return Role::Primary;
}

bool SingleInstance::handOver(const QByteArray &name)
{
    if (!m_peer) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("no running player was found");
        return false;
    }
    const QDeadlineTimer deadline(m_waits.answerMs);
    QByteArray message = name;
    message.append('\0');
    m_peer->write(message);
    while (m_peer->bytesToWrite() > 0) {
        if (!m_peer->waitForBytesWritten(remainingMs(deadline))) {
            const bool connected = m_peer->state() == QLocalSocket::ConnectedState;
            return giveUp(connected ? QStringLiteral("did not answer")
                                    : QStringLiteral("went away"));
        }
    }
    // The running instance answers once it has handled the name (it may show an error box
    // first), so the wait is long; past it, the player is taken to hang.
    while (m_peer->bytesAvailable() == 0) {
        if (m_peer->state() != QLocalSocket::ConnectedState)
            return giveUp(QStringLiteral("went away"));
        if (deadline.hasExpired())
            return giveUp(QStringLiteral("did not answer"));
        m_peer->waitForReadyRead(remainingMs(deadline));
    }
    if (m_peer->read(1) != QByteArray(1, kAcknowledge))
        return giveUp(QStringLiteral("answered something this start does not understand"));
    return true;
}

bool SingleInstance::giveUp(const QString &why)
{
    // Closing tells the running player, should it go on later, that this start gave up.
    m_peer->abort();
    if (m_error.isEmpty())
        m_error = QStringLiteral("the running player %1").arg(why);
    return false;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        m_pending.insert(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readHandOver(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readHandOver(socket);
    }
}

void SingleInstance::readHandOver(QLocalSocket *socket)
{
    auto pending = m_pending.find(socket);
    if (pending == m_pending.end())
        return;
    pending->append(socket->readAll());
    const auto end = pending->indexOf('\0');
    if (end < 0) {
        if (pending->size() > kMaxHandOverBytes) {
            qCWarning(lcShell) << "hand-over too long, dropped";
            m_pending.erase(pending);
            socket->abort();
        }
        return;
    }
    const QString name = QFile::decodeName(pending->left(end));
    m_pending.erase(pending);
    // Taken once this signal of the socket has returned: opening the name may run an event loop
    // of its own (an error box), the start that sent it may give up meanwhile, and its socket
    // is then deleted, which must not happen under the socket's own signal.
    QMetaObject::invokeMethod(
        this,
        [this, guard = QPointer<QLocalSocket>(socket), name] {
            if (guard)
                takeHandOver(guard, name);
        },
        Qt::QueuedConnection);
}

void SingleInstance::takeHandOver(QLocalSocket *socket, const QString &name)
{
    // A start that waited in vain has told its user the file was not opened, and this player
    // only now reads it (it hung, or was stopped in a debugger): opening it would belie that.
    if (peerHasClosed(socket)) {
        qCInfo(lcShell) << "hand-over dropped: the start that sent it gave up waiting";
        socket->abort();
        return;
    }

    QPointer<QLocalSocket> guard(socket);
    qCDebug(lcShell) << "hand-over received," << name.size() << "characters";
    emit fileHandedOver(name);
    if (guard) {
        guard->write(QByteArray(1, kAcknowledge));
        guard->flush();
        guard->disconnectFromServer();
    }
}

} // namespace duvara
