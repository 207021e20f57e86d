#include "media/film_speech.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace duvara {

namespace {

// Below this a film is decoded in one part: opening and seeking a second demuxer costs more than
// it saves.
constexpr int64_t MinPartMs = 120000;
// A decoder started by a seek needs a little sound before its output is right (AAC's overlapped
// transforms); the part starts this much early and drops it.
constexpr int64_t PrerollMs = 1000;

struct FormatCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecCloser
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ResamplerFreer
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};

std::string AvText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

struct StopFlags
{
    const std::atomic<bool> *cancel = nullptr;
    std::atomic<bool> failed {false}; // another part failed: no point going on

    bool Stop() const
    {
        return failed.load(std::memory_order_relaxed)
            || (cancel && cancel->load(std::memory_order_relaxed));
    }
    static int Interrupt(void *opaque) { return static_cast<StopFlags *>(opaque)->Stop() ? 1 : 0; }
};

// One demuxer and decoder on the film's audio stream, every other stream discarded.
struct AudioInput
{
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    std::unique_ptr<AVCodecContext, CodecCloser> codec;
    int stream = -1;
    int64_t durationMs = 0; // 0 when the container does not say
};

std::string OpenAudio(const std::string &path, StopFlags &stop, AudioInput &input)
{
    struct stat status = {};
    if (::stat(path.c_str(), &status) != 0)
        return path + ": " + std::strerror(errno);
    // A named pipe or a device could block for ever, and is no film.
    if (!S_ISREG(status.st_mode))
        return path + ": not a regular file";

    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return "Out of memory";
    raw->interrupt_callback = {&StopFlags::Interrupt, &stop};
    // Only ever the local file: "concat:" or "http://" names must not reach other files.
    const std::string url = "file:" + path;
    if (const int error = avformat_open_input(&raw, url.c_str(), nullptr, nullptr); error < 0)
        return path + ": " + AvText(error);
    input.format.reset(raw);
    if (const int error = avformat_find_stream_info(raw, nullptr); error < 0)
        return path + ": " + AvText(error);

    const AVCodec *decoder = nullptr;
    input.stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (input.stream == AVERROR_STREAM_NOT_FOUND)
        return path + ": the film has no sound track";
    if (input.stream < 0 || !decoder)
        return path + ": no decoder for the film's sound track";
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        raw->streams[i]->discard = int(i) == input.stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    input.codec.reset(avcodec_alloc_context3(decoder));
    if (!input.codec)
        return "Out of memory";
    const AVStream *stream = raw->streams[input.stream];
    if (const int error = avcodec_parameters_to_context(input.codec.get(), stream->codecpar);
        error < 0)
        return path + ": " + AvText(error);
    // The parts already use every core.
    input.codec->thread_count = 1;
    if (const int error = avcodec_open2(input.codec.get(), decoder, nullptr); error < 0)
        return path + ": " + AvText(error);
    if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0)
        input.durationMs = raw->duration / 1000;
    return {};
}

// Decodes samples [from, to) of the film at 8 kHz (to < 0: to the end) into frame features.
// Frames are counted from `from`, which is a whole number of hops.
class PartDecoder
{
public:
    PartDecoder(const std::string &path, int64_t fromSample, int64_t toSample, StopFlags &stop)
        : m_path(path)
        , m_from(fromSample)
        , m_to(toSample)
        , m_stop(stop)
    { }

    void Run()
    {
        try {
            m_error = Decode();
        } catch (const std::bad_alloc &) {
            m_error = "Out of memory";
        }
        // A part stopped because of a cancel or another part's failure has nothing to add.
        if (!m_error.empty()) {
            if (m_stop.Stop())
                m_error.clear();
            else
                m_stop.failed = true;
        }
        m_done = true;
    }

