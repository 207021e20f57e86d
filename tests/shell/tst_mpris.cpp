// The player on a session bus of its own (ctest runs this under dbus-run-session), driven by a
// client on a connection of its own as the desktop's media controls drive it: the transport's
// commands, seeks, volume and speed, the film that plays, what is told when it changes, opening
// a URI, and the real program taking an instance name, quitting, and starting without a bus.
#include "controls/form_goto.h"
#include "controls/time_edit.h"
#include "shell/file_types.h"
#include "shell/mpris_model.h"
#include "window_test_support.h"

#include <QDBusArgument>
#include <QDBusConnection>
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
#include <cmath>

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
constexpr qint64 kSeekSlackUs = 150000;

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

bool near(qint64 actual, qint64 expected, qint64 slack)
{
    return std::llabs(actual - expected) <= slack;
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
    void nextAndPreviousChangeTheTrack();
    void volumeMovesTheSlider_data();
    void volumeMovesTheSlider();
    void rateWalksTheSpeedLadder_data();
    void rateWalksTheSpeedLadder();
    void openUriPlaysALocalFile();
    void openUriRefusesWhatItCannotOpen_data();
    void openUriRefusesWhatItCannotOpen();
    void quitWaitsForAnOpenDialog();
    void anotherPlayerTakesAnInstanceNameAndQuits();
    void withoutASessionBusThePlayerStillStarts_data();
    void withoutASessionBusThePlayerStillStarts();

private:
    QDBusMessage call(const QString &interface, const QString &method,
                      const QVariantList &arguments = {}, const QString &service = kService);
    QVariant property(const QString &name, const QString &interface = kPlayer,
                      const QString &service = kService);
    QDBusMessage setProperty(const QString &name, const QVariant &value);
    QVariantMap metadata();
    QString trackId();
    qint64 positionUs();
    void openFilms();
    void waitPlaying(int row);
    QStringList toldValues(const QString &name) const;
    QProcess *startPlayer(const QProcessEnvironment &environment);

    QDBusConnection m_client {QString()};
    QTemporaryDir m_folder;
    QString m_second;
    TFormVDMain *m_window = nullptr;
    BusSignals m_signals;
    QSignalSpy *m_told = nullptr;
    QSignalSpy *m_seeked = nullptr;
    QList<QProcess *> m_players;
};

void TestMpris::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("needs a session bus: run under dbus-run-session, as ctest does");
    // The client is another connection, as a desktop's media controls are another program.
    m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                             QStringLiteral("media-controls"));
    QVERIFY(m_client.isConnected());
    QVERIFY(m_folder.isValid());
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
    m_told = new QSignalSpy(&m_signals, &BusSignals::propertiesChanged);
    m_seeked = new QSignalSpy(&m_signals, &BusSignals::seeked);
    QVERIFY(m_client.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"),
                             &m_signals,
                             SIGNAL(propertiesChanged(QString, QVariantMap, QStringList))));
    QVERIFY(m_client.connect(kService, kPath, kPlayer, QStringLiteral("Seeked"), &m_signals,
                             SIGNAL(seeked(qlonglong))));
}

void TestMpris::cleanup()
{
    m_client.disconnect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"),
                        &m_signals, SIGNAL(propertiesChanged(QString, QVariantMap, QStringList)));
    m_client.disconnect(kService, kPath, kPlayer, QStringLiteral("Seeked"), &m_signals,
                        SIGNAL(seeked(qlonglong)));
    delete m_told;
    delete m_seeked;
    m_told = m_seeked = nullptr;
    delete m_window;
    m_window = nullptr;
    // The name goes with the window, for the next one to take.
    QVERIFY(!m_client.interface()->isServiceRegistered(kService));
    for (QProcess *player : std::as_const(m_players)) {
        if (player->state() != QProcess::NotRunning) {
            player->kill();
            player->waitForFinished(5000);
        }
        delete player;
    }
    m_players.clear();
}

