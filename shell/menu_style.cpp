#include "shell/menu_style.h"

#include "presentation/color_ref.h"
#include "shell/menu_icons.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace duvara {

namespace {

// Room for a submenu's arrow, and between a caption and its shortcut text (the menu adds the
// widest shortcut to every item's width itself).
constexpr int kArrowRoom = 12;
constexpr int kShortcutGap = 16;
constexpr int kGlyphSize = 12;
constexpr int kCheckBoxMargin = 2;
constexpr int kWashOutPercent = 35;

QString withoutMnemonics(const QString &caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        plain += caption.at(i);
    }
    return plain;
}

QFont itemFont(const QStyleOptionMenuItem &item)
{
    QFont font = item.font;
    if (item.menuItemType == QStyleOptionMenuItem::DefaultItem)
        font.setBold(true);
    return font;
}

int imageColumnWidth()
{
    return MenuImageColumnWidth(kMenuImageSize);
}

// The check and radio marks of checked items that have no image, drawn in a 12 x 12 square.
void drawGlyph(QPainter *p, const QRect &square, bool radio, const QColor &color)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->translate(square.topLeft());
    if (radio) {
        p->setPen(Qt::NoPen);
        p->setBrush(color);
        p->drawEllipse(QRectF(3, 3, 6, 6));
    } else {
        QPainterPath tick;
        tick.moveTo(2, 6);
        tick.lineTo(5, 9);
        tick.lineTo(10, 3);
        p->setPen(QPen(color, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p->setBrush(Qt::NoBrush);
        p->drawPath(tick);
    }
    p->restore();
}

void drawArrow(QPainter *p, const QRect &item, const QColor &color)
{
    const int right = item.right() - kMenuShortcutMargin;
    const int middle = item.top() + item.height() / 2;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(color);
    p->drawPolygon(
        QPolygonF({QPointF(right - 3.5, middle - 3.5), QPointF(right + 0.5, middle + 0.5),
                   QPointF(right - 3.5, middle + 4.5)}));
    p->restore();
}

} // namespace

int LightenedComponent(int component, int percent)
{
    // In hundredths, so that the halves are exact.
    const int hundredths = component * 100 + (255 - component) * percent;
    int whole = hundredths / 100;
    const int rest = hundredths % 100;
    if (rest > 50 || (rest == 50 && whole % 2 != 0))
        ++whole;
    return std::clamp(whole, 0, 255);
}

std::uint32_t LightenedRef(std::uint32_t ref, int percent)
{
    std::uint32_t result = 0;
    for (int shift : {0, 8, 16}) {
        const int component = static_cast<int>((ref >> shift) & 0xFF);
        result |= static_cast<std::uint32_t>(LightenedComponent(component, percent)) << shift;
    }
    return result;
}

QColor Lightened(const QColor &color, int percent)
{
    QColor result(LightenedComponent(color.red(), percent),
                  LightenedComponent(color.green(), percent),
                  LightenedComponent(color.blue(), percent));
    result.setAlpha(color.alpha());
    return result;
}

int MenuItemHeight(int textHeight, int imageHeight)
{
    return std::max(std::max(textHeight, imageHeight) + 6, 24);
}

int MenuItemWidth(int imageWidth, int textWidth)
{
    return (imageWidth <= 7 ? 16 : imageWidth + 8) + textWidth + 15;
}

QImage WashedOut(const QImage &image, int percent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = row[x];
            row[x] = qRgba(LightenedComponent(qRed(pixel), percent),
                           LightenedComponent(qGreen(pixel), percent),
                           LightenedComponent(qBlue(pixel), percent), qAlpha(pixel));
        }
    }
    return result;
}

QImage Silhouette(const QImage &image, const QColor &color)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            row[x] = qRgba(color.red(), color.green(), color.blue(), qAlpha(row[x]));
    }
    return result;
}

