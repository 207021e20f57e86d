#include "presentation/osd_label.h"

#include <QEvent>
#include <QPainter>

namespace duvara {

OsdLabel::OsdLabel(QWidget *parent)
    : QWidget(parent)
{
    // Clicks belong to the video below (double-click toggles fullscreen there).
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OsdLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidate();
}

void OsdLabel::setAlignment(Qt::Alignment horizontal)
{
    horizontal &= Qt::AlignHorizontal_Mask;
    if (horizontal == m_alignment)
        return;
    m_alignment = horizontal;
    invalidate();
}

void OsdLabel::setColors(const QColor &text, const QColor &shadow)
{
    m_textColor = text;
    m_shadowColor = shadow;
    invalidate();
}

void OsdLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        invalidate();
    QWidget::changeEvent(event);
}

void OsdLabel::resizeEvent(QResizeEvent *event)
{
    m_cache = QPixmap();
    QWidget::resizeEvent(event);
}

void OsdLabel::invalidate()
{
    m_cache = QPixmap();
    update();
}

void OsdLabel::renderCache()
{
    const qreal ratio = devicePixelRatioF();
    m_cache = QPixmap(size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(Qt::transparent);
    if (m_text.isEmpty())
        return;
    QPainter painter(&m_cache);
    painter.setFont(font());
    const int flags = m_alignment.toInt() | Qt::AlignVCenter | Qt::TextSingleLine;
    // The shadow takes the same box moved down and right, so the text keeps its place.
    painter.setPen(m_shadowColor);
    painter.drawText(rect().translated(kShadowOffset, kShadowOffset), flags, m_text);
    painter.setPen(m_textColor);
    painter.drawText(rect(), flags, m_text);
}

void OsdLabel::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (m_cache.isNull())
        renderCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
}

} // namespace duvara
