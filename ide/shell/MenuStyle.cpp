#include "MenuStyle.h"

#include "CoolMenu.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {

// A one-pixel edge around r: raised is lit at the top and left, sunken the other way.
void DrawEdge(QPainter* painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// The menu check mark, 7 by 7 pixels, centred in square.
void DrawCheckMark(QPainter* painter, const QRect& square, const QColor& colour)
{
    static const char* const kRows[] = {
        "......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X....",
    };
    constexpr int kSize = 7;
    const QPoint origin =
        square.topLeft() + QPoint((square.width() - kSize) / 2, (square.height() - kSize) / 2);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (kRows[y][x] == 'X') {
                painter->fillRect(QRect(origin + QPoint(x, y), QSize(1, 1)), colour);
            }
        }
    }
}

} // namespace

MenuColours MenuColours::FromPalette(const QPalette& palette)
{
    const auto active = [&palette](QPalette::ColorRole role) {
        return palette.color(QPalette::Active, role);
    };
    return MenuColours{active(QPalette::Window),
                       active(QPalette::WindowText),
                       active(QPalette::Highlight),
                       active(QPalette::HighlightedText),
                       palette.color(QPalette::Disabled, QPalette::WindowText),
                       active(QPalette::Midlight),
                       active(QPalette::Light),
                       active(QPalette::Dark)};
}

QImage EmbossedImage(const QImage& image, const MenuColours& colours, bool colourEmboss)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const auto dark = [&source, colourEmboss](int x, int y) {
        const QRgb pixel = source.pixel(x, y);
        if (qAlpha(pixel) < 128) {
            return false;
        }
        return colourEmboss ? qGray(pixel) < 128 : (pixel & 0xFFFFFF) != 0xFFFFFF;
    };
    QImage embossed(source.size() + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
    embossed.fill(Qt::transparent);
    for (const auto& [offset, colour] :
         {std::pair{1, colours.btnHighlight}, std::pair{0, colours.btnShadow}}) {
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x) {
                if (dark(x, y)) {
                    embossed.setPixelColor(x + offset, y + offset, colour);
                }
            }
        }
    }
    return embossed;
}

CMenuStyle::CMenuStyle(const CCoolMenuManager& manager) : m_manager(manager) {}

int CMenuStyle::MenuHeight(const QFontMetrics& metrics, QSize button)
{
    return std::max(metrics.height() + 6, button.height());
}

void CMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const CCoolMenuManager::ItemRecord* record =
        element == CE_MenuItem && menu && item
            ? m_manager.FindRecord(menu, menu->actionAt(option->rect.center()))
            : nullptr;
    if (!record) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    painter->save();
    const QRect& r = option->rect;
    const MenuColours colours = MenuColours::FromPalette(option->palette);
    // The menu's own background under the item.
    painter->fillRect(r, colours.menu);
    if (record->separator) {
        // An etched line across the middle.
        const int y = r.top() + r.height() / 2;
        painter->fillRect(QRect(r.left(), y, r.width(), 1), colours.btnShadow);
        painter->fillRect(QRect(r.left(), y + 1, r.width(), 1), colours.btnHighlight);
        painter->restore();
        return;
    }

    const bool selected = option->state & State_Selected;
    const bool disabled = !(option->state & State_Enabled);
    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    const QSize button = m_manager.ButtonSize();
    const MenuItemLayout layout = MenuItemLayout::ForItem(r, button);
    bool hasButton = false;
    if (record->image >= 0 && record->image < m_manager.Images().size()) {
        hasButton = true;
        const QImage& image = m_manager.Images().at(record->image);
        const QPoint at = layout.button.topLeft() + QPoint((button.width() - image.width()) / 2,
                                                           (button.height() - image.height()) / 2);
        if (disabled && m_manager.m_bSysDisabledLook) {
            painter->drawPixmap(at, baseStyle()->generatedIconPixmap(
                                        QIcon::Disabled, QPixmap::fromImage(image), option));
        } else if (disabled) {
            painter->drawImage(at, EmbossedImage(image, colours, m_manager.m_bColorEmboss));
        } else {
            const bool lit = checked && !selected;
            painter->fillRect(layout.button, lit ? colours.light3d : colours.menu);
            if (checked) {
                DrawEdge(painter, layout.button, colours.btnShadow, colours.btnHighlight);
            } else if (selected) {
                DrawEdge(painter, layout.button, colours.btnHighlight, colours.btnShadow);
            }
            painter->drawImage(at, image);
        }
    } else if (checked) {
        hasButton = true;
        painter->fillRect(layout.button, selected ? colours.menu : colours.light3d);
        DrawCheckMark(painter, layout.button, disabled ? colours.grayText : colours.menuText);
        DrawEdge(painter, layout.button, colours.btnShadow, colours.btnHighlight);
    }

    const QColor background = selected ? colours.highlight : colours.menu;
    painter->fillRect(layout.Background(hasButton), background);

    const QColor text = disabled   ? colours.grayText
                        : selected ? colours.highlightText
                                   : colours.menuText;
    const QString before = TextBeforeTab(record->text);
    const QString after = TextAfterTab(record->text);
    const auto drawText = [&](const QRect& rect, const QColor& colour) {
        constexpr int kFlags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        painter->setPen(colour);
        painter->drawText(rect, Qt::AlignLeft | kFlags, before);
        if (!after.isEmpty()) {
            painter->drawText(rect, Qt::AlignRight | kFlags, after);
        }
    };
    painter->setFont(item->font);
    if (disabled && (!selected || text == background)) {
        drawText(layout.text.translated(1, 1), colours.btnHighlight);
    }
    drawText(layout.text, text);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        // The arrow of a submenu, in the room right of the text.
        QStyleOptionMenuItem arrow = *item;
        arrow.rect =
            QRect(layout.text.right() + 1, r.top(), r.right() - layout.text.right(), r.height());
        arrow.palette.setColor(QPalette::ButtonText, text);
        arrow.palette.setColor(QPalette::WindowText, text);
        arrow.palette.setColor(QPalette::Text, text);
        arrow.state &= ~State_Selected;
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
}

QSize CMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& sz,
                                   const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !menu || !item || !m_manager.IsConverted(menu)) {
        return QProxyStyle::sizeFromContents(type, option, sz, widget);
    }
    const QFontMetrics metrics(item->font);
    const QSize button = m_manager.ButtonSize();
    const int menuHeight = MenuHeight(metrics, button);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        // The popup drops items of no width; every item gets the popup's width anyway.
        return MeasureMenuItem(true, QSize(), button, menuHeight).expandedTo(QSize(1, 0));
    }
    // The text on one line, the key names two spaces after the command's text.
    const QString after = TextAfterTab(item->text);
    QString line = TextBeforeTab(item->text);
    if (!after.isEmpty()) {
        line += QStringLiteral("  ") + after;
    }
    const QSize text =
        metrics.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, line).size();
    QSize measured = MeasureMenuItem(false, text, button, menuHeight);
    // The popup widens every item by the widest key names itself.
    measured.rwidth() -= metrics.horizontalAdvance(after);
    return measured;
}

void CMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (element == PE_PanelMenu && menu && m_manager.IsConverted(menu)) {
        painter->fillRect(option->rect, MenuColours::FromPalette(option->palette).menu);
        QProxyStyle::drawPrimitive(PE_FrameMenu, option, painter, widget);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
