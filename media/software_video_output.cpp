// The software video output: the core's frames drawn into the window's buffer when they are due.
#include "media/software_video_output.h"

#include "media/render_context.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cstring>
#include <utility>

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

qint64 areaOf(const QRegion &region)
{
    qint64 area = 0;
    for (const QRect &rect : region)
        area += qint64(rect.width()) * rect.height();
    return area;
}

bool isOpaque(const QWidget &widget)
{
    return widget.testAttribute(Qt::WA_OpaquePaintEvent)
        || (widget.autoFillBackground()
            && widget.palette().brush(widget.backgroundRole()).isOpaque());
}

// The parts of `widget` and its descendants that are opaque, in `target`'s coordinates.
void addOpaqueParts(const QWidget &widget, const QWidget &target, QRegion &parts)
{
    if (!widget.isVisible() || widget.isWindow())
        return;
    if (isOpaque(widget)) {
        const QWidget *top = target.window();
        parts += QRect(target.mapFrom(top, widget.mapTo(top, QPoint(0, 0))), widget.size());
        return;
    }
    for (const QObject *child : widget.children())
        if (const auto *childWidget = qobject_cast<const QWidget *>(child))
            addOpaqueParts(*childWidget, target, parts);
}

// What opaque widgets stacked above `widget` hide of it, in its own coordinates: what Qt leaves
// out of its paints.
QRegion hiddenByOpaqueWidgets(const QWidget &widget)
{
    QRegion hidden;
    for (const QWidget *level = &widget; level && !level->isWindow();
         level = level->parentWidget()) {
        const QWidget *parent = level->parentWidget();
        if (!parent)
            break;
        // Children are listed from the bottom of the stack up.
        bool above = false;
        for (const QObject *child : parent->children()) {
            if (child == level)
                above = true;
            else if (const auto *sibling = qobject_cast<const QWidget *>(child); above && sibling)
                addOpaqueParts(*sibling, widget, hidden);
        }
    }
    return hidden & widget.rect();
}
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
        const std::lock_guard lock(m_signalMutex);
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
        m_keptPixels = {};
    }
    update();
}

bool SoftwareVideoOutput::event(QEvent *event)
{
    // The output is shown again after the video window moves to another window (fullscreen).
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange)
        watchWindow();
    return QWidget::event(event);
}

void SoftwareVideoOutput::watchWindow()
{
    QWidget *top = window();
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top;
    if (top != this)
        top->installEventFilter(this);
}

// A fullscreen window is the picture's alone: whatever is painted in it lies over the picture, and
// an image for a part of the picture would be as large as the screen.
bool SoftwareVideoOutput::paintsWholePicture() const
{
    return m_context && m_hasFrame && canShowPicture() && window()->isFullScreen();
}

// Every paint of a window begins with an update request to it, a synchronous paint too. In
// fullscreen, the request is widened to the whole picture before Qt works out what to paint, so
// that a caption which changed is painted over a picture drawn straight into the buffer.
bool SoftwareVideoOutput::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest && watched == m_watchedWindow && !m_paintingWhole
        && paintsWholePicture()) {
        // The nested request paints everything due now, the picture included; the one under
        // way then finds nothing left to paint.
        m_paintingWhole = true;
        repaint();
        m_paintingWhole = false;
    }
    return QWidget::eventFilter(watched, event);
}

// Runs on one of the core's threads: only wakes the time keeper, and never waits for a frame
// being drawn (the core's video would wait with it).
void SoftwareVideoOutput::onCoreUpdate()
{
    {
        const std::lock_guard lock(m_signalMutex);
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
    // When to wake without news from the core: the waiting frame's time, then its grace.
    bool hasDeadline = false;
    Clock::time_point deadline;
    for (;;) {
        bool updated = false;
        {
            std::unique_lock signal(m_signalMutex);
            const auto woken = [this] {
                return m_stop || m_updatePending;
            };
            if (hasDeadline)
                m_wake.wait_until(signal, deadline, woken);
            else
                m_wake.wait(signal, woken);
            if (m_stop)
                return;
            updated = std::exchange(m_updatePending, false);
        }
        const std::lock_guard lock(m_mutex);
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
        if (updated && m_context->takeUpdate() && !m_frameWaiting) {
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
        hasDeadline = m_frameWaiting;
        deadline = m_dueSent ? m_due + m_grace : m_due;
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
    if (toShow && canShowPicture()) {
        m_paintingWhole = true;
        repaint();
        m_paintingWhole = false;
    }
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
// whole picture is painted in this pass, but for opaque widgets above it: Qt leaves them out of
// the region and does not always paint them again, so their pixels are kept aside and put back.
bool SoftwareVideoOutput::drawIntoDevice(QPainter &painter, const QRegion &region)
{
    const QRegion leftOut = QRegion(rect()) - region;
    if (!leftOut.isEmpty() && !(leftOut - hiddenByOpaqueWidgets(*this)).isEmpty())
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
    uchar *const bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    const QRegion kept = toDevice.map(leftOut) & target;
    // A widget that hides most of the picture is painted over an image of it instead.
    if (areaOf(kept) * 4 > areaOf(target))
        return false;
    m_keptPixels.resize(std::size_t(areaOf(kept)) * 4);
    const auto copyKept = [&](bool out) {
        uchar *saved = m_keptPixels.data();
        for (const QRect &part : kept) {
            const std::size_t rowBytes = std::size_t(part.width()) * 4;
            for (int y = part.top(); y <= part.bottom(); ++y) {
                uchar *pixels = bits + y * stride + qsizetype(part.left()) * 4;
                if (out)
                    std::memcpy(saved, pixels, rowBytes);
                else
                    std::memcpy(pixels, saved, rowBytes);
                saved += rowBytes;
            }
        }
    };
    copyKept(true);
    uchar *origin = bits + target.y() * stride + qsizetype(target.x()) * 4;
    const bool rendered = m_context->renderSoftware(origin, target.size(), std::size_t(stride));
    copyKept(false);
    return rendered;
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
