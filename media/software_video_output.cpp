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
// Before the window knows where the picture goes the output has no size, but the core waits
// for every frame to be drawn, the first one after each reconfiguration too: that one is drawn
// into a token image, and the picture's size, then known, places the output.
constexpr QSize kTokenSize {16, 16};
} // namespace

void SoftwareVideoOutput::AlignedFree::operator()(unsigned char *p) const
{
    std::free(p);
}

bool SoftwareVideoOutput::FrameBuffer::reserve(QSize size)
{
    if (image.size() == size && memory)
        return true;
    const std::size_t rowBytes = std::size_t(size.width()) * 4;
    stride = (rowBytes + kAlignment - 1) / kAlignment * kAlignment;
    // One row more than needed: some scalers write into the padding after the last row.
    const std::size_t bytes = stride * (std::size_t(size.height()) + 1);
    memory.reset(static_cast<unsigned char *>(std::aligned_alloc(kAlignment, bytes)));
    if (!memory) {
        image = QImage();
        return false;
    }
    image = QImage(memory.get(), size.width(), size.height(), qsizetype(stride),
                   QImage::Format_RGB32);
    return true;
}

SoftwareVideoOutput::SoftwareVideoOutput(QWidget *parent)
    : QWidget(parent)
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
    mpv_render_param params[]
        = {{MPV_RENDER_PARAM_API_TYPE, apiType}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    const int result = mpv_render_context_create(&m_context, core, params);
    if (result < 0) {
        qCWarning(lcMedia) << "software renderer unavailable:" << mpv_error_string(result);
        m_context = nullptr;
        return false;
    }
    m_stopRendering = false;
    m_drewPicture = false;
    m_renderer = std::thread([this] { renderLoop(); });
    mpv_render_context_set_update_callback(m_context, &SoftwareVideoOutput::onCoreUpdate, this);
    return true;
}

void SoftwareVideoOutput::detachCore()
{
    if (!m_context)
        return;
    // No callback runs once this returns.
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    stopRendering();
    mpv_render_context_free(m_context);
    m_context = nullptr;
    m_hasFrame = false;
    update();
}

void SoftwareVideoOutput::stopRendering()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopRendering = true;
    }
    m_wake.notify_one();
    if (m_renderer.joinable())
        m_renderer.join();
    m_updatePending = false;
    m_redrawPending = false;
    m_readyIsNew = false;
}

void SoftwareVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    update();
}

// Runs on one of the core's threads: only wake the render thread.
void SoftwareVideoOutput::onCoreUpdate(void *self)
{
    auto *output = static_cast<SoftwareVideoOutput *>(self);
    {
        const std::lock_guard lock(output->m_mutex);
        output->m_updatePending = true;
    }
    output->m_wake.notify_one();
}

void SoftwareVideoOutput::renderLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopRendering || m_updatePending || m_redrawPending; });
        if (m_stopRendering)
            return;
        const bool update = m_updatePending;
        // Drawing the current frame again at a new size needs a frame to draw.
        const bool redraw = m_redrawPending && m_drewPicture;
        m_updatePending = false;
        m_redrawPending = false;
        const QSize size = m_targetSize;
        lock.unlock();

        const bool newFrame
            = update && (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME);
        const bool drawn = (newFrame || redraw) && renderInto(m_drawing, size);

        lock.lock();
        if (!drawn)
            continue;
        m_drewPicture = true;
        std::swap(m_drawing, m_ready);
        m_readyIsNew = true;
        ++m_framesRendered;
        if (!m_takeQueued.exchange(true))
            QMetaObject::invokeMethod(this, &SoftwareVideoOutput::takeFrame, Qt::QueuedConnection);
    }
}

bool SoftwareVideoOutput::renderInto(FrameBuffer &buffer, QSize size)
{
    if (!buffer.reserve(size))
        return false;
    int renderSize[2] = {size.width(), size.height()};
    char format[] = "bgr0";
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, renderSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &buffer.stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, buffer.memory.get()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(m_context, params) >= 0;
}

void SoftwareVideoOutput::takeFrame()
{
    m_takeQueued = false;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_readyIsNew)
            return;
        std::swap(m_ready, m_shown);
        m_readyIsNew = false;
    }
    m_hasFrame = true;
    update();
    emit frameRendered();
}

// Tells the render thread the size to draw at, and has the current frame drawn again at it
// instead of stretching the old image.
void SoftwareVideoOutput::followWidgetSize()
{
    const QSize target = size().isEmpty() || isHidden() ? kTokenSize : size();
    {
        const std::lock_guard lock(m_mutex);
        if (target == m_targetSize)
            return;
        m_targetSize = target;
        m_redrawPending = target != kTokenSize;
    }
    m_wake.notify_one();
}

void SoftwareVideoOutput::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    followWidgetSize();
}

void SoftwareVideoOutput::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    followWidgetSize();
}

void SoftwareVideoOutput::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    followWidgetSize();
}

void SoftwareVideoOutput::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSize frameSize = m_shown.image.size();
    if (!m_pictureShown || !m_hasFrame || (frameSize == kTokenSize && size() != kTokenSize)) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // A frame drawn for the size before a resize is shown stretched until the frame at the
    // new size is drawn: a picture at once rather than black in between.
    if (frameSize == size())
        painter.drawImage(0, 0, m_shown.image);
    else
        painter.drawImage(rect(), m_shown.image);
    emit picturePainted();
}

} // namespace duvara
