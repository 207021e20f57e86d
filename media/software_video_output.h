#pragma once

#include "media/video_output.h"

#include <QWidget>

#include <atomic>
#include <memory>

struct mpv_render_context;

namespace duvara {

// Draws the picture with the media core's software renderer into an image and paints it.
// Used on offscreen platforms and where OpenGL is itself rendered in software, where it costs
// far less than the OpenGL renderer.
class SoftwareVideoOutput : public QWidget, public VideoOutput
{
    Q_OBJECT
public:
    explicit SoftwareVideoOutput(QWidget *parent = nullptr);
    ~SoftwareVideoOutput() override;

    QWidget *widget() override { return this; }
    bool attachCore(mpv_handle *core) override;
    void detachCore() override;
    bool hasRenderContext() const override { return m_context != nullptr; }
    void setPictureShown(bool shown) override;
    bool isSoftware() const override { return true; }

    // The number of frames drawn so far (for measurements and tests).
    quint64 framesRendered() const { return m_framesRendered; }

signals:
    void frameRendered();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static void onCoreUpdate(void *self);
    void renderPending();
    void renderFrame();
    bool ensureBuffer(QSize size);

    mpv_render_context *m_context = nullptr;
    struct AlignedFree
    {
        void operator()(unsigned char *p) const;
    };
    std::unique_ptr<unsigned char[], AlignedFree> m_buffer;
    QSize m_bufferSize;
    std::size_t m_stride = 0;
    QImage m_frame; // a view of m_buffer
    bool m_hasFrame = false;
    bool m_pictureShown = false;
    std::atomic<bool> m_updateQueued{false};
    quint64 m_framesRendered = 0;
};

} // namespace duvara
