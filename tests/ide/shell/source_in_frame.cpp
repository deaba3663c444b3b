// The editor and the build messages inside the running program: a source opened
// without a project, the jump from an error line through the program's open path, the
// Edit commands and the keys that belong to the main window while the editor has the
// focus, and the status bar's line/column pane.
#include "BuildMessagesBar.h"
#include "CommandIds.h"
#include "DocTemplate.h"
#include "ProjectDocument.h"
#include "ShellTestSupport.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QTest>

using namespace Cmd;

namespace {

class SourceInFrameTest : public ShellTest
{
protected:
    SourceInFrameTest()
    {
        const QString tools = WriteToolFiles();
        QDir().mkpath(m_work.filePath("src"));
        WriteOptions(
            {{"ToolLocation", tools}, {"DefaultDir", m_work.filePath("src")}, {"ShowTips", "No"}});
        EXPECT_TRUE(m_app.InitInstance({"-Embedding"}));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    }
    CMainFrame* Frame() { return m_app.GetMainFrame(); }
    QString MakeSource(const QString& name, const QByteArray& text)
    {
        QFile file(m_work.filePath("src/" + name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    CSourceEditView* ActiveEditor()
    {
        auto* doc = qobject_cast<CSourceDocument*>(Frame()->GetActiveDocument());
        return doc ? doc->GetFirstView() : nullptr;
    }

    CVelmoraApp m_app;
};

TEST_F(SourceInFrameTest, OpeningASourceWithoutAProjectOpensAnUntitledOne)
{
    ASSERT_EQ(Frame()->m_pProject, nullptr);
    const QString path = MakeSource("Alone.s", "x\n");
    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    ASSERT_NE(Frame()->m_pProject, nullptr);
    EXPECT_TRUE(Frame()->m_pProject->GetPathName().isEmpty());
    ASSERT_NE(ActiveEditor(), nullptr);
    EXPECT_EQ(ActiveEditor()->GetDocument()->GetPathName(), path);
}

TEST_F(SourceInFrameTest, AnErrorLineOpensTheStoredFileAndSelectsTheLine)
{
    const QString path = MakeSource("Prog.S", "one\ntwo\nthree\nfour\n");
    auto* bar = qobject_cast<CBuildMessagesBar*>(Frame()->GetMessagesBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Frame()->GetMessages(), static_cast<IBuildMessages*>(bar));
    QDir::setCurrent(m_work.filePath("src"));
    bar->ShowMessages();
    bar->AddMessage("\"PROG.S\", line 3: unknown word");
    bar->GoToSource();
    CSourceEditView* editor = ActiveEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetDocument()->GetPathName(), path);
    EXPECT_EQ(editor->textCursor().selectedText(), QString("three"));

    // Again, with the current folder elsewhere: the saved project's folder is searched
    // first. The open document is reused, not opened twice, and the editor has the
    // caret on the line and the focus.
    ASSERT_TRUE(Frame()->m_pProject->OnSaveDocument(m_work.filePath("src/demo.hpr")));
    QDir::setCurrent(m_work.path());
    bar->AddMessage("prog.s: 1: x");
    bar->GoToSource();
    EXPECT_EQ(m_app.GetSourceTemplate()->GetDocuments().size(), 1);
    EXPECT_EQ(ActiveEditor()->textCursor().selectedText(), QString("one"));
    EXPECT_EQ(Frame()->GetLineColText(), "Ln: 1 Col: 4");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ActiveEditor()->hasFocus(); }, 1000));
}

TEST_F(SourceInFrameTest, EditCommandsAndWindowKeysWhileEditing)
{
    ASSERT_NE(m_app.OpenDocumentFile(MakeSource("Edit.s", "abc\n")), nullptr);
    CSourceEditView* editor = ActiveEditor();
    ASSERT_NE(editor, nullptr);
    Frame()->activateWindow();
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }, 1000));

    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(Frame()->GetLineColText(), "Ln: 1 Col: 3");

    CCommandManager& commands = Frame()->GetCommandManager();
    commands.UpdateAll();
    EXPECT_TRUE(commands.Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_TRUE(commands.Execute(ID_EDIT_UNDO));
    EXPECT_EQ(editor->GetDocument()->GetBytes(), QByteArray("abc\r\n"));
    EXPECT_TRUE(commands.Execute(ID_EDIT_FIND));
    ASSERT_NE(editor->GetFindDialog(), nullptr);
    EXPECT_FALSE(editor->GetFindDialog()->IsReplace());
    editor->GetFindDialog()->close();

    // The second keys of Undo and Paste work through the window's commands.
    editor->setFocus();
    QTest::keyClicks(editor, "x");
    QTest::keyClick(editor, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(editor->GetDocument()->GetBytes(), QByteArray("abc\r\n"));
    QApplication::clipboard()->setText("P");
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(editor->GetDocument()->GetBytes(), QByteArray("Pabc\r\n"));

    // Escape belongs to View, Messages even while the editor has the focus.
    QDockWidget* bar = Frame()->GetMessagesBar();
    const bool shown = bar->isVisible();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_NE(bar->isVisible(), shown);
    // Unless something else takes it: the configuration box's open list closes, and
    // the messages stay as they were.
    QComboBox* configs = Frame()->GetConfigBox();
    configs->showPopup();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_NE(bar->isVisible(), shown);

    // Redo takes back an undo; Select All selects the whole text.
    editor->setFocus();
    QTest::keyClicks(editor, "z");
    const QByteArray typed = editor->GetDocument()->GetBytes();
    EXPECT_TRUE(commands.Execute(ID_EDIT_UNDO));
    QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editor->GetDocument()->GetBytes(), typed);
    EXPECT_TRUE(commands.Execute(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(editor->textCursor().selectedText().size(), editor->document()->characterCount() - 1);
}

} // namespace

SHELL_TEST_MAIN()
