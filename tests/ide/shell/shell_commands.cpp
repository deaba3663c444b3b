// Commands: the route decides a command's state (update handler first, then any
// handler, else disabled), a disabled command is never carried out, menus update
// before they open, and the tables hold every command, key and button in order.
#include "CommandIds.h"
#include "CommandManager.h"
#include "CommandTable.h"
#include "ShellTestSupport.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QSet>
#include <QTest>

using namespace Cmd;

namespace {

class CommandRouteTest : public ShellTest
{
protected:
    CommandRouteTest() : m_manager(&m_owner)
    {
        m_manager.SetRoute([this] { return QList<CCmdTarget*>{&m_view, &m_document, &m_frame}; });
    }
    QWidget m_owner;
    CCommandManager m_manager;
    CCmdTarget m_view, m_document, m_frame;
};

TEST_F(CommandRouteTest, CommandWithoutHandlerIsDisabledAndNotCarriedOut)
{
    m_manager.UpdateAll();
    EXPECT_FALSE(m_manager.Action(ID_BUILD_PROJECT)->isEnabled());
    EXPECT_FALSE(m_manager.Execute(ID_BUILD_PROJECT));
    // Triggering the action directly changes nothing either.
    m_manager.Action(ID_BUILD_PROJECT)->trigger();
}

TEST_F(CommandRouteTest, FirstHandlerAlongTheRouteRuns)
{
    QStringList ran;
    m_frame.Commands().On(ID_FILE_SAVE, [&] { ran << "frame"; });
    m_document.Commands().On(ID_FILE_SAVE, [&] { ran << "document"; });
    EXPECT_TRUE(m_manager.Execute(ID_FILE_SAVE));
    m_view.Commands().On(ID_FILE_SAVE, [&] { ran << "view"; });
    EXPECT_TRUE(m_manager.Execute(ID_FILE_SAVE));
    EXPECT_EQ(ran, QStringList({"document", "view"}));
}

TEST_F(CommandRouteTest, EarlierUpdateHandlerDisablesALaterHandler)
{
    int runs = 0;
    m_frame.Commands().On(ID_FILE_CLOSE, [&] { ++runs; });
    m_view.Commands().OnUpdate(ID_FILE_CLOSE, [](CCmdUI& ui) { ui.Enable(false); });
    EXPECT_FALSE(m_manager.Execute(ID_FILE_CLOSE));
    EXPECT_EQ(runs, 0);
    m_view.Commands().Remove(ID_FILE_CLOSE);
    EXPECT_TRUE(m_manager.Execute(ID_FILE_CLOSE));
    EXPECT_EQ(runs, 1);
}

TEST_F(CommandRouteTest, UpdateHandlerChecksAndRenames)
{
    bool on = true;
    m_frame.Commands().On(
        ID_VIEW_STATUS_BAR, [&] { on = !on; }, [&](CCmdUI& ui) { ui.SetCheck(on); });
    m_document.Commands().OnUpdate(
        ID_BUILD_COMPILE, [](CCmdUI& ui) { ui.SetText(QStringLiteral("Compile PROG.gx\tF7")); });
    m_manager.UpdateAll();
    EXPECT_TRUE(m_manager.Action(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_EQ(m_manager.Action(ID_BUILD_COMPILE)->text(), "Compile PROG.gx\tF7");
    m_manager.Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(on);
    EXPECT_FALSE(m_manager.Action(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(CommandRouteTest, StateIsCheckedAgainWhenTheCommandRuns)
{
    // The action still looks enabled from the last update, but the state changed since.
    bool allowed = true;
    int runs = 0;
    m_frame.Commands().On(
        ID_FILE_PRINT, [&] { ++runs; }, [&](CCmdUI& ui) { ui.Enable(allowed); });
    m_manager.UpdateAll();
    allowed = false;
    m_manager.Action(ID_FILE_PRINT)->trigger();
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(m_manager.Action(ID_FILE_PRINT)->isEnabled());
}

TEST_F(CommandRouteTest, MenuUpdatesBeforeItOpens)
{
    bool allowed = false;
    m_frame.Commands().On(
        ID_FILE_SAVE, [] {}, [&](CCmdUI& ui) { ui.Enable(allowed); });
    QMenu menu;
    menu.addAction(m_manager.Action(ID_FILE_SAVE));
    m_manager.WatchMenu(&menu);
    m_manager.UpdateAll();
    allowed = true;
    emit menu.aboutToShow();
    EXPECT_TRUE(m_manager.Action(ID_FILE_SAVE)->isEnabled());
}

TEST_F(CommandRouteTest, ShortcutMeetsTheCurrentState)
{
    // The state changes after the last update pass; the key still sees the new state.
    bool allowed = false;
    int runs = 0;
    m_frame.Commands().On(
        ID_BUILD_PROJECT, [&] { ++runs; }, [&](CCmdUI& ui) { ui.Enable(allowed); });
    m_owner.show();
    m_owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_owner));
    m_manager.UpdateAll();
    allowed = true;
    QTest::keyClick(&m_owner, Qt::Key_F5);
    EXPECT_EQ(runs, 1);
    allowed = false;
    QTest::keyClick(&m_owner, Qt::Key_F5);
    EXPECT_EQ(runs, 1);
}

TEST(CommandTable, IdsAreUniqueAndPromptsHaveHelpAndTooltip)
{
    QSet<int> ids;
    for (const CommandInfo& info : CommandTable()) {
        EXPECT_FALSE(ids.contains(info.id)) << info.id;
        ids.insert(info.id);
        const QString prompt = QString::fromUtf8(info.prompt);
        if (info.id < ID_FILE_MRU_FILE1 || info.id >= ID_FILE_MRU_FILE1 + ID_FILE_MRU_COUNT) {
            EXPECT_TRUE(prompt.contains('\n')) << info.id;
        }
    }
}

TEST(CommandTable, EveryCommandIsOnTheMenuBarOrAKey)
{
    QSet<int> onMenu;
    for (const MenuEntry& entry : MainMenuLayout()) {
        if (entry.kind == MenuKind::Command) {
            onMenu.insert(entry.id);
        } else if (entry.kind == MenuKind::RecentFiles) {
            for (int i = 0; i < ID_FILE_MRU_COUNT; ++i) {
                onMenu.insert(ID_FILE_MRU_FILE1 + i);
            }
        }
    }
    for (const CommandInfo& info : CommandTable()) {
        if (info.id == ID_PROJECT_CONFIG) {
            continue; // the configuration box on the Project toolbar
        }
        EXPECT_TRUE(onMenu.contains(info.id) || info.keys) << info.id;
    }
}

TEST(CommandTable, AcceleratorsWithTheirSecondKeys)
{
    const std::pair<const char*, int> keys[] = {
        {"Ctrl+Shift+1", ID_TEMPLATE_1},
        {"Ctrl+Shift+5", ID_TEMPLATE_1 + 4},
        {"Ctrl+A", ID_PROJECT_ADD_FILES},
        {"Ctrl+C", ID_EDIT_COPY},
        {"Ctrl+Ins", ID_EDIT_COPY},
        {"Ctrl+X", ID_EDIT_CUT},
        {"Shift+Del", ID_EDIT_CUT},
        {"Ctrl+V", ID_EDIT_PASTE},
        {"Shift+Ins", ID_EDIT_PASTE},
        {"Ctrl+Z", ID_EDIT_UNDO},
        {"Alt+Backspace", ID_EDIT_UNDO},
        {"Ctrl+Y", ID_EDIT_REDO},
        {"Ctrl+Shift+Z", ID_EDIT_REDO},
        {"Ctrl+D", ID_PROJECT_MOVE_DOWN},
        {"Ctrl+U", ID_PROJECT_MOVE_UP},
        {"Ctrl+E", ID_PROJECT_FILE_PROPERTIES},
        {"Ctrl+F", ID_EDIT_FIND},
        {"F3", ID_EDIT_REPEAT},
        {"Ctrl+R", ID_EDIT_REPLACE},
        {"Ctrl+N", ID_FILE_NEW},
        {"Ctrl+O", ID_FILE_OPEN},
        {"Ctrl+P", ID_FILE_PRINT},
        {"Ctrl+S", ID_FILE_SAVE},
        {"Alt+M", ID_VIEW_MESSAGES},
        {"Ctrl+Pause", ID_BUILD_CANCEL},
        {"F1", ID_HELP},
        {"Shift+F1", ID_CONTEXT_HELP},
        {"F5", ID_BUILD_PROJECT},
        {"Ctrl+F5", ID_BUILD_TRANSFER_PROJECT},
        {"Alt+F5", ID_BUILD_SIMULATE_PROJECT},
        {"F6", ID_NEXT_PANE},
        {"Shift+F6", ID_PREV_PANE},
        {"F7", ID_BUILD_COMPILE},
        {"Ctrl+F7", ID_BUILD_TRANSFER},
        {"Alt+F7", ID_BUILD_SIMULATE},
        {"Ctrl+G", ID_EDIT_GOTO_LINE},
        {"Ctrl+]", ID_EDIT_GOTO_MATCH},
        {"F4", ID_VIEW_NEXT_ERROR},
        {"Shift+F4", ID_VIEW_PREV_ERROR},
    };
    QWidget owner;
    CCommandManager manager(&owner);
    QHash<QKeySequence, int> bound;
    for (QAction* action : manager.Actions()) {
        for (const QKeySequence& key : action->shortcuts()) {
            EXPECT_FALSE(bound.contains(key)) << key.toString().toStdString();
            bound.insert(key, action->data().toInt());
        }
    }
    for (const auto& [key, id] : keys) {
        EXPECT_EQ(bound.value(QKeySequence(QString::fromLatin1(key))), id) << key;
    }
    EXPECT_EQ(bound.size(), int(std::size(keys)) + 3); // Ctrl+Shift+2 to 4
    // Escape toggles the messages only when no window part takes it (the frame's own
    // key handling), so it is no command key: a popup or a dialog keeps it.
    EXPECT_FALSE(bound.contains(QKeySequence(Qt::Key_Escape)));
}

TEST(CommandTable, MenuTextsAndPromptsAsTheUserSeesThem)
{
    // The text before a tab is the item's own; what follows it names the keys.
    const std::pair<int, const char*> texts[] = {
        {ID_FILE_NEW_SOURCE, "&New"},
        {ID_FILE_SAVE_AS, "Save &As..."},
        {ID_FILE_SAVE_ALL, "Save Al&l"},
        {ID_FILE_TRANSFER, "Transfer file..."},
        {ID_VIEW_STATUS_BAR, "&Status Bar"},
        {ID_VIEW_MAIN_TOOLBAR, "&Main"},
        {ID_VIEW_PROJECT_TOOLBAR, "&Project"},
        {ID_VIEW_MESSAGES, "&Messages"},
        {ID_VIEW_OPTIONS, "&Options..."},
        {ID_PROJECT_NEW, "&New Project..."},
        {ID_PROJECT_OPEN, "&Open Project..."},
        {ID_PROJECT_SAVE, "&Save Project"},
        {ID_PROJECT_CLOSE, "&Close Project"},
        {ID_PROJECT_ADD_CURRENT, "&Add Current File to Project"},
        {ID_PROJECT_ADD_FILES, "&Add Files to Project..."},
        {ID_PROJECT_FILE_VISIBLE, "File Visible?"},
        {ID_PROJECT_FILE_COMPILE, "Compile This File?"},
        {ID_PROJECT_SETTINGS, "&Project Settings..."},
        {ID_BUILD_COMPILE, "Compile"},
        {ID_BUILD_TRANSFER, "Transfer"},
        {ID_BUILD_SIMULATE, "Simulate"},
        {ID_BUILD_PROJECT, "&Build Project"},
        {ID_BUILD_TRANSFER_PROJECT, "&Transfer Project"},
        {ID_BUILD_SIMULATE_PROJECT, "Simulate Project"},
        {ID_BUILD_CANCEL, "Cancel Build"},
        {ID_TEMPLATE_1, "(none)"},
        {ID_TEMPLATE_EDIT, "Edit..."},
        {ID_HELP_TIP, "Tip of the Day..."},
        {ID_APP_ABOUT, "&About Velmora..."},
    };
    for (const auto& [id, text] : texts) {
        const CommandInfo* info = FindCommand(id);
        ASSERT_NE(info, nullptr) << id;
        EXPECT_EQ(QString::fromUtf8(info->text).section('\t', 0, 0), QString::fromUtf8(text)) << id;
    }
    const std::pair<int, const char*> prompts[] = {
        {ID_VIEW_OPTIONS, "View/edit program options\nProgram Options"},
        {ID_FILE_TRANSFER, "Transfers a file from your computer\nTransfer File"},
        {ID_PROJECT_CONFIG, "Set the current project configuration\nSet Current Config"},
        {ID_TEMPLATE_EDIT, "Edit the template list\nEdit Templates"},
    };
    for (const auto& [id, prompt] : prompts) {
        EXPECT_STREQ(FindCommand(id)->prompt, prompt) << id;
    }
}

TEST(CommandTable, ToolbarButtonsInOrder)
{
    const std::vector<int> main = {ID_FILE_NEW_SOURCE,
                                   ID_FILE_OPEN,
                                   ID_FILE_SAVE,
                                   ID_FILE_SAVE_ALL,
                                   0,
                                   ID_FILE_TRANSFER,
                                   ID_FILE_PRINT,
                                   0,
                                   ID_EDIT_CUT,
                                   ID_EDIT_COPY,
                                   ID_EDIT_PASTE,
                                   0,
                                   ID_BUILD_COMPILE,
                                   ID_BUILD_TRANSFER,
                                   ID_BUILD_SIMULATE,
                                   0,
                                   ID_APP_ABOUT,
                                   ID_CONTEXT_HELP};
    const std::vector<int> project = {32785, 32786, 32787, 32781, 0,     32802, 32841,
                                      32813, 32814, 0,     32795, 32842, 0,     32831,
                                      32832, 0,     32800, 32801, 32855, 0,     32844};
    EXPECT_EQ(std::vector<int>(MainToolbarLayout().begin(), MainToolbarLayout().end()), main);
    EXPECT_EQ(std::vector<int>(ProjectToolbarLayout().begin(), ProjectToolbarLayout().end()),
              project);
    QWidget owner;
    CCommandManager manager(&owner);
    for (int id : main) {
        if (id) {
            EXPECT_FALSE(manager.Action(id)->icon().isNull()) << id;
        }
    }
}

} // namespace

SHELL_TEST_MAIN()
