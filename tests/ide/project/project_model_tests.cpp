// The project's rules: the default project, adding files, configurations and the rows
// that the file list shows.
#include "FakeFileList.h"
#include "Paths.h"
#include "ProjectDocument.h"
#include "PromptRecorder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Project : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = QDir(m_tmp.path()).canonicalPath();
        QDir(m_root).mkpath("proj/src");
        m_doc.SetFileList(&m_list);
        m_doc.SetPathName(m_root + "/proj/demo.hpr");
        m_doc.SetModifiedFlag(false);
    }

    ProjectFileEntry Entry(const QByteArray& list, int mode, bool compile = true)
    {
        return ProjectFileEntry{"x.s", true, compile, "x", mode, list};
    }

    QTemporaryDir m_tmp;
    QString m_root;
    CFakeFileList m_list;
    CProjectDocument m_doc;
};

} // namespace

TEST_F(Project, NewProjectIsTheDefaultProject)
{
    m_doc.AddFile(m_root + "/proj/a.s", {});
    m_doc.m_nRomId = 5;
    m_doc.m_configs.append({"X", "Y", "Z"});
    m_doc.m_nCurConfig = 1;
    ASSERT_TRUE(m_doc.OnNewDocument());
    EXPECT_EQ(m_doc.m_strProjectType, "Directory");
    EXPECT_EQ(m_doc.m_strProjectDir, QDir::currentPath());
    EXPECT_TRUE(m_doc.m_files.isEmpty());
    EXPECT_EQ(m_doc.m_nRomId, 1000);
    const ProjectConfiguration first{"DEFAULT", "Project", "NAME  :Long Name, info"};
    EXPECT_EQ(m_doc.m_configs, QList{first});
    EXPECT_EQ(m_doc.GetCurConfigIndex(), 0);
    EXPECT_EQ(m_doc.GetCurConfigName(), "DEFAULT");
    EXPECT_EQ(m_doc.GetCurConfigBaseName(), "Project");
    EXPECT_EQ(m_doc.GetCurConfigTitle(), "NAME  :Long Name, info");
    EXPECT_TRUE(m_doc.GetPathName().isEmpty());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_list.rows.isEmpty());
    EXPECT_FALSE(m_doc.CanCloseFrame());
}

TEST_F(Project, AddFileMakesPathsInsideTheProjectRelative)
{
    EXPECT_EQ(m_doc.GetProjectDir(), m_root + "/proj/");
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/src/main.s", {}));
    ASSERT_TRUE(m_doc.AddFile("/lib/util.h", {}));
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/BIG.S", {}));
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/twice.s.S", "NAMED"));
    // A sibling folder whose name starts like the project's is not inside it.
    QDir(m_root).mkpath("proj2");
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj2/other.s", {}));

    const QList<ProjectFileEntry> expected = {
        {"src/main.s", true, true, "main", 0, ""},
        {"/lib/util.h", true, true, "util.h", 0, ""},
        {"BIG.S", true, true, "BIG", 0, ""},
        {"twice.s.S", true, true, "NAMED", 0, ""},
        {QFile::encodeName(m_root + "/proj2/other.s"), true, true, "other", 0, ""},
    };
    EXPECT_EQ(m_doc.m_files, expected);
    EXPECT_TRUE(m_doc.IsModified());
    ASSERT_EQ(m_list.rows.size(), 5);
    EXPECT_EQ(m_list.rows.at(0).columns, QStringList({"src/main.s", "Yes", "Yes", "main"}));
    EXPECT_EQ(m_list.Images(), QList<int>({1, 1, 1, 1, 1}));
    EXPECT_EQ(m_doc.GetFileFullPath(0), m_root + "/proj/src/main.s");
    EXPECT_EQ(m_doc.GetFileFullPath(1), "/lib/util.h");
}

TEST_F(Project, AddFileTakesRelativePathsFromTheCurrentDirectory)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root + "/proj/src"));
    const bool added = m_doc.AddFile("main.s", {});
    QDir::setCurrent(previous);
    ASSERT_TRUE(added);
    EXPECT_EQ(m_doc.m_files.at(0).path, "src/main.s");
}

TEST_F(Project, AddFileNeedsASavedProject)
{
    CProjectDocument unsaved;
    ASSERT_TRUE(unsaved.OnNewDocument());
    EXPECT_FALSE(unsaved.AddFile(m_root + "/proj/src/main.s", {}));
    EXPECT_TRUE(unsaved.m_files.isEmpty());
    EXPECT_FALSE(unsaved.IsModified());
}

TEST_F(Project, ConfigurationMembership)
{
    m_doc.m_configs = {{"TEST", "t", ""}, {"TES", "t", ""}, {"DEBUG", "d", ""}};
    const QByteArray list = "DEBUG TEST";
    EXPECT_TRUE(CProjectDocument::IsEntryInConfig(Entry(list, 1), "TEST"));
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry(list, 0), "TEST"));
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry(list, 1), "TES"));
    EXPECT_TRUE(CProjectDocument::IsEntryInConfig(Entry(list, 0), "TES"));
    EXPECT_TRUE(CProjectDocument::IsEntryInConfig(Entry(list, 1), "DEBUG"));
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry("debug", 1), "DEBUG"));
    EXPECT_TRUE(CProjectDocument::IsEntryInConfig(Entry("", 0), "TEST"));
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry("", 1), "TEST"));
    // A file that is not compiled is in no configuration.
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry("", 0, false), "TEST"));
    EXPECT_FALSE(CProjectDocument::IsEntryInConfig(Entry(list, 1, false), "TEST"));

    m_doc.m_files = {Entry(list, 1), Entry(list, 0)};
    m_doc.RefreshFileList();
    EXPECT_EQ(m_list.Images(), QList<int>({1, 0}));
    EXPECT_TRUE(m_doc.IsFileInCurrentConfig(0));
    EXPECT_FALSE(m_doc.IsFileInCurrentConfig(2));

    // Switching the configuration marks the project and recomputes the images.
    EXPECT_TRUE(m_doc.SetCurConfigIndex(1));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_list.Images(), QList<int>({0, 1}));
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(m_doc.SetCurConfigIndex(1));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.SetCurConfigIndex(3));
    EXPECT_EQ(m_doc.GetCurConfigIndex(), 1);
}

