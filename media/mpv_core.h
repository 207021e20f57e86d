#pragma once

// The media core and the names it is spoken to in. Only the graph and the render-context wrapper
// include this header: they are the only units that talk to libmpv.

#include <mpv/client.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace duvara {

// The names the adapter speaks to mpv in, kept in one place.
namespace mpvname {
// Properties the graph follows.
constexpr const char *kTimePos = "time-pos";
constexpr const char *kDuration = "duration";
constexpr const char *kEofReached = "eof-reached";
constexpr const char *kPause = "pause";
constexpr const char *kVideoTrackId = "current-tracks/video/id"; // unavailable without video
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
constexpr const char *kAutoOutput = ""; // the core picks the first driver that works
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

    int command(std::initializer_list<const char *> args) const;
    // loadfile replacing whatever is loaded; the new playlist entry's id in entryId.
    int loadFile(const char *utf8Name, std::int64_t &entryId) const;
    int setFlag(const char *name, bool value) const;
    int setString(const char *name, const char *value) const;
    // Fire and forget: the core applies these when it gets to them, in the order given, and the
    // calling thread does not wait. The only writes allowed on a thread that renders video.
    void setDoubleAsync(const char *name, double value) const;
    void setInt64Async(const char *name, std::int64_t value) const;
    void setFlagAsync(const char *name, bool value) const;
    void setStringAsync(const char *name, const char *value) const;
    void commandAsync(std::initializer_list<const char *> args) const;
    // The value comes back as MPV_EVENT_GET_PROPERTY_REPLY carrying replyId.
    void getNodeAsync(std::uint64_t replyId, const char *name) const;

    std::optional<double> getDouble(const char *name) const;
    std::optional<bool> getFlag(const char *name) const;
    std::optional<std::int64_t> getInt64(const char *name) const;
    // Any property as the core prints it (flags as yes and no, structures as JSON).
    std::optional<std::string> getString(const char *name) const;

private:
    mpv_handle *m_handle = nullptr;
};

} // namespace duvara
