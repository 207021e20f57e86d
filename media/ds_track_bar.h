#pragma once

#include "media/graph_interfaces.h"

#include <QPointer>
#include <QSlider>
#include <QTimer>

namespace duvara {

class TFilterGraph;

// The playback engine's position track bar: its Position and Max count TimerInterval periods
// of the media, refreshed by its own tick while the graph it follows plays (from a Play to
// the next Pause or Stop). Releasing the left button seeks to the position it shows.
class TDSTrackBar : public QSlider, public GraphListener
{
    Q_OBJECT
public:
    explicit TDSTrackBar(QWidget *parent = nullptr);
    ~TDSTrackBar() override;

    TFilterGraph *FilterGraph() const;
    // Leaves the old graph's listeners and joins the new one's.
    void SetFilterGraph(TFilterGraph *graph);

    // Milliseconds, 100 unless set (the player's position tick); 0 stops the tick.
    unsigned TimerInterval() const { return m_timerInterval; }
    void SetTimerInterval(unsigned milliseconds);
    bool TimerRunning() const { return m_timerRunning; }
    void SetTimerRunning(bool running);
    QTimer &positionTimer() { return m_timer; }

    bool MouseHeld() const { return m_mouseHeld; }
    // Presses and releases that other controls forward (the visible position slider, the
    // remote window's meter, the go-to dialog).
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);

    void HandleGraphEvent(int code, std::intptr_t param1, std::intptr_t param2) override;
    void HandleGraphAction(GraphAction action, std::intptr_t param) override;

signals:
    // At every tick, after valueChanged (OnChange) for a moved Position. stopPos carries the
    // duration.
    void OnTimer(quint32 currentPos, quint32 stopPos);
    // A handler of OnTimer or valueChanged threw during a tick.
    void handlerFailed(const QString &message);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void restartTimer();
    void tick();

    QPointer<TFilterGraph> m_graph;
    QTimer m_timer;
    unsigned m_timerInterval = 100;
    bool m_timerRunning = false;
    bool m_hasSeeking = false;
    bool m_mouseHeld = false;
};

// stop * position div max without overflowing 64 bits; 0 when max is not positive.
qint64 SeekTargetForPosition(qint64 stop, int position, int max);

} // namespace duvara
