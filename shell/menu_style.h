// The player's own menu look: both popup menus and all their submenus are measured and painted
// here in the player's colours, whatever the desktop's style says. The arithmetic behind it
// (lightening a colour, the measures of an item) is in plain functions.
#pragma once

#include <QProxyStyle>

#include <cstdint>

class QImage;
class QMenu;

namespace duvara {

// Colours as 0x00BBGGRR values.
struct MenuColors
{
    std::uint32_t imageColumn = 0x006AABDB;
    std::uint32_t background = 0x00A4D3E3;
    std::uint32_t highlight = 0x005696D6;
    std::uint32_t highlightFrame = 0x00000080;
    std::uint32_t text = 0x00000080;
    std::uint32_t selectedText = 0x00000000;
    std::uint32_t disabledText = 0x00808080;
    std::uint32_t imageShadow = 0x00808080;
    std::uint32_t menuFrame = 0x007395AE;
};

// A colour component lightened by `percent`: c + (255 - c) * percent / 100, rounded to the
// nearest integer with halves to even.
int LightenedComponent(int component, int percent);
// Each of the three components lightened; alpha (of a QColor) is kept.
std::uint32_t LightenedRef(std::uint32_t ref, int percent);
QColor Lightened(const QColor &color, int percent);

// The measures of an item, in pixels.
constexpr int kMenuSeparatorHeight = 11;
constexpr int kMenuTextGap = 9; // from the image column to the caption
constexpr int kMenuShortcutMargin = 5; // from the shortcut text to the item's right edge
constexpr int MenuImageColumnWidth(int imageWidth)
{
    return imageWidth + 7;
}
// The larger of (the larger of the text height of "W" and the image height) + 6 and 24.
int MenuItemHeight(int textHeight, int imageHeight);
// (image width + 8, or 16 for images up to 7 pixels wide) + text width + 15.
int MenuItemWidth(int imageWidth, int textWidth);

// An image with each pixel lightened by `percent`; transparency stays as it was.
QImage WashedOut(const QImage &image, int percent);
// The image's shape in one flat colour.
QImage Silhouette(const QImage &image, const QColor &color);

class MenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit MenuStyle(const MenuColors &colors = MenuColors());

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget = nullptr) const override;

private:
    void drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;

    MenuColors m_colors;
};

// Gives the menu and every submenu below it the player's look; the style lives with the menu.
void ApplyMenuLook(QMenu *menu);

} // namespace duvara
