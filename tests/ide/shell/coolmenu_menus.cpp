// Popups with toolbar images and key names, offscreen: the image indices of toolbars 128
// and 130, the key names that the Edit and Build commands show, items made plain again
// when the menus close, a checked item without an image, a rendered popup with
// disabled items checked pixel by pixel, the menu character, the images reloaded on a
// palette change, and the main frame's own menus.
#include "CommandIds.h"
#include "CommandManager.h"
#include "CoolMenu.h"
#include "MainFrame.h"
#include "MenuStyle.h"
#include "ShellTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace Cmd;

namespace {

const int kMainIds[] = {32794, 57601, 57603, 32822, 32838, 57607, 57635,
                        57634, 57637, 32771, 32772, 32845, 57664, 57669};
const int kProjectIds[] = {32785, 32786, 32787, 32781, 32802, 32841, 32813, 32814,
                           32795, 32842, 32831, 32832, 32800, 32801, 32855, 32844};

// Colours far apart, so that every pixel tells which rule painted it.
QPalette TestPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    palette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x00));
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x60, 0x40));
    palette.setColor(QPalette::Midlight, QColor(0xE0, 0xE0, 0xE0));
    palette.setColor(QPalette::Light, QColor(0xF0, 0xF0, 0xFF));
    palette.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    return palette;
}

// A frame with the program's actions and accelerators, some of its menus, and the
// manager installed with both toolbars loaded.
class CoolMenuTest : public ShellTest
{
protected:
    CoolMenuTest() : m_pCommands(new CCommandManager(&m_frame))
    {
        for (QAction* action : m_pCommands->Actions()) {
            action->setEnabled(true);
        }
        m_pEdit = AddMenu("&Edit", {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE});
        m_pBuild = AddMenu(
            "&Build", {ID_BUILD_PROJECT, ID_BUILD_TRANSFER_PROJECT, ID_BUILD_SIMULATE_PROJECT});
        m_pView = AddMenu("&View", {ID_VIEW_STATUS_BAR});
        m_manager.Install(&m_frame);
        EXPECT_TRUE(m_manager.LoadToolbar(CCoolMenuManager::kMainToolbar));
        EXPECT_TRUE(m_manager.LoadToolbar(CCoolMenuManager::kProjectToolbar));
    }

    QMenu* AddMenu(const char* title, std::initializer_list<int> ids)
    {
        QMenu* menu = m_frame.menuBar()->addMenu(title);
        QFont font = menu->font();
        font.setStyleStrategy(QFont::NoAntialias);
        menu->setFont(font);
        menu->setPalette(TestPalette());
        for (int id : ids) {
            if (id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(Action(id));
            }
        }
        return menu;
    }
    QAction* Action(int id) const { return m_pCommands->Action(id); }

    static void Open(QMenu* menu)
    {
        menu->popup(QPoint(10, 10));
        QCoreApplication::processEvents();
    }
    static void Close(QMenu* menu)
    {
        menu->hide();
        QCoreApplication::processEvents();
    }
    // Where the item's button square lies in the popup.
    QRect Square(QMenu* menu, int id) const
    {
        return MenuItemLayout::ForItem(menu->actionGeometry(Action(id)), m_manager.ButtonSize())
            .button;
    }

    QMainWindow m_frame;
    CCommandManager* m_pCommands;
    CCoolMenuManager m_manager;
    QMenu* m_pEdit;
    QMenu* m_pBuild;
    QMenu* m_pView;
};

