#pragma once

#include "media/color_mapping.h"
#include "media/graph_interfaces.h"
#include "media/media_error.h"
#include "media/prepared_core.h"
#include "media/render_context.h"

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct mpv_event;
struct mpv_event_property;
struct mpv_node;

namespace duvara {

class MpvCore;

// A media graph: the player's handle on one playback session of its own long-lived media core.
//
// Activating starts a session, deactivating stops and unloads it; nothing of an older session
// (its events, its completion, its step) reaches anyone once a new one has begun. The core is
// made at the first activation and lives as long as the graph. Positions, durations and stop
// positions are in 100-ns units.
//
// Every operation runs on the GUI thread, which with the OpenGL output also draws the picture;
// so apart from rendering a file and emptying, none waits for the core. Failures of rendering
// and emptying raise EDirectShowException; play, pause and stop are requests the core always
// takes; volume, rate and seek failures are ignored.
//
// The graph is the only owner of the core and hands none of it out: the video window, its
// outputs and its colour overlay reach the core through the typed calls at the end.
class TFilterGraph : public QObject
{
    Q_OBJECT
public:
    explicit TFilterGraph(QObject *parent = nullptr);
    ~TFilterGraph() override;

    TFilterGraph(const TFilterGraph &) = delete;
    TFilterGraph &operator=(const TFilterGraph &) = delete;

    bool Active() const { return m_active; }
    void SetActive(bool active);

    // Takes over a core made ahead of time instead of making one at the first activation.
    // Ignored once the graph has a core.
    void AdoptCore(PreparedCore core);

    // Starts loading a file ahead of the session that will render it, so that the next
    // RenderMediaFile of the same file finds it loading or loaded, and fails it the same way.
    // Only while inactive, and only when every provider can bring its video output now;
    // otherwise nothing happens. Until it is rendered the file is nobody's: none of its events
    // reach anyone, and a session that renders another file, or ends, discards it.
    void PreloadMediaFile(const QString &fileName);

    // Attached components, called in the order attached. A listener or provider that goes away
    // first detaches itself; providers join from the next activation on.
    void AttachListener(GraphListener *listener);
    void DetachListener(GraphListener *listener);
    void AttachFilterProvider(FilterProvider *provider);
    void DetachFilterProvider(FilterProvider *provider);

    // Loads the file paused at its start. 1 without a session (nothing else happens), 0 once the
    // file is loaded; raises the media error when it cannot be played. Waits for the core: the
    // only operation that does so while a session draws its picture.
    int RenderMediaFile(const QString &fileName);
    // Stops and unloads the media; the session and the providers' video output stay.
    void EmptyGraph();

    bool Play();
    bool Pause();
    bool Stop();
    // Stopped is the graph's own state: the core only knows paused and playing.
    duvara::PlayState PlayState() const;

    // Linear 0..10000 (see LinearVolume); stored clamped, applied while a session exists.
    void SetVolume(int volume);
    int StoredVolume() const { return m_storedVolume; }
    // Hundredths of a decibel, -10000..10000, by which one channel is lowered: the left one for
    // a positive balance, the right one for a negative balance. 0 (centred) throughout the player.
    void SetBalance(int balance);
    int StoredBalance() const { return m_storedBalance; }
    bool LinearVolume() const { return m_linearVolume; }
    void SetLinearVolume(bool linear);

    void SetPlaybackRate(double rate);
    double StoredRate() const { return m_storedRate; }
    void SeekToMs(int ms);

    // What the transport and the track bar use directly. Reads answer from values the core
    // reports as it plays, so they never wait; empty while unknown or without a session.
    std::optional<qint64> Duration() const;
    std::optional<qint64> CurrentPosition() const;
    std::optional<qint64> StopPosition() const;
    // Frames a second of the loaded film as its container states them; empty while unknown,
    // without a session, or for a film without pictures.
    std::optional<double> FilmFrameRate() const;
    // The picture's display size as the core last reported it (EC_CLOCK_CHANGED); empty while
    // unknown.
    QSize DisplaySize() const;
    // Absolute and exact (the first frame at or after the position); the stop is not changed.
    void SetCurrentPosition(qint64 position);
    // Applies a rate without storing it (the fast-motion timer resets it to 1.0 this way).
    void SetRate(double rate);
    // One frame forward, leaving the media paused; EC_STEP_COMPLETE follows, with param1 1 when
    // the step could not be made or was cancelled by Stop. False without a session.
    bool FrameStep();
    // Whether the loaded file has a picture that frame steps can move through.
    bool HasVideo() const { return m_active && m_videoTrack; }

    // Duration of a media file in 100-ns units (0 when its container gives none), measured
    // without touching this graph's session. Raises the media error for a file that cannot be
    // opened.
    qint64 ProbeDuration(const QString &fileName);

    // The media error for the code an EC_ERRORABORT event carries.
    static EDirectShowException ErrorFor(std::intptr_t code);

    // False renders the sound to no device (tests, machines without audio). Applies to files
    // loaded from then on.
    void SetAudioEnabled(bool enabled);
    bool AudioEnabled() const { return m_audioEnabled; }

    // --- The picture, for the video window, its outputs and its colour overlay ---------------

    // How the outputs make their render contexts on the core; empty before the core is made.
    // Whatever they make must be freed when their provider hears GraphCoreDestroying().
    std::optional<RenderContextFactory> RenderContexts() const;

    // How the core lays the picture into its output: cut to fill it keeping the aspect (crop),
    // or spread over all of it; then magnified by 2 to the power of zoomExponent. Applied without
    // waiting; false without a core.
    bool SetPictureLayout(bool crop, double zoomExponent);