// The player lives on this thread: a blocking call must let it answer meanwhile.
QDBusMessage TestMpris::call(const QString &interface, const QString &method,
                             const QVariantList &arguments, const QString &service)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, kPath, interface, method);
    message.setArguments(arguments);
    return m_client.call(message, QDBus::BlockWithGui);
}

QVariant TestMpris::property(const QString &name, const QString &interface, const QString &service)
{
    const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, name}, service);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QStringLiteral("error: ") + reply.errorMessage();
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QDBusMessage TestMpris::setProperty(const QString &name, const QVariant &value)
{
    return call(kProperties, QStringLiteral("Set"),
                {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
}

QVariantMap TestMpris::metadata()
{
    return asMap(property(QStringLiteral("Metadata")));
}

QString TestMpris::trackId()
{
    return metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
}

qint64 TestMpris::positionUs()
{
    return property(QStringLiteral("Position")).toLongLong();
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
    QTRY_VERIFY_WITH_TIMEOUT(child<QSlider>(m_window, "SldPos")->isEnabled(), kPlaybackTimeoutMs);
    QTRY_COMPARE(property(QStringLiteral("CanSeek")).toBool(), true);
}

// Every value the bus was told for one Player property, in the order told.
QStringList TestMpris::toldValues(const QString &name) const
{
    QStringList values;
    for (const QList<QVariant> &signal : *m_told) {
        if (signal.at(0).toString() != kPlayer)
            continue;
        const QVariantMap changed = signal.at(1).toMap();
        if (!changed.contains(name))
            continue;
        const QVariant value = changed.value(name);
        if (name == QLatin1String("Metadata"))
            values << asMap(value).value(QStringLiteral("xesam:title")).toString();
        else
            values << value.toString();
    }
    return values;
}

QProcess *TestMpris::startPlayer(const QProcessEnvironment &environment)
{
    auto *player = new QProcess;
    m_players << player;
    player->setProcessEnvironment(environment);
    player->setProcessChannelMode(QProcess::MergedChannels);
    player->start(QStringLiteral(DUVARA_PLAYER), QStringList());
    return player;
}

void TestMpris::rootInterfaceNamesThePlayer()
{
    QCOMPARE(property(QStringLiteral("Identity"), kRoot).toString(), QStringLiteral("Duvara"));
    QCOMPARE(property(QStringLiteral("DesktopEntry"), kRoot).toString(),
             QStringLiteral("org.duvara.Duvara"));
    QCOMPARE(property(QStringLiteral("CanQuit"), kRoot).toBool(), true);
    QCOMPARE(property(QStringLiteral("CanRaise"), kRoot).toBool(), true);
    QCOMPARE(property(QStringLiteral("HasTrackList"), kRoot).toBool(), false);
    QCOMPARE(property(QStringLiteral("SupportedUriSchemes"), kRoot).toStringList(),
             QStringList {"file"});
    const QStringList types = property(QStringLiteral("SupportedMimeTypes"), kRoot).toStringList();
    QCOMPARE(types, AllFileTypeMimeTypes());
    QVERIFY(types.contains(QStringLiteral("video/mp4")));

    // Nothing to play yet.
    const QDBusMessage all = call(kProperties, QStringLiteral("GetAll"), {kPlayer});
    QCOMPARE(all.type(), QDBusMessage::ReplyMessage);
    const QVariantMap player = asMap(all.arguments().value(0));
    for (const char *name :
         {"PlaybackStatus", "Rate", "Metadata", "Volume", "Position", "MinimumRate", "MaximumRate",
          "CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek", "CanControl"})
        QVERIFY2(player.contains(QLatin1String(name)), name);
    QCOMPARE(player.value("PlaybackStatus").toString(), QStringLiteral("Stopped"));
    QCOMPARE(asMap(player.value("Metadata")).value("mpris:trackid").value<QDBusObjectPath>().path(),
             QString::fromLatin1(mpris::kNoTrack));
    QCOMPARE(player.value("CanPlay").toBool(), false);
    QCOMPARE(player.value("CanControl").toBool(), true);
    QCOMPARE(player.value("MinimumRate").toDouble(), -16.0);
    QCOMPARE(player.value("MaximumRate").toDouble(), 16.0);
    // Play with nothing to play opens no dialog; the call is answered and nothing happens.
    QCOMPARE(call(kPlayer, QStringLiteral("Play")).type(), QDBusMessage::ReplyMessage);

    m_window->showMinimized();
    QTRY_VERIFY(m_window->windowState() & Qt::WindowMinimized);
    QCOMPARE(call(kRoot, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(!(m_window->windowState() & Qt::WindowMinimized));
    QVERIFY(m_window->isVisible());
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
}

void TestMpris::transportFollowsTheBusAndTellsItsState()
{
    openFilms();
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QTRY_VERIFY(toldValues(QStringLiteral("PlaybackStatus")).endsWith(QStringLiteral("Playing")));
    Transport &transport = m_window->transport();
    using Command = Transport::Command;

    call(kPlayer, QStringLiteral("Pause"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    // The window shows what its own Pause button would have left.
    QVERIFY(transport.CommandEnabled(Command::Play));
    QVERIFY(!transport.CommandEnabled(Command::Pause));
    QVERIFY(transport.CommandEnabled(Command::Step));
    QTRY_VERIFY(toldValues(QStringLiteral("PlaybackStatus")).endsWith(QStringLiteral("Paused")));
    const qint64 paused = positionUs();

    call(kPlayer, QStringLiteral("PlayPause"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QTRY_VERIFY(positionUs() > paused);

    call(kPlayer, QStringLiteral("Stop"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    QVERIFY(!transport.CommandEnabled(Command::Stop));
    QTRY_COMPARE(positionUs(), 0);
    // Stopped, the film stays loaded and can be played again, but not seeked or skipped.
    QCOMPARE(property(QStringLiteral("CanPlay")).toBool(), true);
    QCOMPARE(property(QStringLiteral("CanSeek")).toBool(), false);
    QCOMPARE(property(QStringLiteral("CanGoNext")).toBool(), false);
    QTRY_VERIFY(toldValues(QStringLiteral("CanSeek")).endsWith(QStringLiteral("false")));

    call(kPlayer, QStringLiteral("Play"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QCOMPARE(m_window->playlist().PlayIndex(), 0);
    QTRY_VERIFY(toldValues(QStringLiteral("PlaybackStatus")).endsWith(QStringLiteral("Playing")));
    const QStringList told = toldValues(QStringLiteral("PlaybackStatus"));
    QCOMPARE(told.mid(told.size() - 5),
             (QStringList {"Playing", "Paused", "Playing", "Stopped", "Playing"}));
}

void TestMpris::seeksLandWhereAskedAndStaleOnesAreIgnored()
{
    openFilms();
    const QString film = trackId();
    call(kPlayer, QStringLiteral("Pause"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    const qint64 start = positionUs();
    int seeks = m_seeked->count();

    call(kPlayer, QStringLiteral("Seek"), {qlonglong(5 * kSecond)});
    QTRY_VERIFY2(near(positionUs(), start + 5 * kSecond, kSeekSlackUs),
                 qPrintable(QString::number(positionUs())));
    QTRY_VERIFY(m_seeked->count() > seeks);
    QVERIFY2(
        near(m_seeked->last().at(0).toLongLong(), start + 5 * kSecond, kSeekSlackUs),
        qPrintable(
            QStringLiteral("%1 after %2").arg(m_seeked->last().at(0).toLongLong()).arg(start)));
    // The window's slider went there too.
    QVERIFY(near(child<QSlider>(m_window, "SldPos")->value(), (start + 5 * kSecond) / 1000,
                 kSeekSlackUs / 1000));

    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(film)), qlonglong(12 * kSecond)});
    QTRY_VERIFY(near(positionUs(), 12 * kSecond, kSeekSlackUs));
    QVERIFY(near(m_seeked->last().at(0).toLongLong(), 12 * kSecond, kSeekSlackUs));
    seeks = m_seeked->count();

    // A jump asked for another track, or beyond the film, is not made; the seek after it
    // shows where the film really was.
    const QString other = mpris::TrackIdPath(999);
    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(other)), qlonglong(2 * kSecond)});
    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(film)), qlonglong(99 * kSecond)});
    call(kPlayer, QStringLiteral("Seek"), {qlonglong(-1 * kSecond)});
    QTRY_VERIFY(m_seeked->count() > seeks);
    QCOMPARE(m_seeked->count(), seeks + 1);
    QVERIFY(near(m_seeked->last().at(0).toLongLong(), 11 * kSecond, kSeekSlackUs));
    QTRY_VERIFY(near(positionUs(), 11 * kSecond, kSeekSlackUs));

    call(kPlayer, QStringLiteral("Seek"), {qlonglong(-60 * kSecond)});
    QTRY_VERIFY(positionUs() <= kSeekSlackUs);
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));

    // Past the end is the film's end: the next film plays.
    call(kPlayer, QStringLiteral("Seek"), {qlonglong(60 * kSecond)});
    waitPlaying(1);
    QVERIFY(trackId() != film);
    // The first film's id is stale now, whatever position it names.
    call(kPlayer, QStringLiteral("Pause"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    const qint64 before = positionUs();
    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(film)), qlonglong(20 * kSecond)});
    call(kPlayer, QStringLiteral("Seek"), {qlonglong(3 * kSecond)});
    QTRY_VERIFY(near(positionUs(), before + 3 * kSecond, kSeekSlackUs));
}

void TestMpris::aSeekInTheWindowIsToldAsSeeked()
{
    m_window->CreateOtherWindows();
    openFilms();
    call(kPlayer, QStringLiteral("Pause"));
    QTRY_COMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    onNextModal<TFormGoTo>([](TFormGoTo *dialog) {
        dialog->EditGoTo->SetMilliseconds(15000);
        dialog->BtnGoTo->click();
    });
    m_window->MnuGoToClick();
    QTRY_VERIFY(!m_seeked->isEmpty());
    QVERIFY(near(m_seeked->last().at(0).toLongLong(), 15 * kSecond, 1000));
    QTRY_VERIFY(near(positionUs(), 15 * kSecond, kSeekSlackUs));
}

void TestMpris::nextAndPreviousChangeTheTrack()
{
    openFilms();
    QVariantMap first = metadata();
    QCOMPARE(first.value("xesam:title").toString(), QStringLiteral("demo.mp4"));
    QCOMPARE(first.value("xesam:url").toString(),
             QUrl::fromLocalFile(QStringLiteral(DUVARA_DEMO_FILM)).toString(QUrl::FullyEncoded));
    QVERIFY(near(first.value("mpris:length").toLongLong(), 24 * kSecond, kSecond / 10));
    QCOMPARE(property(QStringLiteral("CanGoNext")).toBool(), true);
    QCOMPARE(property(QStringLiteral("CanGoPrevious")).toBool(), false);
    const QString firstId = trackId();

    call(kPlayer, QStringLiteral("Next"));
    waitPlaying(1);
    const QVariantMap second = metadata();
    QCOMPARE(second.value("xesam:title").toString(), QStringLiteral("second film.mp4"));
    QVERIFY(second.value("xesam:url").toString().endsWith(QLatin1String("/second%20film.mp4")));
    QVERIFY(trackId() != firstId);
    QCOMPARE(property(QStringLiteral("CanGoNext")).toBool(), false);
    QCOMPARE(property(QStringLiteral("CanGoPrevious")).toBool(), true);
    QTRY_VERIFY(toldValues(QStringLiteral("Metadata")).contains(QStringLiteral("second film.mp4")));
    QTRY_VERIFY(toldValues(QStringLiteral("CanGoPrevious")).endsWith(QStringLiteral("true")));

    // At the end of the list Next is not offered, and asking does nothing.
    call(kPlayer, QStringLiteral("Next"));
    call(kPlayer, QStringLiteral("Previous"));
    waitPlaying(0);
    QCOMPARE(metadata().value("xesam:title").toString(), QStringLiteral("demo.mp4"));
    // The same file again is another track.
    QVERIFY(trackId() != firstId);
    QTRY_VERIFY(toldValues(QStringLiteral("Metadata")).endsWith(QStringLiteral("demo.mp4")));
}

void TestMpris::volumeMovesTheSlider_data()
{
    QTest::addColumn<bool>("muted");
    QTest::addColumn<double>("volume");
    QTest::addColumn<int>("slider");
    QTest::addColumn<double>("reads");
    QTest::newRow("half") << false << 0.5 << 5000 << 0.5;
    QTest::newRow("a little") << false << 0.0123 << 123 << 0.0123;
    QTest::newRow("above full") << false << 1.7 << 10000 << 1.0;
    QTest::newRow("below silence") << false << -0.3 << 0 << 0.0;
    QTest::newRow("while muted") << true << 0.25 << 2500 << 0.25;
    QTest::newRow("the same while muted") << true << 1.0 << 10000 << 1.0;
    QTest::newRow("not a number") << false << std::nan("") << 10000 << 1.0;
}

void TestMpris::volumeMovesTheSlider()
{
    QFETCH(bool, muted);
    QFETCH(double, volume);
    QFETCH(int, slider);
    QFETCH(double, reads);
    QSlider *volumeSlider = child<VideoPage>(m_window, "TabVideo")->SldVol;
    QCOMPARE(volumeSlider->value(), 10000);
    if (muted) {
        m_window->transport().BtnMuteOnClick();
        QCOMPARE(property(QStringLiteral("Volume")).toDouble(), 0.0);
        QTRY_VERIFY(toldValues(QStringLiteral("Volume")).endsWith(QStringLiteral("0")));
    }
    QCOMPARE(setProperty(QStringLiteral("Volume"), volume).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(volumeSlider->value(), slider);
    QCOMPARE(property(QStringLiteral("Volume")).toDouble(), reads);
    // Setting the volume ends a mute, as moving the slider does.
    QVERIFY(!child<VideoPage>(m_window, "TabVideo")->BtnMuteOn->isHidden());
    if (reads != 1.0 || muted)
        QTRY_VERIFY(toldValues(QStringLiteral("Volume")).endsWith(QString::number(reads)));
}

void TestMpris::rateWalksTheSpeedLadder_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("status");
    QTest::newRow("double") << 2.0 << 2.0 << "Playing";
    QTest::newRow("nearest rung") << 0.3 << 0.25 << "Playing";
    QTest::newRow("fastest") << 16.0 << 16.0 << "Playing";
    QTest::newRow("backward") << -1.0 << -1.0 << "Playing";
    QTest::newRow("normal") << 1.0 << 1.0 << "Playing";
    QTest::newRow("zero pauses") << 0.0 << 1.0 << "Paused";
}

void TestMpris::rateWalksTheSpeedLadder()
{
    QFETCH(double, rate);
    QFETCH(double, speed);
    QFETCH(QString, status);
    openFilms();
    QCOMPARE(setProperty(QStringLiteral("Rate"), rate).type(), QDBusMessage::ReplyMessage);
    // Read at once: the fast-motion timer's first jump is a quarter second away.
    QCOMPARE(m_window->transport().Speed(), speed);
    QCOMPARE(property(QStringLiteral("Rate")).toDouble(), speed);
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), status);
    if (speed != 1.0)
        QTRY_VERIFY(toldValues(QStringLiteral("Rate")).contains(QString::number(speed)));
}

