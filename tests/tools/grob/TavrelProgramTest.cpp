// The built tavrel program itself: what reaches standard output and its exit status.
#include "GrobTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

using grobtest::Bytes;

struct ProgramRun
{
    int nExit = -1;
    std::string strStdout;
};

std::string Quoted(const std::string& strText)
{
    std::string strQuoted = "'";
    for (char c : strText)
        strQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return strQuoted + "'";
}

// Runs the program with the given arguments; standard error is discarded so that only
// standard output is compared.
ProgramRun RunProgram(const std::vector<std::string>& arguments)
{
    std::string strCommand = Quoted(TAVREL_PROGRAM);
    for (const std::string& strArgument : arguments)
        strCommand.append(" ").append(Quoted(strArgument));
    strCommand += " 2>/dev/null";
    ProgramRun run;
    FILE* pPipe = popen(strCommand.c_str(), "r");
    if (pPipe == nullptr)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
        run.strStdout.append(buffer, n);
    const int nStatus = pclose(pPipe);
    run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return run;
}

TEST(TavrelProgram, ExitStatusAndStandardOutput)
{
    grobtest::ScratchDir dir;
    const std::string strInput = dir.File("picture with blanks.grob");
    const std::string strOutput = dir.File("out.cgrob");
    const grobtest::GrobSpec spec = grobtest::Grob(1, 8, Bytes{0x00});
    grobtest::WriteFile(strInput, grobtest::GrobFile(spec));

    ProgramRun run = RunProgram({strInput, strOutput});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strStdout, "GROB: 8x1\nRead 1 block(s)\n  random: 0\n  run:    1\n"
                             "Optimizing...\n1 block(s) remaining\n17 -> 12 (29%)\n");
    std::string strProblem;
    const auto decoded = grobtest::DecodeFile(grobtest::ReadFile(strOutput), &strProblem);
    ASSERT_TRUE(decoded) << strProblem;
    EXPECT_EQ(decoded->stream, grobtest::DataStream(spec.data));

    run = RunProgram({strInput});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strStdout.rfind("Create compressed GROBs\n\n", 0), 0u);

    run = RunProgram({dir.File("missing"), strOutput});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strStdout,
              "Fatal Error: " + dir.File("missing") + ": No such file or directory\n");

    grobtest::WriteFile(strInput, grobtest::GrobFile(grobtest::Grob(0, 8, Bytes{0x00})));
    run = RunProgram({strInput, strOutput});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strStdout, "GROB: 8x0\nError: Can't compress a GROB with zero dimensions\n");
}

} // namespace
