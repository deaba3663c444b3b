// Reading and writing project files: the exact bytes, both format versions, and
// damaged or hostile files that must fail cleanly.
#include "Archive.h"
#include "FakeFileList.h"
#include "Paths.h"
#include "ProjectDocument.h"
#include "PromptRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Builds file contents by hand, independently of the archive: a number becomes a
// little-endian word, a text a one-byte length and its bytes.
struct Field
{
    Field(quint32 number) : bytes(4, '\0') { qToLittleEndian(number, bytes.data()); }
    Field(const char* text) : bytes(char(qstrlen(text)) + QByteArray(text)) {}
    QByteArray bytes;
};

QByteArray Pack(std::initializer_list<Field> fields)
{
    QByteArray data;
    for (const Field& field : fields) {
        data += field.bytes;
    }
    return data;
}

// A new project up to its file count.
const QByteArray kNewProjectHead =
    Pack({1u, "Directory", 1000u, 0u, 1u, "DEFAULT", "Project", "NAME  :Long Name, info"});
const QByteArray kNewProject = kNewProjectHead + Pack({0u});

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ProjectFile : public ::testing::Test
{
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString WriteProject(const QByteArray& bytes, const QString& name = "p.hpr")
    {
        WriteFile(Path(name), bytes);
        return Path(name);
    }

    QTemporaryDir m_dir;
    CPromptRecorder m_prompt;
};

// A project with a bit of everything, including texts that need the longer forms.
void FillProject(CProjectDocument& doc)
{
    doc.m_strProjectType = "Library";
    doc.m_nRomId = 1234;
    doc.m_configs.clear();
    for (int i = 0; i < 40; ++i) {
        doc.m_configs.append({"CFG" + QByteArray::number(i), "Base" + QByteArray::number(i),
                              QByteArray(i * 9, char('A' + i % 26))});
    }
    doc.m_configs[3].libraryTitle = QByteArray(70000, 't');
    doc.m_nCurConfig = 37;
    for (int i = 0; i < 300; ++i) {
        ProjectFileEntry entry;
        entry.path = "src/file" + QByteArray::number(i) + ".s";
        entry.visible = i % 2;
        entry.compile = i % 3 != 0;
        entry.compiledName = QByteArray(i, char(0x80 + i % 100));
        entry.configMode = i % 2;
        entry.configList = i % 5 ? "CFG1 CFG37" : "";
        doc.m_files.append(entry);
    }
}

} // namespace

TEST_F(ProjectFile, ANewProjectSavedAtOnceIsTheKnown69Bytes)
{
    CProjectDocument doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.OnSaveDocument(Path("new.hpr")));
    ASSERT_EQ(kNewProject.size(), 69);
    EXPECT_EQ(ReadFile(Path("new.hpr")), kNewProject);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "new.hpr");
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(ProjectFile, RoundTripKeepsEverything)
{
    CProjectDocument doc;
    FillProject(doc);
    ASSERT_TRUE(doc.OnSaveDocument(Path("big.hpr")));

    CProjectDocument back;
    CFakeFileList list;
    back.SetFileList(&list);
    ASSERT_TRUE(back.OnOpenDocument(Path("big.hpr")));
    EXPECT_EQ(back.m_strProjectType, doc.m_strProjectType);
    EXPECT_EQ(back.m_nRomId, 1234);
    EXPECT_EQ(back.m_nCurConfig, 37);
    EXPECT_EQ(back.m_configs, doc.m_configs);
    EXPECT_EQ(back.m_files, doc.m_files);
    EXPECT_TRUE(back.m_strProjectDir.isEmpty());
    EXPECT_EQ(list.rows.size(), 300);
    EXPECT_EQ(list.rows.at(7).columns,
              QStringList({"src/file7.s", "Yes", "Yes", QString(7, QChar(0x87))}));

    // Writing what was read gives the same bytes again.
    ASSERT_TRUE(back.OnSaveDocument(Path("again.hpr")));
    EXPECT_EQ(ReadFile(Path("again.hpr")), ReadFile(Path("big.hpr")));
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(ProjectFile, CompileIsStoredBeforeVisible)
{
    // One entry: path, compile 1, visible 0, compiled name, mode, list.
    const QByteArray bytes = kNewProjectHead + Pack({1u, "a.s", 1u, 0u, "a", 0u, ""});
    CProjectDocument doc;
    CFakeFileList list;
    doc.SetFileList(&list);
    ASSERT_TRUE(doc.OnOpenDocument(WriteProject(bytes)));
    ASSERT_EQ(list.rows.size(), 1);
    EXPECT_EQ(list.rows.at(0).columns, QStringList({"a.s", "No", "Yes", "a"}));
    EXPECT_EQ(list.rows.at(0).image, 1);

    ASSERT_TRUE(doc.OnSaveDocument(Path("out.hpr")));
    EXPECT_EQ(ReadFile(Path("out.hpr")), bytes);
}

TEST_F(ProjectFile, VersionZeroReadsAsOneDefaultConfiguration)
{
    const QByteArray bytes = Pack({0u, "Library", 2u, "OLDBASE", 777u, "OLD  :Old title", "one.s",
                                   0u, 1u, "ONE", "two.s", 1u, 0u, "TWO"});
    CProjectDocument doc;
    doc.m_nCurConfig = 0;
    ASSERT_TRUE(doc.OnOpenDocument(WriteProject(bytes)));
    EXPECT_EQ(doc.m_strProjectType, "Library");
    EXPECT_EQ(doc.m_nRomId, 777);
    ASSERT_EQ(doc.m_configs.size(), 1);
    const ProjectConfiguration only{"DEFAULT", "OLDBASE", "OLD  :Old title"};
    EXPECT_EQ(doc.m_configs.at(0), only);
    EXPECT_EQ(doc.m_nCurConfig, 0);
    ASSERT_EQ(doc.m_files.size(), 2);
    EXPECT_EQ(doc.m_files.at(0), (ProjectFileEntry{"one.s", true, false, "ONE", 0, ""}));
    EXPECT_EQ(doc.m_files.at(1), (ProjectFileEntry{"two.s", false, true, "TWO", 0, ""}));
    EXPECT_TRUE(doc.IsFileInCurrentConfig(1));
    EXPECT_FALSE(doc.IsFileInCurrentConfig(0));
}

TEST_F(ProjectFile, AFutureVersionIsRefusedWithItsMessage)
{
    QByteArray bytes = kNewProject;
    bytes[0] = 2;
    CProjectDocument* openProject = nullptr;
    CProjectDocument doc;
    doc.SetOpenProjectSlot(&openProject);
    int opened = 0;
    QObject::connect(&doc, &CProjectDocument::projectOpened, [&] { ++opened; });
    EXPECT_FALSE(doc.OnOpenDocument(WriteProject(bytes)));
    ASSERT_GE(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes().at(0).text, "This project was created by a future version of "
                                           "this program and cannot be opened.");
    EXPECT_EQ(openProject, nullptr);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(doc.GetPathName().isEmpty());

    // A source file given as a project is not taken for one from a later program.
    m_prompt.Clear();
    EXPECT_FALSE(doc.OnOpenDocument(WriteProject("* a source\r\n::\r\n;\r\n", "main.hpr")));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes().at(0).text.endsWith("It is not a Velmora project file."));
}

