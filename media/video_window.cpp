// The video window: the picture's place, size, colours and output, full screen, the cursor and
// the screen saver. It reaches the media core only through its graph.
#include "media/video_window.h"

#include "media/core_color_overlay.h"
#include "media/filter_graph.h"
#include "media/fullscreen_host.h"
#include "media/media_logging.h"
#include "media/opengl_video_output.h"
#include "media/screensaver_inhibitor.h"
#include "media/software_video_output.h"
#include "media/video_geometry.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStackedLayout>
#include <QWindow>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace duvara {

namespace {
QLayout *layoutHolding(QWidget *parent, QWidget *child, int *index)
{
    if (!parent || !parent->layout())
        return nullptr;
    *index = parent->layout()->indexOf(child);
    return *index >= 0 ? parent->layout() : nullptr;
}
} // namespace

TDSVideoWindowEx2::TDSVideoWindowEx2(QWidget *parent, VideoOutputKind outputKind)
    : QWidget(parent)
    , m_screenSaver(std::make_unique<ScreenSaverInhibitor>())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(320, 240);
    createOutput(outputKind);
    // The player's picture takes no sharpening.
    m_colorControl.SetSharpness(0);

    // The host is a window of its own; as the video window's child it would hold its parent.
    m_host = new FullScreenHost;
    m_lastActivity.start();
    m_cursorTimer.setSingleShot(true);
    connect(&m_cursorTimer, &QTimer::timeout, this, &TDSVideoWindowEx2::checkCursorIdle);
    qApp->installEventFilter(this);
}

TDSVideoWindowEx2::~TDSVideoWindowEx2()
{
    qApp->removeEventFilter(this);
    if (m_fullScreen)
        LeaveFullScreen();
    m_host->setReleasing(true);
    delete m_host;
    SetFilterGraph(nullptr);
    if (m_output)
        m_output->detachRenderer();
}

void TDSVideoWindowEx2::createOutput(VideoOutputKind kind)
{
    if (kind == VideoOutputKind::Automatic)
        kind = HardwareOpenGLAvailable() ? VideoOutputKind::OpenGL : VideoOutputKind::Software;
    if (kind == VideoOutputKind::OpenGL)
        m_output = std::make_unique<OpenGLVideoOutput>(this);
    else
        m_output = std::make_unique<SoftwareVideoOutput>(this);
    qCInfo(lcMedia) << "video output:" << (m_output->isSoftware() ? "software" : "OpenGL");
    m_output->widget()->lower();
    m_output->widget()->hide();
    if (auto *software = dynamic_cast<SoftwareVideoOutput *>(m_output.get())) {
        connect(software, &SoftwareVideoOutput::frameRendered, this, [this] {
            if (pictureSize() != m_lastPictureSize)
                updateVideoRect();
        });
        connect(software, &SoftwareVideoOutput::picturePainted, this, [this] {
            if (!m_firstFrameLogged) {
                m_firstFrameLogged = true;
                logFirstFrame();
            }
        });
    }
}

bool TDSVideoWindowEx2::usesSoftwareOutput() const
{
    return m_output && m_output->isSoftware();
}

void TDSVideoWindowEx2::SetFilterGraph(TFilterGraph *graph)
{
    if (graph == m_graph)
        return;
    if (m_graph) {
        m_graph->DetachListener(this);
        m_graph->DetachFilterProvider(this);
        disconnect(m_graph, &TFilterGraph::LostFramesReported, this, nullptr);
    }
    m_graph = graph;
    if (m_graph) {
        m_graph->AttachListener(this);
        m_graph->AttachFilterProvider(this);
        connect(m_graph, &TFilterGraph::LostFramesReported, this,
                &TDSVideoWindowEx2::logPlaybackStatistics);
        m_colorOverlay = std::make_unique<CoreColorOverlay>(*m_graph, usesSoftwareOutput());
    } else {
        m_colorOverlay.reset();
    }
    m_colorControl.SetOverlay(m_colorOverlay.get());
}

void TDSVideoWindowEx2::SetNoScreenSaver(bool refuse)
{
    m_noScreenSaver = refuse;
    if (!refuse)
        m_screenSaver->setInhibited(false);
}

