// The menu rules without widgets: image indices over several toolbars, the key names
// after a command, the menu character, the item's parts, and chained event hooks.
#include "CoolMenuRules.h"
#include "SubclassWnd.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(CoolMenuImageMap, RunningIndexSkipsSeparatorsAndIdsAlreadyMapped)
{
    CCommandImageMap map;
    const int first[] = {10, 0, 11, 12};
    const int second[] = {20, 11, 0, 21, 10, 22};
    EXPECT_EQ(map.AddToolbar(first, QSize(16, 15)), (QList<int>{10, 11, 12}));
    EXPECT_EQ(map.AddToolbar(second, QSize(16, 15)), (QList<int>{20, 21, 22}));
    const std::vector<std::pair<int, int>> expected = {{10, 0}, {11, 1}, {12, 2}, {20, 3},
                                                       {21, 4}, {22, 5}, {0, -1}, {99, -1}};
    for (const auto& [id, index] : expected) {
        EXPECT_EQ(map.ImageIndex(id), index) << id;
    }
    EXPECT_EQ(map.ImageCount(), 6);
    EXPECT_EQ(map.ButtonSize(), QSize(20, 19));
}

TEST(CoolMenuImageMap, SecondImageSizeIsRefusedUntilCleared)
{
    CCommandImageMap map;
    EXPECT_EQ(map.ButtonSize(), QSize(4, 4));
    const int ids[] = {1, 2};
    const int others[] = {3};
    ASSERT_TRUE(map.AddToolbar(ids, QSize(16, 15)));
    EXPECT_FALSE(map.AddToolbar(others, QSize(32, 32)));
    EXPECT_EQ(map.ImageIndex(3), -1);
    EXPECT_EQ(map.ImageCount(), 2);
    map.Clear();
    EXPECT_EQ(map.ImageIndex(1), -1);
    ASSERT_TRUE(map.AddToolbar(others, QSize(32, 32)));
    EXPECT_EQ(map.ImageIndex(3), 0);
    EXPECT_EQ(map.ButtonSize(), QSize(36, 36));
}

TEST(CoolMenuAccelerators, NamesRunFromTheLastEntryBackToTheFirst)
{
    constexpr int kCopy = 57634;
    constexpr int kUndo = 57643;
    CAcceleratorTable table;
    table.Add(kCopy, Qt::CTRL | Qt::Key_C);
    table.Add(kUndo, Qt::CTRL | Qt::Key_Z);
    table.Add(kCopy, Qt::CTRL | Qt::Key_Insert);
    table.Add(kUndo, Qt::ALT | Qt::Key_Backspace);
    table.Add(kUndo, Qt::ALT | Qt::CTRL | Qt::SHIFT | Qt::Key_F5);
    EXPECT_EQ(table.KeyNames(kCopy), "\tCtrl+Insert, Ctrl+C");
    EXPECT_EQ(table.WithKeyNames("&Copy\tCtrl+C", kCopy), "&Copy\tCtrl+Insert, Ctrl+C");
    EXPECT_EQ(table.WithKeyNames("&Undo", kUndo),
              "&Undo\tAlt+Ctrl+Shift+F5, Alt+Backspace, Ctrl+Z");
    // A command without keys loses whatever followed its tab.
    EXPECT_EQ(table.WithKeyNames("&New\tCtrl+N", 32794), "&New");
    table.Clear();
    EXPECT_EQ(table.KeyNames(kCopy), "");
}

TEST(CoolMenuAccelerators, KeyNames)
{
    const std::vector<std::pair<QKeyCombination, QString>> cases = {
        {Qt::SHIFT | Qt::Key_Delete, "Shift+Delete"},
        {Qt::CTRL | Qt::Key_Pause, "Ctrl+Break"},
        {QKeyCombination(Qt::Key_Escape), "Esc"},
        {QKeyCombination(Qt::Key_F12), "F12"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_1, "Ctrl+Shift+1"},
        {Qt::ALT | Qt::Key_M, "Alt+M"},
        {QKeyCombination(Qt::Key_PageDown), "Page Down"},
        {QKeyCombination(Qt::Key_Eacute), QString(QChar(0xC9))},
    };
    for (const auto& [key, name] : cases) {
        EXPECT_EQ(AcceleratorName(key), name);
    }
}

