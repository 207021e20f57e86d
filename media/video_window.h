#pragma once

#include "media/color_control.h"
#include "media/graph_interfaces.h"

#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

class QScreen;

namespace duvara {

class FullScreenHost;
class CoreColorOverlay;
class ScreenSaverInhibitor;
class TFilterGraph;
class VideoOutput;

enum class TRatioModes { rmStretched = 0, rmLetterBox = 1, rmCrop = 2 };

// Which renderer draws the picture.
enum class VideoOutputKind { Automatic, Software, OpenGL };

// The area that shows the picture. Subtitle panels, lists and the on-screen display are its
// children and lie over the picture; a child painted in the colour key lets it show through.
//
// It joins its graph as a listener and brings the video output to every session of it: the
// picture is drawn into VideoRect while media is playing or paused, and the window is black
// while it is stopped.
class TDSVideoWindowEx2 : public QWidget, public GraphListener, public FilterProvider
{
    Q_OBJECT
public:
    explicit TDSVideoWindowEx2(QWidget *parent = nullptr,
                               VideoOutputKind outputKind = VideoOutputKind::Automatic);
    ~TDSVideoWindowEx2() override;

    void SetFilterGraph(TFilterGraph *graph);
    TFilterGraph *FilterGraph() const { return m_graph; }

    TRatioModes AspectRatio() const { return m_aspectRatio; }
    void SetAspectRatio(TRatioModes mode);

    int DigitalZoom() const { return m_digitalZoom; }
    // Throws std::out_of_range for values outside 0..99; nothing changes then.
    void SetDigitalZoom(int z);

    int AutoHideCursor() const { return m_autoHideCursorMs; }
    void SetAutoHideCursor(int milliseconds);
    bool FullScreenTopMost() const { return m_fullScreenTopMost; }
    void SetFullScreenTopMost(bool topMost) { m_fullScreenTopMost = topMost; }
    bool NoScreenSaver() const { return m_noScreenSaver; }
    void SetNoScreenSaver(bool refuse);

    QColor Color() const { return m_color; }
    QColor ColorKey() const { return m_colorKey; }
    bool FullScreen() const { return m_fullScreen; }
    bool OverlayInUse() const { return m_overlayInUse; }
    bool OverlayVisible() const { return m_overlayVisible; }
    // Where the picture lies in the window; empty while no picture can be shown.
    QRect VideoRect() const { return m_videoRect; }
    bool CursorHidden() const { return m_cursorHidden; }

    void EnterFullScreen(QScreen *monitor);
    void EnterFullScreenHere();
    void LeaveFullScreen();

    TColorControl &ColorControl() { return m_colorControl; }
    const TDSVideoWindowEx2Caps &Caps() const { return m_caps; }

    bool usesSoftwareOutput() const;
    VideoOutput *output() const { return m_output.get(); }

    // GraphListener and FilterProvider.
    void HandleGraphEvent(int code, std::intptr_t param1, std::intptr_t param2) override;
    void HandleGraphAction(GraphAction action, std::intptr_t param) override;
    void FilterStage(duvara::FilterStage stage) override;
    bool PrepareOutput() override;
    void GraphCoreDestroying() override;

signals:
    void OnColorKeyChanged();
    void OnOverlayVisible(bool visible);
    void OnPaint();
    void OnCursorShowHide(bool visible);
    void OnClick();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createOutput(VideoOutputKind kind);
    void setUpOverlay();
    void synchronise();
    void applyAspectAndZoom();
    void updateVideoRect();
    QSize pictureSize() const;
    void setOverlayVisible(bool visible);
    void repaintPicture();
    void noteMouseActivity();
    void logFirstFrame() const;
    void logPlaybackStatistics(qint64 dropped, qint64 delayed) const;
    bool cursorCanHide() const;
    void scheduleCursorHide();
    void checkCursorIdle();

    // The main window's graphs go before its widgets: the window must notice.
    QPointer<TFilterGraph> m_graph;
    std::unique_ptr<VideoOutput> m_output;
    std::unique_ptr<CoreColorOverlay> m_colorOverlay;
    TColorControl m_colorControl;
    TDSVideoWindowEx2Caps m_caps {m_colorControl};
    TRatioModes m_aspectRatio = TRatioModes::rmLetterBox;
    int m_digitalZoom = 0;
    int m_autoHideCursorMs = 0;
    bool m_fullScreenTopMost = false;
    bool m_noScreenSaver = false;
    QColor m_color = Qt::black;
    QColor m_colorKey = QColor(0x10, 0x00, 0x10);
    bool m_fullScreen = false;
    bool m_overlaySetupTried = false;
    bool m_overlayInUse = false;
    bool m_overlayVisible = false;
    QRect m_videoRect;
    QSize m_lastPictureSize;
    bool m_firstFrameLogged = false;

    FullScreenHost *m_host = nullptr;
    QPointer<QWidget> m_savedParent;
    QRect m_savedGeometry;
    QPointer<QScreen> m_fullScreenMonitor;

    // The release that ends a double click is not a click of its own.
    bool m_releaseEndsDoubleClick = false;

    QTimer m_cursorTimer {this};
    QElapsedTimer m_lastActivity;
    QPoint m_lastMousePos;
    bool m_cursorHidden = false;
    std::unique_ptr<ScreenSaverInhibitor> m_screenSaver;
};

} // namespace duvara