    const std::string &Error() const { return m_error; }
    // The film could not be entered in the middle: it has to be decoded in one part.
    bool SeekFailed() const { return m_seekFailed; }
    bool Done() const { return m_done; }
    // Samples of the part decoded so far.
    int64_t Decoded() const { return m_decoded.load(std::memory_order_relaxed); }
    SpeechFeatures TakeFeatures()
    {
        SpeechFeatures features = m_extractor.TakeFeatures();
        if (m_to >= 0) {
            const auto frames = static_cast<std::size_t>((m_to - m_from) / SpeechHopSamples);
            if (features.size() > frames) {
                features.energyDb.resize(frames);
                features.flatness.resize(frames);
            }
        }
        return features;
    }

private:
    std::string Decode()
    {
        AudioInput input;
        if (std::string error = OpenAudio(m_path, m_stop, input); !error.empty())
            return error;
        AVFormatContext *format = input.format.get();
        AVCodecContext *codec = input.codec.get();
        const AVStream *stream = format->streams[input.stream];
        if (m_from > 0) {
            const int64_t atMs = std::max<int64_t>(0, m_from * 1000 / SpeechSampleRate - PrerollMs);
            const int64_t target = av_rescale_q(atMs, {1, 1000}, stream->time_base);
            if (const int error = av_seek_frame(format, input.stream, target, AVSEEK_FLAG_BACKWARD);
                error < 0) {
                m_seekFailed = true;
                return m_path + ": cannot seek in the film: " + AvText(error);
            }
        }

        std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
        std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
        if (!packet || !frame)
            return "Out of memory";
        bool ended = false;
        while (!ended && !Finished()) {
            if (m_stop.Stop())
                return {};
            int error = av_read_frame(format, packet.get());
            if (error == AVERROR_EOF) {
                ended = true;
                error = avcodec_send_packet(codec, nullptr);
            } else if (error < 0) {
                return m_stop.Stop() ? std::string() : m_path + ": " + AvText(error);
            } else {
                if (packet->stream_index == input.stream)
                    error = avcodec_send_packet(codec, packet.get());
                av_packet_unref(packet.get());
            }
            // A damaged packet costs its few milliseconds of sound, not the analysis.
            if (error < 0 && error != AVERROR(EAGAIN) && error != AVERROR_INVALIDDATA)
                return m_path + ": " + AvText(error);
            while (avcodec_receive_frame(codec, frame.get()) == 0) {
                std::string problem = Convert(frame.get(), stream->time_base);
                av_frame_unref(frame.get());
                if (!problem.empty())
                    return problem;
            }
        }
        return {};
    }

    // The last part ends with the file; the others once their last frame's window is full.
    bool Finished() const { return m_to >= 0 && m_next >= m_to + SpeechFrameSamples; }

    std::string Convert(const AVFrame *frame, AVRational timeBase)
    {
        if (!m_resampler) {
            SwrContext *raw = nullptr;
            AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
            int error = swr_alloc_set_opts2(&raw, &mono, AV_SAMPLE_FMT_FLT, SpeechSampleRate,
                                            const_cast<AVChannelLayout *>(&frame->ch_layout),
                                            AVSampleFormat(frame->format), frame->sample_rate, 0,
                                            nullptr);
            m_resampler.reset(raw);
            // A short filter: what leaks past it lands outside the speech band or under the
            // noise floor, and it takes a sixth off the whole analysis' time.
            if (error >= 0)
                error = av_opt_set_int(raw, "filter_size", 8, 0);
            if (error >= 0)
                error = swr_init(raw);
            if (error < 0)
                return m_path + ": cannot convert the film's sound: " + AvText(error);
            // Place the part by the first frame's time: sound that starts late is preceded by
            // silence, priming samples before zero fall away.
            const int64_t pts = frame->best_effort_timestamp;
            m_next = pts == AV_NOPTS_VALUE ? m_from
                                           : av_rescale_q(pts, timeBase, {1, SpeechSampleRate});
        }
        const int capacity = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
        if (capacity < 0)
            return m_path + ": cannot convert the film's sound: " + AvText(capacity);
        m_buffer.resize(static_cast<std::size_t>(capacity));
        auto *out = reinterpret_cast<uint8_t *>(m_buffer.data());
        const int count
            = swr_convert(m_resampler.get(), &out, capacity,
                          const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
        if (count < 0)
            return m_path + ": cannot convert the film's sound: " + AvText(count);
        Deliver(m_buffer.data(), count);
        return {};
    }

    void Deliver(const float *samples, int64_t count)
    {
        // The first sample delivered is m_next; the part keeps [m_from, ...).
        if (m_next < m_from) {
            const int64_t skip = std::min(count, m_from - m_next);
            samples += skip;
            count -= skip;
            m_next += skip;
        }
        if (count <= 0)
            return;
        if (m_next > m_delivered + m_from) {
            // A gap in the sound (or a late start): silence, so that frames stay on film time.
            const std::vector<float> silence(
                static_cast<std::size_t>(m_next - m_from - m_delivered));
            m_extractor.Push(silence.data(), silence.size());
            m_delivered += static_cast<int64_t>(silence.size());
        }
        m_extractor.Push(samples, static_cast<std::size_t>(count));
        m_delivered += count;
        m_next = m_from + m_delivered;
        m_decoded.store(m_delivered, std::memory_order_relaxed);
    }

    std::string m_path;
    int64_t m_from;
    int64_t m_to;
    StopFlags &m_stop;
    std::unique_ptr<SwrContext, ResamplerFreer> m_resampler;
    std::vector<float> m_buffer;
    SpeechFeatureExtractor m_extractor;
    int64_t m_next = 0; // film sample the next converted sample stands for
    int64_t m_delivered = 0; // samples handed to the extractor
    std::atomic<int64_t> m_decoded {0};
    std::atomic<bool> m_done {false};
    bool m_seekFailed = false;
    std::string m_error;
};

} // namespace