TEST_F(ProjectFile, EveryTruncationFailsCleanlyAndLeavesAnEmptyProject)
{
    CProjectDocument full;
    FillProject(full);
    full.m_files.resize(3);
    full.m_configs.resize(4);
    full.m_configs[3].libraryTitle = QByteArray(300, 'L');
    full.m_nCurConfig = 2;
    ASSERT_TRUE(full.OnSaveDocument(Path("full.hpr")));
    const QByteArray bytes = ReadFile(Path("full.hpr"));

    for (qsizetype length = 0; length < bytes.size(); ++length) {
        m_prompt.Clear();
        CProjectDocument doc;
        const QString path = WriteProject(bytes.left(length), "cut.hpr");
        ASSERT_FALSE(doc.OnOpenDocument(path)) << length;
        ASSERT_EQ(m_prompt.Boxes().size(), 1) << length;
        EXPECT_TRUE(m_prompt.Boxes().at(0).text.startsWith("Cannot open the file")) << length;
        EXPECT_EQ(doc.m_files.size(), 0);
        EXPECT_EQ(doc.m_configs, QList{CProjectDocument::DefaultConfiguration()});
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST_F(ProjectFile, AbsurdCountsAndLengthsFailCleanly)
{
    const QByteArray head = Pack({1u, "Directory", 1000u, 0u});
    const QByteArray oneConfig = Pack({1u, "D", "P", "T"});
    const QList<QByteArray> hostile = {
        head + Pack({0xFFFFFFFFu}),
        head + Pack({0x10000000u}) + QByteArray(64, '\0'),
        head + oneConfig + Pack({0x7FFFFFFFu}),
        head + QByteArray::fromHex("01000000ffffff") + Pack({0xFFFFFFF0u}),
        Pack({0u, "Directory", 0xFFFFFFFFu, "B", 1u, "T"}),
        Pack({1u}) + QByteArray::fromHex("ffff7f"),
    };
    for (const QByteArray& bytes : hostile) {
        m_prompt.Clear();
        CProjectDocument doc;
        EXPECT_FALSE(doc.OnOpenDocument(WriteProject(bytes)));
        ASSERT_EQ(m_prompt.Boxes().size(), 1);
        EXPECT_TRUE(m_prompt.Boxes().at(0).text.contains("rest of the file"))
            << m_prompt.Boxes().at(0).text.toStdString();
    }
}

TEST_F(ProjectFile, AStoredCurrentIndexOutOfRangeReadsAsZero)
{
    for (quint32 stored : {2u, 0x80000000u, 0xFFFFFFFFu}) {
        const QByteArray bytes =
            Pack({1u, "Directory", 1000u, stored, 2u, "A", "a", "", "B", "b", "", 0u});
        CProjectDocument doc;
        ASSERT_TRUE(doc.OnOpenDocument(WriteProject(bytes)));
        EXPECT_EQ(doc.m_nCurConfig, 0);
        EXPECT_EQ(doc.GetCurConfigName(), "A");
    }
    // A file without any configuration still opens with the default one.
    CProjectDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(WriteProject(Pack({1u, "Directory", 1u, 0u, 0u, 0u}))));
    EXPECT_EQ(doc.GetCurConfigName(), "DEFAULT");
}

TEST_F(ProjectFile, AFailedSaveKeepsTheOldFile)
{
    // A project whose writing breaks off half-way.
    class CBrokenProject : public CProjectDocument
    {
    public:
        void Serialize(CArchive& ar) override
        {
            CProjectDocument::Serialize(ar);
            throw CArchiveException(CArchiveException::writeFailed, "Disk full.");
        }
    };
    const QString path = WriteProject(kNewProject);
    CBrokenProject doc;
    FillProject(doc);
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFile(path), kNewProject);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"p.hpr"});
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes().at(0).text, "Cannot save the file \"" + path + "\".\nDisk full.");

    // A folder that does not exist: reported, nothing created.
    CProjectDocument plain;
    EXPECT_FALSE(plain.OnSaveDocument(Path("missing/p.hpr")));
    EXPECT_EQ(m_prompt.Boxes().size(), 2);
}

