// The OpenGL video output, and the check for a hardware OpenGL driver that decides whether the
// video window uses it.
#include "media/opengl_video_output.h"

#include "media/media_logging.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QResizeEvent>

#include <X11/Xlib.h>

namespace duvara {

namespace {

void *getProcAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

} // namespace

namespace {

// Hardware OpenGL on an X server needs direct rendering (DRI2 or DRI3) or NVIDIA's own GLX. A
// server without any of them (Xvfb, most remote displays) can only render in software, and
// asking it costs nothing, whereas making an OpenGL context to read its renderer's name takes
// a tenth of a second and tens of megabytes on a software rasteriser.
bool x11ServerMayAccelerate()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return true;
    for (const char *extension : {"DRI3", "DRI2", "NV-GLX"}) {
        int opcode = 0;
        int event = 0;
        int error = 0;
        if (XQueryExtension(x11->display(), extension, &opcode, &event, &error))
            return true;
    }
    return false;
}

} // namespace

bool HardwareOpenGLAvailable()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    if (platform == QLatin1String("xcb") && !x11ServerMayAccelerate()) {
        qCInfo(lcMedia) << "X server without direct rendering: OpenGL would run in software";
        return false;
    }
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return false;
    const auto *renderer
        = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QString name = QString::fromLatin1(renderer ? renderer : "");
    context.doneCurrent();
    qCInfo(lcMedia) << "OpenGL renderer:" << name;
    for (const char *software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"}) {
        if (name.contains(QLatin1String(software), Qt::CaseInsensitive))
            return false;
    }
    return !name.isEmpty();
}

OpenGLVideoOutput::OpenGLVideoOutput(QWidget *parent)
    : QOpenGLWidget(parent)
{
    setObjectName(QStringLiteral("VideoOutput"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QOpenGLWidget::frameSwapped, this, &OpenGLVideoOutput::onFrameSwapped);
}

OpenGLVideoOutput::~OpenGLVideoOutput()
{
    detachRenderer();
}

bool OpenGLVideoOutput::attachRenderer(const RenderContextFactory &renderers)
{
    m_renderers = renderers;
    if (m_context)
        return true;
    // The core needs its render context before the first file is loaded, and the widget
    // makes its OpenGL context only once it has a size inside a shown window.
    if (!context()) {
        const QSize initial = size().isEmpty() ? QSize(16, 16) : size();
        resize(initial);
        QResizeEvent event(initial, QSize());
        QCoreApplication::sendEvent(this, &event);
    }
    if (!context())
        return false;
    makeCurrent();
    const bool created = createRenderContext();
    doneCurrent();
    return created;
}

bool OpenGLVideoOutput::createRenderContext()
{
    if (m_context || !m_renderers)
        return m_context != nullptr;
    m_context = m_renderers->createOpenGL(&getProcAddress);
    if (!m_context)
        return false;
    // paintGL draws on the GUI thread: whatever waits for the core there holds the picture up.
    m_context->drawOnThisThread();
    // Runs on one of the core's threads: the picture is drawn when the widget is painted.
    m_context->setUpdateCallback([this] {
        QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    });
    // Moving the widget to another window replaces its OpenGL context; the render context
    // goes with the old one and is made again on the new one.
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            makeCurrent();
            freeRenderContext();
            doneCurrent();
        },
        Qt::DirectConnection);
    return true;
}

void OpenGLVideoOutput::freeRenderContext()
{
    m_context.reset();
    m_drewFrame = false;
}

void OpenGLVideoOutput::detachRenderer()
{
    if (m_context && context()) {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    } else {
        freeRenderContext();
    }
    m_renderers.reset();
}

void OpenGLVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    update();
}

void OpenGLVideoOutput::initializeGL()
{
    // A new OpenGL context after a move: make the core send its video again.
    if (m_renderers && !m_context && createRenderContext())
        m_renderers->reselectVideo();
}

void OpenGLVideoOutput::paintGL()
{
    QOpenGLFunctions *gl = context()->functions();
    if (!m_context || !m_pictureShown) {
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    m_drewFrame
        = m_context->renderOpenGL(static_cast<int>(defaultFramebufferObject()), pixels, true);
}

// The core times its frames better knowing when each reached the screen; black painted in
// between is none of its frames.
void OpenGLVideoOutput::onFrameSwapped()
{
    if (m_context && m_drewFrame)
        m_context->reportSwap();
    m_drewFrame = false;
}

} // namespace duvara
