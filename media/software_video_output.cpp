// The software video output: a render thread of its own drawing the core's frames into images,
// and the widget painting the last one.
#include "media/software_video_output.h"

#include "media/render_context.h"

#include <QPainter>
#include <QResizeEvent>

#include <cstdlib>

#if defined(__linux__)
#include <pthread.h>
#endif

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
    detachRenderer();
}

bool SoftwareVideoOutput::attachRenderer(const RenderContextFactory &renderers)
{
    if (m_context)
        return true;
    m_context = renderers.createSoftware();
    if (!m_context)
        return false;
    m_stopRendering = false;
    m_drewPicture = false;
    m_renderer = std::thread([this] { renderLoop(); });
    m_context->setUpdateCallback([this] { onCoreUpdate(); });
    return true;
}

void SoftwareVideoOutput::detachRenderer()
{
    if (!m_context)
        return;
    // No callback runs once this returns.
    m_context->setUpdateCallback(nullptr);
    stopRendering();
    m_context.reset();
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
    m_shownIsNew = false;
}

void SoftwareVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    update();
}

// Runs on one of the core's threads: only wake the render thread.
void SoftwareVideoOutput::onCoreUpdate()
{
    {
        const std::lock_guard lock(m_mutex);
        m_updatePending = true;
    }
    m_wake.notify_one();
}

void SoftwareVideoOutput::renderLoop()
{
#if defined(__linux__)
    // Named for profilers and for the per-thread figures in /proc.
    pthread_setname_np(pthread_self(), "duvara/render");
#endif
    m_context->drawOnThisThread();
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

        const bool newFrame = update && m_context->takeUpdate();
        const bool drawn = (newFrame || redraw) && renderInto(m_drawing, size);

        lock.lock();
        if (!drawn)
            continue;
        m_drewPicture = true;
        std::swap(m_drawing, m_shown);
        m_shownIsNew = true;
        ++m_framesRendered;
        if (!m_takeQueued.exchange(true))
            QMetaObject::invokeMethod(this, &SoftwareVideoOutput::takeFrame, Qt::QueuedConnection);
    }
}

bool SoftwareVideoOutput::renderInto(FrameBuffer &buffer, QSize size)
{
    // Drawn into the buffer's memory rather than the image's bits: asking a shared image for
    // its bits would copy it, away from the alignment the renderer wants.
    return buffer.reserve(size)
        && m_context->renderSoftware(buffer.memory.get(), size, buffer.stride);
}

void SoftwareVideoOutput::takeFrame()
{
    m_takeQueued = false;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_shownIsNew)
            return;
        m_shownIsNew = false;
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
    {
        const std::lock_guard lock(m_mutex);
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
    }
    emit picturePainted();
}

} // namespace duvara
