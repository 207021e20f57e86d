// The software video output: the core's frames drawn into the window's buffer when they are due.
#include "media/software_video_output.h"

#include "media/render_context.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

#if defined(__linux__)
#include <pthread.h>
#endif

namespace duvara {

namespace {
// The core announces a frame up to a few tens of milliseconds before it is due. A longer wait
// means a clock that jumped: the frame is shown at once rather than held back.
constexpr auto kLongestWait = std::chrono::milliseconds(100);
// How long a due frame waits for a busy GUI thread before it is taken undrawn: most of the time
// to the next frame, so that the wait delays no later frame, within these bounds, and far less
// than the fifth of a second after which the core gives a frame up for dropped.
constexpr auto kShortestGrace = std::chrono::milliseconds(20);
constexpr auto kLongestGrace = std::chrono::milliseconds(40);
} // namespace

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
    m_stop = false;
    m_updatePending = false;
    m_frameWaiting = false;
    m_frameUnseen = false;
    m_timeKeeper = std::thread([this] { keepFrameTime(); });
    m_context->setUpdateCallback([this] { onCoreUpdate(); });
    return true;
}

void SoftwareVideoOutput::detachRenderer()
{
    if (!m_context)
        return;
    // No callback runs once this returns.
    m_context->setUpdateCallback(nullptr);
    stopKeepingTime();
    m_context.reset();
    m_hasFrame = false;
    m_image = QImage();
    m_imageCurrent = false;
    update();
}

void SoftwareVideoOutput::stopKeepingTime()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_timeKeeper.joinable())
        m_timeKeeper.join();
}

void SoftwareVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    if (!shown) {
        // Stopped media shows black: the picture's image would only hold memory.
        const std::lock_guard lock(m_mutex);
        m_image = QImage();
        m_imageCurrent = false;
    }
    update();
}

// Runs on one of the core's threads: only wakes the time keeper.
void SoftwareVideoOutput::onCoreUpdate()
{
    {
        const std::lock_guard lock(m_mutex);
        m_updatePending = true;
    }
    m_wake.notify_one();
}

void SoftwareVideoOutput::keepFrameTime()
{
#if defined(__linux__)
    // Named for profilers and for the per-thread figures in /proc.
    pthread_setname_np(pthread_self(), "duvara/frames");
#endif
    // The one thread that never waits for the core: while anything else does, the core may be
    // waiting for a frame to be taken.
    m_context->drawOnThisThread();
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto woken = [this] {
            return m_stop || m_updatePending;
        };
        if (m_frameWaiting)
            m_wake.wait_until(lock, m_dueSent ? m_due + m_grace : m_due, woken);
        else
            m_wake.wait(lock, woken);
        if (m_stop)
            return;
        const auto now = Clock::now();
        if (m_frameWaiting && !m_dueSent && now >= m_due) {
            m_dueSent = true;
            if (!m_presentQueued.exchange(true))
                QMetaObject::invokeMethod(this, &SoftwareVideoOutput::presentFrame,
                                          Qt::QueuedConnection);
        } else if (m_frameWaiting && m_dueSent && now >= m_due + m_grace) {
            // The GUI thread is busy: the core goes on, and the GUI thread paints whatever frame
            // is the latest when it comes back.
            takeFrameUndrawnLocked();
        }
        if (m_updatePending) {
            m_updatePending = false;
            if (m_context->takeUpdate() && !m_frameWaiting) {
                if (const auto wait = m_context->microsecondsToNextFrame()) {
                    const auto due = now
                        + std::clamp<Clock::duration>(std::chrono::microseconds(*wait),
                                                      Clock::duration::zero(), kLongestWait);
                    m_grace = std::clamp<Clock::duration>((due - m_due) * 9 / 10, kShortestGrace,
                                                          kLongestGrace);
                    m_frameWaiting = true;
                    m_dueSent = false;
                    m_due = due;
                }
            }
        }
    }
}

void SoftwareVideoOutput::takeFrameUndrawnLocked()
{
    m_context->skipFrame();
    m_frameWaiting = false;
    m_frameUnseen = true;
    m_imageCurrent = false;
    ++m_framesTaken;
}

