// The player on a session bus of its own (ctest runs this under dbus-run-session), driven by a
// client on a connection of its own as the desktop's media controls drive it; and the real
// program taking an instance name, quitting, and starting without a bus.
#include "controls/form_goto.h"
#include "controls/time_edit.h"
#include "shell/file_types.h"
#include "shell/mpris_model.h"
#include "window_test_support.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <clocale>

using namespace duvara;
using namespace duvara::test;

namespace {

const QString kService = QString::fromLatin1(mpris::kServiceName);
const QString kPath = QString::fromLatin1(mpris::kObjectPath);
const QString kRoot = QString::fromLatin1(mpris::kRootInterface);
const QString kPlayer = QString::fromLatin1(mpris::kPlayerInterface);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr qint64 kSecond = 1000000;
// A seek lands on the engine's step of 100 ms, on the first frame at or after it.
constexpr qint64 kSlack = 150000;

// The bus's signals as Qt signals a spy can watch.
class BusSignals : public QObject
{
    Q_OBJECT
signals:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);
    void seeked(qlonglong position);
};

// A map inside a variant arrives from the bus still marshalled.
QVariantMap asMap(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

bool near(qint64 actual, qint64 expected)
{
    return std::llabs(actual - expected) <= kSlack;
}

QVariant path(const QString &trackId)
{
    return QVariant::fromValue(QDBusObjectPath(trackId));
}

} // namespace

class TestMpris : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rootInterfaceNamesThePlayer();
    void transportFollowsTheBusAndTellsItsState();
    void seeksLandWhereAskedAndStaleOnesAreIgnored();
    void aSeekInTheWindowIsToldAsSeeked();
    void volumeAndRateGoThroughTheWindowsControls();
    void openUriOpensOnlyLocalFiles();
    void quitWaitsForAnOpenDialog();
    void anotherPlayerTakesAnInstanceNameAndQuits();
    void withoutASessionBusThePlayerStillStarts_data();
    void withoutASessionBusThePlayerStillStarts();

private:
    QDBusMessage call(const QString &method, const QVariantList &arguments = {},
                      const QString &interface = kPlayer, const QString &service = kService);
    QVariant get(const QString &name, const QString &interface = kPlayer,
                 const QString &service = kService);
    QString status() { return get(QStringLiteral("PlaybackStatus")).toString(); }
    qint64 position() { return get(QStringLiteral("Position")).toLongLong(); }
    QVariantMap metadata() { return asMap(get(QStringLiteral("Metadata"))); }
    QString trackId();
    void openFilms();
    void waitPlaying(int row);
    QStringList told(const QString &name) const;
    QProcess *startPlayer(QProcessEnvironment environment, const QTemporaryDir &home);

    QDBusConnection m_client {QString()};
    QTemporaryDir m_folder;
    QString m_second;
    TFormVDMain *m_window = nullptr;
    BusSignals m_signals;
    QSignalSpy m_told {&m_signals, &BusSignals::propertiesChanged};
    QSignalSpy m_seeked {&m_signals, &BusSignals::seeked};
    QList<QProcess *> m_players;
};

void TestMpris::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("needs a session bus: run under dbus-run-session, as ctest does");
    // Another connection, as the desktop's media controls are another program.
    m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "media-controls");
    QVERIFY(m_client.isConnected());
    QVERIFY(m_client.connect(kService, kPath, kProperties, "PropertiesChanged", &m_signals,
                             SIGNAL(propertiesChanged(QString, QVariantMap, QStringList))));
    QVERIFY(m_client.connect(kService, kPath, kPlayer, "Seeked", &m_signals,
                             SIGNAL(seeked(qlonglong))));
    m_second = m_folder.filePath(QStringLiteral("second film.mp4"));
    QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), m_second));
}

void TestMpris::init()
{
    forgetSettings();
    m_window = new TFormVDMain;
    m_window->filterGraph().SetAudioEnabled(false);
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(m_client.interface()->isServiceRegistered(kService));
}

