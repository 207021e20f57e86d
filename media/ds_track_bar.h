#pragma once

#include <QSlider>
#include <QTimer>

namespace duvara {

// The playback engine's position track bar: its position is the media position in steps of
// 100 ms, refreshed by its own timer while the media runs.
class TDSTrackBar : public QSlider
{
    Q_OBJECT
public:
    explicit TDSTrackBar(QWidget *parent = nullptr);

    int TimerInterval() const { return m_timer.interval(); }
    QTimer &positionTimer() { return m_timer; }

signals:
    void OnTimer();

private:
    QTimer m_timer;
};

} // namespace duvara