TEST_F(CoolMenuTest, BothToolbarsMapTheirCommandsInButtonOrder)
{
    int index = 0;
    for (int id : kMainIds) {
        EXPECT_EQ(m_manager.ImageMap().ImageIndex(id), index++) << id;
    }
    for (int id : kProjectIds) {
        EXPECT_EQ(m_manager.ImageMap().ImageIndex(id), index++) << id;
    }
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(ID_EDIT_UNDO), -1);
    ASSERT_EQ(m_manager.Images().size(), 30);
    EXPECT_EQ(m_manager.ButtonSize(), QSize(20, 19));
    EXPECT_EQ(
        m_manager.Images().at(7),
        QImage(":/velmora/toolbar/copy.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_FALSE(m_manager.LoadToolbar(129));

    // Ids already mapped keep their image; the new ones get theirs and the next indices.
    QTemporaryDir dir;
    const QString small = dir.filePath("small.png");
    const QString odd = dir.filePath("odd.png");
    QImage(8, 8, QImage::Format_ARGB32).save(small);
    QImage image(16, 15, QImage::Format_ARGB32);
    image.fill(Qt::red);
    image.save(odd);
    const int repeated[] = {ID_EDIT_COPY, 0, 40001, ID_BUILD_PROJECT, 40002};
    ASSERT_TRUE(m_manager.LoadToolbar(repeated, [&](int id) {
        return id == 40001 || id == 40002 ? odd : QString(":/velmora/toolbar/copy.png");
    }));
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(ID_EDIT_COPY), 7);
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(40001), 30);
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(40002), 31);
    ASSERT_EQ(m_manager.Images().size(), 32);
    EXPECT_EQ(m_manager.Images().at(30).pixelColor(3, 3), QColor(Qt::red));
    // A toolbar of another image size is refused.
    const int other[] = {40003};
    EXPECT_FALSE(m_manager.LoadToolbar(other, [&](int) { return small; }));
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(40003), -1);
}

TEST_F(CoolMenuTest, CommandsShowAllTheirKeysLatestFirst)
{
    Open(m_pEdit);
    EXPECT_EQ(Action(ID_EDIT_COPY)->text(), "&Copy\tCtrl+Insert, Ctrl+C");
    EXPECT_EQ(Action(ID_EDIT_CUT)->text(), "Cu&t\tShift+Delete, Ctrl+X");
    EXPECT_EQ(Action(ID_EDIT_PASTE)->text(), "&Paste\tShift+Insert, Ctrl+V");
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo\tAlt+Backspace, Ctrl+Z");
    const CCoolMenuManager::ItemRecord* copy = m_manager.FindRecord(m_pEdit, Action(ID_EDIT_COPY));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text, "&Copy\tCtrl+Insert, Ctrl+C");
    EXPECT_EQ(copy->image, 7);
    EXPECT_EQ(m_manager.FindRecord(m_pEdit, Action(ID_EDIT_UNDO))->image, -1);
    Close(m_pEdit);

    Open(m_pBuild);
    EXPECT_EQ(Action(ID_BUILD_PROJECT)->text(), "&Build Project\tF5");
    EXPECT_EQ(Action(ID_BUILD_TRANSFER_PROJECT)->text(), "&Transfer Project\tCtrl+F5");
    EXPECT_EQ(Action(ID_BUILD_SIMULATE_PROJECT)->text(), "Simulate Project\tAlt+F5");
    Close(m_pBuild);

    // The names follow the current shortcuts; switched off, the texts stay as they are.
    Action(ID_BUILD_PROJECT)->setShortcuts({QKeySequence("F5"), QKeySequence("Ctrl+B")});
    m_manager.m_bShowAccels = false;
    Open(m_pBuild);
    EXPECT_EQ(Action(ID_BUILD_PROJECT)->text(), "&Build Project\tF5");
    Close(m_pBuild);
    m_manager.m_bShowAccels = true;
    Open(m_pBuild);
    EXPECT_EQ(Action(ID_BUILD_PROJECT)->text(), "&Build Project\tCtrl+B, F5");
    Close(m_pBuild);
}

