#pragma once

// How a video output gets the media core's pictures: a render context, made by the factory the
// graph hands out. The outputs see the core through nothing else.

#include <QSize>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct mpv_render_context;

namespace duvara {

class MpvCore;
class TFilterGraph;

// One render context on the core. The core sends every picture of its video to its one render
// context; the context must be destroyed before the core (the graph's providers destroy theirs
// when they hear GraphCoreDestroying()).
//
// Apart from setUpdateCallback, every call belongs to the thread that renders, one thread at a
// time. That thread must not wait for the core meanwhile: the core may be waiting for a frame.
class RenderContext
{
public:
    // Looks up an OpenGL function in the OpenGL context that is current.
    using GetProcAddress = void *(*)(void *procContext, const char *name);

    ~RenderContext();

    RenderContext(const RenderContext &) = delete;
    RenderContext &operator=(const RenderContext &) = delete;

    // Called on one of the core's threads when there is something new to draw; it must only
    // hand the news on. Once this returns, the previous callback is not running and will not run
    // again. Null switches the news off.
    void setUpdateCallback(std::function<void()> callback);

    // Takes in what the core has sent since the last call: true when a new frame is to be drawn.
    bool takeUpdate();
    // Draws the current frame into 32-bit pixels laid out as QImage::Format_RGB32 is (blue,
    // green, red, and 255 for the fourth byte); stride is the distance between rows in bytes. A
    // software context only. Returns as soon as the frame is drawn, whenever it is due: the caller
    // keeps the time (microsecondsToNextFrame).
    bool renderSoftware(void *pixels, QSize size, std::size_t stride);
    // Takes the frame the core has sent without drawing it, so that the core goes on; the next
    // render draws it. For a picture that cannot be shown just now.
    void skipFrame();
    // How long until the frame the core has sent is due on the screen: zero or less when it is
    // due now (or is the same picture drawn again); nothing when no frame waits.
    std::optional<std::int64_t> microsecondsToNextFrame() const;
    // Draws the current frame into an OpenGL framebuffer of the given size in pixels, flipped
    // upside down for a framebuffer whose rows run upwards (a window's). An OpenGL context only,
    // with the OpenGL context it was made in current.
    bool renderOpenGL(int framebuffer, QSize size, bool flipY);
    // The frame drawn last has reached the screen; gives the core better timing. Either after
    // every frame drawn or never.
    void reportSwap();

    // Declares the calling thread the one that draws this context's pictures, until the
    // context goes. The synchronous calls made into the core on that thread are recorded (see
    // TFilterGraph::TakeBlockingCallsWhileDrawing): while one waits, the core may be waiting
    // for a picture that only this thread can draw.
    void drawOnThisThread();

private:
    friend class RenderContextFactory;
    RenderContext(mpv_render_context *context, MpvCore &core);
    static void onUpdate(void *self);

    mpv_render_context *m_context;
    MpvCore &m_core;
    bool m_declaredDrawingThread = false;
    std::function<void()> m_onUpdate;
};

// Makes render contexts on one graph's core, for the video outputs that a graph's providers
// bring. Handed out by TFilterGraph::RenderContexts(); good, like everything it makes, until the
// providers hear GraphCoreDestroying().
class RenderContextFactory
{
public:
    // A context that draws with the core's software renderer. Null when the core refuses it.
    std::unique_ptr<RenderContext> createSoftware() const;
    // A context that draws with OpenGL, made with the OpenGL context that will draw current. Null
    // when the core refuses it.
    std::unique_ptr<RenderContext> createOpenGL(RenderContext::GetProcAddress getProcAddress,
                                                void *procContext = nullptr) const;
    // A core whose render context was replaced sends no more pictures until its video track is
    // chosen anew. Does not wait for the core: the OpenGL output asks for it while it draws.
    void reselectVideo() const;

private:
    friend class TFilterGraph;
    explicit RenderContextFactory(MpvCore &core)
        : m_core(&core)
    { }

    MpvCore *m_core;
};

} // namespace duvara
