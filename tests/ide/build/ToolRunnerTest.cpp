// The tool runner: what a tool run shows in the build messages, how the argument string
// reaches the child, and that cancel, floods and lingering grandchildren never hang it.
#include "ToolRunner.h"
#include "BuildTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class ToolRunnerTest : public ::testing::Test
{
protected:
    bool Run(const QString& args, TestProgress& progress, const QString& tool = "TOOL")
    {
        return m_runner.RunTool(StandInDir() + "/" + tool, args, m_dir.path(), progress);
    }
    QString Echo(const QString& args, const QString& tool = "TOOL") const
    {
        return "[" + StandInDir() + "/" + tool + " " + args + "]";
    }

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    CToolRunner m_runner{m_messages};
    TestProgress m_progress;
};

TEST_F(ToolRunnerTest, CleanRunShowsEchoOutputLinesAndNoErrors)
{
    EXPECT_TRUE(Run("SAY a SAY b", m_progress));
    EXPECT_EQ(m_messages.lines, QStringList({Echo("SAY a SAY b"), "a", "b", "", "No Errors"}));
    EXPECT_TRUE(m_runner.IsRunEventSet());
}

TEST_F(ToolRunnerTest, SilentToolShowsOnlyEchoAndNoErrors)
{
    EXPECT_TRUE(Run("", m_progress));
    EXPECT_EQ(m_messages.lines, QStringList({Echo(""), "No Errors"}));
}

TEST_F(ToolRunnerTest, FailingToolShowsItsOutputAndTheErrorLine)
{
    EXPECT_FALSE(Run("SAY oops EXIT 1", m_progress));
    EXPECT_EQ(m_messages.lines, QStringList({Echo("SAY oops EXIT 1"), "oops", "",
                                             "Error(s) encountered during execution"}));
}

TEST_F(ToolRunnerTest, StartFailuresReportErrnoAndNoSummary)
{
    const QString missing = m_dir.filePath("NOSUCH.EXE");
    EXPECT_FALSE(m_runner.RunTool(missing, "-x", m_dir.path(), m_progress));
    EXPECT_EQ(m_messages.lines,
              QStringList({"[" + missing + " -x]", "Error 2 executing command line: " + missing +
                                                       " \"" + missing + "\" -x"}));

    m_messages.lines.clear();
    const QString plain = m_dir.filePath("plain.txt");
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(m_runner.RunTool(plain, "", m_dir.path(), m_progress));
    ASSERT_EQ(m_messages.lines.size(), 2);
    EXPECT_TRUE(m_messages.lines[1].startsWith("Error 13 executing command line: "));

    m_messages.lines.clear();
    EXPECT_FALSE(m_runner.RunTool(StandInDir() + "/TOOL", "", m_dir.filePath("gone"), m_progress));
    ASSERT_EQ(m_messages.lines.size(), 2);
    EXPECT_TRUE(m_messages.lines[1].startsWith("Error 2 executing command line: "));
}

TEST_F(ToolRunnerTest, CancelEndsALongToolAtOnceAndStaysCancelled)
{
    TestProgress progress(1);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(Run("SLEEP 20000", progress));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(m_messages.lines, QStringList({Echo("SLEEP 20000"), "Execution cancelled"}));

    // The dialog stays cancelled: a later tool is stopped at its first slice.
    m_messages.lines.clear();
    t.restart();
    EXPECT_FALSE(Run("SLEEP 20000", progress));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(m_messages.lines, QStringList({Echo("SLEEP 20000"), "Execution cancelled"}));
}

TEST_F(ToolRunnerTest, LinesShowWhileTheToolRunsAndComeBeforeTheCancel)
{
    // Cancelled only once the tool's first line is on the screen, while it sleeps.
    TestProgress progress;
    progress.onPoll = [this] { return m_messages.lines.contains("started"); };
    EXPECT_FALSE(Run("SAY started SLEEP 20000", progress));
    EXPECT_EQ(m_messages.lines,
              QStringList({Echo("SAY started SLEEP 20000"), "started", "", "Execution cancelled"}));
    EXPECT_EQ(m_runner.LastWorkDir(), m_dir.path());
}

TEST_F(ToolRunnerTest, WaitEndsWhenTheToolEndsNotWhenItsGrandchildLetsGoOfThePipe)
{
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(Run("SAY started GRANDCHILD 20000", m_progress));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(m_messages.lines.last(), "No Errors");
    // A short tool is never polled: its wait ended inside the first slice.
    EXPECT_EQ(m_progress.polls, 0);
}

