#include "media/software_video_output.h"

#include "media/media_logging.h"

#include <QPainter>
#include <QResizeEvent>

#include <cstdlib>

#include <mpv/client.h>
#include <mpv/render.h>

namespace duvara {

namespace {
// The renderer is fastest with rows and buffers on 64-byte boundaries.
constexpr std::size_t kAlignment = 64;
} // namespace

void SoftwareVideoOutput::AlignedFree::operator()(unsigned char *p) const
{
    std::free(p);
}

SoftwareVideoOutput::SoftwareVideoOutput(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("VideoOutput"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Mouse events belong to the video window below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

SoftwareVideoOutput::~SoftwareVideoOutput()
{
    detachCore();
}

bool SoftwareVideoOutput::attachCore(mpv_handle *core)
{
    if (m_context)
        return true;
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    const int result = mpv_render_context_create(&m_context, core, params);
    if (result < 0) {
        qCWarning(lcMedia) << "software renderer unavailable:" << mpv_error_string(result);
        m_context = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(m_context, &SoftwareVideoOutput::onCoreUpdate, this);
    return true;
}

void SoftwareVideoOutput::detachCore()
{
    if (!m_context)
        return;
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
    m_context = nullptr;
    m_hasFrame = false;
    update();
}

void SoftwareVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    update();
}

// Runs on one of the core's threads: only queue the work for the GUI thread, once.
void SoftwareVideoOutput::onCoreUpdate(void *self)
{
    auto *output = static_cast<SoftwareVideoOutput *>(self);
    if (output->m_updateQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(output, &SoftwareVideoOutput::renderPending, Qt::QueuedConnection);
}

void SoftwareVideoOutput::renderPending()
{
    m_updateQueued = false;
    if (!m_context)
        return;
    if (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME)
        renderFrame();
}

bool SoftwareVideoOutput::ensureBuffer(QSize size)
{
    if (size.isEmpty())
        return false;
    if (size == m_bufferSize && m_buffer)
        return true;
    const std::size_t rowBytes = std::size_t(size.width()) * 4;
    m_stride = (rowBytes + kAlignment - 1) / kAlignment * kAlignment;
    // One row more than needed: some scalers write into the padding after the last row.
    const std::size_t bytes = m_stride * (std::size_t(size.height()) + 1);
    m_buffer.reset(static_cast<unsigned char *>(std::aligned_alloc(kAlignment, bytes)));
    if (!m_buffer) {
        m_bufferSize = QSize();
        return false;
    }
    m_bufferSize = size;
    m_frame = QImage(m_buffer.get(), size.width(), size.height(), qsizetype(m_stride),
                     QImage::Format_RGB32);
    m_hasFrame = false;
    return true;
}

void SoftwareVideoOutput::renderFrame()
{
    // Before the window knows where the picture goes the output has no size. The core still
    // waits for a render after each reconfiguration, so draw into a token image: that answers
    // it at once, and the picture's size, now known, places the output.
    const QSize target = size().isEmpty() || isHidden() ? QSize(16, 16) : size();
    if (!m_context || !ensureBuffer(target))
        return;
    int renderSize[2] = {m_bufferSize.width(), m_bufferSize.height()};
    char format[] = "bgr0";
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, renderSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &m_stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, m_buffer.get()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(m_context, params) < 0)
        return;
    m_hasFrame = true;
    ++m_framesRendered;
    update();
    emit frameRendered();
}

void SoftwareVideoOutput::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Draw the current frame again at the new size instead of stretching the old image.
    if (m_context && m_hasFrame)
        renderFrame();
}

void SoftwareVideoOutput::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_pictureShown && m_hasFrame && m_frame.size() == size())
        painter.drawImage(0, 0, m_frame);
    else
        painter.fillRect(rect(), Qt::black);
}

} // namespace duvara