TEST_F(CoolMenuTest, ItemsArePlainAgainOnceTheMenusClose)
{
    Open(m_pEdit);
    ASSERT_TRUE(m_manager.IsConverted(m_pEdit));
    EXPECT_TRUE(m_manager.FindRecord(m_pEdit, Action(ID_EDIT_PASTE)));
    // The popup is measured by the records: a separator is half a menu line high.
    const int line = CMenuStyle::MenuHeight(m_pEdit->fontMetrics(), m_manager.ButtonSize());
    EXPECT_EQ(m_pEdit->actionGeometry(Action(ID_EDIT_COPY)).height(), line);
    EXPECT_EQ(m_pEdit->actionGeometry(m_pEdit->actions().at(1)).height(), line / 2);
    Close(m_pEdit);
    EXPECT_FALSE(m_manager.IsConverted(m_pEdit));
    EXPECT_FALSE(m_manager.FindRecord(m_pEdit, Action(ID_EDIT_PASTE)));
    EXPECT_EQ(Action(ID_EDIT_PASTE)->text(), "&Paste\tShift+Insert, Ctrl+V");

    // Opened again, the names are not added twice.
    Open(m_pEdit);
    EXPECT_EQ(Action(ID_EDIT_PASTE)->text(), "&Paste\tShift+Insert, Ctrl+V");
    Close(m_pEdit);

    // Images switched off: the menus stay plain.
    m_manager.m_bShowImages = false;
    Open(m_pEdit);
    EXPECT_FALSE(m_manager.IsConverted(m_pEdit));
    Close(m_pEdit);
}

TEST_F(CoolMenuTest, CheckedItemWithoutImageShowsTheCheckMarkInItsSquare)
{
    Action(ID_VIEW_STATUS_BAR)->setChecked(true);
    Open(m_pView);
    const CCoolMenuManager::ItemRecord* record =
        m_manager.FindRecord(m_pView, Action(ID_VIEW_STATUS_BAR));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->image, -1);
    const QImage shot = m_pView->grab().toImage();
    const QRect square = Square(m_pView, ID_VIEW_STATUS_BAR);
    const QPalette palette = TestPalette();
    // A sunken edge, the 3-D light face, and the mark in the menu text colour; the
    // background starts one pixel right of the square.
    EXPECT_EQ(shot.pixelColor(square.left() + 5, square.top()), palette.color(QPalette::Dark));
    EXPECT_EQ(shot.pixelColor(square.left(), square.top() + 5), palette.color(QPalette::Dark));
    EXPECT_EQ(shot.pixelColor(square.left() + 5, square.bottom()), palette.color(QPalette::Light));
    EXPECT_EQ(shot.pixelColor(square.right(), square.top() + 5), palette.color(QPalette::Light));
    EXPECT_EQ(shot.pixelColor(square.left() + 2, square.top() + 2),
              palette.color(QPalette::Midlight));
    const QPoint mark = square.topLeft() + QPoint((20 - 7) / 2, (19 - 7) / 2);
    EXPECT_EQ(shot.pixelColor(mark + QPoint(6, 0)), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(mark + QPoint(2, 6)), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(mark + QPoint(0, 0)), palette.color(QPalette::Midlight));
    EXPECT_EQ(shot.pixelColor(square.right() + 1, square.center().y()),
              palette.color(QPalette::Window));

    // Selected, the mark stays on the menu colour, the highlight beside the square.
    m_pView->setActiveAction(Action(ID_VIEW_STATUS_BAR));
    const QImage selected = m_pView->grab().toImage();
    EXPECT_EQ(selected.pixelColor(square.left() + 2, square.top() + 2),
              palette.color(QPalette::Window));
    EXPECT_EQ(selected.pixelColor(mark + QPoint(6, 0)), QColor(Qt::black));
    EXPECT_EQ(selected.pixelColor(square.right() + 2, square.top()),
              palette.color(QPalette::Highlight));
    Close(m_pView);
}

