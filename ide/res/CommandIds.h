// Every command of Velmora by its numeric id. Menus, toolbars, accelerators and the
// handlers of frames, documents and views all name commands through these constants.
// Ids below 0xE000 are Velmora's own; the others keep the classic framework numbers.
#pragma once

namespace Cmd {

// File
constexpr int ID_FILE_NEW = 57600; // the generic New (Ctrl+N)
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_MRU_FILE1 = 57616; // to ID_FILE_MRU_FILE1 + 4
constexpr int ID_FILE_MRU_COUNT = 5;
constexpr int ID_FILE_NEW_SOURCE = 32794; // "&New": a new source file
constexpr int ID_FILE_SAVE_ALL = 32822;
constexpr int ID_FILE_TRANSFER = 32838;
constexpr int ID_APP_EXIT = 57665;

// Edit
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_FIND = 57636;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_REPEAT = 57640;
constexpr int ID_EDIT_REPLACE = 57641;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_TEMPLATE_1 = 32847; // to ID_TEMPLATE_1 + 4
constexpr int ID_TEMPLATE_COUNT = 5;
constexpr int ID_TEMPLATE_EDIT = 32852;
constexpr int ID_EDIT_GOTO_LINE = 32880;
constexpr int ID_EDIT_GOTO_MATCH = 32881;

// View
constexpr int ID_VIEW_STATUS_BAR = 59393;
constexpr int ID_VIEW_MAIN_TOOLBAR = 32860;
constexpr int ID_VIEW_PROJECT_TOOLBAR = 32861;
constexpr int ID_VIEW_MESSAGES = 32805;
constexpr int ID_VIEW_OPTIONS = 32778;
constexpr int ID_VIEW_NEXT_ERROR = 32882;
constexpr int ID_VIEW_PREV_ERROR = 32883;

// Project
constexpr int ID_PROJECT_NEW = 32785;
constexpr int ID_PROJECT_OPEN = 32786;
constexpr int ID_PROJECT_SAVE = 32787;
constexpr int ID_PROJECT_CLOSE = 32781;
constexpr int ID_PROJECT_ADD_CURRENT = 32802;
constexpr int ID_PROJECT_ADD_FILES = 32841;
constexpr int ID_PROJECT_FILE_VISIBLE = 32813;
constexpr int ID_PROJECT_FILE_COMPILE = 32814;
constexpr int ID_PROJECT_FILE_PROPERTIES = 32842;
constexpr int ID_PROJECT_MOVE_UP = 32831;
constexpr int ID_PROJECT_MOVE_DOWN = 32832;
constexpr int ID_PROJECT_SETTINGS = 32795;
constexpr int ID_PROJECT_REMOVE_FILES = 32872; // the project window's Delete key
constexpr int ID_PROJECT_CONFIG = 32844;       // the configuration combo box

// Build
constexpr int ID_BUILD_COMPILE = 32771;
constexpr int ID_BUILD_TRANSFER = 32772;
constexpr int ID_BUILD_SIMULATE = 32845;
constexpr int ID_BUILD_PROJECT = 32800;
constexpr int ID_BUILD_TRANSFER_PROJECT = 32801;
constexpr int ID_BUILD_SIMULATE_PROJECT = 32855;
constexpr int ID_BUILD_CANCEL = 32839;

// Window
constexpr int ID_WINDOW_ARRANGE = 57649;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE = 57651;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

// Help
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_HELP_TIP = 32870;
// Help > Examples: one item per shipped example project, in the order of
// ExampleProjects().
constexpr int ID_HELP_EXAMPLE_1 = 32890; // up to 32899
constexpr int ID_HELP_EXAMPLE_COUNT = 3;

// Control ids of the bars (the View toggles use the same numbers).
constexpr int AFX_IDW_STATUS_BAR = ID_VIEW_STATUS_BAR;
constexpr int IDW_MAIN_TOOLBAR = ID_VIEW_MAIN_TOOLBAR;
constexpr int IDW_PROJECT_TOOLBAR = ID_VIEW_PROJECT_TOOLBAR;
constexpr int IDW_MESSAGES_BAR = ID_VIEW_MESSAGES;

} // namespace Cmd
