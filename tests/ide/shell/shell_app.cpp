// The application as a whole: a plain start, commands with and without a project, the
// project window, the one-project rule, the command line, dropped files, the save
// question at exit, the tip step and the recent file list.
#include "CommandIds.h"
#include "DocTemplate.h"
#include "ProjectDocument.h"
#include "ProjectEditView.h"
#include "ShellTestSupport.h"
#include "SplashDlg.h"
#include "StartupChecks.h"
#include "TipDlg.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace Cmd;

namespace {

class AppTest : public ShellTest
{
protected:
    AppTest() { WriteQuietStartOptions(); }
    // A saved new project.
    QString MakeProject(const QString& name)
    {
        CProjectDocument project;
        EXPECT_TRUE(project.OnNewDocument());
        const QString path = m_work.filePath(name);
        EXPECT_TRUE(project.OnSaveDocument(path));
        return path;
    }
    bool Start(const QStringList& args = {"-Embedding"}) { return m_app.InitInstance(args); }
    CMainFrame& Frame() { return *m_app.GetMainFrame(); }
    bool Enabled(int id)
    {
        Frame().GetCommandManager().UpdateAll();
        return Frame().GetCommandManager().Action(id)->isEnabled();
    }

    CVelmoraApp m_app;
};

TEST_F(AppTest, PlainStartShowsTheMaximisedFrameWithNothingOpen)
{
    ASSERT_TRUE(Start({}));
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_TRUE(Frame().windowState() & Qt::WindowMaximized);
    EXPECT_EQ(Frame().windowTitle(), "Velmora Development Environment");
    EXPECT_TRUE(Frame().GetMdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(Frame().m_pProject, nullptr);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    // Tips off: the splash stays up on its own timer.
    EXPECT_TRUE(Frame().GetSplash()->isVisible());
    EXPECT_EQ(Frame().GetSplash()->TimerInterval(), CSplashDlg::kTimeoutMs);
}

TEST_F(AppTest, CommandsWithoutAProject)
{
    ASSERT_TRUE(Start());
    for (int id :
         {ID_PROJECT_NEW, ID_PROJECT_OPEN, ID_TEMPLATE_EDIT, ID_FILE_SAVE_ALL, ID_FILE_OPEN,
          ID_APP_EXIT, ID_VIEW_OPTIONS, ID_APP_ABOUT, ID_HELP, ID_CONTEXT_HELP, ID_HELP_TIP,
          ID_VIEW_STATUS_BAR, ID_VIEW_MAIN_TOOLBAR, ID_VIEW_PROJECT_TOOLBAR, ID_VIEW_MESSAGES}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    for (int id : {ID_FILE_NEW, ID_FILE_NEW_SOURCE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_CLOSE,
                   ID_FILE_PRINT, ID_WINDOW_CASCADE, ID_EDIT_COPY, ID_FILE_MRU_FILE1}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    // Building needs a project, compiling a source, cancelling a build.
    for (int id : {ID_BUILD_PROJECT, ID_BUILD_COMPILE, ID_BUILD_CANCEL, ID_PROJECT_SAVE,
                   ID_PROJECT_CLOSE, ID_PROJECT_ADD_FILES}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Frame().GetConfigBox()->isEnabled());
    EXPECT_EQ(Frame().GetConfigBox()->count(), 0);
    EXPECT_TRUE(Frame().GetCommandManager().Action(ID_VIEW_STATUS_BAR)->isChecked());
    Frame().GetCommandManager().Execute(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(Enabled(ID_VIEW_STATUS_BAR) &&
                 Frame().GetCommandManager().Action(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(AppTest, OpenProjectGetsItsWindowAndTheConfigurationBox)
{
    const QString path = MakeProject("demo.hpr");
    ASSERT_TRUE(Start());
    CDocument* document = m_app.OpenDocumentFile(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(Frame().m_pProject, document);
    auto* view = dynamic_cast<CProjectEditView*>(Frame().GetActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->columnCount(), 4);
    const QStringList headers = {"Filename", "Visible?", "Compile?", "Compiled name"};
    const int widths[] = {300, 70, 70, 100};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view->headerItem()->text(i), headers[i]);
        EXPECT_EQ(view->columnWidth(i), widths[i]);
    }
    EXPECT_EQ(Frame().GetConfigBox()->count(), 1);
    EXPECT_EQ(Frame().GetConfigBox()->itemText(0), "DEFAULT (Project)");
    EXPECT_TRUE(Enabled(ID_PROJECT_CONFIG));
    EXPECT_TRUE(Frame().GetConfigBox()->isEnabled());
    EXPECT_TRUE(Enabled(ID_FILE_NEW_SOURCE));
    EXPECT_TRUE(Enabled(ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(ID_FILE_CLOSE));
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_AS));
    EXPECT_EQ(Frame().windowTitle(), "Velmora Development Environment - demo.hpr");

    // The title marker follows the modified flag.
    document->SetModifiedFlag(true);
    view->UpdateTitleMarker();
    EXPECT_EQ(document->GetTitle(), "demo.hpr *");
    document->SetModifiedFlag(false);
    view->UpdateTitleMarker();
    EXPECT_EQ(document->GetTitle(), "demo.hpr");

    // The project window does not close by itself.
    Frame().GetActiveChild()->close();
    EXPECT_EQ(Frame().GetMdiArea()->subWindowList().size(), 1);
}

TEST_F(AppTest, OneProjectAtATime)
{
    const QString first = MakeProject("first.hpr");
    const QString second = MakeProject("second.hpr");
    ASSERT_TRUE(Start());
    CDocument* project = m_app.OpenDocumentFile(first);
    ASSERT_NE(project, nullptr);
    // The same project again comes to the front without a word.
    EXPECT_EQ(m_app.OpenDocumentFile(first), project);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    EXPECT_EQ(m_app.OpenDocumentFile(second), nullptr);
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "Only one project can be open at a time!");
    EXPECT_EQ(m_prompt.Boxes()[0].caption, "Open Error");
    EXPECT_EQ(Frame().m_pProject, project);
    EXPECT_EQ(Frame().GetMdiArea()->subWindowList().size(), 1);
}

// Opening a lone source file makes an untitled project; left empty and unchanged, it
// gives way to the project the user opens next (the source window stays).
TEST_F(AppTest, AnUntouchedUntitledProjectGivesWayToAnOpenedOne)
{
    const QString path = MakeProject("real.hpr");
    ASSERT_TRUE(Start());
    QFile source(QFileInfo(path).dir().filePath("lone.s"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.close();
    ASSERT_NE(m_app.OpenDocumentFile(source.fileName()), nullptr);
    ASSERT_NE(Frame().m_pProject, nullptr);
    CDocument* project = m_app.OpenDocumentFile(path);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(Frame().m_pProject, project);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    EXPECT_EQ(Frame().GetMdiArea()->subWindowList().size(), 2);
}

TEST_F(AppTest, CommandLineOpensAProjectAndRemembersIt)
{
    const QString path = MakeProject("cmd.hpr");
    ASSERT_TRUE(Start({"-Embedding", path}));
    ASSERT_NE(Frame().m_pProject, nullptr);
    EXPECT_EQ(Frame().m_pProject->GetPathName(), path);
    EXPECT_EQ(m_app.RecentFiles().Entries(), QStringList{path});
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), path);
}

TEST_F(AppTest, CommandLineFileThatCannotOpenEndsTheStart)
{
    EXPECT_FALSE(Start({"-Embedding", m_work.filePath("gone.hpr")}));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_TRUE(m_prompt.Boxes()[0].text.contains("gone.hpr"));
}

TEST_F(AppTest, DroppedFilesOpen)
{
    const QString path = MakeProject("dropped.hpr");
    ASSERT_TRUE(Start());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    Frame().OpenDroppedFiles(&mime);
    ASSERT_NE(Frame().m_pProject, nullptr);
    EXPECT_EQ(Frame().m_pProject->GetPathName(), path);
}

TEST_F(AppTest, FrameGoesAwayWithItsDocumentWindowsStillOpen)
{
    // The application object takes the frame down while windows are open and shown; the
    // document windows then report changes to a frame that is going away.
    const QString path = MakeProject("left-open.hpr");
    ASSERT_TRUE(Start({"-Embedding", path}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
    QMdiSubWindow* window = Frame().GetMdiArea()->activeSubWindow();
    ASSERT_NE(window, nullptr);
    window->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isMaximized());
}

TEST_F(AppTest, ExitAsksAboutModifiedDocuments)
{
    const QString path = MakeProject("exit.hpr");
    ASSERT_TRUE(Start({"-Embedding", path}));
    Frame().m_pProject->SetModifiedFlag(true);
    m_prompt.QueueAnswer(IDCANCEL);
    Frame().close();
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "Save changes to " + path + "?");
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::YesNoCancel | Mb::IconWarning);
    EXPECT_TRUE(Frame().isVisible());

    m_prompt.QueueAnswer(IDNO);
    Frame().close();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(Frame().m_pProject, nullptr);
}

TEST_F(AppTest, SaveAsksForANameAndSavesUnderIt)
{
    ASSERT_TRUE(Start());
    Frame().EnsureProject();
    ASSERT_NE(Frame().m_pProject, nullptr);
    EXPECT_EQ(Frame().m_pProject->GetTitle(), "NewProject1");
    const QString target = m_work.filePath("named");
    m_prompt.QueueSaveFile(target);
    EXPECT_TRUE(Frame().GetCommandManager().Execute(ID_FILE_SAVE));
    ASSERT_EQ(m_prompt.FileDialogs().size(), 1);
    EXPECT_EQ(m_prompt.FileDialogs()[0].dir, QDir(m_work.path()).filePath("NewProject1.hpr"));
    EXPECT_EQ(m_prompt.FileDialogs()[0].filter, "Velmora Project Files (*.hpr)");
    EXPECT_EQ(Frame().m_pProject->GetPathName(), target + ".hpr");
    EXPECT_TRUE(QFile::exists(target + ".hpr"));
}

TEST_F(AppTest, StartupTipTakesATipAndClosesTheSplash)
{
    WriteOptions({{"ShowTips", "Yes"}});
    QString shown;
    WhenModal([&](QWidget* modal) {
        if (auto* tip = qobject_cast<CTipDlg*>(modal)) {
            shown = tip->m_strTip;
        }
        static_cast<QDialog*>(modal)->reject();
    });
    ASSERT_TRUE(Start({}));
    EXPECT_TRUE(shown.startsWith("Welcome to Velmora!"));
    EXPECT_EQ(StoredOption("TipNum"), "1");
    EXPECT_FALSE(Frame().GetSplash()->isVisible());
}

TEST_F(AppTest, MenuCommandsOpenTheirDialogs)
{
    ASSERT_TRUE(Start());
    const std::pair<int, const char*> commands[] = {{ID_VIEW_OPTIONS, "Program Settings"},
                                                    {ID_APP_ABOUT, "About Velmora"},
                                                    {ID_HELP_TIP, "Tip of the Day"}};
    for (const auto& [id, caption] : commands) {
        QString shown;
        WhenModal([&shown](QWidget* modal) {
            shown = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        });
        EXPECT_TRUE(Frame().GetCommandManager().Execute(id));
        EXPECT_EQ(shown, caption);
    }
    // The tip from the Help menu takes a tip whatever ShowTips says.
    EXPECT_EQ(StoredOption("TipNum"), "1");
}

TEST_F(AppTest, NoTipWhenSwitchedOff)
{
    ASSERT_TRUE(Start({}));
    EXPECT_EQ(StoredOption("TipNum"), "<none>");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace

SHELL_TEST_MAIN()
