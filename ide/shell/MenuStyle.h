// The style of the popups that CCoolMenuManager watches. Items that the manager took
// over are measured and drawn from their records: the toolbar image in a button square
// (raised when selected, sunken on the 3-D light colour when checked), a check mark in
// the square for a checked item without an image, the highlight fill, the text with the
// key names right-aligned, and disabled text and images embossed. Everything else is
// left to the application's style.
#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QProxyStyle>

class CCoolMenuManager;

// The colours the items are drawn with, taken from a palette.
struct MenuColours
{
    QColor menu;          // background
    QColor menuText;      // text
    QColor highlight;     // selected item's background
    QColor highlightText; // selected item's text
    QColor grayText;      // disabled text
    QColor light3d;       // a checked button's face
    QColor btnHighlight;  // lit edges and the embossed light
    QColor btnShadow;     // shadowed edges and the embossed shadow

    static MenuColours FromPalette(const QPalette& palette);
};

// The embossed look of a disabled image: the button-highlight colour through the image's
// dark pixels one pixel right and down, then the button-shadow colour through them in
// place, on a transparent image one pixel larger each way. Dark pixels are those of a
// monochrome copy on white (every visible pixel that is not white), or with colourEmboss
// those darker than mid-grey.
QImage EmbossedImage(const QImage& image, const MenuColours& colours, bool colourEmboss);

class CMenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit CMenuStyle(const CCoolMenuManager& manager);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // The height of one menu line in a font: its height plus 6 pixels, and never less
    // than a button.
    static int MenuHeight(const QFontMetrics& metrics, QSize button);

private:
    const CCoolMenuManager& m_manager;
};
