// The media core: made, configured for embedding and spoken to; also made ahead of time on a
// worker thread (PreparedCore).
#include "media/mpv_core.h"

#include "media/media_error.h"
#include "media/media_logging.h"
#include "media/prepared_core.h"

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace duvara {

namespace {

struct Option
{
    const char *name;
    const char *value;
};

// The player draws its own controls and reads its own keys; mpv must not bring any of its own
// nor read the user's mpv configuration, and it must stay loaded (idle, keep-open) so that a
// finished file can still be stopped, sought and played again.
constexpr Option kEmbeddingOptions[] = {
    {"config", "no"},
    {"terminal", "no"},
    {"load-scripts", "no"},
    {"osc", "no"},
    {"ytdl", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"input-cursor", "no"},
    {"idle", "yes"},
    {"keep-open", "yes"},
    {"audio-client-name", "Duvara"},
    // The player draws both subtitle tracks itself; the core shows none of its own, neither
    // files it would find beside the film nor tracks inside it, and no on-screen messages.
    {"sub-auto", "no"},
    {"sid", "no"},
    {"osd-level", "0"},
    {mpvname::kVideoOutput, mpvname::kNoOutput},
};

// A player that only shows the film, as cheaply as it can.
constexpr Option kPlaybackOptions[] = {
    // Software decoding works with every driver, and the software output would have every
    // hardware-decoded frame copied back anyway.
    {"hwdec", "no"},
    // Every frame-decoding thread keeps frames and a decoder state of its own: about 9 MB each
    // at 1080p. The core's automatic choice is one per processor and one more; two keep 1080p
    // films far ahead of real time on a loaded machine, at a fraction of the memory. The graph
    // gives each film whose picture size and rate it knows its own (DecoderThreadsFor).
    {"vd-lavc-threads", "2"},
    // The software renderer converts and scales every frame. Its default converter is exact
    // but costs about as much as decoding at 1080p; the older converter, allowed its shortcuts
    // (8-bit arithmetic, chroma not interpolated), converts a 1080p frame for fullscreen in a
    // third of the time. Bilinear, widened to the scale when shrinking, does not alias.
    {"sws-allow-zimg", "no"},
    {"sws-fast", "yes"},
    {"sws-scaler", "bilinear"},
    // Read-ahead and seek-back buffers of streamed films: what a player needs for smooth
    // playback and short seeks back, not the core's 150 and 50 MB. Local files play without.
    {"demuxer-max-bytes", "32MiB"},
    {"demuxer-max-back-bytes", "8MiB"},
};

// A film's frames are allocated in pieces of hundreds of kilobytes to megabytes, by decoder
// threads that each use a malloc arena of their own. glibc raises its mmap threshold the first
// time such a piece is freed, and from then on carves the pieces out of the arenas' heaps; the
// next film's threads take other arenas or other holes, and the freed space stays resident. A
// long session grew by 30 MB over its first films and crept on after. A fixed threshold keeps
// every large piece in a mapping of its own that goes back to the system when it is freed; the
// decoders reuse their frames, so the extra mappings are few.
void keepLargeBlocksInMappings()
{
#if defined(__GLIBC__)
    constexpr int kLargeBlockBytes = 128 * 1024; // glibc's own starting threshold
    // A sanitizer's allocator answers 0: it has no such threshold.
    if (mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes) != 1)
        qCDebug(lcMedia) << "the allocator keeps no mmap threshold";
#endif
}

std::vector<const char *> argv(std::initializer_list<const char *> args)
{
    std::vector<const char *> list(args);
    list.push_back(nullptr);
    return list;
}

} // namespace

// 1080p at 30 frames a second, with the 1088 lines a coded 1080p picture often declares.
int DecoderThreadsFor(int width, int height, double framesPerSecond)
{
    constexpr double kOneThreadPixelRate = 1920.0 * 1088.0 * 30.0;
    constexpr int kDefaultThreads = 2;
    if (width <= 0 || height <= 0 || !(framesPerSecond > 0))
        return kDefaultThreads;
    // A rate read a hair above 30 (30.0003) is 30.
    return double(width) * double(height) * framesPerSecond <= kOneThreadPixelRate * 1.001
        ? 1
        : kDefaultThreads;
}

