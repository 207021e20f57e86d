// The media graph: sessions on the core, the core's events turned into graph events, and the
// typed calls through which the rest of media/ reaches the core.
#include "media/filter_graph.h"

#include "media/duration_probe.h"
#include "media/media_error.h"
#include "media/media_logging.h"
#include "media/mpv_core.h"
#include "media/volume_scale.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace duvara {

namespace {

// A file that neither loads nor fails within this time is given up (a hung network mount).
constexpr int kLoadTimeoutMs = 10000;
// A frame step at the very end of a file moves nothing, and the core then reports nothing.
constexpr int kStepTimeoutMs = 500;
constexpr double kHundredNsPerSecond = 1e7;
constexpr unsigned kPropertyIndexBits = 8;
constexpr const char *kBalanceFilterLabel = "@duvara-balance";

std::uint64_t replyId(std::uint64_t generation, std::size_t propertyIndex)
{
    return (generation << kPropertyIndexBits) | propertyIndex;
}

// The slots of the answers to the graph's own requests, after those of the observed properties.
// The answers about a file carry the generation they were asked in; the frame counts carry none
// (generation 0, which no session has), as they are logged after their session has ended.
constexpr std::size_t kDisplaySizeReply = 16;
constexpr std::size_t kEndReachedReply = 17;
constexpr std::size_t kStepFromReply = 18;
constexpr std::size_t kStepReply = 19;
constexpr std::size_t kSeekReply = 20;
constexpr std::size_t kDroppedFramesReply = 21;
constexpr std::size_t kDelayedFramesReply = 22;
constexpr std::uint64_t kNoGeneration = 0;

std::optional<qint64> hundredNs(const std::optional<double> &seconds)
{
    if (!seconds)
        return std::nullopt;
    return static_cast<qint64>(std::llround(*seconds * kHundredNsPerSecond));
}

std::optional<double> doubleValue(const mpv_event_property &property)
{
    if (property.format != MPV_FORMAT_DOUBLE)
        return std::nullopt; // MPV_FORMAT_NONE: the property is unavailable (no file)
    return *static_cast<const double *>(property.data);
}

bool flagValue(const mpv_event_property &property)
{
    return property.format == MPV_FORMAT_FLAG && *static_cast<const int *>(property.data) != 0;
}

// An integer entry of a map node; 0 when it is missing.
std::int64_t int64Entry(const mpv_node &map, const char *key)
{
    if (map.format != MPV_FORMAT_NODE_MAP)
        return 0;
    for (int i = 0; i < map.u.list->num; ++i) {
        const mpv_node &value = map.u.list->values[i];
        if (std::strcmp(map.u.list->keys[i], key) == 0 && value.format == MPV_FORMAT_INT64)
            return value.u.int64;
    }
    return 0;
}

// A local file goes by its absolute path, so that no part of its name can read as a protocol
// or an option to the core.
QByteArray CoreFileName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return QFile::encodeName(info.exists() ? info.absoluteFilePath() : fileName);
}

int endFileError(const mpv_event_end_file &end)
{
    // A playlist file ends by redirecting to its entries: not a medium a graph plays.
    if (end.reason == MPV_END_FILE_REASON_REDIRECT)
        return MPV_ERROR_UNKNOWN_FORMAT;
    return end.error < 0 ? end.error : MPV_ERROR_LOADING_FAILED;
}

bool contains(const std::vector<GraphListener *> &list, GraphListener *item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

// The core's property reports that keep the adapter's picture of the media current. Each is
// observed anew per generation, with the generation in its reply id.
struct TFilterGraph::ObservedProperty
{
    const char *name;
    mpv_format format;
    void (TFilterGraph::*changed)(const mpv_event_property &);
};

const TFilterGraph::ObservedProperty TFilterGraph::kObservedProperties[] = {
    {mpvname::kTimePos, MPV_FORMAT_DOUBLE, &TFilterGraph::onTimePos},
    {mpvname::kDuration, MPV_FORMAT_DOUBLE, &TFilterGraph::onDuration},
    {mpvname::kEofReached, MPV_FORMAT_FLAG, &TFilterGraph::onEofReached},
    {mpvname::kPause, MPV_FORMAT_FLAG, &TFilterGraph::onPause},
    {mpvname::kVideoTrackId, MPV_FORMAT_INT64, &TFilterGraph::onVideoTrack},
    {mpvname::kContainerFps, MPV_FORMAT_DOUBLE, &TFilterGraph::onContainerFps},
};

TFilterGraph::TFilterGraph(QObject *parent)
    : QObject(parent)
{
    static_assert(std::size(kObservedProperties) < kDisplaySizeReply);
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, [this] { finishStep(false); });
}

