#include "CommandTable.h"

#include "CommandIds.h"

#include <algorithm>

using namespace Cmd;

namespace {

#define ICON(name) ":/velmora/toolbar/" name ".png"

const CommandInfo kCommands[] = {
    // File
    {ID_FILE_NEW, "&New\tCtrl+N", "Create a new source file\nNew", "Ctrl+N", nullptr, false},
    {ID_FILE_NEW_SOURCE, "&New\tCtrl+N", "Create a new source file\nNew", nullptr, ICON("new"),
     false},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document\nOpen", "Ctrl+O", ICON("open"),
     false},
    {ID_FILE_CLOSE, "&Close", "Close the active document\nClose", nullptr, nullptr, false},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document\nSave", "Ctrl+S", ICON("save"),
     false},
    {ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As", nullptr,
     nullptr, false},
    {ID_FILE_SAVE_ALL, "Save Al&l", "Save all modified documents\nSave All", nullptr,
     ICON("saveall"), false},
    {ID_FILE_TRANSFER, "Transfer file...", "Transfers a file from your computer\nTransfer File",
     nullptr, ICON("transferfile"), false},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document\nPrint", "Ctrl+P",
     ICON("print"), false},
    {ID_FILE_MRU_FILE1 + 0, "", "Open this document", nullptr, nullptr, false},
    {ID_FILE_MRU_FILE1 + 1, "", "Open this document", nullptr, nullptr, false},
    {ID_FILE_MRU_FILE1 + 2, "", "Open this document", nullptr, nullptr, false},
    {ID_FILE_MRU_FILE1 + 3, "", "Open this document", nullptr, nullptr, false},
    {ID_FILE_MRU_FILE1 + 4, "", "Open this document", nullptr, nullptr, false},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit", nullptr,
     nullptr, false},

    // Edit
    {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action\nUndo", "Ctrl+Z;Alt+Backspace", nullptr,
     false},
    {ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the last undone action\nRedo", "Ctrl+Y;Ctrl+Shift+Z",
     nullptr, false},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut",
     "Ctrl+X;Shift+Del", ICON("cut"), false},
    {ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy",
     "Ctrl+C;Ctrl+Ins", ICON("copy"), false},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", "Ctrl+V;Shift+Ins",
     ICON("paste"), false},
    {ID_EDIT_SELECT_ALL, "Select A&ll", "Select the whole text\nSelect All", nullptr, nullptr,
     false},
    {ID_EDIT_FIND, "&Find...\tCtrl+F", "Find the specified text\nFind", "Ctrl+F", nullptr, false},
    {ID_EDIT_REPEAT, "Find &Next\tF3", "Repeat the last find\nFind Next", "F3", nullptr, false},
    {ID_EDIT_REPLACE, "R&eplace...\tCtrl+R", "Replace specific text with different text\nReplace",
     "Ctrl+R", nullptr, false},
    {ID_EDIT_GOTO_LINE, "&Go to Line...\tCtrl+G", "Move to a line by its number\nGo to Line",
     "Ctrl+G", nullptr, false},
    {ID_EDIT_GOTO_MATCH, "Go to &Matching Word\tCtrl+]",
     "Move to the partner of the paired word at the caret\nGo to Matching Word", "Ctrl+]", nullptr,
     false},
    {ID_TEMPLATE_1 + 0, "(none)\tCtrl+Shift+1", "Inserts template #1\nTemplate #1", "Ctrl+Shift+1",
     nullptr, false},
    {ID_TEMPLATE_1 + 1, "(none)\tCtrl+Shift+2", "Inserts template #2\nTemplate #2", "Ctrl+Shift+2",
     nullptr, false},
    {ID_TEMPLATE_1 + 2, "(none)\tCtrl+Shift+3", "Inserts template #3\nTemplate #3", "Ctrl+Shift+3",
     nullptr, false},
    {ID_TEMPLATE_1 + 3, "(none)\tCtrl+Shift+4", "Inserts template #4\nTemplate #4", "Ctrl+Shift+4",
     nullptr, false},
    {ID_TEMPLATE_1 + 4, "(none)\tCtrl+Shift+5", "Inserts template #5\nTemplate #5", "Ctrl+Shift+5",
     nullptr, false},
    {ID_TEMPLATE_EDIT, "Edit...", "Edit the template list\nEdit Templates", nullptr, nullptr,
     false},

    // View
    {ID_VIEW_MAIN_TOOLBAR, "&Main", "Show or hide the main toolbar\nToggle Main Toolbar", nullptr,
     nullptr, true},
    {ID_VIEW_PROJECT_TOOLBAR, "&Project",
     "Show or hide the project toolbar\nToggle Project Toolbar", nullptr, nullptr, true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", nullptr,
     nullptr, true},
    {ID_VIEW_MESSAGES, "&Messages\tAlt+M", "Show or hide the build messages\nToggle Messages",
     "Alt+M", nullptr, true},
    {ID_VIEW_NEXT_ERROR, "Ne&xt Error\tF4",
     "Open the source line of the next error message\nNext Error", "F4", nullptr, false},
    {ID_VIEW_PREV_ERROR, "Pre&vious Error\tShift+F4",
     "Open the source line of the previous error message\nPrevious Error", "Shift+F4", nullptr,
     false},
    {ID_VIEW_OPTIONS, "&Options...", "View/edit program options\nProgram Options", nullptr, nullptr,
     false},

    // Project
    {ID_PROJECT_NEW, "&New Project...", "Create a new project\nNew Project", nullptr,
     ICON("newproject"), false},
    {ID_PROJECT_OPEN, "&Open Project...", "Open an existing project\nOpen Project", nullptr,
     ICON("openproject"), false},
    {ID_PROJECT_SAVE, "&Save Project", "Save the open project\nSave Project", nullptr,
     ICON("saveproject"), false},
    {ID_PROJECT_CLOSE, "&Close Project", "Close the open project and its files\nClose Project",
     nullptr, ICON("closeproject"), false},
    {ID_PROJECT_ADD_CURRENT, "&Add Current File to Project",
     "Adds the currently active source file to the project\nAdd File to Project", nullptr,
     ICON("addcurrent"), false},
    {ID_PROJECT_ADD_FILES, "&Add Files to Project...\tCtrl+A",
     "Add source files to the project\nAdd Files to Project", "Ctrl+A", ICON("addfiles"), false},
    {ID_PROJECT_REMOVE_FILES, "&Remove from Project\tDel",
     "Remove the selected files from the project; the files stay on disk\nRemove from Project",
     nullptr, nullptr, false},
    {ID_PROJECT_FILE_VISIBLE, "File Visible?", "Toggle file visibility\nToggle File Visibility",
     nullptr, ICON("visible"), true},
    {ID_PROJECT_FILE_COMPILE, "Compile This File?", "Toggle file compilation\nToggle Compilation",
     nullptr, ICON("compilethis"), true},
    {ID_PROJECT_FILE_PROPERTIES, "&Edit File Properties...\tCtrl+E",
     "Edit the properties of the selected file\nEdit File Properties", "Ctrl+E", ICON("properties"),
     false},
    {ID_PROJECT_MOVE_UP, "Move Files &Up\tCtrl+U",
     "Move the selected files up in the project\nMove Files Up", "Ctrl+U", ICON("moveup"), false},
    {ID_PROJECT_MOVE_DOWN, "Move Files &Down\tCtrl+D",
     "Move the selected files down in the project\nMove Files Down", "Ctrl+D", ICON("movedown"),
     false},
    {ID_PROJECT_SETTINGS, "&Project Settings...",
     "Edit the project type and its configurations\nProject Settings", nullptr, ICON("settings"),
     false},
    {ID_PROJECT_CONFIG, "Configuration",
     "Set the current project configuration\nSet Current Config", nullptr, nullptr, false},

    // Build
    {ID_BUILD_COMPILE, "Compile\tF7", "Compile the current source file\nCompile Current File (F7)",
     "F7", ICON("compile"), false},
    {ID_BUILD_TRANSFER, "Transfer\tCtrl+F7",
     "Transfer the current source files's binary executable to the HP48\n"
     "Transfer Current File (Ctrl+F7)",
     "Ctrl+F7", ICON("transfer"), false},
    {ID_BUILD_SIMULATE, "Simulate\tAlt+F7", "Simulate the file in EMU48\nSimulate File (Alt+F7)",
     "Alt+F7", ICON("simulate"), false},
    {ID_BUILD_PROJECT, "&Build Project\tF5", "Build the whole project\nBuild Project (F5)", "F5",
     ICON("build"), false},
    {ID_BUILD_TRANSFER_PROJECT, "&Transfer Project\tCtrl+F5",
     "Transfer the built project to the HP48\nTransfer Project (Ctrl+F5)", "Ctrl+F5",
     ICON("transferproject"), false},
    {ID_BUILD_SIMULATE_PROJECT, "Simulate Project\tAlt+F5",
     "Load the built project into EMU48\nSimulate Project (Alt+F5)", "Alt+F5",
     ICON("simulateproject"), false},
    {ID_BUILD_CANCEL, "Cancel Build\tCtrl+Break", "Stop the running build\nCancel Build",
     "Ctrl+Pause", nullptr, false},

    // Window
    {ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows", nullptr,
     nullptr, false},
    {ID_WINDOW_TILE, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", nullptr,
     nullptr, false},
    {ID_WINDOW_ARRANGE, "&Arrange Icons",
     "Arrange icons at the bottom of the window\nArrange "
     "Icons",
     nullptr, nullptr, false},
    {ID_NEXT_PANE, "Next Pane\tF6", "Switch to the next window pane\nNext Pane", "F6", nullptr,
     false},
    {ID_PREV_PANE, "Previous Pane\tShift+F6",
     "Switch back to the previous window pane\nPrevious Pane", "Shift+F6", nullptr, false},

    // Help
    {ID_HELP, "&Help Topics\tF1", "Open the Velmora user guide\nHelp Topics", "F1", nullptr, false},
    {ID_CONTEXT_HELP, "What's &This?\tShift+F1",
     "Display help for clicked on buttons, menus and windows\nHelp", "Shift+F1",
     ICON("contexthelp"), false},
    {ID_HELP_TIP, "Tip of the Day...", "Display a tip of the day\nTip of the Day", nullptr, nullptr,
     false},
    {ID_HELP_EXAMPLE_1 + 0, "&Library Project",
     "Open the example library project (a copy in the default project folder)\nLibrary Example",
     nullptr, nullptr, false},
    {ID_HELP_EXAMPLE_1 + 1, "&Directory Project",
     "Open the example directory project (a copy in the default project folder)\nDirectory "
     "Example",
     nullptr, nullptr, false},
    {ID_HELP_EXAMPLE_1 + 2, "&Individual Files Project",
     "Open the example project of individual files (a copy in the default project "
     "folder)\nIndividual Files Example",
     nullptr, nullptr, false},
    {ID_APP_ABOUT, "&About Velmora...",
     "Display program information, version number and copyright\nAbout", nullptr, ICON("about"),
     false},
};

