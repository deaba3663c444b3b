// The source templates in the running program: menu texts from the options, disabled
// templates that keep their text, Edit Templates in memory only, inserting at the
// caret, a missing template file, and the three shipped template files.
#include "CommandIds.h"
#include "ShellTestSupport.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "TemplateCommands.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Cmd;

namespace {

class TemplatesTest : public ShellTest
{
protected:
    TemplatesTest()
    {
        const QString tools = WriteToolFiles();
        m_templates = m_work.filePath("templates");
        QDir().mkpath(m_templates);
        QFile block(m_templates + "/Block.s");
        EXPECT_TRUE(block.open(QIODevice::WriteOnly));
        block.write("::\r\n  NOP\r\n;\r\n");
        WriteOptions({{"ToolLocation", tools},
                      {"DefaultDir", m_work.path()},
                      {"ShowTips", "No"},
                      {"TemplateLocation", m_templates}});
    }
    void Start() { ASSERT_TRUE(m_app.InitInstance({"-Embedding"})); }
    CMainFrame& Frame() { return *m_app.GetMainFrame(); }
    QAction* Action(int id)
    {
        Frame().GetCommandManager().UpdateAll();
        return Frame().GetCommandManager().Action(id);
    }
    // A new source window holding text, active.
    CSourceDocument* NewSource(const QString& text)
    {
        EXPECT_TRUE(Frame().GetCommandManager().Execute(ID_PROJECT_NEW));
        EXPECT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_NEW));
        auto* source = qobject_cast<CSourceDocument*>(Frame().GetActiveDocument());
        EXPECT_NE(source, nullptr);
        source->GetFirstView()->setPlainText(text);
        return source;
    }
    // Runs the Edit Templates dialog, changes it with act and presses button.
    void EditTemplates(std::function<void(QWidget*)> act, QDialogButtonBox::StandardButton button)
    {
        WhenModal([act, button](QWidget* modal) {
            act(modal);
            modal->findChild<QDialogButtonBox*>("Buttons")->button(button)->click();
        });
        ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_TEMPLATE_EDIT));
    }

    CVelmoraApp m_app;
    QString m_templates;
};

} // namespace

