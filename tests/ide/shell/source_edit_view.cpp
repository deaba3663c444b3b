// The editor widget driven with keys and clicks: the status-bar column, the indent that
// Enter copies, the title marker, SelectLine, find and replace, and keys that belong to
// the main window's commands.
#include "PromptRecorder.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "SourceFindDialog.h"
#include "SourceHighlighter.h"
#include "SourceText.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class SourceEditViewTest : public testing::Test
{
protected:
    SourceEditViewTest() : m_view(new CSourceEditView(&m_doc))
    {
        m_window.setCentralWidget(m_view);
        m_window.show();
        m_view->setFocus();
        QApplication::setActiveWindow(&m_window);
    }
    void Type(const QString& text) { QTest::keyClicks(m_view, text); }
    void Enter() { QTest::keyClick(m_view, Qt::Key_Return); }
    static std::string LastStatus(QSignalSpy& spy)
    {
        return spy.isEmpty() ? "<none>" : spy.last().at(0).toString().toStdString();
    }

    CSourceDocument m_doc;
    QMainWindow m_window;
    CSourceEditView* m_view;
};

TEST_F(SourceEditViewTest, StatusShowsLineAndColumnWithOddTabStops)
{
    QSignalSpy spy(m_view, &CSourceEditView::statusText);
    QTest::keyClick(m_view, Qt::Key_Tab);
    EXPECT_EQ(LastStatus(spy), "Ln: 1 Col: 3");
    Type("x");
    QTest::keyClick(m_view, Qt::Key_Tab);
    EXPECT_EQ(LastStatus(spy), "Ln: 1 Col: 5");
    QTest::keyClick(m_view, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(m_doc.GetTextDocument()->blockCount(), 2) << "Shift+Enter makes a real line";
    // The new line starts with the tab copied from the first: tab, x, tab, tab.
    Type("x");
    QTest::keyClick(m_view, Qt::Key_Tab);
    QTest::keyClick(m_view, Qt::Key_Tab);
    EXPECT_EQ(LastStatus(spy), "Ln: 2 Col: 7");

    m_view->clearFocus();
    EXPECT_EQ(LastStatus(spy), "") << "losing the focus clears the pane";
}

TEST_F(SourceEditViewTest, StatusFollowsTheEndOfASelectionMadeBackwards)
{
    m_doc.GetTextDocument()->setPlainText("abc\n\tdef");
    QSignalSpy spy(m_view, &CSourceEditView::statusText);
    // From the end of the text back to the middle of the first line: the selection
    // ends on line 2 after the tab and three letters, whichever way it was made.
    QTextCursor cursor = m_view->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.setPosition(1, QTextCursor::KeepAnchor);
    m_view->setTextCursor(cursor);
    m_view->UpdateLineCol();
    EXPECT_EQ(LastStatus(spy), "Ln: 2 Col: 6");

    cursor.setPosition(1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_view->setTextCursor(cursor);
    m_view->UpdateLineCol();
    EXPECT_EQ(LastStatus(spy), "Ln: 2 Col: 6");
}

TEST_F(SourceEditViewTest, EnterCopiesLeadingTabs)
{
    Type("\t\tDUP");
    Enter();
    Type("DROP");
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("\t\tDUP\r\n\t\tDROP"));

    m_doc.GetTextDocument()->setPlainText("\tA\nplain");
    m_view->moveCursor(QTextCursor::End);
    Enter();
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("\tA\r\nplain\r\n")) << "no tab before the text";

    m_doc.GetTextDocument()->setPlainText("\t\tA\n\n");
    m_view->moveCursor(QTextCursor::End);
    Enter();
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("\t\tA\r\n\r\n\r\n\t\t")) << "empty lines skipped";

    // Enter in the middle of a line: the tail moves down behind the copied tabs.
    m_doc.GetTextDocument()->setPlainText("\tAB");
    QTextCursor cursor = m_view->textCursor();
    cursor.setPosition(2);
    m_view->setTextCursor(cursor);
    Enter();
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("\tA\r\n\tB"));
}

