// "cmake --install" into a temporary prefix puts the programs, the tool location, the
// templates, the desktop file and the MIME types where the desktop and velmora's own
// defaults find them, and the installed tool copy runs with an empty environment.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class InstallTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new QTemporaryDir();
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(
            QStringLiteral(CMAKE_COMMAND),
            {"--install", QStringLiteral(VELMORA_BUILD_DIR), "--prefix", s_prefix->path()});
        install.waitForFinished(300000);
        s_output = QString::fromLocal8Bit(install.readAll());
        s_ok = install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
    }
    static void TearDownTestSuite() { delete s_prefix; }
    static QString Path(const QString& relative) { return s_prefix->path() + '/' + relative; }

    static QTemporaryDir* s_prefix;
    static QString s_output;
    static bool s_ok;
};

QTemporaryDir* InstallTest::s_prefix = nullptr;
QString InstallTest::s_output;
bool InstallTest::s_ok = false;

TEST_F(InstallTest, ProgramsAndTheProgramFolder)
{
    ASSERT_TRUE(s_ok) << s_output.toStdString();
    for (const char* program : {"bin/wendrix", "bin/tavrel", "libexec/velmora/velmora"}) {
        const QFileInfo info(Path(program));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << program;
    }
    EXPECT_TRUE(QFileInfo(Path("lib/libquorvex.so")).exists());
    // bin/velmora leads to the program in its folder, where the defaults look.
    const QFileInfo link(Path("bin/velmora"));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_EQ(link.canonicalFilePath(),
              QFileInfo(Path("libexec/velmora/velmora")).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(Path("libexec/velmora/HPTools/Wendrix.EXE")).isExecutable());
    EXPECT_TRUE(QFileInfo(Path("libexec/velmora/Templates/SysRPL.s")).isFile());
    EXPECT_TRUE(QFileInfo(Path("share/doc/Velmora/user-guide.md")).isFile());
}

TEST_F(InstallTest, InstalledToolCopyFindsItsLibraryWithoutEnvironment)
{
    ASSERT_TRUE(s_ok) << s_output.toStdString();
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.setProcessEnvironment(QProcessEnvironment());
    tool.start(Path("libexec/velmora/HPTools/Wendrix.EXE"), {});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(tool.readAll());
    EXPECT_FALSE(output.contains("error while loading shared libraries")) << output.toStdString();
    EXPECT_NE(tool.exitCode(), 127) << output.toStdString();
}

TEST_F(InstallTest, DesktopFileAndMimeTypes)
{
    ASSERT_TRUE(s_ok) << s_output.toStdString();
    const QByteArray desktop = ReadAll(Path("share/applications/velmora.desktop"));
    EXPECT_TRUE(desktop.contains("Exec=velmora %f"));
    EXPECT_TRUE(desktop.contains("Icon=velmora"));
    EXPECT_TRUE(desktop.contains("application/x-velmora-project;text/x-velmora-source;"));
    const QByteArray mime = ReadAll(Path("share/mime/packages/velmora.xml"));
    EXPECT_TRUE(mime.contains("<mime-type type=\"application/x-velmora-project\">"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.hpr\"/>"));
    EXPECT_TRUE(mime.contains("<mime-type type=\"text/x-velmora-source\">"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.s\"/>"));
    EXPECT_TRUE(QFileInfo(Path("share/icons/hicolor/48x48/apps/velmora.png")).isFile());
    EXPECT_TRUE(
        QFileInfo(Path("share/icons/hicolor/48x48/mimetypes/application-x-velmora-project.png"))
            .isFile());
}

} // namespace
