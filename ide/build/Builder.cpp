#include "Builder.h"

#include "BuildMessages.h"
#include "BuildProgress.h"
#include "ChildProcess.h"
#include "GeneratedSources.h"
#include "Options.h"
#include "Paths.h"
#include "ProjectDocument.h"
#include "Strings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

// Makes dir the current directory for the life of the guard.
class CurrentDirGuard
{
public:
    explicit CurrentDirGuard(const QString& dir) : m_strSaved(QDir::currentPath())
    {
        QDir::setCurrent(dir);
    }
    ~CurrentDirGuard() { QDir::setCurrent(m_strSaved); }
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    QString m_strSaved;
};

// Writes data to path through a temporary file, so that a failed write never leaves a
// half-written file behind under the real name.
bool WriteWhole(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

// Replaces to by from; false when from could not be moved.
bool MoveReplacing(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    // Across file systems: copy, then remove the original.
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::remove(from);
}

QString Latin1(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

CBuilder::CBuilder(IBuildMessages& messages, const COptionTable& options,
                   CProjectDocument* const* project)
    : m_messages(messages), m_options(options), m_ppProject(project), m_runner(messages)
{
}

QString CBuilder::Option(const char* name) const
{
    return m_options.GetOption(QString::fromLatin1(name));
}

void CBuilder::AddMessage(const QString& line)
{
    m_messages.AddMessage(line);
}

void CBuilder::ReportCompileCancelled()
{
    AddMessage(QStringLiteral("The compile process was cancelled"));
}

QString CBuilder::OptionFolder(const QString& dir, const QString& option)
{
    if (option.isEmpty())
        return dir;
    QString folder = option.startsWith(u'/') ? option : dir + option;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool CBuilder::CompileFile(QString source, IBuildProgress& progress, bool projectBuild)
{
    const QString sourcePath = FullPath(source);
    const CProjectDocument* project = Project();
    const QString pd = project && !project->GetPathName().isEmpty() ? project->GetProjectDir()
                                                                    : DirectoryPart(sourcePath);
    const QString longName = LongNameOf(sourcePath);
    const QString sourceDir = DirectoryPart(sourcePath);
    const QString shortName = longName; // names are never shortened here
    CurrentDirGuard cwd(pd);

    // Both folders are named relative to the project folder, the current directory now.
    const QString out = OptionFolder(QString(), Option("OutputDir"));
    const QString compiled = OptionFolder(QString(), Option("CompiledDir"));
    QDir().mkpath(out.isEmpty() ? QStringLiteral(".") : out);
    QDir().mkpath(compiled.isEmpty() ? QStringLiteral(".") : compiled);
    const QString result = compiled + longName + ".gx";

    if (longName.toUpper().endsWith(QLatin1String(".GX"))) {
        AddMessage("Copying binary file " + longName + ".gx");
        QFile::remove(result);
        // A missing or unreadable object is a failed file, not a built one: the packaging
        // would only find the hole later, and a build of individual files never.
        if (!QFile::copy(sourcePath, result)) {
            AddMessage("Cannot copy " + sourcePath + " to " + result);
            return false;
        }
        return true;
    }

    // The tools get the source under its own name; a file that does not end in .s or .S
    // is looked for with .s added.
    const QString fileName = FileNamePart(sourcePath);
    const QString sourceArg =
        fileName.endsWith(QLatin1String(".s")) || fileName.endsWith(QLatin1String(".S"))
            ? sourcePath
            : sourceDir + shortName + ".s";
    if (projectBuild && IsFileNewer(sourceArg, result)) {
        AddMessage(longName + ".gx is up to date");
        return true;
    }
    m_messages.ShowMessages();

    QString tools = Option("ToolLocation");
    while (tools.endsWith(u'/') && tools.size() > 1)
        tools.chop(1);
    const QString base = out + shortName;
    auto step = [&] {
        if (!projectBuild)
            progress.StepIt();
    };

    AddMessage(QStringLiteral("Running RPLCOMP.EXE:"));
    bool ok = RunTool(tools + "/RPLCOMP.EXE",
                      QuoteArgument(sourceArg) + u' ' + QuoteArgument(base + ".a"), pd, progress);
    step();
    if (!ok)
        return false;

    const QString sasmArgs =
        m_options.GetOptionBool(QStringLiteral("GNUToolsMode"))
            ? "-E -N " + QuoteArgument(base + ".a")
            : "-E -t " + QuoteArgument(tools + "/SASM.OPC") + u' ' + QuoteArgument(base + ".a");
    AddMessage(QStringLiteral("Running SASM.EXE:"));
    ok = RunTool(tools + "/SASM.EXE", sasmArgs, pd, progress);
    step();
    if (!ok)
        return false;

    QFile::remove(result);
    AddMessage("Creating " + shortName + ".m");
    // The control file only feeds the loader that runs next: written in place, without
    // the temporary file and disk sync that the files kept for the user get.
    QFile control(base + ".m");
    if (control.open(QIODevice::WriteOnly | QIODevice::Truncate))
        control.write(LoaderControlFile(base, tools));
    control.close();

    AddMessage(QStringLiteral("Running SLOAD.EXE:"));
    ok = RunTool(tools + "/SLOAD.EXE", "-H " + QuoteArgument(base + ".m"), pd, progress);
    step();

    // The linker listing, whatever SLOAD's result: its first 10000 bytes, line by line.
    QByteArray listing;
    QFile lr(base + ".lr");
    if (lr.open(QIODevice::ReadOnly))
        listing = lr.read(CChildProcess::kMaxOutput);
    for (const QString& line : SplitToolOutput(listing))
        AddMessage(line);
    if (!ok)
        return false;

    if (!MoveReplacing(base + ".gx", result)) {
        AddMessage("Cannot move " + base + ".gx to " + result);
        return false;
    }
    AddMessage("Successfully built " + longName + ".gx");
    return true;
}

void CBuilder::EnsureGeneratedEntry(const QString& fileName, const QByteArray& compiledName)
{
    CProjectDocument* project = Project();
    for (const ProjectFileEntry& e : project->m_files) {
        if (e.compiledName == compiledName)
            return;
    }
    if (!project->AddFile(project->GetProjectDir() + fileName, compiledName))
        return;
    ProjectFileEntry flags;
    flags.visible = false;
    flags.compile = true;
    project->UpdateFileFlags(QFile::encodeName(fileName), flags);
}

void CBuilder::Generate(const QString& fileName, const QByteArray& compiledName,
                        const std::function<QByteArray()>& body)
{
    EnsureGeneratedEntry(fileName, compiledName);
    const CProjectDocument* project = Project();
    const QString path = project->GetProjectDir() + fileName;
    if (IsFileNewer(project->GetPathName(), path))
        return;
    const QByteArray time = FormatGeneratedTime(QDateTime::currentDateTime());
    AddMessage("Writing " + fileName + " [" + path + "]");
    if (!WriteWhole(path, GeneratedHeader(fileName, time) + body()))
        AddMessage("Cannot write " + path);
}

void CBuilder::GenerateVisibleList(const QString& fileName)
{
    Generate(fileName, "$VISIBLE", [this] { return VisibleListBody(*Project()); });
}

void CBuilder::GenerateConfigProgram(const QString& fileName)
{
    Generate(fileName, "$CONFIG", [this] { return ConfigProgramBody(Project()->m_nRomId); });
}

void CBuilder::GenerateTitleString(const QString& fileName)
{
    Generate(fileName, "$TITLE",
             [this] { return TitleStringBody(Project()->GetCurConfigTitle()); });
}

bool CBuilder::BuildDirectory(const QString& fileName, IBuildProgress& progress)
{
    progress.SetPos(0);
    progress.SetRange(0, 2);
    progress.SetStep(1);
    AddMessage(QStringLiteral("Building directory..."));
    const CProjectDocument* project = Project();
    const QString pd = project->GetProjectDir();
    const QString compiled = OptionFolder(pd, Option("CompiledDir"));
    const QString index =
        OptionFolder(pd, Option("OutputDir")) + fileName.left(fileName.size() - 4) + ".lst";
    const QString directory = compiled + fileName;
    QDir().mkpath(DirectoryPart(index));
    QDir().mkpath(compiled);
    // The directory object of an earlier build goes first: after a failed Wendrix run no
    // stale object of that name is left for the library step to package as new.
    QFile::remove(directory);
    QStringList leftOut;
    if (!WriteWhole(index, IndexFileText(*project, compiled, &leftOut)))
        AddMessage("Cannot write " + index);
    for (const QString& entry : leftOut)
        AddMessage("Left out of the directory: " + entry + ", which only a library uses");
    progress.StepIt();
    const bool ok =
        RunTool(Option("ToolLocation") + "/Wendrix.EXE",
                "-in " + QuoteArgument(index, true) + " -out " + QuoteArgument(directory, true), pd,
                progress);
    progress.StepIt();
    return ok;
}

bool CBuilder::BuildLibrary(const QString& baseName, IBuildProgress& progress)
{
    progress.SetPos(0);
    progress.SetRange(0, 1);
    m_runner.ResetRunEvent();
    const CProjectDocument* project = Project();
    const QString pd = DirectoryPart(FullPath(project->GetPathName()));
    QString cdp = OptionFolder(pd, Option("CompiledDir"));
    cdp.chop(1);
    const QString library = cdp + "/" + baseName + ".lib";
    const QString temporary = cdp + "/$$$$!!!!.LIB";
    QFile::remove(library);
    const QString args = "-r " + QString::number(project->m_nRomId) + u' ' +
                         QuoteArgument(baseName + ".dir") + " $$$$!!!!.LIB";
    bool ok = RunTool(Option("ToolLocation") + "/USRLIB.EXE", args, cdp, progress);
    if (ok) {
        // The success line only once the library carries its name, so a tool that
        // claimed success without leaving its file is not reported as a built library.
        ok = MoveReplacing(temporary, library);
        AddMessage(ok ? "Successfully built " + baseName + ".lib"
                      : "Cannot rename " + temporary + " to " + library);
    }
    progress.SetPos(1);
    m_runner.SetRunEvent();
    return ok;
}

void CBuilder::SaveAll()
{
    if (m_saveAll)
        m_saveAll();
}

bool CBuilder::BuildProject(IBuildProgress& progress)
{
    SaveAll();
    CProjectDocument* project = Project();
    const QString pd = DirectoryPart(FullPath(project->GetPathName()));
    m_messages.ShowMessages();
    m_messages.ClearMessages();
    AddMessage("--- Configuration: " + Latin1(project->GetCurConfigName()) + " ---");

    const QByteArray type = project->m_strProjectType;
    if (type == "Library") {
        AddMessage(QStringLiteral("Building project as library..."));
        // The three entries go into the project, and the project is saved, before any
        // generated file is compared with it: a project saved after the files were
        // written would look newer than them, and the next build would write them again.
        EnsureGeneratedEntry(QStringLiteral("ProjectVisible.s"), "$VISIBLE");
        EnsureGeneratedEntry(QStringLiteral("ProjectConfig.s"), "$CONFIG");
        EnsureGeneratedEntry(QStringLiteral("ProjectTitle.s"), "$TITLE");
        SaveAll();
        GenerateVisibleList(QStringLiteral("ProjectVisible.s"));
        GenerateConfigProgram(QStringLiteral("ProjectConfig.s"));
        GenerateTitleString(QStringLiteral("ProjectTitle.s"));
        SaveAll();
    } else if (type == "Individual") {
        AddMessage(QStringLiteral("Building project as individual files..."));
    } else {
        AddMessage(QStringLiteral("Building project as directory..."));
    }

    bool ok = true;
    progress.SetPos(0);
    progress.SetRange(0, project->m_files.size());
    progress.SetStep(1);
    for (int i = 0; i < project->m_files.size(); ++i) {
        if (project->IsFileInCurrentConfig(i)) {
            const QByteArray path = project->m_files[i].path;
            // Entry paths are file names, held in the file-name encoding.
            progress.SetStatus(LoadString(IDS_COMPILING_SOURCE_FILE).arg(QFile::decodeName(path)));
            if (!CompileFile(EntryPathToFile(path, pd), progress, true))
                ok = false;
        }
        if (progress.PollCancel()) {
            ReportCompileCancelled();
            return false;
        }
        progress.StepIt();
    }
    if (!ok) {
        AddMessage(QStringLiteral("There were errors during compile process"));
        return false;
    }
    AddMessage(QStringLiteral("Successfully built all files"));
    if (type == "Individual")
        return true;
    const QString base = QFile::decodeName(project->GetCurConfigBaseName());
    progress.SetStatus(LoadString(IDS_CREATING_DIRECTORY));
    ok = BuildDirectory(base + ".dir", progress);
    if (progress.PollCancel()) {
        ReportCompileCancelled();
        return false;
    }
    if (type == "Library") {
        progress.SetStatus(LoadString(IDS_CREATING_LIBRARY));
        // The library is made whatever the directory step said, as before; the result
        // tells whether both succeeded.
        ok = BuildLibrary(base, progress) && ok;
    }
    return ok;
}

QString CBuilder::ProjectResultPath() const
{
    const CProjectDocument* project = Project();
    if (!project)
        return QString();
    QString ext;
    if (project->m_strProjectType == "Library")
        ext = QStringLiteral(".lib");
    else if (project->m_strProjectType == "Directory")
        ext = QStringLiteral(".dir");
    else
        return QString();
    return OptionFolder(project->GetProjectDir(), Option("CompiledDir")) +
           QFile::decodeName(project->GetCurConfigBaseName()) + ext;
}

QStringList CBuilder::ProjectSources() const
{
    const CProjectDocument* project = Project();
    if (!project || project->GetPathName().isEmpty())
        return {};
    QStringList sources{project->GetPathName()};
    for (int i = 0; i < project->m_files.size(); ++i) {
        if (project->IsFileInCurrentConfig(i))
            sources.append(project->GetFileFullPath(i));
    }
    return sources;
}