void TestMpris::openUriPlaysALocalFile()
{
    const QString uri = QUrl::fromLocalFile(m_second).toString(QUrl::FullyEncoded);
    QVERIFY(uri.contains(QLatin1String("%20")));
    const QDBusMessage reply = call(kPlayer, QStringLiteral("OpenUri"), {uri});
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    waitPlaying(0);
    QCOMPARE(m_window->playlist().Count(), 1);
    QCOMPARE(m_window->playlist().PlaylistPath(0), m_second);
    // Like a file handed over by a second start, the list is not kept as the user's.
    QVERIFY(m_window->playlist().PlaylistTransient());
    QCOMPARE(metadata().value("xesam:url").toString(), uri);
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
}

void TestMpris::openUriRefusesWhatItCannotOpen_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("says");
    const QString notSupported = QStringLiteral("org.freedesktop.DBus.Error.NotSupported");
    const QString invalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    QTest::newRow("web") << "https://example.org/film.mp4" << notSupported << "file:// URIs";
    QTest::newRow("other computer") << "file://server/films/a.mp4" << invalid << "\"server\"";
    QTest::newRow("missing") << "file:///no-such-folder/film.mp4" << invalid
                             << "/no-such-folder/film.mp4: ";
    QTest::newRow("folder") << QUrl::fromLocalFile(QDir::tempPath()).toString() << invalid
                            << "Not a regular file";
}