void SilenceFfmpegMessages()
{
    av_log_set_level(AV_LOG_QUIET);
}

FilmSpeech FindFilmSpeech(const std::string &path, const FilmSpeechOptions &options)
{
    FilmSpeech result;
    StopFlags stop;
    stop.cancel = options.cancel;

    // The length decides the parts; opening once more costs a few milliseconds.
    int64_t durationMs = 0;
    {
        AudioInput probe;
        if (std::string error = OpenAudio(path, stop, probe); !error.empty()) {
            result.error = stop.Stop() ? std::string() : error;
            result.status = stop.Stop() ? FilmSpeechStatus::Cancelled : FilmSpeechStatus::Failed;
            return result;
        }
        durationMs = probe.durationMs;
    }
    int parts
        = options.parts > 0 ? options.parts : static_cast<int>(std::thread::hardware_concurrency());
    parts = std::clamp(parts, 1, 16);
    // Parts asked for are given as long as each holds more than the preroll.
    const int64_t partMs = options.parts > 0 ? 10 * PrerollMs : MinPartMs;
    parts = static_cast<int>(std::clamp<int64_t>(durationMs / partMs, 1, parts));

    const int64_t totalSamples = durationMs * SpeechSampleRate / 1000;
    const int64_t hopsPerPart = totalSamples / SpeechHopSamples / parts;
    std::vector<std::unique_ptr<PartDecoder>> decoders;
    for (int i = 0; i < parts; ++i) {
        const int64_t from = i * hopsPerPart * SpeechHopSamples;
        const int64_t to = i + 1 < parts ? (i + 1) * hopsPerPart * SpeechHopSamples : -1;
        decoders.push_back(std::make_unique<PartDecoder>(path, from, to, stop));
    }

    std::mutex mutex;
    std::condition_variable finished;
    std::vector<std::thread> threads;
    for (auto &decoder : decoders) {
        threads.emplace_back([&mutex, &finished, part = decoder.get()] {
            part->Run();
            const std::lock_guard lock(mutex);
            finished.notify_all();
        });
    }
    const auto allDone = [&decoders] {
        return std::all_of(decoders.begin(), decoders.end(),
                           [](const auto &decoder) { return decoder->Done(); });
    };
    // Started: a dialog can show that much at once.
    if (options.progress)
        options.progress(0.0);
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, std::chrono::milliseconds(100), allDone)) {
            if (options.progress && totalSamples > 0) {
                int64_t decoded = 0;
                for (const auto &decoder : decoders)
                    decoded += decoder->Decoded();
                lock.unlock();
                options.progress(std::min(1.0, double(decoded) / double(totalSamples)));
                lock.lock();
            }
        }
    }
    for (std::thread &thread : threads)
        thread.join();

    if (options.cancel && options.cancel->load()) {
        result.status = FilmSpeechStatus::Cancelled;
        return result;
    }
    for (const auto &decoder : decoders) {
        if (decoder->SeekFailed()) {
            FilmSpeechOptions whole = options;
            whole.parts = 1;
            return FindFilmSpeech(path, whole);
        }
        if (!decoder->Error().empty()) {
            result.error = decoder->Error();
            return result;
        }
    }
    SpeechFeatures features;
    for (const auto &decoder : decoders)
        features.Append(decoder->TakeFeatures());
    result.durationMs = std::llround(double(features.size()) * SpeechHopMs);
    result.intervals = DetectSpeech(features, options.detection);
    result.status = FilmSpeechStatus::Found;
    if (options.progress)
        options.progress(1.0);
    return result;
}

} // namespace duvara