TEST_F(SourceEditViewTest, TitleMarkerAppearsAndClearsWithinHalfASecond)
{
    m_doc.SetTitle("MAIN.S");
    Type("x");
    EXPECT_TRUE(m_doc.IsModified());
    // The marker follows on the next tick of a 500 ms timer; the waits are generous
    // so that a busy machine does not fail the test.
    const QTimer* timer = m_view->findChild<QTimer*>("TitleTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_doc.GetTitle() == "MAIN.S *"; }, 5000));
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_doc.GetTitle() == "MAIN.S"; }, 5000));
}

TEST_F(SourceEditViewTest, SelectLineSelectsTheLineWithTheCaretOnIt)
{
    m_doc.GetTextDocument()->setPlainText("one\ntwo\nthree\n");
    m_view->SelectLine(2);
    EXPECT_EQ(m_view->textCursor().selectedText(), QString("two"));
    EXPECT_EQ(m_view->textCursor().blockNumber(), 1);
    m_view->SelectLine(3);
    EXPECT_EQ(m_view->textCursor().selectionStart(), 8);
    m_view->SelectLine(99);
    EXPECT_FALSE(m_view->textCursor().hasSelection());
    EXPECT_EQ(m_view->textCursor().position(), m_doc.GetTextDocument()->characterCount() - 1);
}

TEST_F(SourceEditViewTest, FindReplaceAndRepeat)
{
    m_doc.GetTextDocument()->setPlainText("DUP drop DUP\nDUPDUP dup");
    SourceFindState& state = SourceFindState::Current();
    state = SourceFindState{};

    m_view->OnEditFind();
    CSourceFindDialog* dialog = m_view->GetFindDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("FindWhat")->setText("dup");
    dialog->findChild<QPushButton*>("FindNext")->click();
    EXPECT_EQ(m_view->textCursor().selectionStart(), 0) << "case ignored by default";
    m_view->OnEditRepeat();
    EXPECT_EQ(m_view->textCursor().selectionStart(), 9);

    state.findText = "DUP";
    state.replaceText = "SWAP";
    state.matchCase = true;
    state.wholeWord = true;
    EXPECT_EQ(m_view->ReplaceAll(), 2);
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("SWAP drop SWAP\r\nDUPDUP dup"));
    m_view->undo();
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("DUP drop DUP\r\nDUPDUP dup")) << "one undo step";

    state.findText = "nothing";
    EXPECT_FALSE(m_view->FindNext());
}