void TestMpris::openUriRefusesWhatItCannotOpen()
{
    QFETCH(QString, uri);
    QFETCH(QString, error);
    QFETCH(QString, says);
    openFilms();
    const QDBusMessage reply = call(kPlayer, QStringLiteral("OpenUri"), {uri});
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), error);
    QVERIFY2(reply.errorMessage().contains(says), qPrintable(reply.errorMessage()));
    // Nothing is lost: the list and the film that plays stay.
    QCOMPARE(m_window->playlist().Count(), 2);
    QCOMPARE(metadata().value("xesam:title").toString(), QStringLiteral("demo.mp4"));
    QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
}

void TestMpris::quitWaitsForAnOpenDialog()
{
    m_window->CreateOtherWindows();
    QDBusMessage reply;
    onNextModal<QDialog>([&](QDialog *dialog) {
        reply = call(kRoot, QStringLiteral("Quit"));
        dialog->reject();
    });
    m_window->MnuAboutClick();
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QVERIFY2(reply.errorMessage().contains(QLatin1String("waiting for an answer")),
             qPrintable(reply.errorMessage()));
    QVERIFY(m_window->isVisible());
    QVERIFY(m_client.interface()->isServiceRegistered(kService));
}

// The window of this test holds the plain name; the program started beside it takes the
// instance name, answers there, and quits as a closed window does, keeping its settings.
void TestMpris::anotherPlayerTakesAnInstanceNameAndQuits()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DUVARA_CONFIG_DIR", home.filePath("config"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("QT_LOGGING_RULES", "duvara.*.info=true");
    QProcess *player = startPlayer(environment);
    QVERIFY(player->waitForStarted());
    const QString name = mpris::InstanceServiceName(player->processId());
    QTRY_VERIFY_WITH_TIMEOUT(m_client.interface()->isServiceRegistered(name), 30000);
    QCOMPARE(property(QStringLiteral("Identity"), kRoot, name).toString(),
             QStringLiteral("Duvara"));

    QCOMPARE(call(kRoot, QStringLiteral("Quit"), {}, name).type(), QDBusMessage::ReplyMessage);
    QVERIFY(player->waitForFinished(30000));
    QCOMPARE(player->exitStatus(), QProcess::NormalExit);
    QCOMPARE(player->exitCode(), 0);
    QVERIFY(QFile::exists(home.filePath("config/Duvara.ini")));
    QVERIFY(!m_client.interface()->isServiceRegistered(name));
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
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DUVARA_CONFIG_DIR", home.filePath("config"));
    // Where the session bus would be found without an address: there is none there.
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("QT_LOGGING_RULES", "duvara.*.info=true");
    environment.remove("DISPLAY");
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address.arg(home.path()));
    QProcess *player = startPlayer(environment);
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
