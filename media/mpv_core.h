#pragma once

// The media core and the names it is spoken to in. Only the graph and the render-context wrapper
// include this header: they are the only units that talk to libmpv.

#include <mpv/client.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace duvara {

// The names the adapter speaks to mpv in, kept in one place.
namespace mpvname {
// Properties the graph follows.
constexpr const char *kTimePos = "time-pos";
constexpr const char *kDuration = "duration";
constexpr const char *kEofReached = "eof-reached";
constexpr const char *kPause = "pause";
constexpr const char *kContainerFps = "container-fps"; // the film's own frame rate
constexpr const char *kVideoTrackId = "current-tracks/video/id"; // unavailable without video
constexpr const char *kTrackList = "track-list";
constexpr const char *kVideoOutParams = "video-out-params";
constexpr const char *kDisplayWidthKey = "dw"; // of kVideoOutParams
constexpr const char *kDisplayHeightKey = "dh";
constexpr const char *kFrameDropCount = "frame-drop-count";
constexpr const char *kDelayedFrameCount = "vo-delayed-frame-count";

// Properties the graph sets.
constexpr const char *kVolume = "volume";
constexpr const char *kSpeed = "speed";
constexpr const char *kVideoOutput = "vo";
constexpr const char *kAudioOutput = "ao";
constexpr const char *kVoEmbedded = "libmpv";
constexpr const char *kNoOutput = "null";
// The sound servers and drivers of a Linux desktop, in the core's own order of preference.
// The core's automatic choice goes on to SDL, whose audio start-up alone can take a tenth of a
// second when no sound device is there, before the first frame.
constexpr const char *kAutoOutput = "pipewire,pulse,jack,alsa";
constexpr const char *kVideoTrack = "vid";
constexpr const char *kNoTrack = "no";
constexpr const char *kAutoTrack = "auto";

// The picture's placement in the output.
constexpr const char *kKeepAspect = "keepaspect";
constexpr const char *kPanScan = "panscan";
constexpr const char *kVideoZoom = "video-zoom";

// The picture's colours: the renderer's equalizer, or a filter chain before it.
constexpr const char *kBrightness = "brightness";
constexpr const char *kContrast = "contrast";
constexpr const char *kHue = "hue";
constexpr const char *kSaturation = "saturation";
constexpr const char *kVideoFilters = "vf";

// Options for the file being opened only.
constexpr const char *kFileDecoderThreads = "file-local-options/vd-lavc-threads";

// The point of a file's opening, tracks known and no decoder made yet, where the core waits
// for the graph to choose the file's decoding threads.
constexpr const char *kTracksKnownHook = "on_preloaded";

// Commands and their arguments.
constexpr const char *kLoadFile = "loadfile";
constexpr const char *kLoadReplacing = "replace";
constexpr const char *kLoadedEntryIdKey = "playlist_entry_id"; // of kLoadFile's result
constexpr const char *kStop = "stop";
constexpr const char *kSeek = "seek";
constexpr const char *kSeekAbsoluteExact = "absolute+exact";
constexpr const char *kFrameStep = "frame-step";
constexpr const char *kAudioFilter = "af";
constexpr const char *kFilterAdd = "add";
constexpr const char *kFilterRemove = "remove";
} // namespace mpvname

// The decoding threads for a film whose picture has this size and frame rate. Each thread keeps
// frames and a decoder state of its own (about 10 MB at 1080p): one thread where one decodes
// far ahead of real time (up to 1080p at 30 frames a second), two above that and where the rate
// is not known.
int DecoderThreadsFor(int width, int height, double framesPerSecond);

// An initialised mpv core set up for embedding: no configuration files, scripts, terminal or
// input bindings of its own; idle without a file; keeping the last frame at the end of a file.
class MpvCore
{
public:
    // Raises the media error when mpv cannot be created or initialised.
    explicit MpvCore(bool audioEnabled);
    ~MpvCore();

    MpvCore(const MpvCore &) = delete;
    MpvCore &operator=(const MpvCore &) = delete;

    mpv_handle *handle() const { return m_handle; }

    // Synchronous: each waits for the core to carry it out. The core may itself be waiting for
    // the thread that draws its pictures, so that thread must not make them (see
    // setDrawingThread); the calls made there anyway are recorded.
    int command(std::initializer_list<const char *> args) const;
    // loadfile replacing whatever is loaded; the new playlist entry's id in entryId.
    int loadFile(const char *utf8Name, std::int64_t &entryId) const;
    int setFlag(const char *name, bool value) const;
    int setString(const char *name, const char *value) const;
    std::optional<double> getDouble(const char *name) const;
    std::optional<bool> getFlag(const char *name) const;
    std::optional<std::int64_t> getInt64(const char *name) const;
    // Any property as the core prints it (flags as yes and no, structures as JSON).
    std::optional<std::string> getString(const char *name) const;
    // The next event, waiting up to timeoutSeconds for one; 0 only looks.
    const mpv_event *waitEvent(double timeoutSeconds) const;
    // Until every asynchronous request made so far has been carried out.
    void waitForAsyncRequests() const;
    // Every file's opening stops at mpvname::kTracksKnownHook, with an MPV_EVENT_HOOK, until
    // continueHook is called with the event's id: whoever reads the events must.
    void continueHook(std::uint64_t hookId) const;

    // Fire and forget: the core applies these when it gets to them, in the order given, and the
    // calling thread does not wait. The only calls allowed on a thread that renders video.
    //
    // A synchronous call made later may be carried out before them: the core lets a caller
    // that waits go ahead of its queue. Whatever must happen in order with a synchronous call
    // goes synchronously too.
    void setDoubleAsync(const char *name, double value) const;
    void setInt64Async(const char *name, std::int64_t value) const;
    void setFlagAsync(const char *name, bool value) const;
    void setStringAsync(const char *name, const char *value) const;
    void commandAsync(std::initializer_list<const char *> args) const;
    // A failure comes back as MPV_EVENT_COMMAND_REPLY carrying replyId and the error.
    void commandAsync(std::uint64_t replyId, std::initializer_list<const char *> args) const;
    // The value comes back as MPV_EVENT_GET_PROPERTY_REPLY carrying replyId.
    void getNodeAsync(std::uint64_t replyId, const char *name) const;
    void getDoubleAsync(std::uint64_t replyId, const char *name) const;
    void getFlagAsync(std::uint64_t replyId, const char *name) const;
    void getInt64Async(std::uint64_t replyId, const char *name) const;

    // The thread that draws the pictures of the core's render context, from now on; a default
    // id for none. Synchronous calls made on it are recorded.
    void setDrawingThread(std::thread::id thread);
    std::thread::id drawingThread() const { return m_drawingThread; }
    // The synchronous calls made on the drawing thread since the last take, by the name of the
    // property or command (the first kMaxRecordedCalls of them).
    std::vector<std::string> takeBlockingCallsWhileDrawing();
    static constexpr std::size_t kMaxRecordedCalls = 64;

private:
    void noteBlockingCall(const char *name) const;

    mpv_handle *m_handle = nullptr;
    std::atomic<std::thread::id> m_drawingThread {};
    mutable std::mutex m_recordMutex;
    mutable std::vector<std::string> m_blockingCalls; // under m_recordMutex
};

} // namespace duvara
