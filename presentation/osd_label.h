#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace duvara {

// A see-through line of text with a drop shadow, for the on-screen display over the video.
// The text is drawn once into a pixmap and copied at every repaint, since the displays repaint
// with each video frame on the software output.
class OsdLabel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShadowOffset = 2;

    explicit OsdLabel(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

    // Horizontal placement; the text is always centred vertically.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment horizontal);

    QColor textColor() const { return m_textColor; }
    QColor shadowColor() const { return m_shadowColor; }
    void setColors(const QColor &text, const QColor &shadow);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void invalidate();
    void renderCache();

    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QColor m_textColor = Qt::white;
    QColor m_shadowColor = Qt::black;
    QPixmap m_cache;
};

} // namespace duvara