MpvCore::MpvCore(bool audioEnabled)
    : m_handle(nullptr)
{
    static std::once_flag allocatorSet;
    std::call_once(allocatorSet, keepLargeBlocksInMappings);
    m_handle = mpv_create();
    if (!m_handle)
        throw MediaError(mpv_error_string(MPV_ERROR_NOMEM), MPV_ERROR_NOMEM);
    const auto setOptions = [this](const auto &options) {
        for (const Option &option : options) {
            const int error = mpv_set_option_string(m_handle, option.name, option.value);
            if (error < 0)
                qCWarning(lcMedia)
                    << "mpv option" << option.name << "refused:" << mpv_error_string(error);
        }
    };
    setOptions(kEmbeddingOptions);
    setOptions(kPlaybackOptions);
    mpv_set_option_string(m_handle, mpvname::kAudioOutput,
                          audioEnabled ? mpvname::kAutoOutput : mpvname::kNoOutput);
    const int error = mpv_initialize(m_handle);
    if (error < 0) {
        mpv_terminate_destroy(m_handle);
        m_handle = nullptr;
        throw MediaError(mpv_error_string(error), error);
    }
    mpv_hook_add(m_handle, 0, mpvname::kTracksKnownHook, 0);
    // With duvara.media debugging on, the core tells what it does too.
    mpv_request_log_messages(m_handle, lcMedia().isDebugEnabled() ? "v" : "warn");
}

MpvCore::~MpvCore()
{
    // The wakeup callback must not outlive whatever it points at; clearing it waits for a
    // callback that is running on one of mpv's threads.
    mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    mpv_terminate_destroy(m_handle);
}

void MpvCore::continueHook(std::uint64_t hookId) const
{
    mpv_hook_continue(m_handle, hookId);
}

void MpvCore::noteBlockingCall(const char *name) const
{
    if (std::this_thread::get_id() != m_drawingThread.load())
        return;
    qCDebug(lcMedia) << "a call waits for the core on the thread that draws its pictures:" << name;
    const std::lock_guard lock(m_recordMutex);
    if (m_blockingCalls.size() < kMaxRecordedCalls)
        m_blockingCalls.emplace_back(name);
}

void MpvCore::setDrawingThread(std::thread::id thread)
{
    m_drawingThread = thread;
}

std::vector<std::string> MpvCore::takeBlockingCallsWhileDrawing()
{
    const std::lock_guard lock(m_recordMutex);
    return std::exchange(m_blockingCalls, {});
}

int MpvCore::command(std::initializer_list<const char *> args) const
{
    noteBlockingCall(*args.begin());
    auto list = argv(args);
    return mpv_command(m_handle, list.data());
}

int MpvCore::loadFile(const char *utf8Name, std::int64_t &entryId) const
{
    noteBlockingCall(mpvname::kLoadFile);
    const char *args[] = {mpvname::kLoadFile, utf8Name, mpvname::kLoadReplacing, nullptr};
    mpv_node result;
    const int error = mpv_command_ret(m_handle, args, &result);
    if (error < 0)
        return error;
    entryId = 0;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list *map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            if (std::strcmp(map->keys[i], mpvname::kLoadedEntryIdKey) == 0
                && map->values[i].format == MPV_FORMAT_INT64)
                entryId = map->values[i].u.int64;
        }
    }
    mpv_free_node_contents(&result);
    return 0;
}

int MpvCore::setFlag(const char *name, bool value) const
{
    noteBlockingCall(name);
    int flag = value ? 1 : 0;
    return mpv_set_property(m_handle, name, MPV_FORMAT_FLAG, &flag);
}

int MpvCore::setString(const char *name, const char *value) const
{
    noteBlockingCall(name);
    return mpv_set_property_string(m_handle, name, value);
}