bool SoftwareVideoOutput::canShowPicture() const
{
    if (!m_pictureShown || !isVisible() || size().isEmpty())
        return false;
    const QWindow *window = this->window()->windowHandle();
    return window && window->isExposed();
}

void SoftwareVideoOutput::presentFrame()
{
    m_presentQueued = false;
    if (!m_context)
        return;
    m_hasFrame = true;
    bool toShow = false;
    {
        const std::lock_guard lock(m_mutex);
        // A paint of the whole window may have taken the frame already, a little early.
        toShow = m_frameWaiting || m_frameUnseen;
    }
    // A new picture size places the output anew first: the frame is drawn once, at its size.
    emit frameRendered();
    // Painted now, not at the next turn of the event loop: the frame is due.
    if (toShow && canShowPicture())
        repaint();
    const std::lock_guard lock(m_mutex);
    if (m_frameWaiting && m_dueSent)
        takeFrameUndrawnLocked();
}

void SoftwareVideoOutput::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!m_pictureShown || !m_context || !m_hasFrame) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        const bool frameWaiting = m_frameWaiting;
        // Whether the renderer ran, taking the waiting frame if there was one.
        bool rendered = false;
        if (drawIntoDevice(painter, event->region())) {
            rendered = true;
            ++m_directPaints;
            // The next paint of a part draws the picture afresh: the image goes until then.
            m_image = QImage();
            m_imageCurrent = false;
        } else {
            rendered = drawThroughImage(painter);
            ++m_imagePaints;
            // A new frame drawn for a part of the picture: the rest follows at once.
            if (rendered && frameWaiting)
                QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update),
                                          Qt::QueuedConnection);
        }
        if (rendered) {
            m_frameUnseen = false;
            if (frameWaiting) {
                m_frameWaiting = false;
                ++m_framesRendered;
                ++m_framesTaken;
            }
        }
    }
    emit picturePainted();
}

// The renderer writes every pixel of the picture, so it may draw into the device only where the
// whole picture is painted in this pass: elsewhere it would wipe out widgets over the picture that
// are not painted again.
bool SoftwareVideoOutput::drawIntoDevice(QPainter &painter, const QRegion &region)
{
    // Qt leaves the parts under opaque widgets above out of the region, and does not always
    // paint those widgets again.
    if (!(QRegion(rect()) - region).isEmpty())
        return false;
    QPaintEngine *engine = painter.paintEngine();
    QPaintDevice *device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return false;
    auto *image = static_cast<QImage *>(device);
    // The renderer's pixels are opaque (the fourth byte is 255), as both formats want them.
    if (image->format() != QImage::Format_RGB32
        && image->format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    // The widget's place in the window's buffer, in the buffer's pixels.
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale)
        return false;
    const QRectF placed = toDevice.mapRect(QRectF(rect()));
    const QRect target = placed.toRect();
    if (QRectF(target) != placed || target.isEmpty() || !image->rect().contains(target))
        return false;
    const qsizetype stride = image->bytesPerLine();
    uchar *origin = image->bits() + target.y() * stride + qsizetype(target.x()) * 4;
    return m_context->renderSoftware(origin, target.size(), std::size_t(stride));
}

// Paints the part asked for from the output's image, drawn first unless it holds the current
// frame and no new one is due. True when the renderer ran.
bool SoftwareVideoOutput::drawThroughImage(QPainter &painter)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_image.size() != pixels) {
        m_image = QImage(pixels, QImage::Format_RGB32);
        m_imageCurrent = false;
    }
    const bool render = !m_imageCurrent || (m_frameWaiting && m_dueSent);
    if (render) {
        m_imageCurrent = !m_image.isNull()
            && m_context->renderSoftware(m_image.bits(), pixels,
                                         std::size_t(m_image.bytesPerLine()));
        if (!m_imageCurrent)
            m_image.fill(Qt::black);
    }
    m_image.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(0, 0), m_image);
    return render;
}

} // namespace duvara
