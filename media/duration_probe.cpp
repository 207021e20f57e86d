#include "media/duration_probe.h"

#include "media/media_error.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

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

// libavformat asks between its reads whether to give up.
struct Deadline
{
    std::chrono::steady_clock::time_point at;
    static int passed(void *opaque)
    {
        return std::chrono::steady_clock::now() > static_cast<Deadline *>(opaque)->at ? 1 : 0;
    }
};

constexpr AVRational kMicroseconds = {1, AV_TIME_BASE};
constexpr AVRational kHundredNanoseconds = {1, 10000000};

} // namespace

void CheckMediaFile(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    struct stat status = {};
    if (::stat(path.constData(), &status) != 0)
        raiseAvError(AVERROR(errno));
    // Opening a named pipe waits for a writer, a device may never answer: neither is a film.
    if (!S_ISREG(status.st_mode))
        throw MediaError("Not a regular file", AVERROR(EINVAL));
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        raiseAvError(AVERROR(errno));
    ::close(descriptor);
}

qint64 ProbeMediaDuration(const QString &fileName, int limitMs)
{
    // Checked here as well as by callers that looked first: a worker must not block for ever on
    // a name that became a pipe in between.
    CheckMediaFile(fileName);
    // Only ever a local file: a name like "concat:..." or "http://..." must not make the probe
    // open other files or go on the network.
    const QByteArray url = "file:" + QFile::encodeName(QFileInfo(fileName).absoluteFilePath());

    Deadline deadline {std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs)};
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        raiseAvError(AVERROR(ENOMEM));
    raw->interrupt_callback = {&Deadline::passed, &deadline};
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

void ProbeMediaDurationLater(const QString &fileName, QObject *context,
                             std::function<void(std::optional<qint64>)> done)
{
    QPointer<QObject> receiver(context);
    QThreadPool::globalInstance()->start([fileName, receiver, done = std::move(done)] {
        std::optional<qint64> duration;
        try {
            duration = ProbeMediaDuration(fileName);
        } catch (const std::exception &) {
            // Not measured: the row shows no duration; playing the file tells what is wrong.
        }
        // Handed to the application's thread, where the receiver lives and may have gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, duration] {
                if (receiver)
                    done(duration);
            },
            Qt::QueuedConnection);
    });
}

} // namespace duvara
