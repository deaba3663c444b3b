// The built program itself: exit codes as the IDE sees them, and the HPTools/ copy
// running with an empty environment, as the IDE starts it.
#include "WendrixFixture.h"

#include <cstdlib>
#include <sys/wait.h>

namespace {

// Runs a shell command line in the test folder; returns the exit code and keeps the
// output in m_transcript.
class WendrixProgramTest : public WendrixTest
{
protected:
    int Shell(const std::string& command)
    {
        const int status = std::system((command + " > console.txt 2>&1").c_str());
        m_transcript = Read("console.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string m_program = std::string("'") + WENDRIX_PROGRAM + "'";
};

TEST_F(WendrixProgramTest, ExitCodes)
{
    EXPECT_EQ(Shell(m_program), 0);
    EXPECT_EQ(m_transcript, kUsage);
    EXPECT_EQ(Shell(m_program + " -IN x"), 0);

    Write("a.real", kHeader + kReal1);
    Write("index.lst", "a.real;A\r\n");
    EXPECT_EQ(Shell(m_program + " -in index.lst -out out.dir"), 0);
    EXPECT_NE(m_transcript.find("Verifying... OK\n"), std::string::npos) << m_transcript;

    Write("index.lst", "a.real;A\r\nmissing.real;B\r\n");
    EXPECT_EQ(Shell(m_program + " -in index.lst -out out.dir"), 1);
    EXPECT_EQ(Shell(m_program + " -in missing.lst -out out.dir"), 1);
}

TEST_F(WendrixProgramTest, ToolCopyRunsWithAnEmptyEnvironment)
{
    Write("a.real", kHeader + kReal1);
    Write("index.lst", "a.real;A\r\n");
    EXPECT_EQ(Shell(std::string("env -i '") + WENDRIX_TOOL_COPY + "' -in index.lst -out out.dir"),
              0);
    EXPECT_NE(m_transcript.find("Nibbles: 45 (22.5 bytes)\n"), std::string::npos) << m_transcript;
}

} // namespace
