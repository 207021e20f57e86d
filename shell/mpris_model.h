// What desktop media controls (media keys, the panel's player widget) see of the player over the
// session bus, and the arithmetic between their units and the player's: microseconds against
// the graph's 100-ns units and the position slider's milliseconds, a volume of 0..1 against the
// volume slider's 0..10000, a rate against the speed ladder. Plain functions that need no bus.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QtGlobal>

#include <optional>

namespace duvara::mpris {

inline constexpr char kServiceName[] = "org.mpris.MediaPlayer2.duvara";
inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";
inline constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
// The track id of "nothing loaded": the one id under /org/mpris that a player may hand out.
inline constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// The name a second player on the same bus takes when the plain one is in use.
QString InstanceServiceName(qint64 pid);

enum class PlaybackStatus { Playing, Paused, Stopped };
QString PlaybackStatusText(PlaybackStatus status);

// What the transport shows, from which the playback status follows. Fast motion plays, whether
// the graph's rate or the movement timer's jumps make it.
struct TransportView
{
    bool mediaLoaded = false;
    bool stopEnabled = false;
    bool pauseEnabled = false;
    double speed = 1.0;
};
PlaybackStatus StatusOf(const TransportView &view);

qint64 MicrosecondsFromGraphUnits(qint64 hundredNanoseconds);
// The position slider counts whole milliseconds: rounded down, and kept within an int.
int SliderMillisecondsFromMicroseconds(qint64 microseconds);

// The volume slider is linear, 0..10000; while muted nothing is heard, and that is what shows.
double BusVolume(int sliderVolume, bool soundOn);
// The slider position for a volume asked for: below 0 is silence, above 1 is full; nothing for
// a value that is not a number.
std::optional<int> SliderVolume(double busVolume);

// Every film the graph starts is a track of its own, numbered from 1; 0 is no track.
QString TrackIdPath(quint64 track);

// The state the Player interface publishes, Position apart (clients reckon it from the rate;
// Seeked tells them of jumps).
struct PlayerState
{
    PlaybackStatus status = PlaybackStatus::Stopped;
    QString trackId = QString::fromLatin1(kNoTrack);
    QString title;
    QString url;
    std::optional<qint64> lengthUs;
    double volume = 1.0;
    double rate = 1.0;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
};

// mpris:trackid (an object path), and for a track also xesam:title, xesam:url and, once known,
// mpris:length (microseconds).
QVariantMap MetadataMap(const PlayerState &state);
// The value of one Player property as the bus carries it; invalid for a name it does not publish.
QVariant PlayerPropertyValue(const PlayerState &state, const QString &name);
// The properties whose value differs, with their new values, for PropertiesChanged.
QVariantMap ChangedPlayerProperties(const PlayerState &before, const PlayerState &after);

// Where a relative seek leads: a position within the film, or past its end, which ends the film
// as its completion would (the next row, or the stop after the last).
struct SeekPlan
{
    bool pastTheEnd = false;
    qint64 targetUs = 0;
};
SeekPlan PlanSeek(qint64 positionUs, qint64 offsetUs, qint64 lengthUs);
// A jump to a position is for the track it names, within the film; anything else is stale.
bool AcceptsSetPosition(const PlayerState &state, const QString &trackId, qint64 positionUs);

// The local file a URI names, or why it is refused (only file:// URIs on this computer).
struct UriFile
{
    QString file;
    QString error;
    bool unsupported = false; // not a file:// URI at all
};
UriFile LocalFileForUri(const QString &uri);

// The speeds the transport plays, from the fastest backward to the fastest forward.
inline constexpr double kMinimumRate = -16.0;
inline constexpr double kMaximumRate = 16.0;
// The rung of the speed ladder nearest to a rate (by ratio, on the rate's side of zero); nothing
// for 0 or a value that is not a number.
std::optional<double> BestFitSpeed(double rate);
// Fast-forward steps (positive) or fast-backward steps (negative) from one rung to another.
int LadderStepsTo(double fromSpeed, double toSpeed);

// Whether the position shown moved otherwise than playback at `rate` carries it (a seek), given
// how long ago the last position was shown.
bool PositionJumped(qint64 lastMs, qint64 nowMs, qint64 elapsedMs, double rate);

} // namespace duvara::mpris