MenuStyle::MenuStyle(const MenuColors &colors)
    : QProxyStyle(QStringLiteral("Fusion"))
    , m_colors(colors)
{ }

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                              QPainter *painter, const QWidget *widget) const
{
    switch (element) {
    case PE_PanelMenu: {
        // The image column runs from the top of the menu to its bottom.
        const QRect r = option->rect;
        const int frame = pixelMetric(PM_MenuPanelWidth, option, widget);
        painter->fillRect(r, colorFromRef(m_colors.background));
        painter->fillRect(QRect(r.left() + frame, r.top(), imageColumnWidth(), r.height()),
                          colorFromRef(m_colors.imageColumn));
        return;
    }
    case PE_FrameMenu:
        painter->save();
        painter->setPen(colorFromRef(m_colors.menuFrame));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    switch (element) {
    case CE_MenuItem:
        drawMenuItem(option, painter, widget);
        return;
    case CE_MenuEmptyArea:
        drawPrimitive(PE_PanelMenu, option, painter, widget);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void MenuStyle::drawMenuItem(const QStyleOption *option, QPainter *p, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item)
        return;
    if (item->menuItemType == QStyleOptionMenuItem::Scroller
        || item->menuItemType == QStyleOptionMenuItem::TearOff) {
        QProxyStyle::drawControl(CE_MenuItem, option, p, widget);
        return;
    }
    const QRect r = item->rect;
    const int column = imageColumnWidth();
    const QColor columnColor = colorFromRef(m_colors.imageColumn);
    const QColor highlight = colorFromRef(m_colors.highlight);
    const QRect columnRect(r.left(), r.top(), column, r.height());
    const QRect restRect(r.left() + column, r.top(), r.width() - column, r.height());
    const int textLeft = r.left() + column + kMenuTextGap;
    const int textRight = r.right() - kMenuShortcutMargin;

    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        p->fillRect(columnRect, columnColor);
        p->fillRect(restRect, colorFromRef(m_colors.background));
        // The same grey as disabled text: the menu's colours do not follow the desktop's.
        p->fillRect(QRect(textLeft, r.top() + r.height() / 2, textRight - textLeft + 1, 1),
                    colorFromRef(m_colors.disabledText));
        p->restore();
        return;
    }

    const bool enabled = item->state & State_Enabled;
    const bool selected = item->state & State_Selected;
    if (selected) {
        p->fillRect(r, highlight);
        p->setPen(colorFromRef(m_colors.highlightFrame));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        p->fillRect(columnRect, columnColor);
        p->fillRect(restRect, colorFromRef(m_colors.background));
    }

    const QColor textColor = !enabled ? colorFromRef(m_colors.disabledText)
        : selected                    ? colorFromRef(m_colors.selectedText)
                                      : colorFromRef(m_colors.text);
    const QRect imageRect(r.left() + (column - kMenuImageSize) / 2,
                          r.top() + (r.height() - kMenuImageSize) / 2, kMenuImageSize,
                          kMenuImageSize);
    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    if (checked) {
        const QColor box = selected ? Lightened(highlight, 75) : Lightened(columnColor, 45);
        p->fillRect(imageRect.adjusted(-kCheckBoxMargin, -kCheckBoxMargin, kCheckBoxMargin,
                                       kCheckBoxMargin),
                    box);
    }
    if (!item->icon.isNull()) {
        const qreal ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        const QPixmap pixmap = item->icon.pixmap(imageRect.size(), ratio);
        QImage image = pixmap.toImage();
        image.setDevicePixelRatio(pixmap.devicePixelRatio());
        const QColor grey = colorFromRef(m_colors.imageShadow);
        if (!enabled) {
            p->drawImage(imageRect.topLeft(),
                         Silhouette(image, colorFromRef(m_colors.disabledText)));
        } else if (selected) {
            p->drawImage(imageRect.topLeft(), Silhouette(image, grey));
            p->drawImage(imageRect.topLeft() - QPoint(1, 1), image);
        } else {
            p->drawImage(imageRect.topLeft(), WashedOut(image, kWashOutPercent));
        }
    } else if (checked) {
        const QRect square(imageRect.left() + (kMenuImageSize - kGlyphSize) / 2,
                           imageRect.top() + (kMenuImageSize - kGlyphSize) / 2, kGlyphSize,
                           kGlyphSize);
        drawGlyph(p, square, item->checkType == QStyleOptionMenuItem::Exclusive, textColor);
    }

    QString caption = item->text;
    QString shortcut;
    if (const qsizetype tab = caption.indexOf(QLatin1Char('\t')); tab >= 0) {
        shortcut = caption.mid(tab + 1);
        caption.truncate(tab);
    }
    p->setFont(itemFont(*item));
    p->setPen(textColor);
    int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget))
        flags |= Qt::TextHideMnemonic;
    const QRect textRect(textLeft, r.top(), textRight - textLeft + 1, r.height());
    p->drawText(textRect, flags | Qt::AlignLeft, caption);
    if (!shortcut.isEmpty())
        p->drawText(textRect, Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, shortcut);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
        drawArrow(p, r, textColor);
    p->restore();
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                           const QWidget *widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 0;
    case PM_SmallIconSize:
        return kMenuImageSize;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                  const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(MenuItemWidth(kMenuImageSize, 0), kMenuSeparatorHeight);
    const QFontMetrics metrics(itemFont(*item));
    const qsizetype tab = item->text.indexOf(QLatin1Char('\t'));
    const QString caption = tab >= 0 ? item->text.left(tab) : item->text;
    // Trailing blanks count: a caption may carry them to widen its menu.
    int width = MenuItemWidth(kMenuImageSize, metrics.horizontalAdvance(withoutMnemonics(caption)));
    if (tab >= 0)
        width += kShortcutGap;
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
        width += kArrowRoom;
    return QSize(width, MenuItemHeight(metrics.height(), kMenuImageSize));
}

void ApplyMenuLook(QMenu *menu)
{
    // Made after the submenus, so that it is destroyed after them.
    auto *style = new MenuStyle;
    style->setParent(menu);
    QList<QMenu *> menus = menu->findChildren<QMenu *>();
    menus.prepend(menu);
    for (QMenu *each : std::as_const(menus)) {
        each->setStyle(style);
        // The look shows every image and every shortcut, whatever the desktop prefers.
        for (QAction *action : each->actions()) {
            action->setIconVisibleInMenu(true);
            action->setShortcutVisibleInContextMenu(true);
        }
    }
}

} // namespace duvara