TEST_F(CoolMenuTest, RenderedPopupFollowsTheDrawingRules)
{
    Action(ID_EDIT_CUT)->setEnabled(false);
    Action(ID_EDIT_UNDO)->setEnabled(false);
    Open(m_pEdit);
    m_pEdit->setActiveAction(Action(ID_EDIT_COPY));
    const QImage shot = m_pEdit->grab().toImage();
    const MenuColours colours = MenuColours::FromPalette(TestPalette());

    // Cut, disabled, with an image: embossed from the image's non-white pixels, light
    // one pixel right and down, shadow in place, on the menu colour.
    const QImage cut = m_manager.Images().at(6).convertToFormat(QImage::Format_ARGB32);
    const auto dark = [&cut](int x, int y) {
        if (x < 0 || y < 0 || x >= cut.width() || y >= cut.height()) {
            return false;
        }
        const QRgb pixel = cut.pixel(x, y);
        return qAlpha(pixel) >= 128 && (pixel & 0xFFFFFF) != 0xFFFFFF;
    };
    const QPoint at = Square(m_pEdit, ID_EDIT_CUT).topLeft() + QPoint(2, 2);
    int shadows = 0;
    for (int y = 0; y <= cut.height(); ++y) {
        for (int x = 0; x <= cut.width(); ++x) {
            const QColor expected = dark(x, y)           ? colours.btnShadow
                                    : dark(x - 1, y - 1) ? colours.btnHighlight
                                                         : colours.menu;
            shadows += dark(x, y);
            ASSERT_EQ(shot.pixelColor(at + QPoint(x, y)), expected) << x << "," << y;
        }
    }
    EXPECT_GT(shadows, 10);

    // Disabled text: grey, with the button-highlight copy one pixel right and down
    // showing only where the grey text does not cover it.
    for (int id : {ID_EDIT_CUT, ID_EDIT_UNDO}) {
        const QRect text =
            MenuItemLayout::ForItem(m_pEdit->actionGeometry(Action(id)), m_manager.ButtonSize())
                .text;
        int grey = 0;
        int light = 0;
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right() + 1; ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                grey += pixel == colours.grayText;
                if (pixel == colours.btnHighlight) {
                    ++light;
                    EXPECT_EQ(shot.pixelColor(x - 1, y - 1), colours.grayText) << x << "," << y;
                }
                EXPECT_NE(pixel, colours.menuText) << x << "," << y;
            }
        }
        EXPECT_GT(grey, 20) << id;
        EXPECT_GT(light, 10) << id;
    }

    // Copy, selected: raised square on the menu colour, image inside, highlight fill
    // from one pixel right of the square.
    const QRect copy = Square(m_pEdit, ID_EDIT_COPY);
    EXPECT_EQ(shot.pixelColor(copy.left() + 5, copy.top()), colours.btnHighlight);
    EXPECT_EQ(shot.pixelColor(copy.left(), copy.top() + 5), colours.btnHighlight);
    EXPECT_EQ(shot.pixelColor(copy.left() + 5, copy.bottom()), colours.btnShadow);
    EXPECT_EQ(shot.pixelColor(copy.right(), copy.top() + 5), colours.btnShadow);
    EXPECT_EQ(shot.pixelColor(copy.left() + 1, copy.top() + 1), colours.menu);
    const QImage copyImage = m_manager.Images().at(7);
    for (QPoint p : {QPoint(4, 4), QPoint(8, 7), QPoint(12, 10)}) {
        const QRgb source = copyImage.pixel(p);
        if (qAlpha(source) == 255) {
            EXPECT_EQ(shot.pixel(copy.topLeft() + QPoint(2, 2) + p), source);
        }
    }
    EXPECT_EQ(shot.pixelColor(copy.right() + 1, copy.center().y()), colours.menu);
    EXPECT_EQ(shot.pixelColor(copy.right() + 2, copy.top()), colours.highlight);
    const QRect copyItem = m_pEdit->actionGeometry(Action(ID_EDIT_COPY));
    EXPECT_EQ(shot.pixelColor(copyItem.right(), copyItem.top()), colours.highlight);

    // Paste, enabled and not selected: no edge; the separator is etched at its middle.
    const QRect paste = Square(m_pEdit, ID_EDIT_PASTE);
    EXPECT_EQ(shot.pixelColor(paste.left() + 5, paste.top()), colours.menu);
    const QRect separator = m_pEdit->actionGeometry(m_pEdit->actions().at(1));
    const int middle = separator.top() + separator.height() / 2;
    EXPECT_EQ(shot.pixelColor(separator.center().x(), middle), colours.btnShadow);
    EXPECT_EQ(shot.pixelColor(separator.center().x(), middle + 1), colours.btnHighlight);
    EXPECT_EQ(shot.pixelColor(separator.center().x(), middle - 1), colours.menu);
    Close(m_pEdit);
}

