#include "ExampleProjects.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

const QStringList& ExampleProjects()
{
    static const QStringList examples = {QStringLiteral("library"), QStringLiteral("directory"),
                                         QStringLiteral("hello")};
    return examples;
}

QString ExamplesFolder(const QString& programDir)
{
    return QDir(programDir).filePath(QStringLiteral("Examples"));
}

namespace {

// The one project file of a folder, or an empty string.
QString ProjectFileIn(const QString& dir)
{
    const QStringList projects =
        QDir(dir).entryList({QStringLiteral("*.hpr")}, QDir::Files, QDir::Name);
    return projects.size() == 1 ? QDir(dir).filePath(projects.first()) : QString();
}

bool CopyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to)) {
        return false;
    }
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(source));
        const bool copied =
            it.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(source, target);
        if (!copied) {
            return false;
        }
        if (!it.fileInfo().isDir()) {
            // Shipped files may be read-only; the user's copy is to be edited.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return true;
}

} // namespace

QString PrepareExample(const QString& examplesDir, const QString& folder, const QString& targetRoot,
                       QString& error)
{
    const QString source = QDir(examplesDir).filePath(folder);
    const QString target = QDir(targetRoot).filePath(folder);
    if (!QFileInfo(target).isDir()) {
        if (ProjectFileIn(source).isEmpty()) {
            error = QStringLiteral("The example project \"%1\" was not found in %2.")
                        .arg(folder, QDir::toNativeSeparators(examplesDir));
            return QString();
        }
        if (!CopyTree(source, target)) {
            QDir(target).removeRecursively();
            error = QStringLiteral("The example project could not be copied to %1.")
                        .arg(QDir::toNativeSeparators(target));
            return QString();
        }
    }
    const QString project = ProjectFileIn(target);
    if (project.isEmpty()) {
        error = QStringLiteral("%1 holds no single project file (.hpr).")
                    .arg(QDir::toNativeSeparators(target));
    }
    return project;
}
