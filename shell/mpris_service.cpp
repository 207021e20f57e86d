#include "shell/mpris_service.h"

#include "controls/playlist.h"
#include "controls/speed_ladder.h"
#include "controls/transport.h"
#include "controls/video_page.h"
#include "media/ds_track_bar.h"
#include "media/duration_probe.h"
#include "media/error_box.h"
#include "media/filter_graph.h"
#include "shell/mpris_player_adaptor.h"
#include "shell/mpris_root_adaptor.h"
#include "shell/shell_logging.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

#include <cmath>
#include <exception>

namespace duvara {

using mpris::PlaybackStatus;
using Command = Transport::Command;

MprisService::MprisService(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_transport(parts.transport)
    , m_playlist(parts.playlist)
    , m_graph(parts.graph)
    , m_page(parts.page)
    , m_position(parts.position)
    , m_window(parts.window)
    , m_open(parts.open)
{
    // Every session of the graph is another film, even the same file once more: a jump asked
    // for the film before is not carried out in this one.
    connect(&m_graph, &TFilterGraph::activeChanged, this, [this](bool active) {
        if (active)
            ++m_track;
        scheduleRefresh();
    });
    for (auto signal : {&Transport::StateChanged, &Transport::MediaStarted, &Transport::Stopped})
        connect(&m_transport, signal, this, &MprisService::scheduleRefresh);
    connect(&m_transport, &Transport::MediaLoadedChanged, this, &MprisService::scheduleRefresh);
    connect(m_page.SldVol, &QSlider::valueChanged, this, &MprisService::scheduleRefresh);
    // The first position tick of a film enables the slider and gives it the film's length.
    connect(&m_position, &QSlider::rangeChanged, this, &MprisService::scheduleRefresh);
    m_position.installEventFilter(this);
    connect(&m_position, &QSlider::valueChanged, this, &MprisService::positionShown);
    // Whether Play has anything to play.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&parts.playlistRows, signal, this, &MprisService::scheduleRefresh);
    connect(&parts.playlistRows, &QAbstractItemModel::modelReset, this,
            &MprisService::scheduleRefresh);
    m_shownAt.start();
}

MprisService::~MprisService()
{
    if (m_serviceName.isEmpty())
        return;
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(QString::fromLatin1(mpris::kObjectPath));
}

bool MprisService::Publish(QDBusConnection bus)
{
    const auto off = [](const QString &why) {
        qCInfo(lcShell).noquote() << QStringLiteral("MPRIS is off: %1").arg(why);
        return false;
    };
    if (!bus.isConnected()) {
        const QString error = bus.lastError().message();
        return off(error.isEmpty() ? QStringLiteral("no session bus")
                                   : QStringLiteral("no session bus (%1)").arg(error));
    }
    auto *exported = new QObject(this);
    new MprisRootAdaptor(*this, exported);
    new MprisPlayerAdaptor(*this, exported);
    const QString path = QString::fromLatin1(mpris::kObjectPath);
    if (!bus.registerObject(path, exported, QDBusConnection::ExportAdaptors)) {
        delete exported;
        return off(QStringLiteral("%1 is in use on this connection already").arg(path));
    }
    QString name = QString::fromLatin1(mpris::kServiceName);
    if (!bus.registerService(name)) {
        name = mpris::InstanceServiceName(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            const QString error = bus.lastError().message();
            bus.unregisterObject(path);
            delete exported;
            return off(QStringLiteral("the session bus refused the name %1 (%2)").arg(name, error));
        }
    }
    m_bus = bus;
    m_serviceName = name;
    m_told = State();
    rebaseline();
    qCInfo(lcShell).noquote() << "MPRIS on the session bus as" << name;
    return true;
}

PlaybackStatus MprisService::status() const
{
    return mpris::StatusOf({m_graph.Active(), m_transport.CommandEnabled(Command::Stop),
                            m_transport.CommandEnabled(Command::Pause), m_transport.Speed()});
}

mpris::PlayerState MprisService::State() const
{
    mpris::PlayerState state;
    const bool loaded = m_graph.Active();
    state.status = status();
    const QString file = loaded ? m_playlist.PlaylistPath(m_playlist.PlayIndex()) : QString();
    if (!file.isEmpty() && m_track != 0) {
        state.trackId = mpris::TrackIdPath(m_track);
        state.title = QFileInfo(file).fileName();
        state.url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
        if (const auto duration = m_graph.Duration(); duration && *duration > 0)
            state.lengthUs = mpris::MicrosecondsFromGraphUnits(*duration);
    }
    // The mute button shows while the sound is on, its partner while muted.
    state.volume = mpris::BusVolume(m_page.SldVol->value(), !m_page.BtnMuteOn->isHidden());
    state.rate = m_transport.Speed();
    state.canGoNext = m_transport.CommandEnabled(Command::Next);
    state.canGoPrevious = m_transport.CommandEnabled(Command::Prev);
    state.canPlay = loaded || m_playlist.Count() > 0;
    state.canPause = loaded;
    state.canSeek = loaded && state.lengthUs && m_position.isEnabled();
    return state;
}

qint64 MprisService::PositionUs() const
{
    if (!m_graph.Active())
        return 0;
    return mpris::MicrosecondsFromGraphUnits(m_graph.CurrentPosition().value_or(0));
}

void MprisService::later(std::function<void()> action)
{
    QMetaObject::invokeMethod(this, Guarded(&m_window, std::move(action)), Qt::QueuedConnection);
}

void MprisService::Raise()
{
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

std::optional<MprisService::Refusal> MprisService::Quit()
{
    // A dialog waits for its answer inside a handler, which would carry on after the window
    // had closed and the graphs had been released.
    if (QWidget *dialog = QApplication::activeModalWidget())
        return Refusal {QDBusError::Failed,
                        QStringLiteral("Duvara is waiting for an answer in the window \"%1\"; "
                                       "close that first")
                            .arg(dialog->windowTitle())};
    // As when the window is closed: the settings and the playlist are kept.
    later([this] { m_window.close(); });
    return std::nullopt;
}

void MprisService::Play()
{
    later([this] {
        const auto state = State();
        if (state.canPlay && !(state.status == PlaybackStatus::Playing && state.rate == 1.0))
            m_transport.BtnPlayClick();
    });
}

void MprisService::Pause()
{
    later([this] {
        if (status() == PlaybackStatus::Playing)
            m_transport.BtnPauseClick();
    });
}

void MprisService::PlayPause()
{
    later([this] {
        const auto state = State();
        if (state.status == PlaybackStatus::Playing)
            m_transport.BtnPauseClick();
        else if (state.canPlay)
            m_transport.BtnPlayClick();
    });
}

void MprisService::Stop()
{
    later([this] {
        if (m_transport.CommandEnabled(Command::Stop))
            m_transport.BtnStopClick();
    });
}

void MprisService::Next()
{
    later([this] {
        if (m_transport.CommandEnabled(Command::Next))
            m_transport.BtnNxtClick();
    });
}

void MprisService::Previous()
{
    later([this] {
        if (m_transport.CommandEnabled(Command::Prev))
            m_transport.BtnPrvClick();
    });
}

void MprisService::Seek(qint64 offsetUs)
{
    later([this, offsetUs] {
        const auto state = State();
        if (!state.canSeek)
            return;
        const auto plan = mpris::PlanSeek(PositionUs(), offsetUs, *state.lengthUs);
        if (plan.pastTheEnd)
            m_transport.MoveOn();
        else
            seekTo(plan.targetUs);
    });
}

void MprisService::SetPosition(const QString &trackId, qint64 positionUs)
{
    later([this, trackId, positionUs] {
        if (mpris::AcceptsSetPosition(State(), trackId, positionUs))
            seekTo(positionUs);
    });
}

// As the go-to dialog jumps: the slider takes the time, and the engine's track bar is pressed
// and released to seek there.
void MprisService::seekTo(qint64 positionUs)
{
    {
        const QScopedValueRollback<bool> seeking(m_seeking, true);
        m_position.setValue(mpris::SliderMillisecondsFromMicroseconds(positionUs));
        m_page.SldDS->MouseDown(Qt::LeftButton);
        m_page.SldDS->MouseUp(Qt::LeftButton);
    }
    rebaseline();
    emit Seeked(qint64(m_position.value()) * 1000);
}

std::optional<MprisService::Refusal> MprisService::OpenUri(const QString &uri)
{
    const mpris::UriFile local = mpris::LocalFileForUri(uri);
    if (!local.error.isEmpty())
        return Refusal {local.unsupported ? QDBusError::NotSupported : QDBusError::InvalidArgs,
                        local.error};
    // The same check the playlist makes before it replaces its rows; what can only be found
    // out by playing the file is shown in the player, as for any file handed to it. A folder
    // stands for the films in it, and the playlist says what it holds.
    if (!QFileInfo(local.file).isDir()) {
        try {
            CheckMediaFile(local.file);
        } catch (const std::exception &error) {
            return Refusal {
                QDBusError::InvalidArgs,
                QStringLiteral("%1: %2").arg(local.file, QString::fromUtf8(error.what()))};
        }
    }
    later([this, file = local.file] { m_open(file); });
    return std::nullopt;
}

void MprisService::Refuse(const QDBusMessage &call, const Refusal &refusal)
{
    call.setDelayedReply(true);
    m_bus.send(call.createErrorReply(refusal.type, refusal.message));
}

void MprisService::SetVolume(double volume)
{
    const auto slider = mpris::SliderVolume(volume);
    if (!slider)
        return;
    RunGuarded(&m_window, [&] {
        // Moving the slider ends a mute; asking for the volume it already has ends it too.
        if (m_page.SldVol->value() != *slider)
            m_page.SldVol->setValue(*slider);
        else if (m_page.BtnMuteOn->isHidden())
            m_transport.BtnMuteOffClick();
    });
}

void MprisService::SetRate(double rate)
{
    if (std::isnan(rate))
        return;
    RunGuarded(&m_window, [&] {
        if (rate == 0.0) {
            if (status() == PlaybackStatus::Playing)
                m_transport.BtnPauseClick();
            return;
        }
        // Up or down the ladder one rung at a time, as the fast-motion keys go.
        const int steps = mpris::LadderStepsTo(m_transport.Speed(), *mpris::BestFitSpeed(rate));
        for (int i = 0; i < steps && m_transport.CommandEnabled(Command::FF); ++i)
            m_transport.BtnFFClick();
        for (int i = 0; i > steps && m_transport.CommandEnabled(Command::Rew); --i)
            m_transport.BtnRewClick();
    });
}

void MprisService::scheduleRefresh()
{
    if (m_refreshQueued || m_serviceName.isEmpty())
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshQueued = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void MprisService::refresh()
{
    const mpris::PlayerState state = State();
    const QVariantMap changed = mpris::ChangedPlayerProperties(m_told, state);
    // Playback resumed, paused or changed speed: the positions from now on are reckoned anew.
    if (state.status != m_told.status || state.rate != m_told.rate)
        rebaseline();
    m_told = state;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(mpris::kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(mpris::kPlayerInterface) << changed << QStringList();
    m_bus.send(signal);
}

void MprisService::rebaseline()
{
    m_shownMs = m_position.value();
    m_shownTrack = m_track;
    m_shownAt.restart();
}

// A jump of the position (the slider dragged or clicked, the go-to dialog, a subtitle chosen
// from a list) is told as Seeked; playback, the return to the start at Stop and the jumps of fast
// motion are not jumps a client must hear of.
void MprisService::positionShown(int ms)
{
    const int lastMs = m_shownMs;
    const qint64 elapsedMs = m_shownAt.restart();
    const bool sameFilm = m_shownTrack == m_track;
    m_shownMs = ms;
    m_shownTrack = m_track;
    if (m_seeking || m_serviceName.isEmpty() || !sameFilm)
        return;
    const PlaybackStatus now = status();
    const double speed = m_transport.Speed();
    if (now == PlaybackStatus::Stopped || !SpeedUsesGraphRate(speed))
        return;
    const double rate = now == PlaybackStatus::Playing ? speed : 0.0;
    if (mpris::PositionJumped(lastMs, ms, elapsedMs, rate))
        emit Seeked(qint64(ms) * 1000);
}

bool MprisService::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_position && event->type() == QEvent::EnabledChange)
        scheduleRefresh();
    return QObject::eventFilter(watched, event);
}

} // namespace duvara