#undef ICON

constexpr MenuEntry Popup(const char* text, const char* prompt = "")
{
    return {MenuKind::Submenu, 0, text, prompt};
}
constexpr MenuEntry End()
{
    return {MenuKind::EndSubmenu, 0, nullptr, nullptr};
}
constexpr MenuEntry Item(int id)
{
    return {MenuKind::Command, id, nullptr, nullptr};
}
constexpr MenuEntry Sep()
{
    return {MenuKind::Separator, 0, nullptr, nullptr};
}

const MenuEntry kMainMenu[] = {
    Popup("&File"),
    Item(ID_FILE_NEW_SOURCE),
    Item(ID_FILE_OPEN),
    Item(ID_FILE_CLOSE),
    Item(ID_FILE_SAVE),
    Item(ID_FILE_SAVE_AS),
    Item(ID_FILE_SAVE_ALL),
    Sep(),
    Item(ID_FILE_TRANSFER),
    Sep(),
    Item(ID_FILE_PRINT),
    Sep(),
    {MenuKind::RecentFiles, ID_FILE_MRU_FILE1, nullptr, nullptr},
    Item(ID_APP_EXIT),
    End(),

    Popup("&Edit"),
    Item(ID_EDIT_UNDO),
    Item(ID_EDIT_REDO),
    Sep(),
    Item(ID_EDIT_CUT),
    Item(ID_EDIT_COPY),
    Item(ID_EDIT_PASTE),
    Item(ID_EDIT_SELECT_ALL),
    Sep(),
    Item(ID_EDIT_FIND),
    Item(ID_EDIT_REPEAT),
    Item(ID_EDIT_REPLACE),
    Item(ID_EDIT_GOTO_LINE),
    Item(ID_EDIT_GOTO_MATCH),
    Sep(),
    Popup("Templates", "Insert a pre-written template\nTemplates"),
    Item(ID_TEMPLATE_1 + 0),
    Item(ID_TEMPLATE_1 + 1),
    Item(ID_TEMPLATE_1 + 2),
    Item(ID_TEMPLATE_1 + 3),
    Item(ID_TEMPLATE_1 + 4),
    Sep(),
    Item(ID_TEMPLATE_EDIT),
    End(),
    End(),

    Popup("&View"),
    Popup("Toolbars", "Show or hide the toolbars\nToolbars"),
    Item(ID_VIEW_MAIN_TOOLBAR),
    Item(ID_VIEW_PROJECT_TOOLBAR),
    End(),
    Item(ID_VIEW_STATUS_BAR),
    Item(ID_VIEW_MESSAGES),
    Item(ID_VIEW_NEXT_ERROR),
    Item(ID_VIEW_PREV_ERROR),
    Sep(),
    Item(ID_VIEW_OPTIONS),
    End(),

    Popup("&Project"),
    Item(ID_PROJECT_NEW),
    Item(ID_PROJECT_OPEN),
    Item(ID_PROJECT_SAVE),
    Item(ID_PROJECT_CLOSE),
    Sep(),
    Item(ID_PROJECT_ADD_CURRENT),
    Item(ID_PROJECT_ADD_FILES),
    Item(ID_PROJECT_REMOVE_FILES),
    Sep(),
    Item(ID_PROJECT_FILE_VISIBLE),
    Item(ID_PROJECT_FILE_COMPILE),
    Item(ID_PROJECT_FILE_PROPERTIES),
    Item(ID_PROJECT_MOVE_UP),
    Item(ID_PROJECT_MOVE_DOWN),
    Sep(),
    Item(ID_PROJECT_SETTINGS),
    End(),

    Popup("&Build"),
    Item(ID_BUILD_COMPILE),
    Item(ID_BUILD_TRANSFER),
    Item(ID_BUILD_SIMULATE),
    Sep(),
    Item(ID_BUILD_PROJECT),
    Item(ID_BUILD_TRANSFER_PROJECT),
    Item(ID_BUILD_SIMULATE_PROJECT),
    Sep(),
    Item(ID_BUILD_CANCEL),
    End(),

    Popup("&Window"),
    Item(ID_WINDOW_CASCADE),
    Item(ID_WINDOW_TILE),
    Item(ID_WINDOW_ARRANGE),
    Sep(),
    Item(ID_NEXT_PANE),
    Item(ID_PREV_PANE),
    {MenuKind::WindowList, 0, nullptr, nullptr},
    End(),

    Popup("&Help"),
    Item(ID_HELP),
    Item(ID_CONTEXT_HELP),
    Item(ID_HELP_TIP),
    Popup("&Examples", "Open an example project\nExamples"),
    Item(ID_HELP_EXAMPLE_1 + 0),
    Item(ID_HELP_EXAMPLE_1 + 1),
    Item(ID_HELP_EXAMPLE_1 + 2),
    End(),
    Sep(),
    Item(ID_APP_ABOUT),
    End(),
};

