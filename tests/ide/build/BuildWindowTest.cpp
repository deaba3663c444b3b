// The build in the window: the progress dialog's keys and owner, and the build commands
// as the main frame's command map carries them out.
#include "BuildCommands.h"
#include "BuildProgressDialog.h"
#include "BuildTestSupport.h"
#include "CommandIds.h"
#include "CommandMap.h"
#include "Document.h"
#include "PromptRecorder.h"
#include "Strings.h"

#include <QApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace Cmd;

namespace {

class BuildWindowTest : public BuilderFixture
{
protected:
    QMainWindow m_frame;
};

// The main window, and with it the Cancel Build command, is disabled during a build.
// X11 delivers Ctrl+Pause as the keysym Break, for which Qt has no key code.
TEST_F(BuildWindowTest, CtrlBreakReachesTheProgressDialog)
{
    m_frame.show();
    CBuildProgressDialog dialog;
    ASSERT_TRUE(dialog.Create(&m_frame));
    QKeyEvent ctrlBreak(QEvent::KeyPress, 0, Qt::ControlModifier, 0, 0xff6b, 0);
    QApplication::sendEvent(&dialog, &ctrlBreak);
    EXPECT_TRUE(dialog.PollCancel());
}

TEST_F(BuildWindowTest, ProgressDialogDisablesItsOwnerAndOnlyCancels)
{
    m_frame.show();
    {
        CBuildProgressDialog dialog;
        ASSERT_TRUE(dialog.Create(&m_frame));
        EXPECT_FALSE(m_frame.isEnabled());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.isEnabled());
        EXPECT_EQ(dialog.windowTitle(), "Build Progress");

        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Enter);
        EXPECT_FALSE(dialog.PollCancel());
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.PollCancel());
        EXPECT_TRUE(dialog.isVisible());
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());

        dialog.SetRange(0, 4);
        dialog.SetStep(1);
        EXPECT_EQ(dialog.StepIt(), 0);
        EXPECT_EQ(dialog.findChild<QProgressBar*>("progress")->value(), 1);
        dialog.DestroyWindow();
        EXPECT_TRUE(m_frame.isEnabled());
    }
    // An owner that was disabled already stays disabled.
    m_frame.setEnabled(false);
    {
        CBuildProgressDialog dialog;
        dialog.Create(&m_frame);
    }
    EXPECT_FALSE(m_frame.isEnabled());
}

TEST_F(BuildWindowTest, CancelButtonStopsARunningToolThroughTheEventPump)
{
    m_frame.show();
    CBuildProgressDialog dialog;
    dialog.Create(&m_frame);
    QTimer::singleShot(150, &dialog,
                       [&dialog] { dialog.findChild<QPushButton*>("cancel")->click(); });
    CToolRunner runner(m_messages);
    EXPECT_FALSE(runner.RunTool(StandInDir() + "/TOOL", "SLEEP 20000", m_dir.path(), dialog));
    EXPECT_EQ(m_messages.lines.last(), "Execution cancelled");
    dialog.DestroyWindow();
}

// The frame's part that the build commands see.
class CommandsFixture : public BuildWindowTest
{
protected:
    CommandsFixture()
    {
        BuildCommandContext context;
        context.frame = &m_frame;
        context.options = &m_options;
        context.project = &m_pProject;
        context.messages = [this] { return &m_messages; };
        context.activeDocument = [this] { return m_pActive; };
        context.saveDocument = [this](CDocument* d) { saved << d; };
        context.saveAll = [this] { ++saveAlls; };
        m_commands = std::make_unique<CBuildCommands>(context);
        m_commands->Register(m_map);
    }
    CCmdUI Update(int id)
    {
        CCmdUI ui(id);
        m_map.Update(ui);
        return ui;
    }

    CCommandMap m_map;
    std::unique_ptr<CBuildCommands> m_commands;
    CDocument m_source;
    CDocument* m_pActive = nullptr;
    QList<CDocument*> saved;
    int saveAlls = 0;
};

TEST_F(CommandsFixture, CurrentFileItemsFollowTheActiveSource)
{
    EXPECT_FALSE(Update(ID_BUILD_COMPILE).IsEnabled());
    m_pActive = &m_source;
    m_source.SetTitle("PROG.s *");
    CCmdUI compile = Update(ID_BUILD_COMPILE);
    EXPECT_TRUE(compile.IsEnabled());
    EXPECT_EQ(compile.GetText(), "Compile PROG.gx\tF7");
    // Never saved, and no calculator link yet: Transfer and Simulate are off.
    CCmdUI transfer = Update(ID_BUILD_TRANSFER);
    EXPECT_EQ(transfer.GetText(), "Transfer PROG.gx to HP48\tCtrl+F7");
    EXPECT_FALSE(transfer.IsEnabled());
    m_source.SetPathName(m_dir.filePath("PROG.s"));
    EXPECT_FALSE(Update(ID_BUILD_SIMULATE).IsEnabled());

    QString simulated;
    m_commands->SetSimulateInEmulator([&](const QString& path) { simulated = path; });
    EXPECT_TRUE(Update(ID_BUILD_SIMULATE).IsEnabled());
    EXPECT_TRUE(m_map.Execute(ID_BUILD_SIMULATE));
    EXPECT_EQ(simulated, m_dir.filePath("Compiled/PROG.gx"));

    m_source.SetTitle("notes.txt");
    EXPECT_FALSE(Update(ID_BUILD_COMPILE).GetText().has_value());
    EXPECT_FALSE(Update(ID_PROJECT_FILE_VISIBLE).IsEnabled());
    EXPECT_FALSE(Update(ID_PROJECT_FILE_COMPILE).IsChecked());
    EXPECT_FALSE(Update(ID_BUILD_CANCEL).IsEnabled());
}

