// The built program as the IDE runs it: files named on the command line, exit codes,
// CR LF error lines, and no output left behind on failure.
#include "RplComp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class RplcompProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("rplcomp_test_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name)
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Runs a command line in the test folder; returns the exit code, keeps the output.
    int Shell(const std::string& command)
    {
        const std::string line =
            "cd '" + m_dir.string() + "' && " + command + " > console.txt 2>&1";
        const int status = std::system(line.c_str());
        m_console = Read("console.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_dir;
    std::string m_console;
    const std::string m_program = std::string("'") + RPLCOMP_PROGRAM + "'";
};

TEST_F(RplcompProgramTest, WritesTheOutputOrNothingAtAll)
{
    Write("main.s", ":: DUP ;\r\n");
    EXPECT_EQ(Shell(m_program + " main.s main.a"), 0);
    EXPECT_EQ(m_console, "");
    EXPECT_NE(Read("main.a").find("        CON(5)  =DUP\r\n"), std::string::npos);

    // A failed run removes the output of an earlier one, so it cannot pass for this one's.
    Write("main.s", "::\r\n% x\r\n");
    EXPECT_EQ(Shell(m_program + " main.s main.a"), 1);
    EXPECT_EQ(m_console, "*** ERROR in \"main.s\" on line 2: bad real number: \"x\" is not a "
                         "decimal number\r\n*** ERROR in \"main.s\" on line 1: \"::\" is not "
                         "closed by \";\"\r\n");
    EXPECT_FALSE(fs::exists(m_dir / "main.a"));

    EXPECT_EQ(Shell(m_program + " main.s main.s"), 1);
    EXPECT_EQ(Read("main.s"), "::\r\n% x\r\n");
    EXPECT_EQ(Shell(m_program + " missing.s out.a"), 1);
    EXPECT_EQ(Shell(m_program + " -x main.s"), 1);
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        EXPECT_NE(entry.path().extension(), ".a") << entry.path();
    }
}

TEST_F(RplcompProgramTest, ReadsIncludesBesideTheSourceAndUsesStandardStreams)
{
    fs::create_directories(m_dir / "src");
    Write("src/main.s", "INCLUDE \"part.h\"\r\n");
    Write("src/part.h", "\r\n%% x\r\n");
    EXPECT_EQ(Shell(m_program + " src\\\\main.s out.a"), 1);
    EXPECT_EQ(m_console, "*** ERROR in \"src/part.h\" on line 2: bad extended real number: "
                         "\"x\" is not a decimal number\r\n");

    EXPECT_EQ(Shell("echo '{ SWAP }' | " + m_program + " - -"), 0);
    EXPECT_NE(m_console.find("        CON(5)  =SWAP\r\n"), std::string::npos) << m_console;
}

} // namespace
