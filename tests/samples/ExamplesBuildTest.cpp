// Each example project, copied out of the checkout, builds with `velmora --build` on
// fresh settings: the defaults, which point at the tools beside the program. The result
// is a download file; a library's size field and CRC agree with its contents.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The library CRC over its nibbles from the size field to the CRC, in a download file.
bool LibraryCrcHolds(const QByteArray& file)
{
    std::vector<int> n;
    for (int i = 8; i < file.size(); ++i) {
        n.push_back(file[i] & 0xF);
        n.push_back((file[i] >> 4) & 0xF);
    }
    if (n.size() < 14) {
        return false;
    }
    const std::size_t size = n[5] | n[6] << 4 | n[7] << 8 | n[8] << 12 | n[9] << 16;
    if (5 + size > n.size() || size < 9) {
        return false;
    }
    unsigned crc = 0;
    for (std::size_t i = 5; i < 5 + size - 4; ++i) {
        crc = (crc >> 4) ^ (((crc ^ n[i]) & 0xF) * 0x1081);
    }
    const std::size_t at = 5 + size - 4;
    return crc == unsigned(n[at] | n[at + 1] << 4 | n[at + 2] << 8 | n[at + 3] << 12);
}

TEST(ExamplesBuild, EachExampleBuildsOnFreshSettings)
{
    struct Case
    {
        const char* folder;
        const char* result; // a name pattern in Compiled/
    };
    for (const Case& c :
         {Case{"library", "Velmo.lib"}, Case{"directory", "Geometry.dir"}, Case{"hello", "*.gx"}}) {
        SCOPED_TRACE(c.folder);
        QTemporaryDir work;
        const QString project = work.filePath(c.folder);
        QDirIterator it(QString(EXAMPLES_DIR) + '/' + c.folder, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target =
                project + '/' +
                QDir(QString(EXAMPLES_DIR) + '/' + c.folder).relativeFilePath(source);
            QDir().mkpath(QFileInfo(target).path());
            ASSERT_TRUE(QFile::copy(source, target));
        }
        const QStringList hpr = QDir(project).entryList({"*.hpr"});
        ASSERT_EQ(hpr.size(), 1);

        QProcess velmora;
        QProcessEnvironment env;
        env.insert("XDG_CONFIG_HOME", work.filePath("config"));
        env.insert("HOME", work.path());
        velmora.setProcessEnvironment(env);
        velmora.start(VELMORA_PROGRAM, {"--build", project + '/' + hpr.first()});
        ASSERT_TRUE(velmora.waitForFinished(120000));
        const QString out = velmora.readAllStandardOutput() + velmora.readAllStandardError();
        EXPECT_EQ(velmora.exitCode(), 0) << out.toStdString();

        const QStringList results = QDir(project + "/Compiled").entryList({c.result});
        ASSERT_FALSE(results.isEmpty()) << out.toStdString();
        QFile file(project + "/Compiled/" + results.first());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("HPHP48-"));
        if (QString(c.folder) == "library") {
            EXPECT_TRUE(LibraryCrcHolds(bytes));
        }
    }
}

} // namespace
