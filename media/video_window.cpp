#include "media/video_window.h"

#include <QPainter>

namespace duvara {

TDSVideoWindowEx2::TDSVideoWindowEx2(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TDSVideoWindowEx2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

} // namespace duvara
