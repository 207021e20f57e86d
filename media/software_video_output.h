#pragma once

#include "media/video_output.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QPainter;

namespace duvara {

class RenderContext;

// Draws the picture with the media core's software renderer and paints it. Used on offscreen
// platforms and where OpenGL is itself rendered in software, where it costs far less than the
// OpenGL renderer.
//
// The core's renderer draws each frame straight into the window's own buffer while the widget
// paints, at the size and place the picture is shown at: no image of its own in between and no
// copy of the picture. Whatever lies over the picture (subtitles, the on-screen display) is
// painted after it in the same pass, as over any widget. Opaque widgets above it, which Qt leaves
// out of its paints, are kept aside while the picture is drawn and put back over it.
//
// A paint of a small part of the picture (a caption that changed) cannot be drawn that way: the
// renderer draws the whole picture. In fullscreen the picture is then painted whole in the same
// pass instead, since an image of it would cost as much memory as the window's buffer; in a
// window the part goes through an image of the output's own, let go again once a whole new frame
// is painted.
//
// A thread of the output's own keeps the frames' time: the core announces each frame ahead of
// its time, the thread has it painted when it is due, and, since the core holds its video back
// until each frame is taken, takes the frame itself when the GUI thread is busy or the picture
// cannot be seen; the GUI thread then paints the latest frame when it comes back.
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

    // For measurements and tests: the new frames drawn; the frames taken from the core, drawn
    // or not; and of all the paints of the picture, those drawn straight into the window's
    // buffer and those through the output's own image.
    quint64 framesRendered() const { return m_framesRendered; }
    quint64 framesTaken() const { return m_framesTaken; }
    quint64 directPaints() const { return m_directPaints; }
    quint64 imagePaints() const { return m_imagePaints; }

signals:
    // A new frame is about to be drawn (or left undrawn while it cannot be seen): the place of
    // the output may follow a new picture size before it is.
    void frameRendered();
    // The picture, not the black of stopped media, has been painted.
    void picturePainted();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    using Clock = std::chrono::steady_clock;

    void onCoreUpdate();
    void keepFrameTime();
    void takeFrameUndrawnLocked();
    void presentFrame();
    bool canShowPicture() const;
    bool paintsWholePicture() const;
    void watchWindow();
    bool drawIntoDevice(QPainter &painter, const QRegion &region);
    bool drawThroughImage(QPainter &painter);
    void stopKeepingTime();

    std::unique_ptr<RenderContext> m_context;
    std::thread m_timeKeeper;
    // Every call into the render context goes under it: the core takes them one at a time.
    std::mutex m_mutex;
    // The time keeper's wake-up calls, under a lock of their own: the core's callback must not
    // wait while a frame is drawn under m_mutex.
    std::mutex m_signalMutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_updatePending = false;
    // Under m_mutex from here on. A frame announced and not yet taken, due at m_due; m_dueSent
    // once the GUI thread has been asked to paint it.
    bool m_frameWaiting = false;
    bool m_dueSent = false;
    Clock::time_point m_due;
    // How long after m_due the frame waits for the GUI thread.
    Clock::duration m_grace = Clock::duration::zero();
    // The latest frame was taken undrawn: the picture on the screen is an older one.
    bool m_frameUnseen = false;
    // The picture for paints of a part of it; holds the current frame while m_imageCurrent.
    QImage m_image;
    bool m_imageCurrent = false;
    // Set while a call to presentFrame is on its way to the GUI thread.
    std::atomic<bool> m_presentQueued {false};

    // The GUI thread's own.
    bool m_hasFrame = false;
    bool m_pictureShown = false;
    // The window whose paints in fullscreen this output widens to the whole picture, and whether
    // it is painting the picture itself now (no widening needed then).
    QPointer<QWidget> m_watchedWindow;
    bool m_paintingWhole = false;
    // The pixels of opaque widgets above the picture, kept aside while it is drawn.
    std::vector<uchar> m_keptPixels;

    std::atomic<quint64> m_framesRendered {0};
    std::atomic<quint64> m_framesTaken {0};
    quint64 m_directPaints = 0;
    quint64 m_imagePaints = 0;
};

} // namespace duvara
