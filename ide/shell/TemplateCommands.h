// The five source templates: a name for the menu and a file under the template
// folder, both program options. Inserting puts the file's text at the caret of the
// active source window; "Edit..." changes the ten options in memory.
#pragma once

#include "Options.h"

#include <QString>

#include <optional>

class CCommandMap;
class CMainFrame;

namespace Templates {

constexpr int kCount = 5;

// The option names of template n (1 to 5).
QString NameOption(int n);
QString PathOption(int n);
// The menu text of template n: its name and key, or nothing when its path is empty
// (the command is then disabled and keeps the text it had).
std::optional<QString> MenuText(const COptionTable& options, int n);
// The file of template n: the template folder, '/', the path (always read as relative
// to the folder).
QString FilePath(const COptionTable& options, int n);

// Adds the five insert commands and "Edit..." to the frame's commands. The insert
// commands work only while a source window is active.
void RegisterCommands(CMainFrame& frame);

} // namespace Templates
