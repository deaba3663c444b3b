// Printing source files without a window: velmora -p FILE...
#pragma once

#include <QStringList>

class QPrinter;

// Prints each file as the editor shows it, one print job per file, on printer. A file
// that can't be read, a project file, or a printer that can't print is reported through
// the prompt and ends the run; returns whether every file was printed.
bool PrintSourceFiles(const QStringList& files, QPrinter& printer);
