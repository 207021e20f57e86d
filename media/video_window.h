#pragma once

#include <QColor>
#include <QWidget>

namespace duvara {

enum class TRatioModes { rmStretched = 0, rmLetterBox = 1, rmCrop = 2 };

// The area that shows the picture. Subtitle panels, lists and the on-screen display are its
// children and lie over the picture.
class TDSVideoWindowEx2 : public QWidget
{
    Q_OBJECT
public:
    explicit TDSVideoWindowEx2(QWidget *parent = nullptr);

    TRatioModes AspectRatio() const { return m_aspectRatio; }
    void SetAspectRatio(TRatioModes mode) { m_aspectRatio = mode; }

    // Panels painted in this colour let the picture show through.
    QColor ColorKey() const { return m_colorKey; }

    bool FullScreen() const { return m_fullScreen; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TRatioModes m_aspectRatio = TRatioModes::rmLetterBox;
    QColor m_colorKey = QColor(16, 0, 16);
    bool m_fullScreen = false;
};

} // namespace duvara
