// The main frame's start-up: options are loaded before the checks read them, the tool
// check lists exactly the missing files, the tool-set question follows SASM.EXE's size
// at the 140000-byte boundary, and the default project directory is entered or
// reported.
#include "MainFrame.h"
#include "ShellTestSupport.h"
#include "SplashDlg.h"
#include "StartupChecks.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const QString kMissingText =
    "The following program files were not found under the configured HP-Tools location "
    "\"%1\":\n%2\n\nSome parts of this program may not work if these files are not "
    "installed corrently.  Please check the program options and your HP-Tools installation.";
const QString kGnuQuestion =
    "GNU-tools has been detected, but Velmora is currently set to use HP-tools.  Do you want "
    "to change the setting automatically?  (pick Yes if you are unsure)";
const QString kHpQuestion =
    "HP-tools has been detected, but Velmora is currently set to use GNU-tools.  Do you want "
    "to change the setting automatically?  (pick Yes if you are unsure)";

class StartupTest : public ShellTest
{
protected:
    COptionTable LoadedOptions()
    {
        COptionTable options;
        options.AddProgramOptions(QCoreApplication::applicationDirPath());
        options.LoadOptions();
        return options;
    }
};

TEST_F(StartupTest, AllToolFilesPresentShowsNothing)
{
    WriteOptions({{"ToolLocation", MakeTools()}});
    CheckTools(LoadedOptions());
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(StartupTest, MissingToolFilesAreListedInCheckOrder)
{
    QStringList allButEntries = ToolFiles();
    allButEntries.removeAll("ENTRIES.O");
    const QString dir = MakeTools(allButEntries);
    WriteOptions({{"ToolLocation", dir}});
    CheckTools(LoadedOptions());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, kMissingText.arg(dir, "\nENTRIES.O"));
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::Ok | Mb::IconError);

    m_prompt.Clear();
    QFile::remove(dir + "/SASM.EXE");
    QFile::remove(dir + "/Wendrix.EXE");
    CheckTools(LoadedOptions());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              kMissingText.arg(dir, "\nSASM.EXE\nWendrix.EXE\nENTRIES.O"));
}

TEST_F(StartupTest, SasmSizeBoundaryDecidesTheToolSet)
{
    struct Case
    {
        qint64 size;
        const char* mode;
        QString question;
    };
    const Case cases[] = {
        {139999, "No", kGnuQuestion},
        {140000, "No", QString()},
        {139999, "Yes", QString()},
        {140000, "Yes", kHpQuestion},
    };
    for (const Case& c : cases) {
        m_prompt.Clear();
        WriteOptions({{"ToolLocation", MakeTools({"SASM.EXE"}, c.size)}, {"GNUToolsMode", c.mode}});
        COptionTable options = LoadedOptions();
        m_prompt.QueueAnswer(IDYES);
        DetectToolSet(options);
        if (c.question.isEmpty()) {
            EXPECT_TRUE(m_prompt.Boxes().isEmpty()) << c.size << c.mode;
            EXPECT_EQ(options.GetOption("GNUToolsMode"), c.mode);
        } else {
            ASSERT_EQ(m_prompt.Boxes().size(), 1);
            EXPECT_EQ(m_prompt.Boxes()[0].text, c.question);
            EXPECT_EQ(m_prompt.Boxes()[0].type & Mb::ButtonMask, Mb::YesNo);
            // Yes switches the mode and saves it, so the next start does not ask again.
            const QString answered = c.size < 140000 ? "Yes" : "No";
            EXPECT_EQ(options.GetOption("GNUToolsMode"), answered);
            EXPECT_EQ(StoredOption("GNUToolsMode"), answered);
        }
    }
}

TEST_F(StartupTest, NoAnswerKeepsTheMode)
{
    WriteOptions({{"ToolLocation", MakeTools({"SASM.EXE"}, 10)}});
    COptionTable options = LoadedOptions();
    m_prompt.QueueAnswer(IDNO);
    DetectToolSet(options);
    EXPECT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(options.GetOption("GNUToolsMode"), "No");
    EXPECT_EQ(StoredOption("GNUToolsMode"), "<none>");
}

TEST_F(StartupTest, NoDetectionWhenSwitchedOffOrWithoutSasm)
{
    WriteOptions({{"ToolLocation", MakeTools({"SASM.EXE"}, 10)}, {"AutoDetectTools", "No"}});
    COptionTable options = LoadedOptions();
    DetectToolSet(options);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());

    WriteOptions({{"ToolLocation", m_work.filePath("nowhere")}, {"AutoDetectTools", "Yes"}});
    COptionTable without = LoadedOptions();
    DetectToolSet(without);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