TFilterGraph::~TFilterGraph()
{
    try {
        SetActive(false);
    } catch (const std::exception &error) {
        qCWarning(lcMedia) << objectName() << "deactivation failed:" << error.what();
    }
    if (m_core) {
        mpv_set_wakeup_callback(m_core->handle(), nullptr, nullptr);
        // mpv aborts when a render context outlives its core.
        const auto providers = m_providers;
        for (FilterProvider *provider : providers)
            provider->GraphCoreDestroying();
        m_core.reset();
    }
}

void TFilterGraph::AttachListener(GraphListener *listener)
{
    if (listener && !contains(m_listeners, listener))
        m_listeners.push_back(listener);
}

void TFilterGraph::DetachListener(GraphListener *listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

void TFilterGraph::AttachFilterProvider(FilterProvider *provider)
{
    if (provider
        && std::find(m_providers.begin(), m_providers.end(), provider) == m_providers.end())
        m_providers.push_back(provider);
}

void TFilterGraph::DetachFilterProvider(FilterProvider *provider)
{
    m_providers.erase(std::remove(m_providers.begin(), m_providers.end(), provider),
                      m_providers.end());
}

void TFilterGraph::ensureCore()
{
    if (m_core)
        return;
    if (m_preparedCore.valid()) {
        const bool preparedAudio = m_preparedCore.audioEnabled();
        // Raises what making the core raised; the next attempt makes a core of its own.
        m_core = m_preparedCore.take();
        if (preparedAudio != m_audioEnabled)
            SetAudioEnabled(m_audioEnabled);
    } else {
        m_core = std::make_unique<MpvCore>(m_audioEnabled);
    }
    mpv_set_wakeup_callback(m_core->handle(), &TFilterGraph::onCoreWakeup, this);
    // What the core said before anyone listened is read now.
    schedulePump();
}

void TFilterGraph::AdoptCore(PreparedCore core)
{
    if (!m_core)
        m_preparedCore = std::move(core);
}

// The embedded output needs a provider's render context before the first file; with no
// provider (the probe graph, tests) the picture is decoded and dropped. Set only when it
// changes: while a preloaded file loads, the core answers a call only between two of its steps,
// which can take a tenth of a second and more. It waits for the core, but it changes only
// before the providers' render contexts are made.
void TFilterGraph::selectVideoOutput()
{
    const char *output = m_providers.empty() ? mpvname::kNoOutput : mpvname::kVoEmbedded;
    if (output == m_videoOutput)
        return;
    if (const int error = m_core->setString(mpvname::kVideoOutput, output); error < 0)
        qCWarning(lcMedia) << "video output" << output << "refused:" << mpv_error_string(error);
    else
        m_videoOutput = output;
}

void TFilterGraph::PreloadMediaFile(const QString &fileName)
{
    if (m_active)
        return;
    try {
        ensureCore();
    } catch (const std::exception &error) {
        qCWarning(lcMedia) << objectName() << "no core to preload into:" << error.what();
        return;
    }
    const auto providers = m_providers;
    for (FilterProvider *provider : providers) {
        if (!provider->PrepareOutput())
            return;
    }
    // Loading this file ends a file preloaded before. These calls wait for the core; no output
    // that draws on this thread (OpenGL) is ever ready before its session.
    m_preload.reset();
    selectVideoOutput();
    Preload preload;
    preload.name = CoreFileName(fileName);
    if (m_core->setFlag(mpvname::kPause, true) < 0
        || m_core->loadFile(preload.name.constData(), preload.entryId) < 0)
        return;
    qCDebug(lcMedia) << objectName() << "preloading" << fileName;
    m_preload = std::move(preload);
}

bool TFilterGraph::isPreloadedFile() const
{
    return m_preload && m_streamEntry == m_preload->entryId;
}

// The core's stop waits for the core wherever it is made: a later load, which waits too, would
// otherwise be carried out before a stop still queued, and that stop would end the new file.
// Stops come between files, when the picture is going anyway.
void TFilterGraph::discardPreload()
{
    if (!m_preload)
        return;
    m_preload.reset();
    m_core->command({mpvname::kStop});
}

// The preloaded file becomes the session's, in whatever state it reached.
void TFilterGraph::adoptPreload()
{
    const Preload preload = *m_preload;
    m_preload.reset();
    m_entryId = preload.entryId;
    m_load = preload.load;
    m_loadError = preload.error;
    m_pictureReady = preload.pictureReady;
    if (preload.load == LoadState::Loaded) {
        onFileLoaded();
        // Its picture may have been configured already, unseen.
        onVideoReconfigured();
    }
}

void TFilterGraph::SetActive(bool active)
{
    if (m_active == active)
        return;
    if (active) {
        ensureCore();
        selectVideoOutput();
        m_active = true;
        m_state = duvara::PlayState::psStopped;
        beginGeneration();
        // Nothing is published for outside graph inspection tools: mpv has no registry of
        // running graphs to publish into.
        const auto providers = m_providers;
        for (FilterProvider *provider : providers) {
            provider->FilterStage(FilterStage::fsAdding);
            provider->FilterStage(FilterStage::fsAdded);
        }
        qCDebug(lcMedia) << objectName() << "activated";
        emit OnActivate();
        notifyListeners(GraphAction::gaActivated);
    } else {
        notifyListeners(GraphAction::gaDeactivating);
        if (m_load != LoadState::None)
            m_core->command({mpvname::kStop});
        discardPreload();
        const auto providers = m_providers;
        for (FilterProvider *provider : providers) {
            provider->FilterStage(FilterStage::fsRemoving);
            provider->FilterStage(FilterStage::fsRemoved);
        }
        m_active = false;
        m_state = duvara::PlayState::psNoGraph;
        beginGeneration();
        qCDebug(lcMedia) << objectName() << "deactivated";
    }
    emit activeChanged(m_active);
}

void TFilterGraph::beginGeneration()
{
    mpv_handle *core = m_core ? m_core->handle() : nullptr;
    constexpr std::size_t propertyCount = std::size(kObservedProperties);
    if (core) {
        for (std::size_t i = 0; i < propertyCount; ++i)
            mpv_unobserve_property(core, replyId(m_generation, i));
    }
    ++m_generation;

    // Within a session a step's completion outlives the file it was made in: whoever muted the
    // sound for the step waits for it to restore the volume.
    std::deque<QueuedEvent> kept;
    if (m_active) {
        for (const QueuedEvent &event : m_events) {
            if (event.code == GraphEvent::EC_STEP_COMPLETE)
                kept.push_back({m_generation, event.code, event.param1, event.param2});
        }
        if (m_stepPending)
            kept.push_back({m_generation, GraphEvent::EC_STEP_COMPLETE, 1, 0});
    }
    m_events = std::move(kept);
    m_stepPending = false;
    m_stepDeferred = false;
    m_stepFromKnown = false;
    m_stepFrom.reset();
    m_stepTimer.stop();

    m_load = LoadState::None;
    m_loadError = 0;
    m_entryId = 0;
    m_timePos.reset();
    m_duration.reset();
    m_frameRate.reset();
    m_eofReached = false;
    m_pictureReady = false;
    m_seekPending = false;
    m_completeQueued = false;
    m_videoWidth = 0;
    m_videoHeight = 0;
    m_videoTrack = false;

    if (core && m_active) {
        for (std::size_t i = 0; i < propertyCount; ++i)
            mpv_observe_property(core, replyId(m_generation, i), kObservedProperties[i].name,
                                 kObservedProperties[i].format);
    }
    if (!m_events.empty())
        schedulePump();
}

void TFilterGraph::notifyListeners(GraphAction action)
{
    const auto listeners = m_listeners;
    for (GraphListener *listener : listeners) {
        if (contains(m_listeners, listener))
            listener->HandleGraphAction(action, 0);
    }
}

// --- Event pump -------------------------------------------------------------------------------

void TFilterGraph::onCoreWakeup(void *context)
{
    // On one of mpv's threads: only post; everything else happens on the GUI thread.
    static_cast<TFilterGraph *>(context)->schedulePump();
}

void TFilterGraph::schedulePump()
{
    if (!m_pumpQueued.exchange(true))
        QMetaObject::invokeMethod(
            this, [this] { pumpEvents(); }, Qt::QueuedConnection);
}

void TFilterGraph::pumpEvents()
{
    m_pumpQueued = false;
    // A handler that runs a nested event loop (a message box) gets here again; the pump that
    // is already running goes on once the handler returns.
    if (m_pumping)
        return;
    m_pumping = true;
    QString failure;
    for (;;) {
        readCoreEvents();
        if (m_events.empty())
            break;
        const QueuedEvent event = m_events.front();
        m_events.pop_front();
        if (event.generation != m_generation || !m_active)
            continue;
        try {
            // A handler may end the session or load the next file; from then on this event
            // is stale and nobody else hears of it.
            const auto listeners = m_listeners;
            for (GraphListener *listener : listeners) {
                if (event.generation != m_generation)
                    break;
                if (contains(m_listeners, listener))
                    listener->HandleGraphEvent(event.code, event.param1, event.param2);
            }
            if (event.generation == m_generation)
                emit OnDSEvent(event.code, event.param1, event.param2);
            if (event.generation == m_generation && event.code == GraphEvent::EC_STEP_COMPLETE)
                emit OnGraphStepComplete();
        } catch (const std::exception &error) {
            failure = QString::fromUtf8(error.what());
        } catch (...) {
            failure = QStringLiteral("Unknown error in a media event handler");
        }
        // The events still queued are read at the next notification.
        if (!failure.isNull())
            break;
    }
    m_pumping = false;
    if (!failure.isNull()) {
        qCWarning(lcMedia).noquote() << objectName() << "event handler failed:" << failure;
        emit handlerFailed(failure);
    }
}

void TFilterGraph::readCoreEvents()
{
    if (!m_core)
        return;
    for (;;) {
        const mpv_event *event = mpv_wait_event(m_core->handle(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        translate(*event);
    }
}

bool TFilterGraph::isCurrentFile() const
{
    return m_active && m_entryId != 0 && m_streamEntry == m_entryId;
}

void TFilterGraph::translate(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_streamEntry = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (isCurrentFile() && m_load == LoadState::Loading)
            onFileLoaded();
        else if (isPreloadedFile() && m_preload->load == LoadState::Loading)
            m_preload->load = LoadState::Loaded;
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<const mpv_event_end_file *>(event.data);
        const bool ours = m_active && m_entryId != 0 && end->playlist_entry_id == m_entryId;
        if (end->playlist_entry_id == m_streamEntry)
            m_streamEntry = 0;
        const int error = endFileError(*end);
        if (m_preload && end->playlist_entry_id == m_preload->entryId) {
            // Whatever ended it, a preloaded file that is gone cannot be rendered.
            m_preload->load = LoadState::Failed;
            m_preload->error = error;
        }
        if (!ours)
            break;
        if (m_load == LoadState::Loading) {
            m_load = LoadState::Failed;
            m_loadError = error;
        } else if (m_load == LoadState::Loaded && end->reason == MPV_END_FILE_REASON_ERROR) {
            // The file broke while it played (a read error, a removed medium).
            m_load = LoadState::Failed;
            queueEvent(GraphEvent::EC_ERRORABORT, error);
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const std::uint64_t generation = event.reply_userdata >> kPropertyIndexBits;
        const std::size_t index = event.reply_userdata & ((1u << kPropertyIndexBits) - 1);
        if (generation != m_generation || index >= std::size(kObservedProperties))
            break;
        (this->*kObservedProperties[index].changed)(
            *static_cast<const mpv_event_property *>(event.data));
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        if (isCurrentFile() && m_load == LoadState::Loaded)
            onSeekFinished();
        else if (isPreloadedFile())
            m_preload->pictureReady = true;
        break;
    case MPV_EVENT_VIDEO_RECONFIG:
        if (isCurrentFile() && m_load == LoadState::Loaded)
            onVideoReconfigured();
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        onPropertyReply(event);
        break;
    case MPV_EVENT_COMMAND_REPLY:
        onCommandReply(event);
        break;
    case MPV_EVENT_HOOK:
        // Whatever file it is for, the core waits until it is answered.
        chooseDecoderThreads();
        m_core->continueHook(static_cast<const mpv_event_hook *>(event.data)->id);
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto *message = static_cast<const mpv_event_log_message *>(event.data);
        qCDebug(lcMedia).noquote()
            << "mpv" << message->prefix << QString::fromUtf8(message->text).trimmed();
        break;
    }
    default:
        break;
    }
}

// The core waits for this at the file's opening, answering calls meanwhile: waiting for it here
// holds up nothing, whichever thread draws the pictures. It has no picture yet.
void TFilterGraph::chooseDecoderThreads()
{
    int width = 0;
    int height = 0;
    double rate = 0;
    if (const auto tracks = m_core->getString(mpvname::kTrackList)) {
        const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(*tracks)).array();
        for (const QJsonValue &entry : list) {
            const QJsonObject track = entry.toObject();
            // The core picks the first video track that is not a cover picture.
            if (track.value(QLatin1String("type")).toString() == QLatin1String("video")
                && !track.value(QLatin1String("albumart")).toBool()) {
                width = track.value(QLatin1String("demux-w")).toInt();
                height = track.value(QLatin1String("demux-h")).toInt();
                rate = track.value(QLatin1String("demux-fps")).toDouble();
                break;
            }
        }
    }
    const int threads = DecoderThreadsFor(width, height, rate);
    qCDebug(lcMedia) << objectName() << "decoding threads for" << width << "x" << height << "at"
                     << rate << "frames a second:" << threads;
    m_core->setString(mpvname::kFileDecoderThreads, std::to_string(threads).c_str());
}

void TFilterGraph::onPropertyReply(const mpv_event &event)
{
    const auto &reply = *static_cast<const mpv_event_property *>(event.data);
    const bool valid = event.error >= 0 && reply.format != MPV_FORMAT_NONE;
    if (event.reply_userdata == replyId(kNoGeneration, kDroppedFramesReply)) {
        m_droppedFrames = valid && reply.format == MPV_FORMAT_INT64
            ? *static_cast<const std::int64_t *>(reply.data)
            : 0;
        return;
    }
    if (event.reply_userdata == replyId(kNoGeneration, kDelayedFramesReply)) {
        // Asked for after the dropped count, so answered after it.
        const std::int64_t delayed = valid && reply.format == MPV_FORMAT_INT64
            ? *static_cast<const std::int64_t *>(reply.data)
            : 0;
        emit LostFramesReported(m_droppedFrames, delayed);
        return;
    }
    // The rest were asked for in this generation, so about this generation's file.
    if (!isCurrentFile() || m_load != LoadState::Loaded)
        return;
    if (event.reply_userdata == replyId(m_generation, kDisplaySizeReply)) {
        if (valid && reply.format == MPV_FORMAT_NODE)
            onDisplaySize(*static_cast<const mpv_node *>(reply.data));
    } else if (event.reply_userdata == replyId(m_generation, kEndReachedReply)) {
        if (valid && reply.format == MPV_FORMAT_FLAG) {
            m_eofReached = *static_cast<const int *>(reply.data) != 0;
            checkCompletion(false);
        }
    } else if (event.reply_userdata == replyId(m_generation, kStepFromReply)) {
        if (m_stepPending && !m_stepFromKnown) {
            m_stepFromKnown = true;
            if (valid && reply.format == MPV_FORMAT_DOUBLE)
                m_stepFrom = *static_cast<const double *>(reply.data);
        }
    }
}

void TFilterGraph::onCommandReply(const mpv_event &event)
{
    if (event.error >= 0)
        return;
    if (event.reply_userdata == replyId(m_generation, kSeekReply)) {
        // The position stays where it was; its report, if any, corrects the one assumed.
        m_seekPending = false;
    } else if (event.reply_userdata == replyId(m_generation, kStepReply)) {
        finishStep(true);
    }
}

void TFilterGraph::onFileLoaded()
{
    m_load = LoadState::Loaded;
    // Readable from here on; the reports of these values may come a little later. Read while
    // RenderMediaFile waits for the file anyway: the core has no picture of it to draw yet.
    m_duration = m_core->getDouble(mpvname::kDuration);
    m_timePos = m_core->getDouble(mpvname::kTimePos);
    m_eofReached = m_core->getFlag(mpvname::kEofReached).value_or(false);
}

void TFilterGraph::queueEvent(int code, std::intptr_t param1, std::intptr_t param2)
{
    m_events.push_back({m_generation, code, param1, param2});
    schedulePump();
}

void TFilterGraph::onTimePos(const mpv_event_property &property)
{
    m_timePos = doubleValue(property);
    if (m_stepPending && !m_stepDeferred && m_stepFromKnown && m_timePos && m_timePos != m_stepFrom
        && isCurrentFile())
        finishStep(false);
}

void TFilterGraph::onDuration(const mpv_event_property &property)
{
    m_duration = doubleValue(property);
}

void TFilterGraph::onContainerFps(const mpv_event_property &property)
{
    m_frameRate = doubleValue(property);
}

void TFilterGraph::onVideoTrack(const mpv_event_property &property)
{
    m_videoTrack = property.format == MPV_FORMAT_INT64 && property.data
        && *static_cast<const std::int64_t *>(property.data) > 0;
}

void TFilterGraph::onEofReached(const mpv_event_property &property)
{
    m_eofReached = flagValue(property);
    if (!m_eofReached) {
        m_completeQueued = false;
        return;
    }
    if (!isCurrentFile() || m_load != LoadState::Loaded)
        return;
    if (m_stepPending)
        finishStep(false);
    checkCompletion(false);
}

void TFilterGraph::onPause(const mpv_event_property &property)
{
    // While the graph runs, only the core pauses itself: keep-open does so at the end.
    if (flagValue(property) && m_state == duvara::PlayState::psRunning && isCurrentFile()
        && m_load == LoadState::Loaded)
        checkCompletion(true);
}

void TFilterGraph::onSeekFinished()
{
    m_seekPending = false;
    if (!m_pictureReady) {
        m_pictureReady = true;
        if (m_stepDeferred)
            issueStep();
    }
    // The core does not always report reaching the end when a seek lands there.
    checkCompletion(true);
}

// The size is asked for without waiting: until the first frame of a file has been drawn, the
// core holds back every synchronous call, and the frame is drawn on this very thread.
void TFilterGraph::onVideoReconfigured()
{
    m_core->getNodeAsync(replyId(m_generation, kDisplaySizeReply), mpvname::kVideoOutParams);
}

// mpv has no reference clock that could change. EC_CLOCK_CHANGED stands instead for "the
// picture's display size is now known or has changed" (the core configured its video output
// for this file anew), which is what its receivers need it for: the video window places and
// scales the picture again. param1 and param2 carry the display width and height.
void TFilterGraph::onDisplaySize(const mpv_node &videoOutParams)
{
    const std::int64_t width = int64Entry(videoOutParams, mpvname::kDisplayWidthKey);
    const std::int64_t height = int64Entry(videoOutParams, mpvname::kDisplayHeightKey);
    if (width <= 0 || height <= 0)
        return;
    // The core reconfigures for many reasons; only a change of the picture's size counts.
    if (width == m_videoWidth && height == m_videoHeight)
        return;
    m_videoWidth = width;
    m_videoHeight = height;
    queueEvent(GraphEvent::EC_CLOCK_CHANGED, static_cast<std::intptr_t>(width),
               static_cast<std::intptr_t>(height));
}

// EC_COMPLETE comes once for each time running media arrives at its end: by playing into it,
// by a seek that lands there, or by Play at the end. readCoreNow asks the core whether it is at
// the end as it is once it gets to the question, rather than as it last reported; the check
// goes on with the answer.
void TFilterGraph::checkCompletion(bool readCoreNow)
{
    if (m_state != duvara::PlayState::psRunning || m_completeQueued || m_seekPending
        || !isCurrentFile() || m_load != LoadState::Loaded)
        return;
    if (readCoreNow) {
        m_core->getFlagAsync(replyId(m_generation, kEndReachedReply), mpvname::kEofReached);
        return;
    }
    if (!m_eofReached)
        return;
    m_completeQueued = true;
    queueEvent(GraphEvent::EC_COMPLETE);
}

void TFilterGraph::finishStep(bool cancelled)
{
    if (!m_stepPending)
        return;
    m_stepPending = false;
    m_stepDeferred = false;
    m_stepFromKnown = false;
    m_stepFrom.reset();
    m_stepTimer.stop();
    queueEvent(GraphEvent::EC_STEP_COMPLETE, cancelled ? 1 : 0);
}

// --- Rendering and transport ------------------------------------------------------------------

int TFilterGraph::RenderMediaFile(const QString &fileName)
{
    if (!m_active)
        return 1;
    notifyListeners(GraphAction::gaRendering);
    beginGeneration();
    m_state = duvara::PlayState::psStopped;

    const QByteArray name = CoreFileName(fileName);
    if (m_preload && m_preload->name == name) {
        // It loads paused already.
        adoptPreload();
    } else {
        // Loading another file ends the preloaded one. The pause must be in place before the
        // load, which waits: a request that does not wait could come after it.
        m_preload.reset();
        if (const int error = m_core->setFlag(mpvname::kPause, true); error < 0)
            throw MediaError(mpv_error_string(error), error);
        std::int64_t entry = 0;
        if (const int error = m_core->loadFile(name.constData(), entry); error < 0)
            throw MediaError(mpv_error_string(error), error);
        m_entryId = entry;
        m_load = LoadState::Loading;
    }

    // Wait on the core's own queue, not on the Qt event loop: nothing else of the player runs
    // before the file is loaded or has failed. The one wait for the core on the GUI thread while
    // the OpenGL output draws there, and harmless: until the file is loaded the core has no
    // picture of it to wait for, and the one before is gone with the load.
    const QDeadlineTimer deadline(kLoadTimeoutMs);
    while (m_load == LoadState::Loading && !deadline.hasExpired()) {
        const double seconds = static_cast<double>(deadline.remainingTime()) / 1000.0;
        const mpv_event *event = m_core->waitEvent(seconds);
        if (event->event_id != MPV_EVENT_NONE)
            translate(*event);
    }
    if (m_load != LoadState::Loaded) {
        const bool timedOut = m_load == LoadState::Loading;
        const int error = timedOut ? MPV_ERROR_LOADING_FAILED : m_loadError;
        m_core->command({mpvname::kStop});
        m_load = LoadState::Failed;
        qCInfo(lcMedia).noquote() << objectName() << "cannot render" << fileName
                                  << (timedOut ? "(timed out)" : "");
        throw MediaError(timedOut ? "loading timed out" : mpv_error_string(error), error);
    }

    applyVolume();
    applyBalance();
    applyRate(m_storedRate);
    notifyListeners(GraphAction::gaRendered);
    if (!m_events.empty())
        schedulePump();
    return 0;
}

void TFilterGraph::EmptyGraph()
{
    if (!m_active)
        return;
    Stop();
    if (m_load != LoadState::None) {
        if (const int error = m_core->command({mpvname::kStop}); error < 0)
            throw MediaError(mpv_error_string(error), error);
    }
    discardPreload();
    // Whatever the emptied file still had queued (its end, say) must not reach anyone.
    beginGeneration();
}

// The core takes a pause at any time, file or none: nothing comes back worth waiting for.
void TFilterGraph::setPaused(bool paused)
{
    m_core->setFlagAsync(mpvname::kPause, paused);
}

bool TFilterGraph::Play()
{
    if (!m_active)
        return false;
    notifyListeners(GraphAction::gaPlay);
    setPaused(false);
    m_state = duvara::PlayState::psRunning;
    m_completeQueued = false;
    checkCompletion(true);
    return true;
}

// The core pauses at once, so a pause is never reported as still in progress.
bool TFilterGraph::Pause()
{
    if (!m_active)
        return false;
    notifyListeners(GraphAction::gaPause);
    setPaused(true);
    m_state = duvara::PlayState::psPaused;
    return true;
}

// The core has no stopped state: stopped is paused at the start, with the state kept here.
bool TFilterGraph::Stop()
{
    if (!m_active)
        return false;
    notifyListeners(GraphAction::gaStop);
    finishStep(true);
    setPaused(true);
    SetCurrentPosition(0);
    m_state = duvara::PlayState::psStopped;
    return true;
}

duvara::PlayState TFilterGraph::PlayState() const
{
    return m_active ? m_state : duvara::PlayState::psNoGraph;
}

// --- Volume, rate, seeking --------------------------------------------------------------------

void TFilterGraph::SetVolume(int volume)
{
    m_storedVolume = std::clamp(volume, 0, 10000);
    applyVolume();
}

void TFilterGraph::applyVolume()
{
    if (!m_active)
        return;
    const int hundredthsDb = m_linearVolume ? LinearVolumeToHundredthsDb(m_storedVolume)
                                            : LogarithmicVolumeToHundredthsDb(m_storedVolume);
    m_core->setDoubleAsync(mpvname::kVolume, MpvVolumeForHundredthsDb(hundredthsDb));
}

void TFilterGraph::SetBalance(int balance)
{
    m_storedBalance = std::clamp(balance, -10000, 10000);
    applyBalance();
}

void TFilterGraph::applyBalance()
{
    if (!m_active)
        return;
    if (m_storedBalance == 0) {
        // Centred is no filter at all; removing one that is not there is harmless.
        m_core->commandAsync({mpvname::kAudioFilter, mpvname::kFilterRemove, kBalanceFilterLabel});
        return;
    }
    const ChannelGains gains = BalanceGains(m_storedBalance);
    const std::string filter = std::string(kBalanceFilterLabel) + ":lavfi=[pan=stereo|c0="
        + std::to_string(gains.left) + "*c0|c1=" + std::to_string(gains.right) + "*c1]";
    m_core->commandAsync({mpvname::kAudioFilter, mpvname::kFilterAdd, filter.c_str()});
}

void TFilterGraph::SetLinearVolume(bool linear)
{
    m_linearVolume = linear;
    applyVolume();
    applyBalance();
}

void TFilterGraph::SetPlaybackRate(double rate)
{
    m_storedRate = rate;
    applyRate(rate);
}

void TFilterGraph::SetRate(double rate)
{
    applyRate(rate);
}

void TFilterGraph::applyRate(double rate)
{
    // The core plays forward only; other rates are refused like any failed rate change.
    if (!m_active || !(rate > 0.0) || !std::isfinite(rate))
        return;
    m_core->setDoubleAsync(mpvname::kSpeed, rate);
}

void TFilterGraph::SeekToMs(int ms)
{
    SetCurrentPosition(static_cast<qint64>(ms) * 10000);
}

void TFilterGraph::SetCurrentPosition(qint64 position)
{
    if (!m_active || m_load != LoadState::Loaded)
        return;
    const double seconds = static_cast<double>(std::max<qint64>(position, 0)) / kHundredNsPerSecond;
    const QByteArray target = QByteArray::number(seconds, 'f', 7);
    // The seek's end comes as a playback restart, a failure as the command's reply.
    m_core->commandAsync(replyId(m_generation, kSeekReply),
                         {mpvname::kSeek, target.constData(), mpvname::kSeekAbsoluteExact});
    m_seekPending = true;
    m_completeQueued = false;
    m_timePos = seconds;
}

QSize TFilterGraph::DisplaySize() const
{
    if (!m_active || m_load != LoadState::Loaded)
        return {};
    return QSize(static_cast<int>(m_videoWidth), static_cast<int>(m_videoHeight));
}

std::optional<qint64> TFilterGraph::Duration() const
{
    if (!m_active || m_load != LoadState::Loaded)
        return std::nullopt;
    return hundredNs(m_duration);
}

std::optional<qint64> TFilterGraph::CurrentPosition() const
{
    if (!m_active || m_load != LoadState::Loaded)
        return std::nullopt;
    return hundredNs(m_timePos);
}

std::optional<double> TFilterGraph::FilmFrameRate() const
{
    if (!m_active || m_load != LoadState::Loaded || !m_frameRate || !(*m_frameRate > 0))
        return std::nullopt;
    return m_frameRate;
}

// The core always plays to the end of the file.
std::optional<qint64> TFilterGraph::StopPosition() const
{
    return Duration();
}

bool TFilterGraph::FrameStep()
{
    if (!m_active)
        return false;
    m_state = duvara::PlayState::psPaused;
    m_stepPending = true;
    m_stepTimer.start(kStepTimeoutMs);
    // Until a freshly loaded file shows its first picture, the core's step would only bring
    // up that picture; the step is made once it is up.
    m_stepDeferred = m_load == LoadState::Loaded && !m_pictureReady;
    if (!m_stepDeferred)
        issueStep();
    return true;
}

void TFilterGraph::issueStep()
{
    m_stepDeferred = false;
    m_stepTimer.start(kStepTimeoutMs);
    // Whoever muted the sound for the step still hears that it is over.
    if (m_load != LoadState::Loaded) {
        finishStep(true);
        return;
    }
    // The position the step starts from as the core has it when it gets to the step, rather
    // than as last reported: asked for just before the step, and answered before any position
    // the step brings is reported.
    m_stepFromKnown = false;
    m_stepFrom.reset();
    m_core->getDoubleAsync(replyId(m_generation, kStepFromReply), mpvname::kTimePos);
    m_core->commandAsync(replyId(m_generation, kStepReply), {mpvname::kFrameStep});
}

EDirectShowException TFilterGraph::ErrorFor(std::intptr_t code)
{
    const int error = static_cast<int>(code);
    return MediaError(mpv_error_string(error), error);
}

qint64 TFilterGraph::ProbeDuration(const QString &fileName)
{
    return ProbeMediaDuration(fileName);
}

// --- The picture ------------------------------------------------------------------------------

std::optional<RenderContextFactory> TFilterGraph::RenderContexts() const
{
    if (!m_core)
        return std::nullopt;
    return RenderContextFactory(*m_core);
}

bool TFilterGraph::SetPictureLayout(bool crop, double zoomExponent)
{
    if (!m_core)
        return false;
    m_core->setFlagAsync(mpvname::kKeepAspect, crop);
    m_core->setDoubleAsync(mpvname::kPanScan, crop ? 1.0 : 0.0);
    m_core->setDoubleAsync(mpvname::kVideoZoom, zoomExponent);
    return true;
}

bool TFilterGraph::SetPictureColors(const MpvEqualizer &colors, ColorStage stage)
{
    if (!m_core)
        return false;
    if (stage == ColorStage::Filter) {
        // A new filter rebuilds the video chain, which the picture shows as a hitch.
        if (colors != m_filterColors)
            m_core->setStringAsync(mpvname::kVideoFilters, SoftwareColorFilter(colors).c_str());
        m_filterColors = colors;
    } else {
        m_core->setInt64Async(mpvname::kBrightness, colors.brightness);
        m_core->setInt64Async(mpvname::kContrast, colors.contrast);
        m_core->setInt64Async(mpvname::kHue, colors.hue);
        m_core->setInt64Async(mpvname::kSaturation, colors.saturation);
    }
    m_pictureColors = colors;
    return true;
}

std::optional<MpvEqualizer> TFilterGraph::PictureColors() const
{
    if (!m_core)
        return std::nullopt;
    return m_pictureColors;
}

bool TFilterGraph::RequestLostFrames()
{
    if (!m_core)
        return false;
    m_core->getInt64Async(replyId(kNoGeneration, kDroppedFramesReply), mpvname::kFrameDropCount);
    m_core->getInt64Async(replyId(kNoGeneration, kDelayedFramesReply), mpvname::kDelayedFrameCount);
    return true;
}

std::optional<std::string> TFilterGraph::CoreProperty(std::string_view name) const
{
    if (!m_core)
        return std::nullopt;
    m_core->waitForAsyncRequests();
    return m_core->getString(std::string(name).c_str());
}

std::vector<std::string> TFilterGraph::TakeBlockingCallsWhileDrawing()
{
    return m_core ? m_core->takeBlockingCallsWhileDrawing() : std::vector<std::string> {};
}

// Waits for the core: the player sets it once, before any session.
void TFilterGraph::SetAudioEnabled(bool enabled)
{
    m_audioEnabled = enabled;
    if (m_core)
        m_core->setString(mpvname::kAudioOutput,
                          enabled ? mpvname::kAutoOutput : mpvname::kNoOutput);
}

} // namespace duvara
