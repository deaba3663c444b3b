// Help > Examples' copy: the first open copies the shipped example, later opens keep the
// user's copy with its changes, and a missing example is reported without leaving a
// folder behind.
#include "ExampleProjects.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ExampleProjects, CopiedOnceThenTheUsersCopyIsKept)
{
    QTemporaryDir work;
    const QString shipped = work.filePath("Examples");
    Write(shipped + "/library/Velmo.hpr", "project");
    Write(shipped + "/library/sub/Hello.s", "source");
    QFile::setPermissions(shipped + "/library/sub/Hello.s", QFile::ReadOwner);
    const QString projects = work.filePath("Projects/Examples");

    QString error;
    const QString hpr = PrepareExample(shipped, "library", projects, error);
    EXPECT_EQ(hpr, projects + "/library/Velmo.hpr");
    EXPECT_EQ(Read(projects + "/library/sub/Hello.s"), "source");
    EXPECT_TRUE(QFileInfo(projects + "/library/sub/Hello.s").isWritable());

    Write(projects + "/library/sub/Hello.s", "changed");
    EXPECT_EQ(PrepareExample(shipped, "library", projects, error), hpr);
    EXPECT_EQ(Read(projects + "/library/sub/Hello.s"), "changed");

    EXPECT_TRUE(PrepareExample(shipped, "missing", projects, error).isEmpty());
    EXPECT_TRUE(error.contains("\"missing\" was not found")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(projects + "/missing"));
}

TEST(ExampleProjects, EveryMenuItemHasAShippedExample)
{
    for (const QString& folder : ExampleProjects()) {
        EXPECT_EQ(QDir(QString(EXAMPLES_DIR) + '/' + folder).entryList({"*.hpr"}).size(), 1)
            << folder.toStdString();
    }
}

} // namespace
