#include "media/opengl_video_output.h"

#include "media/media_logging.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QResizeEvent>

#include <X11/Xlib.h>

#include <mpv/client.h>
#include <mpv/render_gl.h>

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
    const auto *renderer =
        reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QString name = QString::fromLatin1(renderer ? renderer : "");
    context.doneCurrent();
    qCInfo(lcMedia) << "OpenGL renderer:" << name;
    for (const char *software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"}) {
        if (name.contains(QLatin1String(software), Qt::CaseInsensitive))
            return false;
    }
    return !name.isEmpty();
}

OpenGLVideoOutput::OpenGLVideoOutput(QWidget *parent) : QOpenGLWidget(parent)
{
    setObjectName(QStringLiteral("VideoOutput"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

OpenGLVideoOutput::~OpenGLVideoOutput()
{
    detachCore();
}

bool OpenGLVideoOutput::attachCore(mpv_handle *core)
{
    m_core = core;
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
    if (m_context || !m_core)
        return m_context != nullptr;
    mpv_opengl_init_params glInit{&getProcAddress, nullptr};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    const int result = mpv_render_context_create(&m_context, m_core, params);
    if (result < 0) {
        qCWarning(lcMedia) << "OpenGL renderer unavailable:" << mpv_error_string(result);
        m_context = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(m_context, &OpenGLVideoOutput::onCoreUpdate, this);
    // Moving the widget to another window replaces its OpenGL context; the render context
    // goes with the old one and is made again on the new one.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
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
    if (!m_context)
        return;
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
    m_context = nullptr;
}

void OpenGLVideoOutput::detachCore()
{
    if (m_context && context()) {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    } else {
        freeRenderContext();
    }
    m_core = nullptr;
}

void OpenGLVideoOutput::setPictureShown(bool shown)
{
    if (m_pictureShown == shown)
        return;
    m_pictureShown = shown;
    update();
}

void OpenGLVideoOutput::onCoreUpdate(void *self)
{
    QMetaObject::invokeMethod(static_cast<OpenGLVideoOutput *>(self), qOverload<>(&QWidget::update),
                              Qt::QueuedConnection);
}

void OpenGLVideoOutput::initializeGL()
{
    if (m_core && !m_context && createRenderContext()) {
        // A new OpenGL context after a move: make the core send its video again.
        char *track = mpv_get_property_string(m_core, "vid");
        mpv_set_property_string(m_core, "vid", "no");
        mpv_set_property_string(m_core, "vid", track ? track : "auto");
        mpv_free(track);
    }
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
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(m_context, params);
}

} // namespace duvara