// ---- provider and listener side -------------------------------------------------------------

void TDSVideoWindowEx2::FilterStage(duvara::FilterStage stage)
{
    switch (stage) {
    case FilterStage::fsAdding: {
        m_overlaySetupTried = false;
        // The core draws through our render context, which must exist before a file loads.
        const auto renderers = m_graph ? m_graph->RenderContexts() : std::nullopt;
        if (renderers && !m_output->hasRenderContext() && !m_output->attachRenderer(*renderers)
            && !m_output->isSoftware()) {
            qCWarning(lcMedia) << "falling back to the software video output";
            createOutput(VideoOutputKind::Software);
            m_output->attachRenderer(*renderers);
            if (m_colorOverlay)
                m_colorOverlay->setSoftwareOutput(true);
        }
        scheduleCursorHide();
        break;
    }
    case FilterStage::fsAdded:
        break;
    case FilterStage::fsRemoving:
        // Colours go back to what the picture of this session started with.
        if (m_overlayInUse)
            m_colorControl.RestoreDefaults();
        break;
    case FilterStage::fsRemoved:
        m_overlaySetupTried = false;
        m_overlayInUse = false;
        m_videoRect = QRect();
        m_output->widget()->hide();
        m_screenSaver->setInhibited(false);
        break;
    }
}

bool TDSVideoWindowEx2::PrepareOutput()
{
    // The OpenGL output can make its context only inside a shown window; it joins at
    // activation as ever.
    const auto renderers = m_graph ? m_graph->RenderContexts() : std::nullopt;
    if (!renderers || !m_output->isSoftware())
        return false;
    return m_output->hasRenderContext() || m_output->attachRenderer(*renderers);
}

void TDSVideoWindowEx2::GraphCoreDestroying()
{
    m_output->detachRenderer();
    scheduleCursorHide();
}

void TDSVideoWindowEx2::HandleGraphAction(GraphAction action, std::intptr_t)
{
    switch (action) {
    case GraphAction::gaPlay:
    case GraphAction::gaPause:
        if (!m_overlaySetupTried)
            setUpOverlay();
        if (m_overlayInUse && !m_overlayVisible)
            setOverlayVisible(true);
        m_screenSaver->setInhibited(m_noScreenSaver && action == GraphAction::gaPlay);
        break;
    case GraphAction::gaStop:
        if (!m_overlaySetupTried)
            setUpOverlay();
        if (m_overlayInUse && m_overlayVisible)
            setOverlayVisible(false);
        m_screenSaver->setInhibited(false);
        break;
    case GraphAction::gaRendered:
        setUpOverlay();
        break;
    default:
        break;
    }
}

void TDSVideoWindowEx2::logFirstFrame() const
{
    // Start-up and playback measurements read these lines.
    qCInfo(lcMedia).nospace() << "first frame shown at " << QDateTime::currentMSecsSinceEpoch()
                              << " ms, video window " << width() << "x" << height();
}

void TDSVideoWindowEx2::logPlaybackStatistics(qint64 dropped, qint64 delayed) const
{
    const auto *software = dynamic_cast<const SoftwareVideoOutput *>(m_output.get());
    const quint64 drawn = software ? software->framesRendered() : 0;
    const quint64 undrawn = software ? software->framesTaken() - drawn : 0;
    qCInfo(lcMedia).nospace() << "playback complete: " << drawn << " frames drawn, " << undrawn
                              << " taken undrawn, " << dropped << " dropped, " << delayed
                              << " delayed; paints " << (software ? software->directPaints() : 0)
                              << " direct, " << (software ? software->imagePaints() : 0)
                              << " through an image";
}

void TDSVideoWindowEx2::HandleGraphEvent(int code, std::intptr_t, std::intptr_t)
{
    // The counts come without waiting for the core, which may be waiting for this thread.
    if (code == GraphEvent::EC_COMPLETE && m_graph)
        m_graph->RequestLostFrames();
    if (code == GraphEvent::EC_CLOCK_CHANGED) {
        if (m_overlayInUse)
            synchronise();
        applyAspectAndZoom();
        if (m_overlayInUse)
            repaintPicture();
    }
}

