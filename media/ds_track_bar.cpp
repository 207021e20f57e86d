#include "media/ds_track_bar.h"

namespace duvara {

TDSTrackBar::TDSTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &TDSTrackBar::OnTimer);
}

} // namespace duvara