TEST_F(Project, FindAndUpdateEntries)
{
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/a.s", {}));
    ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/b.s", {}));
    m_doc.m_files[1].configList = "X";
    m_doc.SetModifiedFlag(false);

    ProjectFileEntry found;
    EXPECT_FALSE(m_doc.FindFile("B.s", found));
    ASSERT_TRUE(m_doc.FindFile("b.s", found));
    EXPECT_EQ(found, m_doc.m_files.at(1));

    const ProjectFileEntry changes{"ignored", false, false, "ignored", 1, "ignored"};
    ASSERT_TRUE(m_doc.UpdateFileFlags("b.s", changes));
    EXPECT_EQ(m_doc.m_files.at(1), (ProjectFileEntry{"b.s", false, false, "b", 0, "X"}));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_list.rows.at(1).columns, QStringList({"b.s", "No", "No", "b"}));
    EXPECT_EQ(m_list.rows.at(1).image, 0);
    EXPECT_FALSE(m_doc.UpdateFileFlags("c.s", changes));
}

TEST_F(Project, MoveAndRemoveEntries)
{
    for (const char* name : {"a.s", "b.s", "c.s", "d.s"}) {
        ASSERT_TRUE(m_doc.AddFile(m_root + "/proj/" + name, {}));
    }
    m_doc.SetModifiedFlag(false);
    ASSERT_TRUE(m_doc.MoveFileEntry(0, 2));
    EXPECT_EQ(m_list.Column(0), QStringList({"b.s", "c.s", "a.s", "d.s"}));
    EXPECT_TRUE(m_doc.IsModified());
    ASSERT_TRUE(m_doc.MoveFileEntry(3, 0));
    EXPECT_EQ(m_list.Column(0), QStringList({"d.s", "b.s", "c.s", "a.s"}));
    EXPECT_FALSE(m_doc.MoveFileEntry(0, 4));
    EXPECT_FALSE(m_doc.MoveFileEntry(-1, 0));

    ASSERT_TRUE(m_doc.RemoveFileEntry(1));
    EXPECT_EQ(m_list.Column(0), QStringList({"d.s", "c.s", "a.s"}));
    EXPECT_EQ(m_doc.m_files.size(), 3);
    EXPECT_FALSE(m_doc.RemoveFileEntry(3));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QString::fromLatin1(m_doc.m_files.at(i).path), m_list.rows.at(i).columns.at(0));
    }
}

TEST_F(Project, EntryNamesWithAccentsAreShownAsSpelt)
{
    // The file system stores the name in UTF-8 and the list shows it so.
    ASSERT_TRUE(m_doc.AddFile(m_root + QStringLiteral("/proj/Größe.s"), {}));
    EXPECT_EQ(m_list.Column(0), QStringList({QStringLiteral("Größe.s")}));
    // A name stored in Latin-1 is shown so, and kept byte for byte until it is edited.
    const QByteArray latin1 = "\xE9t\xE9.s";
    EXPECT_EQ(DecodeUtf8OrLatin1(latin1), QStringLiteral("été.s"));
    EXPECT_EQ(EncodeEditedPath(QStringLiteral("été.s"), latin1), latin1);
    EXPECT_EQ(EncodeEditedPath(QStringLiteral("été2.s"), latin1), QByteArray("\xC3\xA9t\xC3\xA9"
                                                                             "2.s"));
}

TEST(ProjectPaths, WindowsMadePathsKeepTheirMeaning)
{
    EXPECT_TRUE(IsAbsoluteEntryPath("/usr/src/a.s"));
    EXPECT_TRUE(IsAbsoluteEntryPath("C:\\proj\\a.s"));
    EXPECT_TRUE(IsAbsoluteEntryPath("d:lib.s"));
    EXPECT_TRUE(IsAbsoluteEntryPath("\\\\server\\share\\a.s"));
    EXPECT_FALSE(IsAbsoluteEntryPath("src\\main.s"));
    EXPECT_FALSE(IsAbsoluteEntryPath("1:a.s"));
    EXPECT_FALSE(IsAbsoluteEntryPath(""));
    EXPECT_EQ(EntryPathToFile("src\\sub\\main.s", "/p/"), "/p/src/sub/main.s");
    EXPECT_EQ(EntryPathToFile("C:\\lib\\util.h", "/p/"), "C:/lib/util.h");
    EXPECT_EQ(EntryPathToFile("/abs/x.s", "/p/"), "/abs/x.s");

    EXPECT_EQ(DirectoryPart("/a/b/c.s"), "/a/b/");
    EXPECT_EQ(FileNamePart("/a/b/c.s"), "c.s");
    EXPECT_EQ(FullPath("/a/./b/../c.s"), "/a/c.s");
}