const int kMainToolbar[] = {
    ID_FILE_NEW_SOURCE,
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
    ID_CONTEXT_HELP,
};

const int kProjectToolbar[] = {
    ID_PROJECT_NEW,
    ID_PROJECT_OPEN,
    ID_PROJECT_SAVE,
    ID_PROJECT_CLOSE,
    0,
    ID_PROJECT_ADD_CURRENT,
    ID_PROJECT_ADD_FILES,
    ID_PROJECT_FILE_VISIBLE,
    ID_PROJECT_FILE_COMPILE,
    0,
    ID_PROJECT_SETTINGS,
    ID_PROJECT_FILE_PROPERTIES,
    0,
    ID_PROJECT_MOVE_UP,
    ID_PROJECT_MOVE_DOWN,
    0,
    ID_BUILD_PROJECT,
    ID_BUILD_TRANSFER_PROJECT,
    ID_BUILD_SIMULATE_PROJECT,
    0,
    ID_PROJECT_CONFIG,
};

} // namespace

std::span<const CommandInfo> CommandTable()
{
    return kCommands;
}

const CommandInfo* FindCommand(int id)
{
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CommandInfo& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::span<const MenuEntry> MainMenuLayout()
{
    return kMainMenu;
}

std::span<const int> MainToolbarLayout()
{
    return kMainToolbar;
}

std::span<const int> ProjectToolbarLayout()
{
    return kProjectToolbar;
}