// The picture stage here is the core's render context drawing into our output widget.
void TDSVideoWindowEx2::setUpOverlay()
{
    m_overlaySetupTried = true;
    m_overlayInUse = m_output->hasRenderContext();
    m_caps.SetCanOverlayGraphic(m_overlayInUse);
    if (m_overlayInUse) {
        m_colorControl.CaptureDefaults();
        m_colorControl.ApplyToOverlay();
    }
    applyAspectAndZoom();
    updateVideoRect();
}

void TDSVideoWindowEx2::synchronise()
{
    emit OnColorKeyChanged();
}

void TDSVideoWindowEx2::setOverlayVisible(bool visible)
{
    m_overlayVisible = visible;
    if (visible) {
        repaintPicture();
        emit OnOverlayVisible(true);
    } else {
        repaintPicture();
        emit OnOverlayVisible(false);
    }
}

// ---- aspect and zoom ------------------------------------------------------------------------

void TDSVideoWindowEx2::SetAspectRatio(TRatioModes mode)
{
    m_aspectRatio = mode;
    if (!m_overlayInUse)
        return;
    applyAspectAndZoom();
    repaintPicture();
}

void TDSVideoWindowEx2::SetDigitalZoom(int z)
{
    if (z < 0 || z > 99)
        throw std::out_of_range(DigitalZoomRangeError(z).toStdString());
    m_digitalZoom = z;
    if (m_overlayInUse)
        applyAspectAndZoom();
}

void TDSVideoWindowEx2::applyAspectAndZoom()
{
    // The output widget covers VideoRect exactly: letter box and stretch fill it, crop lets the
    // core cut the overflow of a picture that covers the whole window.
    const bool crop = m_aspectRatio == TRatioModes::rmCrop;
    if (!m_graph || !m_graph->SetPictureLayout(crop, VideoZoomExponent(m_digitalZoom)))
        return;
    updateVideoRect();
}

// Asked for at every frame: it must never wait on the core.
QSize TDSVideoWindowEx2::pictureSize() const
{
    return m_graph ? m_graph->DisplaySize() : QSize();
}

void TDSVideoWindowEx2::updateVideoRect()
{
    m_lastPictureSize = pictureSize();
    if (!m_overlayInUse) {
        m_videoRect = QRect();
    } else if (m_aspectRatio == TRatioModes::rmLetterBox && !m_lastPictureSize.isEmpty()) {
        m_videoRect = FitRect(m_lastPictureSize.width(), m_lastPictureSize.height(), rect());
    } else {
        m_videoRect = rect();
    }
    QWidget *surface = m_output->widget();
    if (m_videoRect.isEmpty()) {
        surface->hide();
    } else {
        surface->setGeometry(m_videoRect);
        surface->show();
        surface->lower();
    }
    update();
}

// ---- painting and input ---------------------------------------------------------------------

void TDSVideoWindowEx2::repaintPicture()
{
    m_output->setPictureShown(m_overlayVisible);
    update();
}

void TDSVideoWindowEx2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    emit OnPaint();
}

void TDSVideoWindowEx2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateVideoRect();
}

void TDSVideoWindowEx2::mousePressEvent(QMouseEvent *event)
{
    // A press after a double click whose release never came here (the picture moved to
    // another window in between) starts afresh.
    if (event->type() == QEvent::MouseButtonPress)
        m_releaseEndsDoubleClick = false;
    QWidget::mousePressEvent(event);
}

void TDSVideoWindowEx2::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const bool endsDoubleClick = std::exchange(m_releaseEndsDoubleClick, false);
        if (!endsDoubleClick && rect().contains(event->position().toPoint()))
            emit OnClick();
    }
    QWidget::mouseReleaseEvent(event);
}

// The double click's first click has been a click already; its second release is not one:
// the player would otherwise take it for a click on the picture just put in fullscreen.
void TDSVideoWindowEx2::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
    QWidget::mouseDoubleClickEvent(event);
    m_releaseEndsDoubleClick = event->button() == Qt::LeftButton;
}

