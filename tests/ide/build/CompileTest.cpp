// Compiling one source file with the stand-in tool chain: the messages of each path
// through the compile, the files it leaves, and the current directory it restores.
#include "BuildTestSupport.h"
#include "Builder.h"
#include "GeneratedSources.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class CompileTest : public BuilderFixture
{
protected:
    // The lines of one tool run: "Running X:", the echo, the stand-in's line, an empty
    // line and "No Errors".
    QStringList Run(const QString& tool, const QString& args, const QString& said) const
    {
        return {"Running " + tool + ":", "[" + StandInDir() + "/" + tool + " " + args + "]", said,
                "", "No Errors"};
    }
    QStringList Listing(const QString& base) const
    {
        const qint64 size = QFileInfo(m_dir.filePath("Compiled/" + base + ".gx")).size();
        return {"Stand-in loader listing", "Object Output/" + base + ".gx",
                "Size " + QString::number(size) + " bytes", ""};
    }
};

TEST_F(CompileTest, CleanCompileWithoutProjectBuildsBesideTheSource)
{
    const QString src = Write("main.s", "::\r\n  TRUE\r\n;\r\n");
    const QString before = QDir::currentPath();
    EXPECT_TRUE(m_builder.CompileFile(src, m_progress, false));
    EXPECT_EQ(QDir::currentPath(), before);

    const QString t = StandInDir();
    QStringList expected =
        Run("RPLCOMP.EXE", src + " Output/main.a", "stand-in RPLCOMP wrote Output/main.a");
    expected += Run("SASM.EXE", "-E -t " + t + "/SASM.OPC Output/main.a",
                    "stand-in SASM wrote Output/main.o");
    expected << "Creating main.m";
    expected += Run("SLOAD.EXE", "-H Output/main.m", "stand-in SLOAD wrote Output/main.gx");
    expected += Listing("main");
    expected << "Successfully built main.gx";
    EXPECT_EQ(m_messages.lines, expected);
    EXPECT_EQ(m_messages.shows, 1);
    EXPECT_EQ(m_progress.steps, 3);

    for (const char* kept : {"Output/main.a", "Output/main.o", "Output/main.m", "Output/main.lr"})
        EXPECT_TRUE(QFile::exists(m_dir.filePath(kept))) << kept;
    EXPECT_FALSE(QFile::exists(m_dir.filePath("Output/main.gx")));
    EXPECT_TRUE(Read("Compiled/main.gx").startsWith("HPHP48-R"));
    EXPECT_EQ(Read("Output/main.m"), "** The compiled output file\r\nOU Output/main.gx\r\n"
                                     "** Our linker listing file\r\nLL Output/main.lr\r\n"
                                     "** Suppress all this stuff we don't need\r\nSU XR SU\r\n"
                                     "** Search this entries list\r\nSE " +
                                         QFile::encodeName(t) +
                                         "/ENTRIES.O\r\n** Relocate our object\r\n"
                                         "RE Output/main.o\r\n");
}

TEST_F(CompileTest, PathsWithBlanksAreQuotedForTheToolsAndTheControlFile)
{
    m_options.SetOption("OutputDir", "Out Put");
    const QString src = Write("my prog.s", "x\r\n");
    EXPECT_TRUE(m_builder.CompileFile(src, m_progress, false));
    EXPECT_TRUE(m_messages.lines.contains("[" + StandInDir() + "/RPLCOMP.EXE \"" + src +
                                          "\" \"Out Put/my prog.a\"]"));
    EXPECT_TRUE(Read("Out Put/my prog.m").contains("\r\nRE \"Out Put/my prog.o\"\r\n"));
    EXPECT_EQ(m_messages.lines.last(), "Successfully built my prog.gx");
    EXPECT_TRUE(QFile::exists(m_dir.filePath("Compiled/my prog.gx")));
}

TEST_F(CompileTest, GnuModeChangesOnlyTheAssemblerArguments)
{
    m_options.SetOption("GNUToolsMode", "Yes");
    EXPECT_TRUE(m_builder.CompileFile(Write("main.s", "x\r\n"), m_progress, false));
    EXPECT_TRUE(m_messages.lines.contains("[" + StandInDir() + "/SASM.EXE -E -N Output/main.a]"));
    EXPECT_TRUE(
        Read("Output/main.m").contains("SE " + QFile::encodeName(StandInDir()) + "/ENTRIES.O"));
}

TEST_F(CompileTest, ProjectBuildSkipsAnObjectNewerThanItsSourceButNotOneOfTheSameSecond)
{
    const QString src = Write("main.s", "x\r\n");
    ASSERT_TRUE(m_builder.CompileFile(src, m_progress, true));
    EXPECT_EQ(m_progress.steps, 0);

    SetAge("main.s", 10);
    m_messages.lines.clear();
    EXPECT_TRUE(m_builder.CompileFile(src, m_progress, true));
    EXPECT_EQ(m_messages.lines, QStringList({"main.gx is up to date"}));

    // Without the project build flag the object is always rebuilt.
    m_messages.lines.clear();
    EXPECT_TRUE(m_builder.CompileFile(src, m_progress, false));
    EXPECT_EQ(m_messages.lines.last(), "Successfully built main.gx");

    SetAge("main.s", 10);
    SetAge("Compiled/main.gx", 10);
    m_messages.lines.clear();
    EXPECT_TRUE(m_builder.CompileFile(src, m_progress, true));
    EXPECT_EQ(m_messages.lines.last(), "Successfully built main.gx");
}