void MpvCore::setDoubleAsync(const char *name, double value) const
{
    mpv_set_property_async(m_handle, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvCore::setInt64Async(const char *name, std::int64_t value) const
{
    mpv_set_property_async(m_handle, 0, name, MPV_FORMAT_INT64, &value);
}

void MpvCore::setFlagAsync(const char *name, bool value) const
{
    int flag = value ? 1 : 0;
    mpv_set_property_async(m_handle, 0, name, MPV_FORMAT_FLAG, &flag);
}

// The core copies the value before this returns.
void MpvCore::setStringAsync(const char *name, const char *value) const
{
    mpv_set_property_async(m_handle, 0, name, MPV_FORMAT_STRING, &value);
}

void MpvCore::commandAsync(std::initializer_list<const char *> args) const
{
    commandAsync(0, args);
}

void MpvCore::commandAsync(std::uint64_t replyId, std::initializer_list<const char *> args) const
{
    auto list = argv(args);
    mpv_command_async(m_handle, replyId, list.data());
}

void MpvCore::getNodeAsync(std::uint64_t replyId, const char *name) const
{
    mpv_get_property_async(m_handle, replyId, name, MPV_FORMAT_NODE);
}

void MpvCore::getDoubleAsync(std::uint64_t replyId, const char *name) const
{
    mpv_get_property_async(m_handle, replyId, name, MPV_FORMAT_DOUBLE);
}

void MpvCore::getFlagAsync(std::uint64_t replyId, const char *name) const
{
    mpv_get_property_async(m_handle, replyId, name, MPV_FORMAT_FLAG);
}

void MpvCore::getInt64Async(std::uint64_t replyId, const char *name) const
{
    mpv_get_property_async(m_handle, replyId, name, MPV_FORMAT_INT64);
}

std::optional<double> MpvCore::getDouble(const char *name) const
{
    noteBlockingCall(name);
    double value = 0;
    if (mpv_get_property(m_handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<bool> MpvCore::getFlag(const char *name) const
{
    noteBlockingCall(name);
    int value = 0;
    if (mpv_get_property(m_handle, name, MPV_FORMAT_FLAG, &value) < 0)
        return std::nullopt;
    return value != 0;
}

std::optional<std::int64_t> MpvCore::getInt64(const char *name) const
{
    noteBlockingCall(name);
    std::int64_t value = 0;
    if (mpv_get_property(m_handle, name, MPV_FORMAT_INT64, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<std::string> MpvCore::getString(const char *name) const
{
    noteBlockingCall(name);
    char *text = mpv_get_property_string(m_handle, name);
    if (!text)
        return std::nullopt;
    std::string value(text);
    mpv_free(text);
    return value;
}

const mpv_event *MpvCore::waitEvent(double timeoutSeconds) const
{
    // Only looking is allowed on the drawing thread.
    if (timeoutSeconds != 0)
        noteBlockingCall("(waiting for an event)");
    return mpv_wait_event(m_handle, timeoutSeconds);
}

void MpvCore::waitForAsyncRequests() const
{
    noteBlockingCall("(waiting for the requests made)");
    mpv_wait_async_requests(m_handle);
}

// --- PreparedCore -----------------------------------------------------------------------------

PreparedCore::PreparedCore() = default;
PreparedCore::~PreparedCore() = default;
PreparedCore::PreparedCore(PreparedCore &&) noexcept = default;
PreparedCore &PreparedCore::operator=(PreparedCore &&) noexcept = default;

// mpv may be created and initialised on any thread; the caller has put LC_NUMERIC to "C"
// before, as mpv requires.
PreparedCore PreparedCore::Start(bool audioEnabled)
{
    PreparedCore prepared;
    prepared.m_audioEnabled = audioEnabled;
    prepared.m_core = std::async(
        std::launch::async, [audioEnabled] { return std::make_unique<MpvCore>(audioEnabled); });
    return prepared;
}

std::unique_ptr<MpvCore> PreparedCore::take()
{
    return m_core.get();
}

} // namespace duvara
