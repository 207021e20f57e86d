#pragma once

#include "media/video_output.h"

#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace duvara {

class RenderContext;

// Draws the picture with the media core's software renderer into an image and paints it.
// Used on offscreen platforms and where OpenGL is itself rendered in software, where it costs
// far less than the OpenGL renderer.
//
// The frames are drawn on a thread of the output's own: the core holds its video back until
// each frame has been drawn, and the GUI thread may be busy, or waiting for the core itself.
// The GUI thread only paints the last frame drawn.
//
// Two images take turns, no more: one is drawn into while the other is shown, and they trade
// places under the lock the painting holds while it copies the shown one into the window. The
// window copy is a plain blit (same pixel format, same size), and the lock is never held while
// anyone waits for the core. A third image would cost a whole frame of memory (8 MB at 1080p)
// for nothing: the newest frame replaces one not yet painted anyway.
class SoftwareVideoOutput : public QWidget, public VideoOutput
{
    Q_OBJECT
public:
    explicit SoftwareVideoOutput(QWidget *parent = nullptr);
    ~SoftwareVideoOutput() override;

    QWidget *widget() override { return this; }
    bool attachRenderer(const RenderContextFactory &renderers) override;
    void detachRenderer() override;
    bool hasRenderContext() const override { return m_context != nullptr; }
    void setPictureShown(bool shown) override;
    bool isSoftware() const override { return true; }

    // The number of frames drawn so far (for measurements and tests).
    quint64 framesRendered() const { return m_framesRendered; }

signals:
    // A newly drawn frame is ready to be painted.
    void frameRendered();
    // The picture, not the black of stopped media, has been painted.
    void picturePainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct AlignedFree
    {
        void operator()(unsigned char *p) const;
    };
    // An image over memory laid out the way the renderer draws fastest.
    struct FrameBuffer
    {
        std::unique_ptr<unsigned char[], AlignedFree> memory;
        std::size_t stride = 0;
        QImage image; // a view of memory
        bool reserve(QSize size);
    };

    void onCoreUpdate();
    void renderLoop();
    bool renderInto(FrameBuffer &buffer, QSize size);
    void takeFrame();
    void followWidgetSize();
    void stopRendering();

    std::unique_ptr<RenderContext> m_context;
    std::thread m_renderer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Shared with the render thread, under m_mutex.
    bool m_stopRendering = false;
    bool m_updatePending = false;
    bool m_redrawPending = false;
    QSize m_targetSize {16, 16};
    // The last frame drawn; painted under m_mutex.
    FrameBuffer m_shown;
    bool m_shownIsNew = false;
    // The render thread's own.
    FrameBuffer m_drawing;
    bool m_drewPicture = false;
    // The GUI thread's own.
    bool m_hasFrame = false;
    bool m_pictureShown = false;

    std::atomic<bool> m_takeQueued {false};
    std::atomic<quint64> m_framesRendered {0};
};

} // namespace duvara
