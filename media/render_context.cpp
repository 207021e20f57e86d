// The render contexts of the video outputs, over the core's render API.
#include "media/render_context.h"

#include "media/media_logging.h"
#include "media/mpv_core.h"

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <thread>

namespace duvara {

RenderContext::RenderContext(mpv_render_context *context, MpvCore &core)
    : m_context(context)
    , m_core(core)
{ }

RenderContext::~RenderContext()
{
    if (m_declaredDrawingThread)
        m_core.setDrawingThread({});
    // No callback runs once this returns; freeing waits for the core's video to let go.
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
}

void RenderContext::setUpdateCallback(std::function<void()> callback)
{
    // The core calls its callback under a lock that setting a new one takes as well: once the
    // old one is switched off it is not running, and the function can be replaced.
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    m_onUpdate = std::move(callback);
    if (m_onUpdate)
        mpv_render_context_set_update_callback(m_context, &RenderContext::onUpdate, this);
}

void RenderContext::onUpdate(void *self)
{
    static_cast<RenderContext *>(self)->m_onUpdate();
}

bool RenderContext::takeUpdate()
{
    return (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0;
}

bool RenderContext::renderSoftware(void *pixels, QSize size, std::size_t stride)
{
    int renderSize[2] = {size.width(), size.height()};
    // The converter has fast code for this layout with an opaque fourth byte, not for the same
    // layout with the fourth byte left over ("bgr0"): a third less time for a 1080p frame.
    char format[] = "bgra";
    // The core would otherwise hold the call until the frame's time has come.
    int block = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, renderSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(m_context, params) >= 0;
}

void RenderContext::skipFrame()
{
    int skip = 1;
    int block = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(m_context, params);
}

std::optional<std::int64_t> RenderContext::microsecondsToNextFrame() const
{
    mpv_render_frame_info info {};
    if (mpv_render_context_get_info(m_context, {MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info}) < 0
        || !(info.flags & MPV_RENDER_FRAME_INFO_PRESENT))
        return std::nullopt;
    if ((info.flags & MPV_RENDER_FRAME_INFO_REDRAW) || info.target_time == 0)
        return 0;
    return info.target_time - mpv_get_time_us(m_core.handle());
}

bool RenderContext::renderOpenGL(int framebuffer, QSize size, bool flipY)
{
    mpv_opengl_fbo fbo {framebuffer, size.width(), size.height(), 0};
    int flip = flipY ? 1 : 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(m_context, params) >= 0;
}

void RenderContext::reportSwap()
{
    mpv_render_context_report_swap(m_context);
}

void RenderContext::drawOnThisThread()
{
    m_declaredDrawingThread = true;
    m_core.setDrawingThread(std::this_thread::get_id());
}

std::unique_ptr<RenderContext> RenderContextFactory::createSoftware() const
{
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[]
        = {{MPV_RENDER_PARAM_API_TYPE, apiType}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context *context = nullptr;
    if (const int error = mpv_render_context_create(&context, m_core->handle(), params);
        error < 0) {
        qCWarning(lcMedia) << "software renderer unavailable:" << mpv_error_string(error);
        return nullptr;
    }
    return std::unique_ptr<RenderContext>(new RenderContext(context, *m_core));
}

std::unique_ptr<RenderContext>
RenderContextFactory::createOpenGL(RenderContext::GetProcAddress getProcAddress,
                                   void *procContext) const
{
    mpv_opengl_init_params glInit {getProcAddress, procContext};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context *context = nullptr;
    if (const int error = mpv_render_context_create(&context, m_core->handle(), params);
        error < 0) {
        qCWarning(lcMedia) << "OpenGL renderer unavailable:" << mpv_error_string(error);
        return nullptr;
    }
    return std::unique_ptr<RenderContext>(new RenderContext(context, *m_core));
}

// The graph never chooses a video track itself: the core's own choice, made again, is the one
// it had.
void RenderContextFactory::reselectVideo() const
{
    m_core->setStringAsync(mpvname::kVideoTrack, mpvname::kNoTrack);
    m_core->setStringAsync(mpvname::kVideoTrack, mpvname::kAutoTrack);
}

} // namespace duvara