TEST_F(ProjectFile, OnlyOneProjectIsOpenAtATime)
{
    const QString path = WriteProject(kNewProject);
    CProjectDocument* openProject = nullptr;
    {
        CProjectDocument first;
        first.SetOpenProjectSlot(&openProject);
        int opened = 0;
        QObject::connect(&first, &CProjectDocument::projectOpened, [&] { ++opened; });
        ASSERT_TRUE(first.OnOpenDocument(path));
        EXPECT_EQ(openProject, &first);
        EXPECT_EQ(opened, 1);

        CProjectDocument second;
        second.SetOpenProjectSlot(&openProject);
        EXPECT_FALSE(second.OnOpenDocument(path));
        EXPECT_EQ(openProject, &first);
        ASSERT_EQ(m_prompt.Boxes().size(), 1);
        EXPECT_EQ(m_prompt.Boxes().at(0).text, "Only one project can be open at a time!");
        EXPECT_EQ(m_prompt.Boxes().at(0).caption, "Open Error");
        EXPECT_EQ(m_prompt.Boxes().at(0).type, Mb::Ok);
        EXPECT_FALSE(MayOpenProject(openProject));
        EXPECT_TRUE(MayOpenProject(nullptr));
        EXPECT_EQ(m_prompt.Boxes().size(), 2);
    }
    // Destroying the open project clears the program's pointer to it.
    EXPECT_EQ(openProject, nullptr);
}

TEST_F(ProjectFile, MissingAndUnreadableFilesAreReported)
{
    CProjectDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(Path("nothing.hpr")));
    EXPECT_FALSE(doc.OnOpenDocument(m_dir.path()));
    ASSERT_EQ(m_prompt.Boxes().size(), 2);
    EXPECT_EQ(m_prompt.Boxes().at(0).text,
              "Cannot open the file \"" + Path("nothing.hpr") + "\".\nThe file does not exist.");
    EXPECT_EQ(m_prompt.Boxes().at(0).type, Mb::Ok | Mb::IconError);
}

TEST_F(ProjectFile, AProjectMadeOnWindowsOpens)
{
    const QByteArray bytes = Pack({1u, "Library", 1500u, 1u}) +
                             Pack({2u, "DEFAULT", "Project", "T", "DEBUG", "Dbg", "T"}) +
                             Pack({2u, "src\\main.s", 1u, 1u, "main", 1u, "DEBUG"}) +
                             Pack({"C:\\HP\\lib\\util.h", 1u, 0u, "util.h", 0u, "DEBUG"});
    CProjectDocument doc;
    CFakeFileList list;
    doc.SetFileList(&list);
    const QString path = WriteProject(bytes, "win.hpr");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetCurConfigName(), "DEBUG");
    EXPECT_EQ(doc.m_files.at(0).path, "src\\main.s");
    EXPECT_EQ(doc.GetFileFullPath(0), DirectoryPart(FullPath(path)) + "src/main.s");
    EXPECT_EQ(doc.GetFileFullPath(1), "C:/HP/lib/util.h");
    EXPECT_EQ(list.Column(0), QStringList({"src\\main.s", "C:\\HP\\lib\\util.h"}));
    EXPECT_EQ(list.Images(), QList<int>({1, 0}));
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFile(path), bytes);
}
