// Reading the file and line out of tool error lines, and finding the file whatever the
// case the tool wrote its name in.
#include "SourceReference.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char* line;
    const char* file; // nullptr: the line leads nowhere
    int number;
};

class ParseSourceReferenceTest : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseSourceReferenceTest, ReadsFileAndLine)
{
    const ParseCase& c = GetParam();
    const auto ref = ParseSourceReference(QString::fromLatin1(c.line));
    if (!c.file) {
        EXPECT_FALSE(ref.has_value()) << c.line;
        return;
    }
    ASSERT_TRUE(ref.has_value()) << c.line;
    EXPECT_EQ(ref->fileName, QString::fromLatin1(c.file));
    EXPECT_EQ(ref->line, c.number);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseSourceReferenceTest,
    testing::Values(
        // The error form.
        ParseCase{"*** ERROR in \"MAIN.S\" on line 7: Unknown word", "MAIN.S", 7},
        ParseCase{"*** ERROR in \"a, b: c.s\" on line 12: x", "a, b: c.s", 12},
        // The comma form, also with a file name holding blanks.
        ParseCase{"\"MAIN.S\", line 12: undefined symbol", "MAIN.S", 12},
        ParseCase{"\"my file.s\", line 3: x", "my file.s", 3},
        // The colon form, with blanks before the number.
        ParseCase{"MAIN.S: 12: bad opcode", "MAIN.S", 12},
        ParseCase{"MAIN.S:   40:x", "MAIN.S", 40}, ParseCase{"Error: 3: no such file", "Error", 3},
        // The number ends at the first non-digit.
        ParseCase{"MAIN.S: 12abc: x", "MAIN.S", 12},
        // A comma after the first ": " does not make the comma form.
        ParseCase{"MAIN.S: 5: expected a, b", "MAIN.S", 5}));

INSTANTIATE_TEST_SUITE_P(
    Nowhere, ParseSourceReferenceTest,
    testing::Values(
        ParseCase{"No Errors", nullptr, 0}, ParseCase{"Running SASM.EXE:", nullptr, 0},
        ParseCase{"", nullptr, 0},
        // Line number 0, missing, or not a number.
        ParseCase{"MAIN.S: 0: x", nullptr, 0}, ParseCase{"MAIN.S: x: y", nullptr, 0},
        ParseCase{"\"MAIN.S\", line 0: x", nullptr, 0}, ParseCase{"MAIN.S: -4: x", nullptr, 0},
        ParseCase{"MAIN.S: 99999999999999: x", nullptr, 0},
        // Lines that begin like a form but lack its later parts.
        ParseCase{"*** ERROR in \"MAIN.S on line 7: x", nullptr, 0},
        ParseCase{"*** ERROR in \"MAIN.S\" at 7: x", nullptr, 0},
        ParseCase{"*** ERROR in \"MAIN.S\" on line 7", nullptr, 0},
        ParseCase{"*** ERROR in : x", nullptr, 0}, ParseCase{"\"MAIN.S\", row 12: x", nullptr, 0},
        ParseCase{"x, line 12: y", nullptr, 0}, ParseCase{"\"\", line 12: x", nullptr, 0},
        ParseCase{"MAIN.S: 12", nullptr, 0}, ParseCase{": 12: x", nullptr, 0}));

TEST(FindFileIgnoringCase, FindsTheStoredNameWhateverTheCase)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QDir dir(tmp.path());
    ASSERT_TRUE(dir.mkdir("Src"));
    QFile file(dir.filePath("Src/Main.s"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString stored = QDir::cleanPath(dir.absoluteFilePath("Src/Main.s"));

    EXPECT_EQ(FindFileIgnoringCase("SRC/MAIN.S", dir), stored);
    EXPECT_EQ(FindFileIgnoringCase("src\\main.s", dir), stored);
    EXPECT_EQ(FindFileIgnoringCase("Src/Main.s", dir), stored);
    EXPECT_EQ(FindFileIgnoringCase(dir.absolutePath() + "/SRC/./x/../MAIN.S", dir), stored);
    EXPECT_EQ(FindFileIgnoringCase("src/other.s", dir), QString());
    EXPECT_EQ(FindFileIgnoringCase("src", dir), QString()) << "a folder is no source";
    EXPECT_EQ(FindFileIgnoringCase("", dir), QString());
}

TEST(ResolveSourceReference, LeadsToTheStoredFileOrNowhere)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QDir dir(tmp.path());
    QFile file(dir.filePath("Prog.S"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    // The folders are tried in turn: a missing or empty one is passed over.
    const QStringList folders{tmp.path() + "/none", QString(), tmp.path()};
    const auto ref = ResolveSourceReference("\"prog.s\", line 4: x", folders);
    ASSERT_TRUE(ref.has_value());
    EXPECT_EQ(ref->fileName, dir.absoluteFilePath("Prog.S"));
    EXPECT_EQ(ref->line, 4);
    EXPECT_FALSE(ResolveSourceReference("\"prog.s\", line 4: x", {tmp.path() + "/none"}));
    EXPECT_FALSE(ResolveSourceReference("Error: 3: x", folders).has_value());
    EXPECT_FALSE(ResolveSourceReference("PROG.S: 0: x", folders).has_value());
}

} // namespace
