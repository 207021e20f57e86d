#pragma once

#include "media/video_output.h"

#include "media/render_context.h"

#include <QOpenGLWidget>

#include <memory>
#include <optional>

namespace duvara {

// Draws the picture with the media core's OpenGL renderer on the GUI thread, in paintGL. Chosen on
// a real display with a hardware OpenGL driver.
class OpenGLVideoOutput : public QOpenGLWidget, public VideoOutput
{
    Q_OBJECT
public:
    explicit OpenGLVideoOutput(QWidget *parent = nullptr);
    ~OpenGLVideoOutput() override;

    QWidget *widget() override { return this; }
    bool attachRenderer(const RenderContextFactory &renderers) override;
    void detachRenderer() override;
    bool hasRenderContext() const override { return m_context != nullptr; }
    void setPictureShown(bool shown) override;
    bool isSoftware() const override { return false; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    bool createRenderContext();
    void freeRenderContext();
    void onFrameSwapped();

    // Kept to make the render context again on the OpenGL context of another window.
    std::optional<RenderContextFactory> m_renderers;
    std::unique_ptr<RenderContext> m_context;
    bool m_pictureShown = false;
    bool m_drewFrame = false; // since the last swap
};

// True when OpenGL on this display is drawn by a hardware driver; false on offscreen
// platforms and software rasterisers, where the software renderer is the cheaper choice.
bool HardwareOpenGLAvailable();

} // namespace duvara
