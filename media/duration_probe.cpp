#include "media/duration_probe.h"

#include "media/media_error.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace duvara {

namespace {

struct FormatContextCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextCloser>;

[[noreturn]] void raiseAvError(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    throw MediaError(text, error);
}

constexpr AVRational kMicroseconds = {1, AV_TIME_BASE};
constexpr AVRational kHundredNanoseconds = {1, 10000000};

} // namespace

qint64 ProbeMediaDuration(const QString &fileName)
{
    // Only ever a local file: a name like "concat:..." or "http://..." must not make the probe
    // open other files or go on the network.
    const QByteArray url = "file:" + QFile::encodeName(QFileInfo(fileName).absoluteFilePath());

    AVFormatContext *raw = nullptr;
    if (const int error = avformat_open_input(&raw, url.constData(), nullptr, nullptr); error < 0)
        raiseAvError(error);
    FormatContext context(raw);
    // Containers that state their duration in the header (MP4, Matroska, AVI, ...) need no
    // further reading; the stream search decodes frames and costs ten times as much.
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return av_rescale_q(context->duration, kMicroseconds, kHundredNanoseconds);
    if (const int error = avformat_find_stream_info(context.get(), nullptr); error < 0)
        raiseAvError(error);

    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return av_rescale_q(context->duration, kMicroseconds, kHundredNanoseconds);

    qint64 longest = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max<qint64>(
                longest, av_rescale_q(stream->duration, stream->time_base, kHundredNanoseconds));
    }
    return longest;
}

} // namespace duvara