void TestMpris::cleanup()
{
    delete m_window;
    m_window = nullptr;
    // The name goes with the window, for the next one to take.
    QVERIFY(!m_client.interface()->isServiceRegistered(kService));
    m_told.clear();
    m_seeked.clear();
    for (QProcess *player : std::as_const(m_players)) {
        player->kill();
        player->waitForFinished(5000);
        delete player;
    }
    m_players.clear();
}

// The player lives on this thread: a blocking call must let it answer meanwhile.
QDBusMessage TestMpris::call(const QString &method, const QVariantList &arguments,
                             const QString &interface, const QString &service)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, kPath, interface, method);
    message.setArguments(arguments);
    return m_client.call(message, QDBus::BlockWithGui);
}

QVariant TestMpris::get(const QString &name, const QString &interface, const QString &service)
{
    const QDBusMessage reply = call(QStringLiteral("Get"), {interface, name}, kProperties, service);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QStringLiteral("error: ") + reply.errorMessage();
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QString TestMpris::trackId()
{
    return metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
}

// The demo film, then a copy of it under another name; the first plays.
void TestMpris::openFilms()
{
    m_window->playlist().OpenFiles({QStringLiteral(DUVARA_DEMO_FILM), m_second});
    waitPlaying(0);
}

void TestMpris::waitPlaying(int row)
{
    QTRY_COMPARE_WITH_TIMEOUT(m_window->playlist().PlayIndex(), row, kPlaybackTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(get(QStringLiteral("CanSeek")).toBool(), kPlaybackTimeoutMs);
}

// The values PropertiesChanged told for one Player property, in order; a film by its title,
// once however often its metadata grew (its length comes a little after it starts).
QStringList TestMpris::told(const QString &name) const
{
    QStringList values;
    for (const QList<QVariant> &signal : m_told) {
        const QVariantMap changed = signal.at(1).toMap();
        if (signal.at(0).toString() != kPlayer || !changed.contains(name))
            continue;
        const QString value = name == QLatin1String("Metadata")
            ? asMap(changed.value(name)).value(QStringLiteral("xesam:title")).toString()
            : changed.value(name).toString();
        if (values.isEmpty() || values.constLast() != value)
            values << value;
    }
    return values;
}

QProcess *TestMpris::startPlayer(QProcessEnvironment environment, const QTemporaryDir &home)
{
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DUVARA_CONFIG_DIR", home.filePath("config"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("QT_LOGGING_RULES", "duvara.*.info=true");
    auto *player = new QProcess;
    m_players << player;
    player->setProcessEnvironment(environment);
    player->setProcessChannelMode(QProcess::MergedChannels);
    player->start(QStringLiteral(DUVARA_PLAYER), QStringList());
    return player;
}

void TestMpris::rootInterfaceNamesThePlayer()
{
    const QDBusMessage all = call(QStringLiteral("GetAll"), {kRoot}, kProperties);
    const QVariantMap root = asMap(all.arguments().value(0));
    QCOMPARE(root.value("Identity").toString(), QStringLiteral("Duvara"));
    QCOMPARE(root.value("DesktopEntry").toString(), QStringLiteral("org.duvara.Duvara"));
    QCOMPARE(root.value("CanQuit").toBool(), true);
    QCOMPARE(root.value("CanRaise").toBool(), true);
    QCOMPARE(root.value("HasTrackList").toBool(), false);
    QCOMPARE(root.value("SupportedUriSchemes").toStringList(), QStringList {"file"});
    QCOMPARE(root.value("SupportedMimeTypes").toStringList(), AllFileTypeMimeTypes());

    // Nothing to play: Play opens no dialog, it is answered and nothing happens.
    QCOMPARE(status(), QStringLiteral("Stopped"));
    QCOMPARE(trackId(), QString::fromLatin1(mpris::kNoTrack));
    QCOMPARE(get(QStringLiteral("CanPlay")).toBool(), false);
    QCOMPARE(call(QStringLiteral("Play")).type(), QDBusMessage::ReplyMessage);

    m_window->showMinimized();
    QTRY_VERIFY(m_window->windowState() & Qt::WindowMinimized);
    QCOMPARE(call(QStringLiteral("Raise"), {}, kRoot).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(!(m_window->windowState() & Qt::WindowMinimized));
    QCOMPARE(status(), QStringLiteral("Stopped"));
}

void TestMpris::transportFollowsTheBusAndTellsItsState()
{
    openFilms();
    Transport &transport = m_window->transport();
    QCOMPARE(status(), QStringLiteral("Playing"));
    QVariantMap film = metadata();
    QCOMPARE(film.value("xesam:title").toString(), QStringLiteral("demo.mp4"));
    QCOMPARE(film.value("xesam:url").toString(),
             QUrl::fromLocalFile(QStringLiteral(DUVARA_DEMO_FILM)).toString(QUrl::FullyEncoded));
    // A 64-bit integer, as clients read it, not a double.
    QCOMPARE(film.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
    QVERIFY(std::llabs(film.value("mpris:length").toLongLong() - 24 * kSecond) < kSecond / 10);
    const QString first = trackId();

    call(QStringLiteral("Pause"));
    QTRY_COMPARE(status(), QStringLiteral("Paused"));
    // The window shows what its own Pause button would have left.
    QVERIFY(transport.CommandEnabled(Transport::Command::Play));
    QVERIFY(transport.CommandEnabled(Transport::Command::Step));
    const qint64 paused = position();
    call(QStringLiteral("PlayPause"));
    QTRY_COMPARE(status(), QStringLiteral("Playing"));
    QTRY_VERIFY(position() > paused);
    call(QStringLiteral("Stop"));
    QTRY_COMPARE(status(), QStringLiteral("Stopped"));
    QVERIFY(!transport.CommandEnabled(Transport::Command::Stop));
    QTRY_COMPARE(position(), 0);
    QCOMPARE(get(QStringLiteral("CanSeek")).toBool(), false);
    call(QStringLiteral("Play"));
    QTRY_COMPARE(status(), QStringLiteral("Playing"));
    QTRY_COMPARE(told(QStringLiteral("PlaybackStatus")),
                 (QStringList {"Playing", "Paused", "Playing", "Stopped", "Playing"}));
    QVERIFY(told(QStringLiteral("CanSeek")).contains(QStringLiteral("false")));

    call(QStringLiteral("Next"));
    waitPlaying(1);
    QCOMPARE(metadata().value("xesam:title").toString(), QStringLiteral("second film.mp4"));
    QVERIFY(metadata().value("xesam:url").toString().endsWith("/second%20film.mp4"));
    QVERIFY(trackId() != first);
    QCOMPARE(get(QStringLiteral("CanGoNext")).toBool(), false);
    QCOMPARE(get(QStringLiteral("CanGoPrevious")).toBool(), true);
    // At the end of the list Next is not offered, and asking does nothing.
    call(QStringLiteral("Next"));
    call(QStringLiteral("Previous"));
    waitPlaying(0);
    // The same file again is another track.
    QVERIFY(trackId() != first);
    QTRY_COMPARE(told(QStringLiteral("Metadata")),
                 (QStringList {"demo.mp4", "second film.mp4", "demo.mp4"}));
    QTRY_COMPARE(told(QStringLiteral("CanGoPrevious")), (QStringList {"true", "false"}));
}

void TestMpris::seeksLandWhereAskedAndStaleOnesAreIgnored()
{
    openFilms();
    const QString film = trackId();
    call(QStringLiteral("Pause"));
    QTRY_COMPARE(status(), QStringLiteral("Paused"));
    const qint64 start = position();
    const int seeks = m_seeked.count();
    call(QStringLiteral("Seek"), {qlonglong(5 * kSecond)});
    QTRY_VERIFY(near(position(), start + 5 * kSecond));
    QTRY_COMPARE(m_seeked.count(), seeks + 1);
    QVERIFY(near(m_seeked.last().at(0).toLongLong(), start + 5 * kSecond));
    QVERIFY(near(child<QSlider>(m_window, "SldPos")->value() * qint64(1000), start + 5 * kSecond));

    call(QStringLiteral("SetPosition"), {path(film), qlonglong(12 * kSecond)});
    QTRY_VERIFY(near(position(), 12 * kSecond));
    // A jump for another track or beyond the film is not made: the seek after them starts from
    // where the film really is, and is the only one told.
    call(QStringLiteral("SetPosition"), {path(mpris::TrackIdPath(999)), qlonglong(2 * kSecond)});
    call(QStringLiteral("SetPosition"), {path(film), qlonglong(99 * kSecond)});
    call(QStringLiteral("Seek"), {qlonglong(-1 * kSecond)});
    QTRY_COMPARE(m_seeked.count(), seeks + 3);
    QTRY_VERIFY(near(position(), 11 * kSecond));
    call(QStringLiteral("Seek"), {qlonglong(-60 * kSecond)});
    QTRY_VERIFY(position() <= kSlack);
    QCOMPARE(status(), QStringLiteral("Paused"));

    // Past the end is the film's end: the next one plays, and the first one's id is stale.
    call(QStringLiteral("Seek"), {qlonglong(60 * kSecond)});
    waitPlaying(1);
    call(QStringLiteral("Pause"));
    QTRY_COMPARE(status(), QStringLiteral("Paused"));
    const qint64 before = position();
    call(QStringLiteral("SetPosition"), {path(film), qlonglong(20 * kSecond)});
    call(QStringLiteral("Seek"), {qlonglong(3 * kSecond)});
    QTRY_VERIFY(near(position(), before + 3 * kSecond));
}

void TestMpris::aSeekInTheWindowIsToldAsSeeked()
{
    m_window->CreateOtherWindows();
    openFilms();
    call(QStringLiteral("Pause"));
    QTRY_COMPARE(status(), QStringLiteral("Paused"));
    onNextModal<TFormGoTo>([](TFormGoTo *dialog) {
        dialog->EditGoTo->SetMilliseconds(15000);
        dialog->BtnGoTo->click();
    });
    const int seeks = m_seeked.count();
    m_window->MnuGoToClick();
    QTRY_VERIFY(m_seeked.count() > seeks);
    QVERIFY(near(m_seeked.last().at(0).toLongLong(), 15 * kSecond));
}

void TestMpris::volumeAndRateGoThroughTheWindowsControls()
{
    const auto set = [this](const char *name, double value) {
        return call(QStringLiteral("Set"),
                    {kPlayer, QLatin1String(name), QVariant::fromValue(QDBusVariant(value))},
                    kProperties)
            .type();
    };
    VideoPage *page = child<VideoPage>(m_window, "TabVideo");
    QCOMPARE(set("Volume", 0.5), QDBusMessage::ReplyMessage);
    QCOMPARE(page->SldVol->value(), 5000);
    QCOMPARE(get(QStringLiteral("Volume")).toDouble(), 0.5);
    // Muted, nothing is heard; asking for the volume the slider has ends the mute, as moving
    // the slider does.
    m_window->transport().BtnMuteOnClick();
    QCOMPARE(get(QStringLiteral("Volume")).toDouble(), 0.0);
    set("Volume", 0.5);
    QVERIFY(!page->BtnMuteOn->isHidden());
    set("Volume", 7.0);
    QCOMPARE(page->SldVol->value(), 10000);
    QTRY_COMPARE(told(QStringLiteral("Volume")), (QStringList {"0.5", "0", "0.5", "1"}));

    openFilms();
    // The rung nearest 1.5 is 2: one step of fast forward.
    QCOMPARE(set("Rate", 1.5), QDBusMessage::ReplyMessage);
    QCOMPARE(m_window->transport().Speed(), 2.0);
    QCOMPARE(get(QStringLiteral("Rate")).toDouble(), 2.0);
    set("Rate", 0.0);
    QCOMPARE(status(), QStringLiteral("Paused"));
    QCOMPARE(m_window->transport().Speed(), 1.0);
    QTRY_COMPARE(told(QStringLiteral("Rate")), (QStringList {"2", "1"}));
}

void TestMpris::openUriOpensOnlyLocalFiles()
{
    openFilms();
    const QString invalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    const std::pair<QString, QString> refused[] = {
        {"https://example.org/film.mp4", "org.freedesktop.DBus.Error.NotSupported"},
        {"file://server/films/a.mp4", invalid},
        {"file:///no-such-folder/film.mp4", invalid},
    };
    for (const auto &[uri, error] : refused) {
        const QDBusMessage reply = call(QStringLiteral("OpenUri"), {uri});
        QCOMPARE(reply.errorName(), error);
        QVERIFY2(reply.errorMessage().contains(uri.mid(uri.lastIndexOf('/'))),
                 qPrintable(reply.errorMessage()));
    }
    // Nothing was lost.
    QCOMPARE(m_window->playlist().Count(), 2);

    const QString uri = QUrl::fromLocalFile(m_second).toString(QUrl::FullyEncoded);
    QCOMPARE(call(QStringLiteral("OpenUri"), {uri}).type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE(m_window->playlist().Count(), 1);
    waitPlaying(0);
    QCOMPARE(metadata().value("xesam:url").toString(), uri);
    // As a file handed over by a second start, the list is not kept as the user's.
    QVERIFY(m_window->playlist().PlaylistTransient());

    // A folder stands for the films in it, as on the command line.
    const QString season = m_folder.filePath(QStringLiteral("season"));
    QVERIFY(QDir().mkpath(season));
    for (const char *name : {"Episode 10.mp4", "Episode 9.mp4"})
        QVERIFY(QFile::copy(QStringLiteral(DUVARA_DEMO_FILM), season + '/' + name));
    const QString folderUri = QUrl::fromLocalFile(season).toString(QUrl::FullyEncoded);
    QCOMPARE(call(QStringLiteral("OpenUri"), {folderUri}).type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE(m_window->playlist().Count(), 2);
    QCOMPARE(m_window->playlist().PlaylistPath(0), season + QStringLiteral("/Episode 9.mp4"));
}

void TestMpris::quitWaitsForAnOpenDialog()
{
    m_window->CreateOtherWindows();
    QDBusMessage reply;
    onNextModal<QDialog>([&](QDialog *dialog) {
        reply = call(QStringLiteral("Quit"), {}, kRoot);
        dialog->reject();
    });
    m_window->MnuAboutClick();
    QVERIFY2(reply.errorMessage().contains("waiting for an answer"),
             qPrintable(reply.errorMessage()));
    QVERIFY(m_window->isVisible());
}

// The window of this test holds the plain name; the program started beside it takes the
// instance name, answers there, and quits as a closed window does, keeping its settings.
void TestMpris::anotherPlayerTakesAnInstanceNameAndQuits()
{
    QTemporaryDir home;
    QProcess *player = startPlayer(QProcessEnvironment::systemEnvironment(), home);
    QVERIFY(player->waitForStarted());
    const QString name = mpris::InstanceServiceName(player->processId());
    QTRY_VERIFY_WITH_TIMEOUT(m_client.interface()->isServiceRegistered(name), 30000);
    QCOMPARE(get(QStringLiteral("Identity"), kRoot, name).toString(), QStringLiteral("Duvara"));
    QCOMPARE(call(QStringLiteral("Quit"), {}, kRoot, name).type(), QDBusMessage::ReplyMessage);
    QVERIFY(player->waitForFinished(30000));
    QCOMPARE(player->exitStatus(), QProcess::NormalExit);
    QCOMPARE(player->exitCode(), 0);
    QVERIFY(QFile::exists(home.filePath("config/Duvara.ini")));
    QVERIFY(m_client.interface()->isServiceRegistered(kService));
}

void TestMpris::withoutASessionBusThePlayerStillStarts_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("no address") << QString();
    QTest::newRow("nobody listening") << QStringLiteral("unix:path=%1/no-bus");
}

void TestMpris::withoutASessionBusThePlayerStillStarts()
{
    QFETCH(QString, address);
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without an address the bus would be looked for in the runtime folder, which has none.
    environment.remove("DISPLAY");
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address.arg(home.path()));
    QProcess *player = startPlayer(environment, home);
    QTRY_VERIFY_WITH_TIMEOUT(player->peek(player->bytesAvailable()).contains("main window shown")
                                 || player->state() == QProcess::NotRunning,
                             30000);
    const QByteArray log = player->readAll();
    QVERIFY2(log.contains("main window shown"), log.constData());
    QCOMPARE(log.count("MPRIS is off"), 1);
    QCOMPARE(player->state(), QProcess::Running);
}

QTEST_MAIN(TestMpris)
#include "tst_mpris.moc"