TEST_F(CommandsFixture, CompileSavesTheSourceAndBuildsItWithTheFrameDisabled)
{
    m_frame.show();
    m_pActive = &m_source;
    // Save As cancelled: nothing is compiled, no folder is made.
    EXPECT_TRUE(m_map.Execute(ID_BUILD_COMPILE));
    EXPECT_TRUE(m_messages.lines.isEmpty());
    saved.clear();
    m_source.SetPathName(Write("main.s", "x\r\n"));
    bool frameWasEnabled = true;
    m_messages.lines.clear();
    TestProgress probe;
    QTimer::singleShot(0, [&] { frameWasEnabled = m_frame.isEnabled(); });
    EXPECT_TRUE(m_map.Execute(ID_BUILD_COMPILE));
    EXPECT_EQ(saved, QList<CDocument*>({&m_source}));
    EXPECT_FALSE(frameWasEnabled);
    EXPECT_TRUE(m_frame.isEnabled());
    EXPECT_EQ(m_messages.lines.last(), "Successfully built main.gx");
}

TEST_F(CommandsFixture, AddCurrentFileNeedsASavedProject)
{
    m_pActive = &m_source;
    m_source.SetPathName(Write("src/a.s", "x\r\n"));
    EXPECT_FALSE(Update(ID_PROJECT_ADD_CURRENT).IsEnabled());
    CProjectDocument untitled;
    untitled.OnNewDocument();
    m_pProject = &untitled;
    EXPECT_TRUE(Update(ID_PROJECT_ADD_CURRENT).IsEnabled());
    CPromptRecorder prompt;
    m_map.Execute(ID_PROJECT_ADD_CURRENT);
    EXPECT_EQ(prompt.Texts(),
              QStringList({"Save the project document before adding source files to it."}));
    EXPECT_TRUE(untitled.m_files.isEmpty());

    NewProject("Directory");
    EXPECT_FALSE(Update(ID_BUILD_SIMULATE_PROJECT).IsEnabled());
    m_map.Execute(ID_PROJECT_ADD_CURRENT);
    ASSERT_EQ(m_pProject->m_files.size(), 1);
    EXPECT_EQ(m_pProject->m_files[0].path, "src/a.s");
    EXPECT_EQ(m_pProject->m_files[0].compiledName, "a");

    // The same file again is refused with a word instead of a second entry.
    m_map.Execute(ID_PROJECT_ADD_CURRENT);
    EXPECT_EQ(m_pProject->m_files.size(), 1);
    EXPECT_EQ(prompt.Texts().last(),
              "The file \"" + m_source.GetPathName() + "\" is already in the project.");

    EXPECT_TRUE(Update(ID_BUILD_PROJECT).IsEnabled());
    m_map.Execute(ID_BUILD_PROJECT);
    EXPECT_EQ(saveAlls, 1);
    EXPECT_EQ(m_messages.lines.first(), "--- Configuration: DEFAULT ---");
    EXPECT_TRUE(m_frame.isEnabled());
}

TEST_F(CommandsFixture, TransferOffersToBuildAnObjectOlderThanItsSources)
{
    m_frame.show();
    QStringList sent;
    m_commands->SetTransferFile([&](const QString& path, const QByteArray&) { sent << path; });
    NewProject("Directory");
    m_pActive = &m_source;
    m_source.SetPathName(Write("main.s", "x\r\n"));
    const QString object = Write("Compiled/main.gx", "old");
    SetAge("Compiled/main.gx", 60);
    const QString question = "The object is older than its sources. Build it first?";

    // Cancel sends nothing, No sends the old object, Yes builds it and then sends it.
    CPromptRecorder prompt;
    prompt.QueueAnswer(IDCANCEL);
    prompt.QueueAnswer(IDNO);
    prompt.QueueAnswer(IDYES);
    for (int i = 0; i < 3; ++i)
        m_map.Execute(ID_BUILD_TRANSFER);
    EXPECT_EQ(prompt.Texts(), QStringList({question, question, question}));
    EXPECT_EQ(sent, QStringList({object, object}));
    EXPECT_EQ(m_messages.lines.last(), "Successfully built main.gx");
    // Now up to date: sent without a question.
    m_map.Execute(ID_BUILD_TRANSFER);
    EXPECT_EQ(prompt.Boxes().size(), 3);
    EXPECT_EQ(sent.size(), 3);

    // The project's result is out of date when the project file is newer, too.
    const QString directory = Write("Compiled/Project.dir", "old");
    SetAge("Compiled/Project.dir", 60);
    prompt.QueueAnswer(IDNO);
    m_map.Execute(ID_BUILD_TRANSFER_PROJECT);
    EXPECT_EQ(prompt.Texts().last(), question);
    EXPECT_EQ(sent.last(), directory);

    // A project of individual files has no one result to send.
    m_pProject->m_strProjectType = "Individual";
    EXPECT_FALSE(Update(ID_BUILD_TRANSFER_PROJECT).IsEnabled());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
