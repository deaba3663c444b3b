#include "CurrentFile.h"

#include "Builder.h"
#include "Paths.h"
#include "ProjectDocument.h"

#include <QFile>

std::optional<QString> CurrentFileMenuText(CurrentFileCommand command, const QString& title)
{
    QString name = title;
    if (name.endsWith(QLatin1String(" *")))
        name.chop(2);
    if (!name.endsWith(QLatin1String(".s")) && !name.endsWith(QLatin1String(".S")))
        return std::nullopt;
    name.chop(2);
    switch (command) {
    case CurrentFileCommand::Compile:
        return "Compile " + name + ".gx\tF7";
    case CurrentFileCommand::Transfer:
        return "Transfer " + name + ".gx to HP48\tCtrl+F7";
    case CurrentFileCommand::Simulate:
        return "Simulate " + name + ".gx\tAlt+F7";
    }
    return std::nullopt;
}

CompiledFile CompiledFileOf(const QString& documentPath, const CProjectDocument* project,
                            const QString& compiledDirOption)
{
    const QString full = FullPath(documentPath);
    QString base = FileNamePart(full);
    if (base.endsWith(QLatin1String(".s")))
        base.chop(2);
    if (base.endsWith(QLatin1String(".S")))
        base.chop(2);
    QString projectDir = project ? project->GetProjectDir() : QString();
    if (projectDir.isEmpty())
        projectDir = DirectoryPart(full);

    CompiledFile result;
    if (project) {
        QString relative = documentPath;
        if (relative.startsWith(projectDir))
            relative = relative.mid(projectDir.size());
        // A project written on Windows names a file in a subfolder with a backslash.
        ProjectFileEntry entry;
        const QByteArray key = QFile::encodeName(relative);
        if (project->FindFile(key, entry) ||
            project->FindFile(QByteArray(key).replace('/', '\\'), entry))
            result.compiledName = entry.compiledName;
    }
    result.path = CBuilder::OptionFolder(projectDir, compiledDirOption) + base + ".gx";
    return result;
}
