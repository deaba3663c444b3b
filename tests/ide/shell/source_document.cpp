// Source documents on disk: what loading and saving do to line ends and bytes, the
// size limit, failed saves that must leave the old file alone, and InsertFile.
#include "PromptRecorder.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "SourceText.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class SourceDocumentTest : public testing::Test
{
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Opens bytes as a document, saves it under a new name and returns what was written.
    QByteArray RoundTrip(const QByteArray& bytes)
    {
        CSourceDocument doc;
        EXPECT_TRUE(doc.OnOpenDocument(Write("in.s", bytes)));
        const QString out = m_dir.filePath("out.s");
        EXPECT_TRUE(doc.OnSaveDocument(out));
        return Read(out);
    }

    QTemporaryDir m_dir;
    CPromptRecorder m_prompt;
};

TEST_F(SourceDocumentTest, SavingWritesCrLfAfterEveryLine)
{
    EXPECT_EQ(RoundTrip("a\nb"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(RoundTrip("a\nb\n"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(RoundTrip("a\r\n\r\nb\r\n"), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(RoundTrip(""), QByteArray(""));
    EXPECT_EQ(RoundTrip("\t\tDROP\n"), QByteArray("\t\tDROP\r\n"));
    // A carriage return without a line feed is a character of the line, not a line end:
    // it comes back as it was, and no line is added.
    EXPECT_EQ(RoundTrip("a\rb\n"), QByteArray("a\rb\r\n"));
    EXPECT_EQ(RoundTrip("a\r\r\nb\r\r\n"), QByteArray("a\r\r\nb\r\r\n"));
    EXPECT_EQ(RoundTrip("\r"), QByteArray("\r\r\n"));
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(SourceDocumentTest, CalculatorCharactersComeBackByteForByte)
{
    QByteArray bytes;
    for (int line = 0; line < 4; ++line) {
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n' && (b + line) % 4 == 0)
                bytes.append(static_cast<char>(b));
        }
        bytes += "\r\n";
    }
    EXPECT_EQ(RoundTrip(bytes), bytes);
}

TEST_F(SourceDocumentTest, TextAtTheLimitIsRefusedWithAMessage)
{
    CSourceDocument doc;
    EXPECT_TRUE(doc.OnOpenDocument(Write("fits.s", QByteArray(SourceText::kMaxChars - 3, 'x'))));
    EXPECT_EQ(doc.GetBytes().size(), SourceText::kMaxChars - 1);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());

    const QString big = Write("big.s", QByteArray(SourceText::kMaxChars - 2, 'x'));
    CSourceDocument refused;
    EXPECT_FALSE(refused.OnOpenDocument(big));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes()[0].text.contains("too large"))
        << m_prompt.Boxes()[0].text.toStdString();
    EXPECT_TRUE(m_prompt.Boxes()[0].text.contains(big));
    EXPECT_TRUE(refused.GetBytes().isEmpty());
    EXPECT_TRUE(refused.GetPathName().isEmpty());
}

TEST_F(SourceDocumentTest, AFailedSaveLeavesTheOldFileAsItWas)
{
    CSourceDocument doc;
    const QString path = Write("keep.s", "old text\n");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.GetTextDocument()->setPlainText("new text");
    // The folder can't take the temporary file.
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool saved = doc.OnSaveDocument(path);
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QFile(m_dir.filePath("probe")).open(QIODevice::WriteOnly) && saved)
        GTEST_SKIP() << "running as a user who can write anywhere";
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(path), QByteArray("old text\n"));
    EXPECT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SourceDocumentTest, ModifiedFlagFollowsEditsAndSaves)
{
    CSourceDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("m.s", "x\n")));
    EXPECT_FALSE(doc.IsModified());
    QTextCursor(doc.GetTextDocument()).insertText("y");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.GetTextDocument()->isModified());
    EXPECT_EQ(Read(doc.GetPathName()), QByteArray("yx\r\n"));
}

TEST_F(SourceDocumentTest, InsertFilePutsTheCaretBeforeTheInsertedText)
{
    CSourceDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(Write("t.s", "one two\n")));
    CSourceEditView view(&doc);
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor); // "two" is replaced
    view.setTextCursor(cursor);

    EXPECT_TRUE(doc.InsertFile(Write("tpl.s", "ab\xa9")));
    EXPECT_EQ(doc.GetBytes(), QByteArray("one ab\xa9\r\n"));
    EXPECT_EQ(view.textCursor().position(), 4);
    EXPECT_FALSE(view.textCursor().hasSelection());
    EXPECT_TRUE(doc.IsModified());

    EXPECT_FALSE(doc.InsertFile(m_dir.filePath("missing.s")));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes()[0].text.contains("missing.s"));
    EXPECT_EQ(doc.GetBytes(), QByteArray("one ab\xa9\r\n"));
}

TEST_F(SourceDocumentTest, AViewMadeBeforeLoadingShowsTheStart)
{
    CSourceDocument doc;
    CSourceEditView view(&doc);
    ASSERT_TRUE(doc.OnOpenDocument(Write("v.s", "one\ntwo\n")));
    EXPECT_EQ(view.textCursor().position(), 0);
}

TEST_F(SourceDocumentTest, OpeningRunsTheProjectCheckFirst)
{
    int checks = 0;
    CSourceDocument::SetEnsureProject([&] { ++checks; });
    CSourceDocument doc;
    EXPECT_TRUE(doc.OnOpenDocument(Write("p.s", "x")));
    CSourceDocument::SetEnsureProject(nullptr);
    EXPECT_EQ(checks, 1);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
