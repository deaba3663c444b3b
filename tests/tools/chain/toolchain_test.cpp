// The bundled tool chain as the build runs it: the example project's objects hold
// exactly the nibbles worked out by hand, each walks to its end and has a CRC, and an
// error of each tool leads the build messages back to the source line.
#include "BuildTestSupport.h"
#include "NibbleFile.h"
#include "SourceReference.h"

#include <QRegularExpression>

namespace {

// Memory order, one hex digit a nibble; blanks only for reading.
struct Expected
{
    const char* name;
    std::string nibbles;
};
const std::string kHeader = "84058405 4383D225"; // "HPHP48-R"
const std::vector<Expected> kHello = {
    {"Hello", "D9D20 51A81"                             // program, CK0NOLASTWD
              " C2A20 F1000 8456C6C6F6C20277F627C64612" // $ "Hello, world!"
              " B2130"},
    {"Literals", "47A20"                                                  // list
                 " 11920 C1000 11920 46000"                               // # 1C, 100
                 " 33920 000 000000000001 0"                              // % 1
                 " 33920 100 000000000521 9"                              // % -12.5
                 " 33920 999 000000000005 0"                              // % .5
                 " 55920 00000 000000000000001 0"                         // %% 1
                 " 77920 000 000000000001 0 000 000000000002 0"           // C% 1 2
                 " D9920 00000 000000000000001 0 00000 000000000000002 0" // C%% 1 2
                 " FB920 14"                                              // CHR A
                 " C2A20 90000 1424"                                      // $ "AB"
                 " E4A20 80000 008"                                       // HXS 3 008
                 " 84E20 50 84 56 C6 C6 F6"                               // ID Hello
                 " D6E20 10 E6"                                           // LAM n
                 " CFA20 10 87 33920 000 000000000001 0"                  // TAG x % 1
                 " 29E20 2D4 100"                                         // ROMPTR 4D2 1
                 " E1B20 31000 20000 80000 FF 18"                         // GROB
                 " 8E920 43000 33920 10000 20000 000 000000000001 0 000 000000000002 0" // ARRY
                 " A0A20 E2000 C2A20 10000 20000 A0000 C0000 70000 16 90000 2636"       // LNKARRY
                 " ADA20 33920 000 000000000001 0 FB920 B6 C2A20 70000 D6 C7B01" // UNIT 1 k m umP
                 " C2A20 70000 37 ED2A2 27B01 86B01 68B01 B2130" // s %2 um^ um/ umEND
                 " 8BA20 84E20 10 14 B2130"                      // SYMBOL ID A ;
                 " 88130"                                        // PTR 03188
                 " D9D20 88130 B2130"                            // :: DUP ;
                 " 47A20 B2130"                                  // { }
                 " B2130"},
    {"Keep", "CCD20 71000" // code object, 5 + 18 nibbles
             " 8F B9760"   // GOSBVL =SAVPTR
             " 6 300"      // GOTO done
             " 8D 34150"}, // GOVLNG =GETPTRLOOP
};

std::string Digits(const std::string& spaced)
{
    std::string digits;
    for (const char c : spaced)
        if (c != ' ')
            digits += c;
    return digits;
}

// The nibbles of a download file in memory order.
std::string NibblesOf(const QByteArray& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string nibbles;
    for (const char b : bytes) {
        nibbles += hex[b & 0xF];
        nibbles += hex[(b >> 4) & 0xF];
    }
    return nibbles;
}

// Options as on a fresh machine, but for the tool location of this build tree.
class ToolChainTest : public BuilderFixture
{
protected:
    ToolChainTest() { m_options.SetOption("ToolLocation", TOOL_DIR); }

    void CopyExample()
    {
        for (const QString& name : QDir(EXAMPLE_DIR).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(QString(EXAMPLE_DIR) + '/' + name, m_dir.filePath(name)));
    }
    void CheckObject(const QString& path, const Expected& expected)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const std::string nibbles = NibblesOf(file.readAll());
        const std::string object = Digits(expected.nibbles);
        EXPECT_EQ(nibbles.substr(0, 16), Digits(kHeader)) << expected.name;
        EXPECT_EQ(nibbles.substr(16), object + (object.size() % 2 ? "0" : "")) << expected.name;
        CNibbleFile nibbleFile(path.toStdString(), 0);
        nibbleFile.Seek(16);
        EXPECT_EQ(nibbleFile.SkipOb(), static_cast<int>(object.size())) << expected.name;
        nibbleFile.Seek(16);
        nibbleFile.CRCOb();
        EXPECT_EQ(nibbleFile.FilePos(), 16 + object.size()) << expected.name;
    }
};

