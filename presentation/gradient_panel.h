#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace duvara {

// A panel whose background is a two-colour linear gradient, optionally inside a rounded flat
// border. The painting is kept as a pixmap: over the video the panel repaints with every frame.
class GradientPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Direction { Vertical, Horizontal, Diagonal };

    explicit GradientPanel(QWidget *parent = nullptr);

    void setGradient(const QColor &from, const QColor &to,
                     Direction direction = Direction::Vertical);
    QColor fromColor() const { return m_from; }
    QColor toColor() const { return m_to; }

    // A one-pixel border with rounded corners; outside the corners the panel is see-through.
    // A radius below 0 removes the border.
    void setRoundedBorder(const QColor &color, int radius);
    QColor borderColor() const { return m_borderColor; }
    int borderRadius() const { return m_borderRadius; }
    bool hasBorder() const { return m_borderRadius >= 0; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void renderCache();

    QColor m_from = Qt::black;
    QColor m_to = Qt::black;
    Direction m_direction = Direction::Vertical;
    QColor m_borderColor;
    int m_borderRadius = -1;
    QPixmap m_cache;
};

} // namespace duvara
