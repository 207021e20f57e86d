#pragma once

#include "media/video_output.h"

#include <QOpenGLWidget>

struct mpv_render_context;

namespace duvara {

// Draws the picture with the media core's OpenGL renderer. Chosen on a real display with a
// hardware OpenGL driver.
class OpenGLVideoOutput : public QOpenGLWidget, public VideoOutput
{
    Q_OBJECT
public:
    explicit OpenGLVideoOutput(QWidget *parent = nullptr);
    ~OpenGLVideoOutput() override;

    QWidget *widget() override { return this; }
    bool attachCore(mpv_handle *core) override;
    void detachCore() override;
    bool hasRenderContext() const override { return m_context != nullptr; }
    void setPictureShown(bool shown) override;
    bool isSoftware() const override { return false; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onCoreUpdate(void *self);
    bool createRenderContext();
    void freeRenderContext();

    mpv_handle *m_core = nullptr;
    mpv_render_context *m_context = nullptr;
    bool m_pictureShown = false;
};

// True when OpenGL on this display is drawn by a hardware driver; false on offscreen
// platforms and software rasterisers, where the software renderer is the cheaper choice.
bool HardwareOpenGLAvailable();

} // namespace duvara
