#include "shell/mpris_model.h"

#include "controls/speed_ladder.h"

#include <QDBusObjectPath>
#include <QDir>
#include <QUrl>

#include <cmath>
#include <limits>

namespace duvara::mpris {

namespace {

constexpr int kSliderFullVolume = 10000;
// Positions come with the graph's reports and the 100-ms tick, both late by a frame or two, and
// a busy machine adds to that; a jump shorter than this is not told apart from playback.
constexpr qint64 kJumpToleranceMs = 1000;

// Every speed the transport plays, in ladder order.
constexpr double kLadder[] = {-16, -8, -4, -2, -1, -0.5, -0.25, 0.25, 0.5, 1, 2, 4, 8, 16};

} // namespace

QString InstanceServiceName(qint64 pid)
{
    return QString::fromLatin1(kServiceName) + QStringLiteral(".instance") + QString::number(pid);
}

QString PlaybackStatusText(PlaybackStatus status)
{
    switch (status) {
    case PlaybackStatus::Playing:
        return QStringLiteral("Playing");
    case PlaybackStatus::Paused:
        return QStringLiteral("Paused");
    case PlaybackStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

PlaybackStatus StatusOf(const TransportView &view)
{
    // Stop is offered exactly while a film is playing, paused or in fast motion.
    if (!view.mediaLoaded || !view.stopEnabled)
        return PlaybackStatus::Stopped;
    if (view.speed != 1.0 || view.pauseEnabled)
        return PlaybackStatus::Playing;
    return PlaybackStatus::Paused;
}

qint64 MicrosecondsFromGraphUnits(qint64 hundredNanoseconds)
{
    return hundredNanoseconds / 10;
}

int SliderMillisecondsFromMicroseconds(qint64 microseconds)
{
    const qint64 ms = microseconds / 1000;
    if (ms < 0)
        return 0;
    return ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                : static_cast<int>(ms);
}

double BusVolume(int sliderVolume, bool soundOn)
{
    if (!soundOn)
        return 0.0;
    return qBound(0, sliderVolume, kSliderFullVolume) / double(kSliderFullVolume);
}

std::optional<int> SliderVolume(double busVolume)
{
    if (std::isnan(busVolume))
        return std::nullopt;
    const double bounded = qBound(0.0, busVolume, 1.0);
    return static_cast<int>(std::nearbyint(bounded * kSliderFullVolume));
}

QString TrackIdPath(quint64 track)
{
    if (track == 0)
        return QString::fromLatin1(kNoTrack);
    return QStringLiteral("/org/duvara/Duvara/Track/") + QString::number(track);
}

QVariantMap MetadataMap(const PlayerState &state)
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(state.trackId)));
    if (state.trackId == QLatin1String(kNoTrack))
        return metadata;
    metadata.insert(QStringLiteral("xesam:title"), state.title);
    metadata.insert(QStringLiteral("xesam:url"), state.url);
    if (state.lengthUs)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(*state.lengthUs));
    return metadata;
}

QVariant PlayerPropertyValue(const PlayerState &state, const QString &name)
{
    if (name == QLatin1String("PlaybackStatus"))
        return PlaybackStatusText(state.status);
    if (name == QLatin1String("Metadata"))
        return MetadataMap(state);
    if (name == QLatin1String("Volume"))
        return state.volume;
    if (name == QLatin1String("Rate"))
        return state.rate;
    if (name == QLatin1String("CanGoNext"))
        return state.canGoNext;
    if (name == QLatin1String("CanGoPrevious"))
        return state.canGoPrevious;
    if (name == QLatin1String("CanPlay"))
        return state.canPlay;
    if (name == QLatin1String("CanPause"))
        return state.canPause;
    if (name == QLatin1String("CanSeek"))
        return state.canSeek;
    return {};
}

QVariantMap ChangedPlayerProperties(const PlayerState &before, const PlayerState &after)
{
    QVariantMap changed;
    const auto note = [&](bool differs, const char *name) {
        if (differs)
            changed.insert(QLatin1String(name), PlayerPropertyValue(after, QLatin1String(name)));
    };
    note(before.status != after.status, "PlaybackStatus");
    note(before.trackId != after.trackId || before.title != after.title || before.url != after.url
             || before.lengthUs != after.lengthUs,
         "Metadata");
    note(before.volume != after.volume, "Volume");
    note(before.rate != after.rate, "Rate");
    note(before.canGoNext != after.canGoNext, "CanGoNext");
    note(before.canGoPrevious != after.canGoPrevious, "CanGoPrevious");
    note(before.canPlay != after.canPlay, "CanPlay");
    note(before.canPause != after.canPause, "CanPause");
    note(before.canSeek != after.canSeek, "CanSeek");
    return changed;
}

SeekPlan PlanSeek(qint64 positionUs, qint64 offsetUs, qint64 lengthUs)
{
    qint64 target = 0;
    // Any offset the bus can carry: a sum beyond 64 bits is past either end.
    if (__builtin_add_overflow(positionUs, offsetUs, &target))
        return offsetUs > 0 ? SeekPlan {true, lengthUs} : SeekPlan {false, 0};
    if (target > lengthUs)
        return {true, lengthUs};
    return {false, qMax<qint64>(target, 0)};
}

bool AcceptsSetPosition(const PlayerState &state, const QString &trackId, qint64 positionUs)
{
    return state.canSeek && state.lengthUs && trackId == state.trackId
        && trackId != QLatin1String(kNoTrack) && positionUs >= 0 && positionUs <= *state.lengthUs;
}

UriFile LocalFileForUri(const QString &uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return {{},
                QStringLiteral("Duvara opens only files on this computer, given as file:// URIs; "
                               "\"%1\" is not one")
                    .arg(uri),
                true};
    if (!url.host().isEmpty()
        && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive))
        return {{},
                QStringLiteral("\"%1\" names a file on the computer \"%2\"; Duvara opens only "
                               "files on this computer")
                    .arg(uri, url.host())};
    const QString file = url.path(QUrl::FullyDecoded);
    if (file.isEmpty() || !QDir::isAbsolutePath(file) || file.contains(QChar::Null))
        return {{}, QStringLiteral("\"%1\" names no file").arg(uri)};
    return {file, {}};
}

std::optional<double> BestFitSpeed(double rate)
{
    if (std::isnan(rate) || rate == 0.0)
        return std::nullopt;
    const double bounded = qBound(kMinimumRate, rate, kMaximumRate);
    std::optional<double> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const double speed : kLadder) {
        if ((speed > 0) != (bounded > 0))
            continue;
        const double distance = std::abs(std::log2(std::abs(bounded) / std::abs(speed)));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = speed;
        }
    }
    return best;
}

int LadderStepsTo(double fromSpeed, double toSpeed)
{
    const auto walk = [&](double (*step)(double)) -> std::optional<int> {
        double speed = fromSpeed;
        for (int steps = 0; steps <= int(std::size(kLadder)); ++steps) {
            if (speed == toSpeed)
                return steps;
            const double next = step(speed);
            if (next == speed)
                break;
            speed = next;
        }
        return std::nullopt;
    };
    if (const auto up = walk(FastForwardSpeed))
        return *up;
    if (const auto down = walk(FastBackwardSpeed))
        return -*down;
    return 0;
}

bool PositionJumped(qint64 lastMs, qint64 nowMs, qint64 elapsedMs, double rate)
{
    const double expected = double(lastMs) + double(elapsedMs) * rate;
    return std::abs(double(nowMs) - expected) > double(kJumpToleranceMs);
}

} // namespace duvara::mpris