TEST_F(CompileTest, BinaryObjectIsCopiedUnderItsDoubledNameFromWhereverItLies)
{
    const QString obj = Write("sub/foo.GX", "HPHP48-Rbinary");
    EXPECT_TRUE(m_builder.CompileFile(obj, m_progress, true));
    EXPECT_EQ(m_messages.lines, QStringList({"Copying binary file foo.GX.gx"}));
    EXPECT_EQ(Read("sub/Compiled/foo.GX.gx"), "HPHP48-Rbinary");

    // Inside a project the copy lands in the project's compiled folder.
    NewProject("Directory");
    m_messages.lines.clear();
    EXPECT_TRUE(m_builder.CompileFile(obj, m_progress, false));
    EXPECT_EQ(Read("Compiled/foo.GX.gx"), "HPHP48-Rbinary");

    // An object that is not there fails, and leaves no old copy looking current.
    QFile::remove(obj);
    m_messages.lines.clear();
    EXPECT_FALSE(m_builder.CompileFile(obj, m_progress, true));
    EXPECT_EQ(m_messages.lines, QStringList({"Copying binary file foo.GX.gx",
                                             "Cannot copy " + obj + " to Compiled/foo.GX.gx"}));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("Compiled/foo.GX.gx")));
}

TEST_F(CompileTest, MissingToolStopsAtOnceAndRestoresTheDirectory)
{
    m_options.SetOption("ToolLocation", m_dir.filePath("nowhere"));
    const QString before = QDir::currentPath();
    const QString src = Write("main.s", "x\r\n");
    EXPECT_FALSE(m_builder.CompileFile(src, m_progress, false));
    const QString tool = m_dir.filePath("nowhere/RPLCOMP.EXE");
    EXPECT_EQ(m_messages.lines,
              QStringList({"Running RPLCOMP.EXE:", "[" + tool + " " + src + " Output/main.a]",
                           "Error 2 executing command line: " + tool + " \"" + tool + "\" " + src +
                               " Output/main.a"}));
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(CompileTest, FailingToolsShowTheirErrorsAndKeepOrDropTheOldObject)
{
    Write("Compiled/main.gx", "old");
    const QString src =
        Write("main.s", "* STANDIN SASM ERROR COMMA 3 bad opcode\r\n* STANDIN SASM EXIT 1\r\n");
    EXPECT_FALSE(m_builder.CompileFile(src, m_progress, false));
    EXPECT_EQ(m_messages.lines.mid(m_messages.lines.size() - 3),
              QStringList({"\"Output/main.a\", line 3: bad opcode", "",
                           "Error(s) encountered during execution"}));
    EXPECT_EQ(Read("Compiled/main.gx"), "old");

    // A failing loader: its listing (here none, one empty line) is still shown, and the
    // old object is gone.
    Write("main.s", "* STANDIN SLOAD ERROR STAR 2 unresolved\r\n* STANDIN SLOAD EXIT 2\r\n");
    m_messages.lines.clear();
    EXPECT_FALSE(m_builder.CompileFile(src, m_progress, false));
    EXPECT_EQ(m_messages.lines.mid(m_messages.lines.size() - 4),
              QStringList({"*** ERROR in \"Output/main.o\" on line 2: unresolved", "",
                           "Error(s) encountered during execution", ""}));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("Compiled/main.gx")));
}

TEST_F(CompileTest, CancelStopsTheRunningToolAndTheCompile)
{
    const QString src = Write("main.s", "* STANDIN RPLCOMP SLEEP 20000\r\n");
    TestProgress progress(1);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(m_builder.CompileFile(src, progress, false));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(m_messages.lines.last(), "Execution cancelled");
}

TEST(IsFileNewer, ComparesWholeSecondsOfExistingFiles)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), b = dir.filePath("b");
    for (const QString& p : {a, b}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(IsFileNewer(a, a));
    EXPECT_FALSE(IsFileNewer(a, dir.filePath("missing")));
    EXPECT_FALSE(IsFileNewer(dir.filePath("missing"), a));
    const QDateTime base = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 100);
    SetTime(a, base.addMSecs(100));
    SetTime(b, base.addMSecs(900));
    EXPECT_FALSE(IsFileNewer(a, b));
    SetTime(b, base.addSecs(1));
    EXPECT_TRUE(IsFileNewer(a, b));
    EXPECT_FALSE(IsFileNewer(b, a));
}

} // namespace