TEST_F(CoolMenuTest, DisabledImagesEmbossedOrInTheStylesOwnLook)
{
    // From a monochrome copy every visible pixel that is not white is dark; the colour
    // emboss takes only those darker than mid-grey.
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(0xC0, 0xC0, 0xC0));
    image.setPixel(1, 0, qRgb(0xFF, 0xFF, 0xFF));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const MenuColours colours = MenuColours::FromPalette(TestPalette());
    const QImage mono = EmbossedImage(image, colours, false);
    ASSERT_EQ(mono.size(), QSize(4, 2));
    EXPECT_EQ(mono.pixelColor(0, 0), colours.btnShadow);
    EXPECT_EQ(mono.pixelColor(1, 1), colours.btnHighlight);
    EXPECT_EQ(mono.pixelColor(1, 0).alpha(), 0);
    EXPECT_EQ(mono.pixelColor(2, 1).alpha(), 0);
    EXPECT_EQ(mono.pixelColor(3, 1).alpha(), 0);
    const QImage colour = EmbossedImage(image, colours, true);
    EXPECT_EQ(colour.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(colour.pixelColor(1, 1).alpha(), 0);

    // The style's own disabled look, drawn over the menu colour.
    m_manager.m_bSysDisabledLook = true;
    Action(ID_EDIT_CUT)->setEnabled(false);
    Open(m_pEdit);
    const QImage shot = m_pEdit->grab().toImage();
    QStyleOptionMenuItem option;
    option.palette = TestPalette();
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    QImage expected(m_manager.Images().at(6).size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(colours.menu);
    QPainter(&expected).drawPixmap(
        0, 0,
        fusion->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(m_manager.Images().at(6)),
                                    &option));
    const QPoint at = Square(m_pEdit, ID_EDIT_CUT).topLeft() + QPoint(2, 2);
    EXPECT_EQ(shot.copy(QRect(at, expected.size())).convertToFormat(expected.format()), expected);
    Close(m_pEdit);
}

TEST_F(CoolMenuTest, MenuCharacterSelectsOrRuns)
{
    QMenu* file = AddMenu("&File", {});
    QAction* save = file->addAction("&Save");
    QAction* send = file->addAction("&send");
    QAction* exit = file->addAction("E&xit");
    m_manager.Watch(file);
    QSignalSpy triggered(exit, &QAction::triggered);
    Open(file);
    QTest::keyClick(file, Qt::Key_S);
    EXPECT_EQ(file->activeAction(), save);
    QTest::keyClick(file, Qt::Key_S);
    EXPECT_EQ(file->activeAction(), send);
    QTest::keyClick(file, Qt::Key_S);
    EXPECT_EQ(file->activeAction(), save);
    EXPECT_TRUE(file->isVisible());
    QTest::keyClick(file, Qt::Key_X);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_FALSE(file->isVisible());
    EXPECT_FALSE(m_manager.IsConverted(file));
}

TEST_F(CoolMenuTest, PaletteChangeReloadsTheImages)
{
    const qint64 before = m_manager.Images().at(0).cacheKey();
    m_frame.setPalette(TestPalette());
    ASSERT_EQ(m_manager.Images().size(), 30);
    EXPECT_NE(m_manager.Images().at(0).cacheKey(), before);
    EXPECT_EQ(m_manager.ImageMap().ImageIndex(32844), 29);
    EXPECT_EQ(
        m_manager.Images().at(7),
        QImage(":/velmora/toolbar/copy.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST_F(CoolMenuTest, MainFrameDrawsItsOwnMenus)
{
    CMainFrame frame;
    CCommandLineInfo info;
    info.m_bShowSplash = false;
    ASSERT_TRUE(frame.OnCreate(info));
    QMenu* edit = nullptr;
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == "&Edit") {
            edit = action->menu();
        }
    }
    ASSERT_TRUE(edit);
    EXPECT_TRUE(qobject_cast<CMenuStyle*>(edit->style()));
    Open(edit);
    const QAction* copy = frame.GetCommandManager().Action(ID_EDIT_COPY);
    EXPECT_EQ(copy->text(), "&Copy\tCtrl+Insert, Ctrl+C");
    Close(edit);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
