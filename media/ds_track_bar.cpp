#include "media/ds_track_bar.h"

#include "media/filter_graph.h"
#include "media/media_logging.h"

#include <QMouseEvent>

#include <algorithm>

namespace duvara {

qint64 SeekTargetForPosition(qint64 stop, int position, int max)
{
    if (max <= 0 || stop <= 0 || position <= 0)
        return 0;
    // (stop div max) * position + (stop mod max) * position div max: exact, and neither
    // product can overflow for a 32-bit position and max.
    return stop / max * position + stop % max * position / max;
}

TDSTrackBar::TDSTrackBar(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setMinimum(0);
    connect(&m_timer, &QTimer::timeout, this, &TDSTrackBar::tick);
}

TDSTrackBar::~TDSTrackBar()
{
    if (m_graph)
        m_graph->DetachListener(this);
}

TFilterGraph *TDSTrackBar::FilterGraph() const
{
    return m_graph;
}

void TDSTrackBar::SetFilterGraph(TFilterGraph *graph)
{
    if (m_graph == graph)
        return;
    if (m_graph)
        m_graph->DetachListener(this);
    m_graph = graph;
    m_hasSeeking = graph && graph->Active();
    if (graph)
        graph->AttachListener(this);
}

void TDSTrackBar::SetTimerInterval(unsigned milliseconds)
{
    m_timerInterval = milliseconds;
    restartTimer();
}

void TDSTrackBar::SetTimerRunning(bool running)
{
    m_timerRunning = running;
    restartTimer();
}

void TDSTrackBar::restartTimer()
{
    m_timer.stop();
    if (m_timerInterval != 0 && m_timerRunning)
        m_timer.start(static_cast<int>(m_timerInterval));
}

void TDSTrackBar::tick()
{
    if (!m_graph || !m_hasSeeking || m_mouseHeld)
        return;
    const auto duration = m_graph->Duration();
    if (!duration)
        return;
    const auto current = m_graph->CurrentPosition();
    if (!current)
        return;
    const auto durationMs = static_cast<quint32>(*duration / 10000);
    const auto currentMs = static_cast<quint32>(std::max<qint64>(*current, 0) / 10000);
    try {
        setMaximum(static_cast<int>(durationMs / m_timerInterval));
        setValue(static_cast<int>(currentMs / m_timerInterval));
        emit OnTimer(currentMs, durationMs);
    } catch (const std::exception &error) {
        qCWarning(lcMedia) << "position tick handler failed:" << error.what();
        emit handlerFailed(QString::fromUtf8(error.what()));
    }
}

void TDSTrackBar::MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        m_mouseHeld = true;
}

void TDSTrackBar::MouseUp(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && m_graph && m_hasSeeking) {
        // Before the first tick Max may still be 0: there is no point to seek to then.
        if (const auto stop = m_graph->StopPosition(); stop && maximum() > 0)
            m_graph->SetCurrentPosition(SeekTargetForPosition(*stop, value(), maximum()));
    }
    m_mouseHeld = false;
}

void TDSTrackBar::mousePressEvent(QMouseEvent *event)
{
    QSlider::mousePressEvent(event);
    MouseDown(event->button());
}

void TDSTrackBar::mouseReleaseEvent(QMouseEvent *event)
{
    QSlider::mouseReleaseEvent(event);
    MouseUp(event->button());
}

// A clock change asks nothing of the bar here. The graph raises EC_CLOCK_CHANGED when the
// picture's size changes, which the core also does in the middle of a file; sending the media
// back to its start then would lose the viewer's place. mpv's positions are media times that no
// clock change can put out of step, so there is nothing to set right.
void TDSTrackBar::HandleGraphEvent(int, std::intptr_t, std::intptr_t) { }

void TDSTrackBar::HandleGraphAction(GraphAction action, std::intptr_t)
{
    switch (action) {
    case GraphAction::gaPlay:
        SetTimerRunning(isEnabled());
        break;
    case GraphAction::gaPause:
    case GraphAction::gaStop:
        SetTimerRunning(false);
        break;
    case GraphAction::gaActivated:
        m_hasSeeking = true;
        break;
    case GraphAction::gaDeactivating:
        m_hasSeeking = false;
        break;
    case GraphAction::gaRendering:
    case GraphAction::gaRendered:
        break;
    }
}

} // namespace duvara
