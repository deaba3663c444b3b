// The start-up checks of the main frame: are the tool-chain files under the tool
// location, which tool set (HP or GNU) is installed, and the change into the default
// project directory. Each reports through the prompt and never stops the start-up.
#pragma once

#include <QString>
#include <QStringList>

class COptionTable;

// The tool-chain files looked for, in the order they are checked and listed.
const QStringList& ToolFiles();
// The missing ones under toolLocation, each as a line break and its name.
QString MissingToolList(const QString& toolLocation);
// Shows one stop box listing every missing tool file; nothing when all are there.
void CheckTools(const COptionTable& options);

// A SASM.EXE of this size or more belongs to the HP tools, a smaller one to the GNU
// tools.
constexpr qint64 kHpSasmMinSize = 140000;
// The tool location is the folder of tools that comes with the program (the option's
// default, HPTools/ beside it). Its assembler takes the arguments of either tool set, so
// nothing needs to be detected there.
bool IsBundledToolLocation(const COptionTable& options);
// When AutoDetectTools is on and the tool location is not the bundled one: offers to
// switch GNUToolsMode when SASM.EXE's size tells the other tool set (in memory only).
void DetectToolSet(COptionTable& options);

// Changes the current directory to DefaultDir; a message when that is impossible. The
// default folder itself is made when it is missing (the first start of an installed
// copy); a folder that the user set is never made.
void ChangeToDefaultDir(const COptionTable& options);
