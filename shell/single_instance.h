#pragma once

#include <QByteArray>
#include <QHash>
#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

namespace duvara {

// Where the running instance listens: a per-user socket, in XDG_RUNTIME_DIR when it is set, and
// otherwise in a folder of this user's own under the temporary folder (TMPDIR or /tmp), since a
// name there could be taken first by another local user.
struct InstanceEndpoint
{
    QString serverName; // a full socket path
    QString lockPath; // guards the check-and-listen step against two starts racing
    // Holds the two above; made if missing, and refused unless it is a folder (not a symbolic
    // link) of this user with mode 0700. Empty where the folder needs neither (XDG_RUNTIME_DIR).
    QString privateFolder = {};

    static InstanceEndpoint forCurrentUser(const QString &appKey = QStringLiteral("duvara"));
};

// The name a later start hands over, as the running instance has to read it: that instance works
// in a folder of its own, so a file name relative to this process's working folder is made
// absolute against it. Addresses with a scheme ("https://…", "file://…") name no local file and
// are left alone. Empty when a relative name cannot be resolved (the working folder is unknown).
QString HandOverName(const QString &name, const QString &workingFolder);

// How long a later start waits for the running instance before it gives up: a player that hangs,
// or is stopped in a debugger, must not keep the start waiting for ever.
struct HandOverWaits
{
    int connectMs = 3000;
    int answerMs = 10000; // from sending the name until it has been handled

    // The usual waits, or a shorter one from DUVARA_HAND_OVER_WAIT_MS (milliseconds, for both),
    // which lets tests of an unanswered hand-over end quickly.
    static HandOverWaits fromEnvironment();
};

// Makes this process the one running instance, or finds the instance that runs already.
// The running instance receives file names handed over by later starts: each is sent as its
// bytes and one zero byte, and acknowledged with one byte once it has been handled, so the
// sender returns only after the receiver is done with it, or gives up after HandOverWaits.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role { Primary, Secondary, Failed };

    explicit SingleInstance(InstanceEndpoint endpoint, QObject *parent = nullptr);
    SingleInstance(InstanceEndpoint endpoint, HandOverWaits waits, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, looks for a running instance and, if there is none, starts listening.
    // An instance that is there but does not take the connection still makes this start
    // secondary; its hand-over then fails. Failed leaves the player to run on its own, for
    // instance when the private folder is refused.
    Role claim();

    // For a secondary start: hands the name to the running instance and waits until it has
    // been handled. Returns false, with errorString() saying why, when the running instance
    // went away first or did not answer in time.
    bool handOver(const QByteArray &name);

    QString errorString() const { return m_error; }

    // Longest hand-over accepted; anything longer is dropped with its connection.
    static constexpr qsizetype kMaxHandOverBytes = 16 * 1024 * 1024;

signals:
    void fileHandedOver(const QString &name);

private:
    void acceptConnections();
    void readHandOver(QLocalSocket *socket);
    void takeHandOver(QLocalSocket *socket, const QString &name);
    bool giveUp(const QString &why);

    InstanceEndpoint m_endpoint;
    HandOverWaits m_waits;
    QLocalServer m_server;
    QLocalSocket *m_peer = nullptr; // the running instance, seen from a secondary start
    QHash<QLocalSocket *, QByteArray> m_pending;
    QString m_error;
};

} // namespace duvara