TEST_F(SourceEditViewTest, KeysOfWindowCommandsGoToTheCommands)
{
    auto* addFiles = new QAction(&m_window);
    addFiles->setShortcut(QKeySequence("Ctrl+A"));
    m_window.addAction(addFiles);
    QSignalSpy triggered(addFiles, &QAction::triggered);
    m_doc.GetTextDocument()->setPlainText("text");

    QTest::keyClick(m_view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_FALSE(m_view->textCursor().hasSelection()) << "the editor did not select all";

    addFiles->setEnabled(false);
    QTest::keyClick(m_view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_TRUE(m_view->textCursor().hasSelection()) << "a disabled command leaves the key";
}

TEST_F(SourceEditViewTest, PastedTextKeepsToLatin1)
{
    QApplication::clipboard()->setText(QString::fromUtf16(u"\u00e9\u20ac\u2029x"));
    m_view->paste();
    EXPECT_EQ(m_doc.GetBytes(), QByteArray("\xe9?\r\nx"));
}

TEST_F(SourceEditViewTest, PastingAndTypingStopAtTheSizeLimit)
{
    // A text whose file, once loaded again (every line with CR LF), holds 10
    // characters fewer than the limit.
    const QString line = QString(98, QLatin1Char('x'));
    const qsizetype lines = SourceText::kMaxChars / 100 - 1;
    QStringList all(lines, line);
    all.last() += QString(SourceText::kMaxChars - 10 - 100 * lines, QLatin1Char('y'));
    m_doc.GetTextDocument()->setPlainText(all.join(QLatin1Char('\n')));
    ASSERT_EQ(m_doc.GetBytes().size() + 2, SourceText::kMaxChars - 10);
    m_view->moveCursor(QTextCursor::End);

    CPromptRecorder prompt;
    QApplication::clipboard()->setText(QString(10, QLatin1Char('p')));
    m_view->paste();
    EXPECT_EQ(prompt.Boxes().size(), 1) << "a paste that reaches the limit is refused";
    QApplication::clipboard()->setText(QString(9, QLatin1Char('p')));
    m_view->paste();
    EXPECT_EQ(prompt.Boxes().size(), 1);
    EXPECT_EQ(m_doc.GetBytes().size() + 2, SourceText::kMaxChars - 1);
    Type("z");
    EXPECT_EQ(m_doc.GetBytes().size() + 2, SourceText::kMaxChars - 1)
        << "typing stops at the limit";
}

// The colour at a column of a line, as the highlighter set it.
QColor ColourAt(QTextDocument* text, int line, int column)
{
    const QTextBlock block = text->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        if (column >= r.start && column < r.start + r.length)
            return r.format.foreground().color();
    }
    return {};
}

TEST_F(SourceEditViewTest, EditingALineColoursTheLinesWhoseStateChanged)
{
    m_view->setPlainText(":: DUP\n  CON(5) #2\n  RTN\n;");
    QTextDocument* text = m_doc.GetTextDocument();
    CSourceHighlighter* colours = m_view->GetHighlighter();
    colours->rehighlight();
    const QColor before = ColourAt(text, 1, 2);
    const QByteArray bytes = m_doc.GetBytes();

    // ASSEMBLE on the first line turns the next two lines into assembly.
    QTextCursor at(text->findBlockByNumber(0));
    at.movePosition(QTextCursor::EndOfBlock);
    at.insertText(" ASSEMBLE");
    EXPECT_EQ(text->findBlockByNumber(2).userState(), SourceLexer::kAsmAssemble);
    EXPECT_NE(ColourAt(text, 1, 2), before);
    EXPECT_EQ(ColourAt(text, 1, 2), ColourAt(text, 0, 7)) << "CON(5) is a directive";
    at.movePosition(QTextCursor::StartOfBlock);
    at.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    at.insertText(":: DUP");
    EXPECT_EQ(ColourAt(text, 1, 2), before);
    EXPECT_EQ(m_doc.GetBytes(), bytes);

    // Colours never change the text or its modified state.
    const bool modified = m_doc.IsModified();
    colours->SetColoured(false);
    EXPECT_FALSE(ColourAt(text, 0, 0).isValid());
    colours->SetColoured(true);
    EXPECT_EQ(m_doc.GetBytes(), bytes);
    EXPECT_EQ(m_doc.IsModified(), modified);
}

TEST_F(SourceEditViewTest, GoToMatchMovesToThePartnerAndCompletionOffersNames)
{
    m_view->setPlainText(":: { DEFINE MYWORD DUP }\n;\n");
    m_view->GetHighlighter()->rehighlight();
    m_view->setTextCursor(QTextCursor(m_doc.GetTextDocument()));
    EXPECT_TRUE(m_view->GoToMatch());
    EXPECT_EQ(m_view->textCursor().blockNumber(), 1);
    EXPECT_TRUE(m_view->GoToMatch());
    EXPECT_EQ(m_view->textCursor().position(), 0);

    // Three characters of a defined name open the list; Enter takes the first.
    m_view->moveCursor(QTextCursor::End);
    Type("MYW");
    ASSERT_TRUE(m_view->GetCompleter()->popup()->isVisible());
    QTest::keyClick(m_view->GetCompleter()->popup(), Qt::Key_Return);
    EXPECT_EQ(m_view->textCursor().block().text(), "MYWORD");
    Type(" my");
    EXPECT_FALSE(m_view->GetCompleter()->popup()->isVisible()) << "two characters are not enough";
    QTest::keyClick(m_view, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(m_view->GetCompleter()->popup()->isVisible()) << "Ctrl+Space asks at once";
    // In comments and strings the names are prose: no list pops up by itself.
    for (const char* prose : {"* MYW", "$ \"MYW", "( MYW"}) {
        m_view->GetCompleter()->popup()->hide();
        Enter();
        Type(prose);
        EXPECT_FALSE(m_view->GetCompleter()->popup()->isVisible()) << prose;
    }

    // A known entry name explains itself; the tooltip reads the word under the mouse.
    m_view->GetHighlighter()->SetEntries({{"DUP", 0x3188}}, "table");
    EXPECT_EQ(m_view->ToolTipAt(20), "DUP = #03188");
    EXPECT_EQ(m_view->ToolTipAt(3), "");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
