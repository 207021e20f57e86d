#include "presentation/gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace duvara {

GradientPanel::GradientPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::setGradient(const QColor &from, const QColor &to, Direction direction)
{
    m_from = from;
    m_to = to;
    m_direction = direction;
    update();
}

void GradientPanel::paintEvent(QPaintEvent *)
{
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
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

} // namespace duvara