bool TDSVideoWindowEx2::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == this || isAncestorOf(widget))) {
            const QPoint position = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if (event->type() != QEvent::MouseMove || position != m_lastMousePos) {
                m_lastMousePos = position;
                noteMouseActivity();
            }
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TDSVideoWindowEx2::SetAutoHideCursor(int milliseconds)
{
    m_autoHideCursorMs = milliseconds;
    m_cursorTimer.stop();
    scheduleCursorHide();
}

void TDSVideoWindowEx2::noteMouseActivity()
{
    m_lastActivity.restart();
    if (m_cursorHidden) {
        m_cursorHidden = false;
        unsetCursor();
        emit OnCursorShowHide(true);
    }
    scheduleCursorHide();
}

bool TDSVideoWindowEx2::cursorCanHide() const
{
    return !m_cursorHidden && m_autoHideCursorMs > 0 && m_output->hasRenderContext();
}

// The check runs once, when the cursor will have rested long enough, and only while a visible
// cursor can be hidden: a paused or idle window keeps no timer going. A movement in between
// leaves it running; it then looks again at the time that is left.
void TDSVideoWindowEx2::scheduleCursorHide()
{
    if (!cursorCanHide()) {
        m_cursorTimer.stop();
        return;
    }
    if (m_cursorTimer.isActive())
        return;
    const qint64 remaining = m_autoHideCursorMs - m_lastActivity.elapsed();
    m_cursorTimer.start(static_cast<int>(std::max<qint64>(remaining, 0)));
}

void TDSVideoWindowEx2::checkCursorIdle()
{
    if (!cursorCanHide())
        return;
    if (m_lastActivity.elapsed() < m_autoHideCursorMs) {
        scheduleCursorHide();
        return;
    }
    m_cursorHidden = true;
    setCursor(Qt::BlankCursor);
    emit OnCursorShowHide(false);
}

// ---- fullscreen -----------------------------------------------------------------------------

void TDSVideoWindowEx2::EnterFullScreen(QScreen *monitor)
{
    if (m_fullScreen || !monitor)
        return;
    m_fullScreenMonitor = monitor;
    m_savedParent = parentWidget();
    m_savedGeometry = geometry();
    int index = -1;
    if (QLayout *layout = layoutHolding(m_savedParent, this, &index))
        layout->removeWidget(this);
    setProperty("duvaraLayoutIndex", index);

    m_host->setWindowFlag(Qt::WindowStaysOnTopHint, m_fullScreenTopMost);
    m_host->winId(); // gives the host its native window, so that it can be put on the monitor
    m_host->windowHandle()->setScreen(monitor);
    m_host->setGeometry(monitor->geometry());
    setParent(m_host);
    m_host->layout()->addWidget(this);
    show();
    m_host->showFullScreen();
    m_fullScreen = true;
    if (m_overlayInUse)
        synchronise();
    updateVideoRect();
}

void TDSVideoWindowEx2::EnterFullScreenHere()
{
    QScreen *nearest = screen();
    if (window() && window()->screen())
        nearest = window()->screen();
    EnterFullScreen(nearest ? nearest : QGuiApplication::primaryScreen());
}

void TDSVideoWindowEx2::LeaveFullScreen()
{
    if (m_savedParent) {
        m_host->layout()->removeWidget(this);
        setParent(m_savedParent);
        const int index = property("duvaraLayoutIndex").toInt();
        if (auto *stack = qobject_cast<QStackedLayout *>(m_savedParent->layout()))
            stack->insertWidget(index < 0 ? stack->count() : index, this);
        else if (m_savedParent->layout())
            m_savedParent->layout()->addWidget(this);
        else
            setGeometry(m_savedGeometry);
        show();
        raise();
        m_savedParent = nullptr;
    }
    if (m_fullScreen) {
        m_host->hide();
        m_fullScreen = false;
    }
    if (m_overlayInUse)
        synchronise();
    m_overlayVisible = true;
    repaintPicture();
    emit OnOverlayVisible(true);
    m_fullScreenMonitor = nullptr;
}

} // namespace duvara
