// The current-file commands' texts and the compiled file that Transfer and Simulate use.
#include "CurrentFile.h"
#include "BuildTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CurrentFileMenuText, BuiltFromTheTitleWithoutTheModifiedMark)
{
    EXPECT_EQ(CurrentFileMenuText(CurrentFileCommand::Compile, "PROG.s *"), "Compile PROG.gx\tF7");
    EXPECT_EQ(CurrentFileMenuText(CurrentFileCommand::Transfer, "PROG.S"),
              "Transfer PROG.gx to HP48\tCtrl+F7");
    EXPECT_EQ(CurrentFileMenuText(CurrentFileCommand::Simulate, "a.b.s"),
              "Simulate a.b.gx\tAlt+F7");
    EXPECT_EQ(CurrentFileMenuText(CurrentFileCommand::Compile, "notes.txt"), std::nullopt);
    EXPECT_EQ(CurrentFileMenuText(CurrentFileCommand::Compile, "Untitled1"), std::nullopt);
}

class CompiledFileTest : public BuilderFixture
{
};

TEST_F(CompiledFileTest, InTheProjectsCompiledFolderWithTheEntrysCompiledName)
{
    NewProject("Directory");
    AddEntry("src/a.s", "x\r\n", "ALPHA");
    const CompiledFile file = CompiledFileOf(m_dir.filePath("src/a.s"), m_pProject, "Compiled");
    EXPECT_EQ(file.path, m_dir.filePath("Compiled/a.gx"));
    EXPECT_EQ(file.compiledName, "ALPHA");

    // A file outside the project folder keeps its full path for the lookup and still
    // has its object under the project.
    QTemporaryDir other;
    const CompiledFile outside = CompiledFileOf(other.filePath("b.S"), m_pProject, "Compiled");
    EXPECT_EQ(outside.path, m_dir.filePath("Compiled/b.gx"));
    EXPECT_EQ(outside.compiledName, "");

    // An entry of a project made on Windows, its subfolder written with a backslash.
    Write("sub/w.s", "x\r\n");
    m_pProject->m_files.append({"sub\\w.s", true, true, "WIN", 0, ""});
    EXPECT_EQ(CompiledFileOf(m_dir.filePath("sub/w.s"), m_pProject, "Compiled").compiledName,
              "WIN");
}

TEST_F(CompiledFileTest, BesideTheSourceWithoutASavedProject)
{
    const QString src = m_dir.filePath("src/a.s");
    EXPECT_EQ(CompiledFileOf(src, nullptr, "Compiled").path, m_dir.filePath("src/Compiled/a.gx"));
    CProjectDocument untitled;
    untitled.OnNewDocument();
    EXPECT_EQ(CompiledFileOf(src, &untitled, "Out").path, m_dir.filePath("src/Out/a.gx"));
}

} // namespace
