// The build of Velmora: compiling one source file with the calculator's tool chain,
// writing the generated sources of a library project, packaging the objects as a
// directory or a library, and building a whole project. The main frame owns one
// builder and forwards its commands to it; a build without a window uses one too.
#pragma once

#include "ToolRunner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class CProjectDocument;
class IBuildMessages;
class IBuildProgress;
class COptionTable;

class CBuilder
{
public:
    // project points at the program's open-project pointer (null while none is open).
    CBuilder(IBuildMessages& messages, const COptionTable& options,
             CProjectDocument* const* project);

    // The Save All operation, run at the start of a project build.
    void SetSaveAll(std::function<void()> saveAll) { m_saveAll = std::move(saveAll); }

    CToolRunner& Runner() { return m_runner; }
    bool RunTool(const QString& tool, const QString& args, const QString& workDir,
                 IBuildProgress& progress)
    {
        return m_runner.RunTool(tool, args, workDir, progress);
    }
    // Adds "The compile process was cancelled".
    void ReportCompileCancelled();

    // Compiles source into the compiled folder (or copies a .gx object there). With
    // projectBuild, an object newer than its source is kept and the bar is left alone;
    // otherwise each tool advances it by one step. True when the object was built,
    // copied or found up to date.
    bool CompileFile(QString source, IBuildProgress& progress, bool projectBuild);

    // The three generated sources of a library project, each written into the project
    // folder when missing or not newer than the project file, and added to the project
    // under its special compiled name the first time.
    void GenerateVisibleList(const QString& fileName);
    void GenerateConfigProgram(const QString& fileName);
    void GenerateTitleString(const QString& fileName);

    // Writes the index file and runs Wendrix to make the directory object fileName
    // (base name + ".dir") in the compiled folder. True when Wendrix succeeded.
    bool BuildDirectory(const QString& fileName, IBuildProgress& progress);
    // Runs USRLIB on the directory object baseName + ".dir" and renames its result to
    // baseName + ".lib". True when the library was made.
    bool BuildLibrary(const QString& baseName, IBuildProgress& progress);

    // Builds every entry of the current configuration, then packages the results.
    // True when every file compiled, the packaging tools succeeded and nobody cancelled.
    bool BuildProject(IBuildProgress& progress);

    // Where the packaged result of the open project lies ("Directory": .dir, "Library":
    // .lib, in the compiled folder); empty for individual files.
    QString ProjectResultPath() const;
    // What the packaged result is made from: the project file and the files that the
    // current configuration compiles.
    QStringList ProjectSources() const;

    // The folder named by option (a folder name relative to dir, or an absolute path),
    // with a trailing '/'.
    static QString OptionFolder(const QString& dir, const QString& option);

private:
    CProjectDocument* Project() const { return *m_ppProject; }
    QString Option(const char* name) const;
    void AddMessage(const QString& line);
    void EnsureGeneratedEntry(const QString& fileName, const QByteArray& compiledName);
    void Generate(const QString& fileName, const QByteArray& compiledName,
                  const std::function<QByteArray()>& body);
    void SaveAll();

    IBuildMessages& m_messages;
    const COptionTable& m_options;
    CProjectDocument* const* m_ppProject;
    CToolRunner m_runner;
    std::function<void()> m_saveAll;
};
