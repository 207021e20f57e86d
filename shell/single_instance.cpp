#include "shell/single_instance.h"

#include "shell/shell_logging.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

#include <unistd.h>

namespace duvara {

namespace {
constexpr int kConnectTimeoutMs = 2000;
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
} // namespace

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
    return {name, QDir::temp().filePath(name + QStringLiteral(".lock"))};
}

SingleInstance::SingleInstance(InstanceEndpoint endpoint, QObject *parent)
    : QObject(parent)
    , m_endpoint(std::move(endpoint))
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
    QLockFile lock(m_endpoint.lockPath);
    // A lock left by a process that died is taken over at once; a live holder is waited for.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(kLockTimeoutMs)) {
        m_error = QStringLiteral("Cannot lock %1").arg(m_endpoint.lockPath);
        return Role::Failed;
    }

    auto *peer = new QLocalSocket(this);
    peer->connectToServer(m_endpoint.serverName);
    if (peer->waitForConnected(kConnectTimeoutMs)) {
        m_peer = peer;
        return Role::Secondary;
    }
    delete peer;

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
    if (!m_peer)
        return false;
    QByteArray message = name;
    message.append('\0');
    m_peer->write(message);
    while (m_peer->bytesToWrite() > 0) {
        if (!m_peer->waitForBytesWritten(-1))
            return false;
    }
    // The running instance answers once it has handled the name, however long that takes
    // (it may show an error box first).
    while (m_peer->state() == QLocalSocket::ConnectedState) {
        if (m_peer->bytesAvailable() > 0)
            return m_peer->read(1) == QByteArray(1, kAcknowledge);
        m_peer->waitForReadyRead(-1);
    }
    return m_peer->bytesAvailable() > 0 && m_peer->read(1) == QByteArray(1, kAcknowledge);
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
