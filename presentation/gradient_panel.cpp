#include "presentation/gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace duvara {

GradientPanel::GradientPanel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::setGradient(const QColor &from, const QColor &to, Direction direction)
{
    m_from = from;
    m_to = to;
    m_direction = direction;
    m_cache = QPixmap();
    update();
}

void GradientPanel::setRoundedBorder(const QColor &color, int radius)
{
    m_borderColor = color;
    m_borderRadius = radius;
    // The corners outside the rounding show what lies below.
    setAttribute(Qt::WA_OpaquePaintEvent, !hasBorder());
    m_cache = QPixmap();
    update();
}

void GradientPanel::renderCache()
{
    const qreal ratio = devicePixelRatioF();
    m_cache = QPixmap(size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(Qt::transparent);

    QPointF end;
    switch (m_direction) {
    case Direction::Vertical:
        end = QPointF(0, height());
        break;
    case Direction::Horizontal:
        end = QPointF(width(), 0);
        break;
    case Direction::Diagonal:
        end = QPointF(width(), height());
        break;
    }
    QLinearGradient gradient(QPointF(0, 0), end);
    gradient.setColorAt(0, m_from);
    gradient.setColorAt(1, m_to);

    QPainter painter(&m_cache);
    if (!hasBorder()) {
        painter.fillRect(rect(), gradient);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_borderColor, 1));
    painter.setBrush(gradient);
    // Half a pixel in, so the one-pixel pen covers whole pixels along the straight edges.
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_borderRadius,
                            m_borderRadius);
}

void GradientPanel::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (m_cache.isNull() || m_cache.deviceIndependentSize().toSize() != size()
        || !qFuzzyCompare(m_cache.devicePixelRatio(), devicePixelRatioF()))
        renderCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
}

} // namespace duvara
