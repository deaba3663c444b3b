// The built program as the IDE runs it: the HPTools/ copy alone in another folder, with
// an empty environment, a '\' path to the opcode file, CR LF lines, and exit codes; an
// error leaves no object behind, not even an older one.
#include "ObjectFile.h"
#include "ToolFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace {

class SasmProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::path(testing::TempDir()) / "sasm-program";
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder / "tools");
        // Copied alone into another folder, it must still run.
        std::filesystem::copy_file(SASM_TOOL_COPY, m_folder / "tools" / "SASM.EXE");
        std::filesystem::copy_file(SASM_OPCODE_FILE, m_folder / "tools" / "SASM.OPC");
    }
    int Run(const std::string& arguments)
    {
        const std::string command = "cd '" + m_folder.string() + "' && env -i tools/SASM.EXE " +
                                    arguments + " > console.txt 2>&1";
        const int status = std::system(command.c_str());
        std::string error;
        saturn::ReadWholeFile((m_folder / "console.txt").string(), m_console, error);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Write(const std::string& name, const std::string& text)
    {
        std::string error;
        ASSERT_TRUE(saturn::WriteFileReplacing((m_folder / name).string(), text, error));
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(m_folder / name); }

    std::filesystem::path m_folder;
    std::string m_console;
};

TEST_F(SasmProgramTest, AssemblesAsTheBuildRunsIt)
{
    Write("prog.a", "=START  GOSBVL  =SAVPTR\r\n        RTN\r\n");
    EXPECT_EQ(Run("-E -t 'tools\\SASM.OPC' prog.a"), 0) << m_console;
    EXPECT_EQ(m_console, "");
    saturn::ObjectModule module;
    std::string error;
    ASSERT_TRUE(saturn::ReadObjectFile((m_folder / "prog.o").string(), module, error)) << error;
    EXPECT_EQ(module.relocations.at(0).symbol, "SAVPTR");

    // Raw code: the header from the source, then the nibbles two to a byte.
    Write("raw.a", "        NIBASC  /HPHP48-R/\r\nX       EQU     #12345\r\n"
                   "        GOVLNG  X\r\n        NIBHEX  0\r\n");
    EXPECT_EQ(Run("-EHN raw.a"), 0) << m_console;
    std::string bytes;
    ASSERT_TRUE(saturn::ReadWholeFile((m_folder / "raw.o").string(), bytes, error));
    EXPECT_EQ(bytes, "HPHP48-R\xD8\x45\x23\x01");
}

TEST_F(SasmProgramTest, FailuresExitWithOneAndLeaveNoObject)
{
    Write("prog.o", "an older object");
    Write("prog.a", "        GOTO    nowhere\n");
    EXPECT_EQ(Run("-E -N prog.a"), 1);
    EXPECT_EQ(m_console, "*** ERROR in \"prog.a\" on line 1: undefined local label nowhere\r\n");
    EXPECT_FALSE(Exists("prog.o"));

    Write("raw.a", "        GOSBVL  =SAVPTR\n");
    EXPECT_EQ(Run("-H raw.a"), 1);
    EXPECT_NE(m_console.find("undefined global =SAVPTR"), std::string::npos) << m_console;

    EXPECT_EQ(Run("-E -t missing.opc prog.a"), 1);
    EXPECT_EQ(m_console.substr(0, 19), "Error: opcode file:");
    EXPECT_EQ(Run("-Q prog.a"), 1);
    EXPECT_EQ(m_console.substr(0, 12), "Usage: sasm ");
    EXPECT_EQ(Run("-E missing.a"), 1);
    EXPECT_EQ(m_console, "Error: cannot open missing.a\r\n");
}

TEST_F(SasmProgramTest, IncludesAreFoundBesideTheIncludingFileAndNeverIncludeThemselves)
{
    std::filesystem::create_directories(m_folder / "sub");
    Write("main.a", "        INCLUDE sub/a.a\n");
    Write("sub/a.a", "        INCLUDE b.a\n");
    Write("sub/b.a", "        NIBHEX  1\n        INCLUDE ./a.a\n");
    EXPECT_EQ(Run("main.a"), 1);
    EXPECT_EQ(m_console,
              "*** ERROR in \"sub/b.a\" on line 2: INCLUDE of sub/a.a would include it within "
              "itself\r\n");
}

} // namespace