TEST(CoolMenuMenuChar, OneMatchRunsSeveralCycleNoneIsLeftAlone)
{
    const QStringList texts = {"&Save", "Save &As", "&send", "E&xit", "A&&B", "Close"};
    const auto select = [](int item) { return MenuCharAction{MenuCharAction::Select, item}; };
    const std::vector<std::tuple<QChar, int, MenuCharAction>> cases = {
        {'s', -1, select(0)},
        {'S', 0, select(2)},
        {'s', 1, select(2)},
        {'s', 2, select(0)}, // wraps to the first
        {'x', 0, {MenuCharAction::Execute, 3}},
        {'X', -1, {MenuCharAction::Execute, 3}},
        {'a', -1, {MenuCharAction::Execute, 1}},
        {'b', -1, {}}, // "&&" marks no character
        {'c', -1, {}},
    };
    for (const auto& [ch, current, expected] : cases) {
        const MenuCharAction result = MenuChar(texts, ch, current);
        EXPECT_EQ(result.kind, expected.kind) << ch.toLatin1() << current;
        EXPECT_EQ(result.item, expected.item) << ch.toLatin1() << current;
    }
    EXPECT_TRUE(HasMenuChar("&&&x", 'x'));
    EXPECT_FALSE(HasMenuChar("x&", 'x'));
}

TEST(CoolMenuLayout, ButtonTextAndBackground)
{
    const QRect item(5, 40, 200, 23);
    const MenuItemLayout layout = MenuItemLayout::ForItem(item, QSize(20, 19));
    EXPECT_EQ(layout.button, QRect(5, 42, 20, 19));
    EXPECT_EQ(layout.text.left(), 5 + 20 + 3);
    EXPECT_EQ(layout.text.right() + 1, 205 - 20);
    EXPECT_EQ(layout.text.top(), 40);
    EXPECT_EQ(layout.text.height(), 23);
    EXPECT_EQ(layout.Background(false), item);
    EXPECT_EQ(layout.Background(true), QRect(26, 40, 179, 23));

    EXPECT_EQ(MeasureMenuItem(true, QSize(80, 17), QSize(20, 19), 23), QSize(0, 11));
    EXPECT_EQ(MeasureMenuItem(false, QSize(80, 17), QSize(20, 19), 23), QSize(126, 23));
    EXPECT_EQ(MeasureMenuItem(false, QSize(80, 30), QSize(20, 19), 23), QSize(126, 30));
    EXPECT_EQ(TextBeforeTab("a\tb\tc"), "a");
    EXPECT_EQ(TextAfterTab("a\tb\tc"), "b\tc");
    EXPECT_EQ(TextAfterTab("abc"), "");
}

// ---------------------------------------------------------------- CSubclassWnd

using Log = std::vector<std::string>;

// An object that notes the user events reaching its own handling.
class Target : public QObject
{
public:
    explicit Target(Log& log) : m_log(log) {}
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            m_log.push_back("object");
        }
        return QObject::event(e);
    }

private:
    Log& m_log;
};

class Hook : public CSubclassWnd
{
public:
    Hook(std::string name, Log& log, bool eat = false)
        : m_name(std::move(name)), m_log(log), m_bEat(eat)
    {
    }

protected:
    bool WindowProc(QEvent* event) override
    {
        if (event->type() != QEvent::User) {
            return Default(event);
        }
        m_log.push_back(m_name);
        return m_bEat || Default(event);
    }

private:
    std::string m_name;
    Log& m_log;
    bool m_bEat;
};

void SendUser(QObject* target)
{
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(target, &event);
}

TEST(CoolMenuSubclassWnd, LaterHooksRunFirstAndPassOnToTheObject)
{
    Log log;
    Target target(log);
    Hook first("first", log);
    Hook second("second", log);
    first.HookWindow(&target);
    second.HookWindow(&target);
    EXPECT_EQ(CSubclassWnd::HookCount(&target), 2);
    SendUser(&target);
    EXPECT_EQ(log, (Log{"second", "first", "object"}));

    log.clear();
    second.HookWindow(nullptr);
    SendUser(&target);
    EXPECT_EQ(log, (Log{"first", "object"}));

    // The last hook gone, the object handles its events alone.
    log.clear();
    first.HookWindow(nullptr);
    EXPECT_EQ(CSubclassWnd::HookCount(&target), 0);
    SendUser(&target);
    EXPECT_EQ(log, (Log{"object"}));
}

TEST(CoolMenuSubclassWnd, EatingStopsTheChainAndDestructionUnhooks)
{
    Log log;
    Target target(log);
    Hook inner("inner", log);
    inner.HookWindow(&target);
    {
        Hook middle("middle", log, true);
        Hook outer("outer", log);
        middle.HookWindow(&target);
        outer.HookWindow(&target);
        SendUser(&target);
        EXPECT_EQ(log, (Log{"outer", "middle"}));
    }
    log.clear();
    SendUser(&target);
    EXPECT_EQ(log, (Log{"inner", "object"}));

    // The object goes first: its hooks are left unhooked, and can hook again.
    Target other(log);
    {
        auto doomed = std::make_unique<Target>(log);
        inner.HookWindow(doomed.get());
    }
    EXPECT_FALSE(inner.IsHooked());
    inner.HookWindow(&other);
    log.clear();
    SendUser(&other);
    EXPECT_EQ(log, (Log{"inner", "object"}));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