    // Where the picture's colours are changed: the OpenGL renderer's own equalizer, or a filter
    // before the renderer (the software renderer has no equalizer).
    enum class ColorStage { Renderer, Filter };
    // Applied without waiting: on the OpenGL output the GUI thread draws the picture, and the
    // core may be waiting for it. False without a core.
    bool SetPictureColors(const MpvEqualizer &colors, ColorStage stage);
    // The colours as last set, which is what the core holds: nothing else changes them. Empty
    // without a core.
    std::optional<MpvEqualizer> PictureColors() const;

    // Asks the core for its counts of the frames it dropped and of those that reached its
    // output late; LostFramesReported brings them, whatever session comes meanwhile. False
    // without a core.
    bool RequestLostFrames();

    // --- Diagnostics --------------------------------------------------------------------------

    // Whether the core has been made; it lives as long as the graph from then on.
    bool HasCore() const { return m_core != nullptr; }
    // A property of the core as the core prints it (flags as yes and no, structures as JSON);
    // empty without a core or when it has no such property now. Read once the core has carried
    // out every request made before. For tests and investigations only: it waits for the core,
    // and the player's own code keeps to the typed calls.
    std::optional<std::string> CoreProperty(std::string_view name) const;
    // The calls that waited for the core on the thread that draws its pictures (the GUI thread
    // with the OpenGL output), by property or command name, since the last take; empty without
    // a core. Rendering a file is the one operation that makes such calls (see RenderMediaFile).
    std::vector<std::string> TakeBlockingCallsWhileDrawing();

signals:
    // Every graph event, after the listeners have seen it.
    void OnDSEvent(int code, std::intptr_t param1, std::intptr_t param2);
    void OnGraphStepComplete();
    // End of an activation, before the listeners hear gaActivated.
    void OnActivate();
    void activeChanged(bool active);
    // A handler of a graph event threw; the rest of the events wait for the next notification.
    void handlerFailed(const QString &message);
    // The answer to RequestLostFrames.
    void LostFramesReported(qint64 dropped, qint64 delayed);

private:
    struct QueuedEvent
    {
        std::uint64_t generation;
        int code;
        std::intptr_t param1;
        std::intptr_t param2;
    };
    struct ObservedProperty;
    enum class LoadState { None, Loading, Loaded, Failed };
    // A file loading ahead of its session, and what the core has told of it so far.
    struct Preload
    {
        QByteArray name; // as handed to the core
        std::int64_t entryId = 0;
        LoadState load = LoadState::Loading;
        int error = 0;
        bool pictureReady = false;
    };
    static const ObservedProperty kObservedProperties[];

    static void onCoreWakeup(void *context);
    void ensureCore();
    void selectVideoOutput();
    bool isPreloadedFile() const;
    void adoptPreload();
    void discardPreload();
    void onFileLoaded();
    void schedulePump();
    void pumpEvents();
    void readCoreEvents();
    void translate(const mpv_event &event);
    void beginGeneration();
    void queueEvent(int code, std::intptr_t param1 = 0, std::intptr_t param2 = 0);
    void notifyListeners(GraphAction action);
    bool isCurrentFile() const;

    void onTimePos(const mpv_event_property &property);
    void onDuration(const mpv_event_property &property);
    void onEofReached(const mpv_event_property &property);
    void onVideoTrack(const mpv_event_property &property);
    void onContainerFps(const mpv_event_property &property);
    void onPause(const mpv_event_property &property);
    void onVideoReconfigured();
    void onDisplaySize(const mpv_node &videoOutParams);
    void onSeekFinished();
    void chooseDecoderThreads();
    void onPropertyReply(const mpv_event &event);
    void onCommandReply(const mpv_event &event);

    void checkCompletion(bool readCoreNow);
    void issueStep();
    void finishStep(bool cancelled);
    void applyVolume();
    void applyBalance();
    void applyRate(double rate);
    void setPaused(bool paused);

    bool m_active = false;
    bool m_audioEnabled = true;
    bool m_linearVolume = true;
    int m_storedVolume = 10000;
    int m_storedBalance = 0;
    double m_storedRate = 1.0;
    duvara::PlayState m_state = duvara::PlayState::psNoGraph;

    std::vector<GraphListener *> m_listeners;
    std::vector<FilterProvider *> m_providers;
    std::unique_ptr<MpvCore> m_core;
    PreparedCore m_preparedCore;
    const char *m_videoOutput = nullptr; // as last set on the core
    MpvEqualizer m_pictureColors; // the core starts neutral
    MpvEqualizer m_filterColors; // what the video filter holds, neutral being no filter
    std::optional<Preload> m_preload;

    // Bumped by every activation, deactivation, load and emptying: whatever carries an older
    // number is stale. The core's property reports carry it in their reply id.
    std::uint64_t m_generation = 0;
    LoadState m_load = LoadState::None;
    int m_loadError = 0;
    std::int64_t m_entryId = 0; // the core's playlist entry of this generation's file
    std::int64_t m_streamEntry = 0; // the entry the core's event stream is in now

    std::optional<double> m_timePos;
    std::optional<double> m_duration;
    std::optional<double> m_frameRate;
    bool m_eofReached = false;
    bool m_pictureReady = false; // the file's first restart has happened
    bool m_seekPending = false;
    bool m_completeQueued = false;
    bool m_videoTrack = false; // the file's video track is selected
    std::int64_t m_videoWidth = 0;
    std::int64_t m_videoHeight = 0;

    bool m_stepPending = false;
    bool m_stepDeferred = false;
    bool m_stepFromKnown = false; // the core has told where the step starts
    std::optional<double> m_stepFrom;
    std::int64_t m_droppedFrames = 0; // until the delayed count comes too
    QTimer m_stepTimer;

    std::deque<QueuedEvent> m_events;
    std::atomic<bool> m_pumpQueued {false};
    bool m_pumping = false;
};

} // namespace duvara
