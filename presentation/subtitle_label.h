#pragma once

#include <QWidget>

namespace duvara {

// Draws one subtitle caption over the picture. The renderer with outline, shadow and prepared
// captions grows here; until then the label only keeps its caption.
class RSubtitleLabel : public QWidget
{
    Q_OBJECT
public:
    explicit RSubtitleLabel(QWidget *parent = nullptr);

    QString TextCaption() const { return m_caption; }
    void SetTextCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};

} // namespace duvara
