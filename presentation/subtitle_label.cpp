#include "presentation/subtitle_label.h"

namespace duvara {

RSubtitleLabel::RSubtitleLabel(QWidget *parent) : QWidget(parent) {}

void RSubtitleLabel::SetTextCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void RSubtitleLabel::paintEvent(QPaintEvent *) {}

} // namespace duvara
