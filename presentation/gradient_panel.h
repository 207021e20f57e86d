#pragma once

#include <QColor>
#include <QWidget>

namespace duvara {

// A panel whose background is a two-colour linear gradient.
class GradientPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Direction { Vertical, Horizontal, Diagonal };

    explicit GradientPanel(QWidget *parent = nullptr);

    void setGradient(const QColor &from, const QColor &to, Direction direction = Direction::Vertical);
    QColor fromColor() const { return m_from; }
    QColor toColor() const { return m_to; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_from = Qt::black;
    QColor m_to = Qt::black;
    Direction m_direction = Direction::Vertical;
};

} // namespace duvara
