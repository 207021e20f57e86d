#pragma once

#include "presentation/caption_renderer.h"
#include "presentation/subtitle_layout.h"

#include <QColor>
#include <QFont>
#include <QWidget>

#include <cstdint>

namespace duvara {

// Draws one subtitle caption with an outline and a shadow over the picture.
//
// Stroking glyph contours is slow, so the caller can prepare the next caption off screen
// (SetTextNextCaption); when it becomes the caption on screen at the same size and look, it is
// shown by copying the prepared image. Only the part of the label that the text covers is
// drawn; the rest is plain background.
//
// The background colour is the palette's Window colour (inherited from the parent until set), the
// text colour its own (FontColor). A label whose background colour equals its key colour paints
// no background at all, so that the picture below it shows and only the text covers it.
class RSubtitleLabel : public QWidget
{
    Q_OBJECT
public:
    explicit RSubtitleLabel(QWidget *parent = nullptr);

    TAlignment TextAlignment() const { return m_alignment; }
    void SetTextAlignment(TAlignment alignment);
    TTextLayout TextVAlignment() const { return m_vAlignment; }
    void SetTextVAlignment(TTextLayout alignment);
    bool TextWordWrap() const { return m_wordWrap; }
    void SetTextWordWrap(bool wrap);

    QString TextCaption() const { return m_caption; }
    void SetTextCaption(const QString &caption);
    QString TextNextCaption() const { return m_nextCaption; }
    // How many captions were drawn at the moment they were shown, because none had been
    // prepared for them (a figure for diagnostics and tests).
    int FreshDrawings() const { return m_freshDrawings; }
    void SetTextNextCaption(const QString &caption);

    bool TextShadow() const { return m_shadow; }
    void SetTextShadow(bool shadow);
    bool TextOutline() const { return m_outline; }
    void SetTextOutline(bool outline);
    std::uint8_t TextOutlineWidth() const { return m_outlineWidth; }
    void SetTextOutlineWidth(std::uint8_t width);
    QColor TextOutlineColor() const { return m_outlineColor; }
    void SetTextOutlineColor(const QColor &color);
    QColor TextShadowColor() const { return m_shadowColor; }
    void SetTextShadowColor(const QColor &color);

    QColor Color() const;
    void SetColor(const QColor &color);
    QColor FontColor() const;
    void SetFontColor(const QColor &color);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    // Invalid (the default) means no key colour.
    QColor KeyColor() const { return m_keyColor; }
    void SetKeyColor(const QColor &color);

    // True while the background is painted (not transparent, not the key colour).
    bool PaintsBackground() const;

    static QColor DisabledTextColor() { return QColor(0xC0, 0xC0, 0xC0); }

signals:
    // Raised at every paint, before the caption is drawn.
    void OnRePaint(duvara::RSubtitleLabel *sender);
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // A caption drawn for one text in one style; it goes to the screen again for as long as
    // both stay as they are.
    struct DrawnCaption
    {
        QString text;
        CaptionStyle style;
        CaptionImage image;
        bool valid = false;
        bool shows(const QString &caption, const CaptionStyle &now) const
        {
            return valid && text == caption && style == now;
        }
    };

    CaptionStyle currentStyle() const;
    void repaintNow();
    void prepareNextCaption();
    const CaptionImage &captionToShow(const CaptionStyle &style);

    TAlignment m_alignment = TAlignment::taCenter;
    TTextLayout m_vAlignment = TTextLayout::tlCenter;
    bool m_wordWrap = true;
    QString m_caption;
    QString m_nextCaption;
    bool m_shadow = false;
    bool m_outline = true;
    std::uint8_t m_outlineWidth = 1;
    QColor m_outlineColor = Qt::black;
    QColor m_shadowColor = QColor(0x80, 0x80, 0x80);
    QColor m_fontColor = Qt::white;
    bool m_transparent = false;
    QColor m_keyColor;

    GlyphInkCache m_inks;
    DrawnCaption m_prepared; // the next caption, drawn before it is due
    DrawnCaption m_shown; // the caption on screen, when it was drawn here
    int m_freshDrawings = 0;
};

} // namespace duvara