TEST_F(TemplatesTest, FreshSettingsNameThreeTemplatesAndDisableTwo)
{
    Start();
    NewSource("");
    const char* const texts[] = {"RPL Skeleton\tCtrl+Shift+1", "POL Block\tCtrl+Shift+2",
                                 "Code Block\tCtrl+Shift+3", "(none)\tCtrl+Shift+4",
                                 "(none)\tCtrl+Shift+5"};
    for (int n = 0; n < 5; ++n) {
        QAction* action = Action(ID_TEMPLATE_1 + n);
        EXPECT_EQ(action->text(), texts[n]) << n;
        EXPECT_EQ(action->isEnabled(), n < 3) << n;
        EXPECT_EQ(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+%1").arg(n + 1)));
    }
    EXPECT_TRUE(Action(ID_TEMPLATE_EDIT)->isEnabled());
}

TEST_F(TemplatesTest, NoSourceWindowNoInsert)
{
    Start();
    EXPECT_FALSE(Action(ID_TEMPLATE_1)->isEnabled());
    EXPECT_FALSE(Frame().GetCommandManager().Execute(ID_TEMPLATE_1));
}

TEST_F(TemplatesTest, EditTemplatesHoldsValuesInMemoryAndCancelKeepsThem)
{
    Start();
    NewSource("");
    EditTemplates(
        [](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Edit Templates");
            EXPECT_EQ(modal->findChild<QLineEdit*>("TemplateName2")->text(), "POL Block");
            EXPECT_EQ(modal->findChild<QLineEdit*>("TemplatePath3")->text(), "CodeBlock.s");
            modal->findChild<QLineEdit*>("TemplatePath2")->clear();
            modal->findChild<QLineEdit*>("TemplateName2")->setText("Renamed");
            modal->findChild<QLineEdit*>("TemplateName4")->setText("Block");
            modal->findChild<QLineEdit*>("TemplatePath4")->setText("Block.s");
        },
        QDialogButtonBox::Ok);
    // Template 2 has no path now: disabled, and its menu keeps the last name shown.
    EXPECT_FALSE(Action(ID_TEMPLATE_1 + 1)->isEnabled());
    EXPECT_EQ(Action(ID_TEMPLATE_1 + 1)->text(), "POL Block\tCtrl+Shift+2");
    EXPECT_TRUE(Action(ID_TEMPLATE_1 + 3)->isEnabled());
    EXPECT_EQ(Action(ID_TEMPLATE_1 + 3)->text(), "Block\tCtrl+Shift+4");
    EXPECT_EQ(Frame().Options().GetOption("TemplateName2"), "Renamed");
    EXPECT_EQ(Frame().Options().GetOption("TemplatePath2"), "");
    // In memory only: the settings file is written by the settings dialog's Done.
    EXPECT_EQ(StoredOption("TemplatePath2"), "<none>");

    EditTemplates([](QWidget* modal) { modal->findChild<QLineEdit*>("TemplatePath4")->clear(); },
                  QDialogButtonBox::Cancel);
    EXPECT_EQ(Frame().Options().GetOption("TemplatePath4"), "Block.s");
}

TEST_F(TemplatesTest, InsertReplacesTheSelectionAndLeavesTheCaretBefore)
{
    WriteOptions({{"TemplateName5", "Block"}, {"TemplatePath5", "Block.s"}});
    Start();
    CSourceDocument* source = NewSource("abcXYZdef\r\n");
    CSourceEditView* view = source->GetFirstView();
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_TEMPLATE_1 + 4));
    EXPECT_EQ(source->GetBytes(), "abc::\r\n  NOP\r\n;\r\ndef\r\n");
    EXPECT_EQ(view->textCursor().position(), 3);
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(TemplatesTest, KeysInsertOnlyTemplatesThatHaveAPath)
{
    WriteOptions({{"TemplateName5", "Block"}, {"TemplatePath5", "Block.s"}});
    Start();
    CSourceDocument* source = NewSource("x\r\n");
    CSourceEditView* view = source->GetFirstView();
    Frame().activateWindow();
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }, 1000));
    // Template 4 has no path: its key does nothing, also not to the text.
    QTest::keyClick(view, Qt::Key_4, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(source->GetBytes(), "x\r\n");
    QTest::keyClick(view, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(source->GetBytes(), "::\r\n  NOP\r\n;\r\nx\r\n");
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(TemplatesTest, PathIsAlwaysTakenBelowTheTemplateFolder)
{
    // An absolute path is put behind the template folder too, so the file is not found.
    WriteOptions({{"TemplatePath1", m_templates + "/Block.s"}});
    Start();
    EXPECT_EQ(Templates::FilePath(Frame().Options(), 1),
              m_templates + "/" + m_templates + "/Block.s");
    CSourceDocument* source = NewSource("keep\r\n");
    ASSERT_TRUE(Frame().GetCommandManager().Execute(ID_TEMPLATE_1));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes()[0].text.contains("Block.s"));
    EXPECT_EQ(source->GetBytes(), "keep\r\n");
}

TEST(ShippedTemplates, AreInTheBuildsTemplateFolderWithCrLfLineEnds)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("VELMORA_TEMPLATE_DIR"));
    ASSERT_FALSE(dir.isEmpty());
    for (const char* name : {"SysRPL.s", "POL.s", "CodeBlock.s"}) {
        QFile file(dir + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.endsWith("\r\n")) << name;
        EXPECT_EQ(text.count('\n'), text.count("\r\n")) << name;
        EXPECT_EQ(text.count('\r'), text.count("\r\n")) << name;
    }
}

SHELL_TEST_MAIN()
