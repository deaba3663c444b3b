// Velmora's commands, menus, accelerators and toolbars as data. The shell makes one
// action per row of the command table, builds the menu bar from the menu layout and
// the two toolbars from their button lists.
#pragma once

#include <span>

struct CommandInfo
{
    int id;
    // Menu text; a '\t' and key names follow where the menu shows them itself.
    const char* text;
    // Status-bar help, then '\n' and the tooltip.
    const char* prompt;
    // Accelerators as portable key names separated by ';', or nullptr.
    const char* keys;
    // Toolbar image in the Qt resources, or nullptr.
    const char* icon;
    // Shows a check mark (the bar toggles of the View menu, the file toggles).
    bool checkable;
};

enum class MenuKind
{
    Command,     // id
    Separator,   //
    Submenu,     // text, prompt; the entries up to the matching EndSubmenu
    EndSubmenu,  //
    RecentFiles, // the recently used files, with a separator after them when any
    WindowList   // the open document windows
};

struct MenuEntry
{
    MenuKind kind;
    int id;
    const char* text;
    const char* prompt;
};

// Every command once.
std::span<const CommandInfo> CommandTable();
// The command with that id, or nullptr.
const CommandInfo* FindCommand(int id);
// The menu bar, top-level menus first level of submenus.
std::span<const MenuEntry> MainMenuLayout();
// Toolbar buttons in order; 0 is a separator.
std::span<const int> MainToolbarLayout();
std::span<const int> ProjectToolbarLayout();
