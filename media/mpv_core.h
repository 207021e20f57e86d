#pragma once

// Only media/ includes this header: it is the one door to libmpv.

#include <mpv/client.h>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace duvara {

// The names the adapter speaks to mpv in, kept in one place.
namespace mpvname {
constexpr const char *kTimePos = "time-pos";
constexpr const char *kDuration = "duration";
constexpr const char *kEofReached = "eof-reached";
constexpr const char *kPause = "pause";
constexpr const char *kVideoTrackId = "current-tracks/video/id"; // unavailable without video
constexpr const char *kVolume = "volume";
constexpr const char *kSpeed = "speed";
constexpr const char *kVideoOutput = "vo";
constexpr const char *kAudioOutput = "ao";
constexpr const char *kVideoOutParams = "video-out-params";
constexpr const char *kDisplayWidthKey = "dw"; // of kVideoOutParams
constexpr const char *kDisplayHeightKey = "dh";
constexpr const char *kVoEmbedded = "libmpv";
constexpr const char *kNoOutput = "null";
constexpr const char *kAutoOutput = ""; // the core picks the first driver that works
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
    // Fire and forget: the core applies it when it gets to it, the GUI thread does not wait.
    void setDoubleAsync(const char *name, double value) const;
    void commandAsync(std::initializer_list<const char *> args) const;
    // The value comes back as MPV_EVENT_GET_PROPERTY_REPLY carrying replyId.
    void getNodeAsync(std::uint64_t replyId, const char *name) const;

    std::optional<double> getDouble(const char *name) const;
    std::optional<bool> getFlag(const char *name) const;
    std::optional<std::int64_t> getInt64(const char *name) const;

private:
    mpv_handle *m_handle = nullptr;
};

} // namespace duvara