TEST_F(ToolChainTest, ExampleProjectBuildsToTheHandWorkedObjects)
{
    CopyExample();
    CProjectDocument project;
    project.SetOpenProjectSlot(&m_pProject);
    ASSERT_TRUE(project.OnOpenDocument(m_dir.filePath("hello.hpr")));
    ASSERT_TRUE(m_builder.BuildProject(m_progress)) << m_messages.lines.join('\n').toStdString();
    for (const Expected& object : kHello)
        CheckObject(m_dir.filePath(QString("Compiled/") + object.name + ".gx"), object);
}

// A library project without a configuration program of its own: the generated one
// links against the bundled entry table, and the library is written.
TEST_F(ToolChainTest, LibraryProjectLinksTheGeneratedConfiguration)
{
    CopyExample();
    CProjectDocument project;
    project.SetOpenProjectSlot(&m_pProject);
    ASSERT_TRUE(project.OnOpenDocument(m_dir.filePath("hello.hpr")));
    project.m_strProjectType = "Library";
    ASSERT_TRUE(m_builder.BuildProject(m_progress)) << m_messages.lines.join('\n').toStdString();
    // :: 1000 TOSRRP ;
    CheckObject(m_dir.filePath("Compiled/ProjectConfig.gx"),
                {"ProjectConfig", "D9D20 11920 8E300 90770 B2130"});
    EXPECT_EQ(QDir(m_dir.filePath("Compiled")).entryList({"*.lib"}).size(), 1);
}

// A new file made from the RPL Skeleton template compiles to an object the calculator
// reads: it has the download header, and the loader has nothing to warn about.
TEST_F(ToolChainTest, RplSkeletonTemplateCompilesToADownloadFile)
{
    QFile skeleton(QString(TEMPLATE_DIR) + "/SysRPL.s");
    ASSERT_TRUE(skeleton.open(QIODevice::ReadOnly));
    const QString source = Write("Skel.s", skeleton.readAll());
    ASSERT_TRUE(m_builder.CompileFile(source, m_progress, false))
        << m_messages.lines.join('\n').toStdString();
    EXPECT_TRUE(m_messages.lines.filter("Warning").isEmpty())
        << m_messages.lines.join('\n').toStdString();
    EXPECT_TRUE(Read("Compiled/Skel.gx").startsWith("HPHP48-"));
}

TEST_F(ToolChainTest, EachToolsErrorLeadsToTheSourceLine)
{
    const QByteArray header = "ASSEMBLE\r\n  NIBASC /HPHP48-R/\r\nRPL\r\n";
    struct Case
    {
        const char* tool;
        QByteArray source;
        int line;
    };
    const Case cases[] = {
        {"RPLCOMP", header + "::\r\n  {\r\n    DUP\r\n;\r\n", 7},
        {"SASM", header + "CODE\r\n  GOSBVL =SAVPTR\r\n  NOSUCHOP\r\nENDCODE\r\n", 6},
        {"SLOAD", header + "::\r\n  DUP\r\n  NOSUCHENTRY\r\n;\r\n", 6},
    };
    for (const Case& c : cases) {
        const QString source = Write("Bad.s", c.source);
        m_messages.lines.clear();
        EXPECT_FALSE(m_builder.CompileFile(source, m_progress, false)) << c.tool;
        const QStringList errors = m_messages.lines.filter(QRegularExpression("^\\*\\*\\* ERROR"));
        ASSERT_FALSE(errors.isEmpty()) << c.tool << m_messages.lines.join('\n').toStdString();
        const QString tool = QString("Running ") + c.tool + ".EXE:";
        EXPECT_EQ(m_messages.lines.indexOf(tool) + 2, m_messages.lines.indexOf(errors.first()))
            << c.tool << m_messages.lines.join('\n').toStdString();
        const auto jump = ResolveSourceReference(errors.first(), {m_dir.path()});
        ASSERT_TRUE(jump) << errors.first().toStdString();
        EXPECT_EQ(jump->fileName, QFileInfo(source).absoluteFilePath()) << c.tool;
        EXPECT_EQ(jump->line, c.line) << errors.first().toStdString();
        EXPECT_FALSE(QFile::exists(m_dir.filePath("Compiled/Bad.gx"))) << c.tool;
    }
}

} // namespace
