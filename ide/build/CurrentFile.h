// The commands on the current source file: the Build menu texts made from the file's
// title, and the compiled file that Transfer and Simulate hand on.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class CProjectDocument;

enum class CurrentFileCommand
{
    Compile,
    Transfer,
    Simulate
};

// The menu text of command for a source document titled title ("PROG.s *" while
// modified): "Compile PROG.gx\tF7" and so on. Nothing for a title that does not end in
// .s or .S; the item then keeps its previous text.
std::optional<QString> CurrentFileMenuText(CurrentFileCommand command, const QString& title);

struct CompiledFile
{
    QString path;            // the object in the compiled folder
    QByteArray compiledName; // the file's compiled name in the project; empty if none
};

// The compiled object of the saved source documentPath: in the project's compiled
// folder, or beside the source when no saved project is open.
CompiledFile CompiledFileOf(const QString& documentPath, const CProjectDocument* project,
                            const QString& compiledDirOption);