// The tools beside the program take either tool set's arguments: no question there, the
// same small SASM.EXE elsewhere still asks.
TEST_F(StartupTest, BundledToolsAskNothing)
{
    const QString tools = MakeTools({"SASM.EXE"}, 10); // <work>/tools
    QFile::link(tools, m_work.filePath("HPTools"));
    for (const bool bundled : {true, false}) {
        m_prompt.Clear();
        WriteOptions({{"ToolLocation", bundled ? m_work.filePath("HPTools") : tools}});
        COptionTable options;
        options.AddProgramOptions(bundled ? m_work.path() : QCoreApplication::applicationDirPath());
        options.LoadOptions();
        m_prompt.QueueAnswer(IDNO);
        DetectToolSet(options);
        EXPECT_EQ(m_prompt.Boxes().size(), bundled ? 0 : 1) << bundled;
    }
}

TEST_F(StartupTest, DefaultDirectoryIsEnteredOrReported)
{
    const QString projects = m_work.filePath("projects");
    QDir().mkpath(projects);
    WriteOptions({{"DefaultDir", projects}});
    ChangeToDefaultDir(LoadedOptions());
    EXPECT_EQ(QDir::currentPath(), projects);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());

    const QString missing = m_work.filePath("missing");
    WriteOptions({{"DefaultDir", missing}});
    ChangeToDefaultDir(LoadedOptions());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "Default project directory doesn't exist: " + missing);
    EXPECT_EQ(m_prompt.Boxes()[0].caption, "Velmora Development Environment");
    EXPECT_EQ(QDir::currentPath(), projects);

    // A plain file in the way is not a folder either.
    m_prompt.Clear();
    QFile file(m_work.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    WriteOptions({{"DefaultDir", file.fileName() + "/sub"}});
    ChangeToDefaultDir(LoadedOptions());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes()[0].text.startsWith("Default project directory doesn't exist"));
}

TEST_F(StartupTest, OtherFailuresGiveTheErrorNumber)
{
    // Two links that point at each other: ELOOP (40), for root as for anyone.
    const QString loop = m_work.filePath("loop");
    ASSERT_TRUE(QFile::link(m_work.filePath("pool"), loop));
    ASSERT_TRUE(QFile::link(loop, m_work.filePath("pool")));
    WriteOptions({{"DefaultDir", loop}});
    ChangeToDefaultDir(LoadedOptions());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              "Error 40 occurred while changing to default project directory: " + loop);
    EXPECT_EQ(m_prompt.Boxes()[0].caption, "Error");
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::Ok);
}

TEST_F(StartupTest, MissingDefaultFolderIsMadeOnlyWhenItIsTheDefault)
{
    COptionTable options;
    options.AddProgramOptions(m_work.path());
    options.LoadOptions();
    const QString made = m_work.filePath("Projects");
    ASSERT_EQ(options.GetOption("DefaultDir"), made);
    ChangeToDefaultDir(options);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    EXPECT_EQ(QDir::currentPath(), made);
}

TEST_F(StartupTest, FrameLoadsOptionsBeforeItsChecksReadThem)
{
    // The settings file names a tool location and a default folder; the frame's checks
    // can only see them when the options were loaded first.
    const QString tools = MakeTools({"SASM.EXE"}, 10);
    const QString projects = m_work.filePath("projects");
    QDir().mkpath(projects);
    WriteOptions({{"ToolLocation", tools}, {"DefaultDir", projects}});
    m_prompt.QueueAnswer(IDOK);
    m_prompt.QueueAnswer(IDNO);
    CMainFrame frame;
    CCommandLineInfo info;
    info.m_bShowSplash = false;
    ASSERT_TRUE(frame.OnCreate(info));
    ASSERT_EQ(m_prompt.Boxes().size(), 2);
    EXPECT_EQ(
        m_prompt.Boxes()[0].text,
        kMissingText.arg(tools, "\nRPLCOMP.EXE\nSLOAD.EXE\nUSRLIB.EXE\nWendrix.EXE\nENTRIES.O"));
    EXPECT_EQ(m_prompt.Boxes()[1].text, kGnuQuestion);
    EXPECT_EQ(QDir::currentPath(), projects);
    EXPECT_EQ(frame.Options().GetOption("GNUToolsMode"), "No");
    EXPECT_FALSE(frame.GetSplash()->IsCreated());
}

TEST(CommandLine, FileFlagsAndSplash)
{
    const CCommandLineInfo plain = CCommandLineInfo::Parse({});
    EXPECT_EQ(plain.m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(plain.m_bShowSplash);
    const CCommandLineInfo open = CCommandLineInfo::Parse({"/tmp/p.hpr"});
    EXPECT_EQ(open.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(open.m_strFileName, "/tmp/p.hpr");
    const CCommandLineInfo embedded = CCommandLineInfo::Parse({"-Embedding"});
    EXPECT_FALSE(embedded.m_bShowSplash);
    EXPECT_FALSE(CCommandLineInfo::Parse({"/Automation"}).m_bShowSplash);
    const CCommandLineInfo print = CCommandLineInfo::Parse({"/p", "a.s"});
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    // A relative name is fixed against the folder the program started in.
    EXPECT_EQ(print.m_strFileName, QDir::current().absoluteFilePath("a.s"));
}

} // namespace

SHELL_TEST_MAIN()