TEST_F(ToolRunnerTest, FloodOfOutputNeverBlocksAndShowsTheFirst10000Bytes)
{
    EXPECT_TRUE(Run("FLOOD 5000000", m_progress));
    const QStringList& lines = m_messages.lines;
    // 10000 bytes are 125 lines of 80: the echo, those lines, the empty rest, the summary.
    ASSERT_EQ(lines.size(), 1 + 125 + 1 + 1);
    for (int i = 1; i <= 125; ++i)
        EXPECT_EQ(lines[i], QString(78, u'x'));
    EXPECT_EQ(lines[126], "");
    EXPECT_EQ(lines.last(), "No Errors");
}

TEST_F(ToolRunnerTest, ArgumentsFollowWindowsSplittingAndTheChildGetsNothingElse)
{
    const QString args = R"(-in "a b.lst" -out "c.dir" say\"x "back\\" tail "" end)";
    // A descriptor that a careless part of the program left inheritable.
    const int leak = open("/dev/null", O_RDONLY);
    EXPECT_TRUE(Run(args, m_progress, "ECHOARGS"));
    close(leak);
    EXPECT_EQ(m_messages.lines,
              QStringList({Echo(args, "ECHOARGS"), "argc=9", "<-in>", "<a b.lst>", "<-out>",
                           "<c.dir>", "<say\"x>", "<back\\>", "<tail>", "<>", "<end>",
                           "cwd=" + m_dir.path(), "env=0", "stdin=0", "fds=3", "", "No Errors"}));
}

TEST(SplitCommandLine, WindowsRules)
{
    EXPECT_EQ(SplitCommandLine("  a\tb  "), QStringList({"a", "b"}));
    EXPECT_EQ(SplitCommandLine(R"(a\\b "c\d")"), QStringList({R"(a\\b)", R"(c\d)"}));
    EXPECT_EQ(SplitCommandLine(R"(a\\\"b)"), QStringList({R"(a\"b)"}));
    EXPECT_EQ(SplitCommandLine(R"("x ""y"" z")"), QStringList({R"(x "y" z)"}));
    EXPECT_EQ(SplitCommandLine(R"(ab"c d"e)"), QStringList({"abc de"}));
    EXPECT_EQ(SplitCommandLine(R"(-r 1000 P.DIR $$$$!!!!.LIB)"),
              QStringList({"-r", "1000", "P.DIR", "$$$$!!!!.LIB"}));
    EXPECT_EQ(SplitCommandLine(""), QStringList());
    EXPECT_EQ(QuoteIfBlank("/a b/c.s"), "\"/a b/c.s\"");
    EXPECT_EQ(QuoteIfBlank("/ab/c.s"), "/ab/c.s");
    EXPECT_EQ(QuoteIfBlank("/a\tb"), "\"/a\tb\"");
}

TEST(QuoteArgument, SplitGivesThePathBack)
{
    const QString paths[] = {"/ab/c.s", "/a b/c.s",  "/a\tb", "/say\"x\"/c.s",
                             "/a b\\",  "/a\\\"b c", "\\\\",  ""};
    for (const QString& path : paths) {
        for (const bool always : {false, true})
            EXPECT_EQ(SplitCommandLine("-x " + QuoteArgument(path, always) + " y"),
                      QStringList({"-x", path, "y"}))
                << path.toStdString();
    }
    EXPECT_EQ(QuoteArgument("/ab/c.s"), "/ab/c.s");
}

TEST(SplitToolOutput, LinesLoseOnlyTheirCarriageReturn)
{
    EXPECT_EQ(SplitToolOutput("a\r\nb\r\n"), QStringList({"a", "b", ""}));
    EXPECT_EQ(SplitToolOutput("a\nb"), QStringList({"a", "b"}));
    EXPECT_EQ(SplitToolOutput(""), QStringList({""}));
    EXPECT_EQ(SplitToolOutput("\xA9\r\n"), QStringList({QString(QChar(0xA9)), ""}));
    // A path the tool was given in UTF-8 comes back as the same name, so that the jump to
    // the source finds the file; a line that is not UTF-8 keeps every byte.
    EXPECT_EQ(SplitToolOutput("/home/jos\xC3\xA9/a.s: 3: x\r\n\xAB\xC3\r\n"),
              QStringList({QString::fromUtf8("/home/jos\u00e9/a.s: 3: x"),
                           QString::fromLatin1("\xAB\xC3"), ""}));
    EXPECT_EQ(SplitToolOutput(QByteArray(1023, 'x') + "\n" + QByteArray(1024, 'y')),
              QStringList({QString(1023, u'x'), QString(1023, u'y'), "y"}));
    const QStringList longLine = SplitToolOutput(QByteArray(2500, 'x') + "\r\n");
    ASSERT_EQ(longLine.size(), 4);
    EXPECT_EQ(longLine[0].size(), 1023);
    EXPECT_EQ(longLine[1].size(), 1023);
    EXPECT_EQ(longLine[2].size(), 454);
}

} // namespace
