// The project window and the project commands in the running program, offscreen: new,
// open, save and close, adding files, Save All, the configuration box, Project
// Settings, and the window's delete, move, toggle, properties, double and right click.
#include "BuildMessagesBar.h"
#include "CommandIds.h"
#include "DocTemplate.h"
#include "ProjectDocument.h"
#include "ProjectEditView.h"
#include "ProjectSettingsDlg.h"
#include "ShellTestSupport.h"
#include "SourceDocument.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace Cmd;

namespace {

class ProjectWindow : public ShellTest
{
protected:
    ProjectWindow()
    {
        const QString tools = WriteToolFiles();
        m_dir = QDir(m_work.path()).canonicalPath() + "/proj";
        QDir().mkpath(m_dir);
        for (const char* name : {"a.s", "b.s", "c.s", "d.s", "e.s"}) {
            QFile file(m_dir + '/' + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("* source\r\n");
        }
        WriteOptions({{"ToolLocation", tools}, {"DefaultDir", m_dir}, {"ShowTips", "No"}});
        EXPECT_TRUE(m_app.InitInstance({"-Embedding"}));
    }
    CMainFrame& Frame() { return *m_app.GetMainFrame(); }
    CCommandManager& Commands() { return Frame().GetCommandManager(); }
    CProjectDocument* Project() { return Frame().m_pProject; }
    CProjectEditView* View() { return dynamic_cast<CProjectEditView*>(Frame().GetActiveView()); }
    QAction* Action(int id)
    {
        Commands().UpdateAll();
        return Commands().Action(id);
    }

    // A saved project with the five files a.s to e.s, open and its window active.
    void OpenFiveFileProject()
    {
        m_prompt.QueueSaveFile(m_dir + "/demo.hpr");
        ASSERT_TRUE(Commands().Execute(ID_PROJECT_NEW));
        ASSERT_TRUE(Commands().Execute(ID_PROJECT_SAVE));
        QStringList files;
        for (const char* name : {"a.s", "b.s", "c.s", "d.s", "e.s"}) {
            files.append(m_dir + '/' + name);
        }
        m_prompt.QueueOpenFiles(files);
        ASSERT_TRUE(Commands().Execute(ID_PROJECT_ADD_FILES));
        ASSERT_TRUE(Commands().Execute(ID_PROJECT_SAVE));
        m_prompt.Clear();
        ASSERT_NE(View(), nullptr);
    }
    void Select(const QList<int>& rows)
    {
        for (int row = 0; row < View()->topLevelItemCount(); ++row) {
            View()->topLevelItem(row)->setSelected(rows.contains(row));
        }
    }
    QList<int> Selected()
    {
        QList<int> rows;
        for (int row = 0; row < View()->topLevelItemCount(); ++row) {
            if (View()->topLevelItem(row)->isSelected()) {
                rows.append(row);
            }
        }
        return rows;
    }
    // The rows' file names as shown, and the entries' paths behind them.
    QStringList Shown(int column = 0)
    {
        QStringList texts;
        for (int row = 0; row < View()->topLevelItemCount(); ++row) {
            texts.append(View()->topLevelItem(row)->text(column));
        }
        return texts;
    }
    QStringList Paths()
    {
        QStringList paths;
        for (const ProjectFileEntry& entry : Project()->m_files) {
            paths.append(QString::fromLatin1(entry.path));
        }
        return paths;
    }

    CVelmoraApp m_app;
    QString m_dir;
};

} // namespace

TEST_F(ProjectWindow, NewSaveAndAddFiles)
{
    EXPECT_TRUE(Action(ID_PROJECT_NEW)->isEnabled());
    EXPECT_TRUE(Action(ID_PROJECT_OPEN)->isEnabled());
    EXPECT_FALSE(Action(ID_PROJECT_CLOSE)->isEnabled());
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_NEW));
    ASSERT_NE(Project(), nullptr);
    EXPECT_EQ(Frame().GetConfigBox()->itemText(0), "DEFAULT (Project)");
    for (int id : {ID_PROJECT_NEW, ID_PROJECT_OPEN}) {
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    }
    for (int id : {ID_PROJECT_SAVE, ID_PROJECT_CLOSE, ID_PROJECT_SETTINGS, ID_PROJECT_ADD_FILES,
                   ID_FILE_NEW}) {
        EXPECT_TRUE(Action(id)->isEnabled()) << id;
    }

    // Files go only into a project that has a file of its own.
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_ADD_FILES));
    EXPECT_EQ(m_prompt.Texts(),
              QStringList({"Save the project document before adding source files to it."}));
    EXPECT_TRUE(m_prompt.FileDialogs().isEmpty());

    m_prompt.QueueSaveFile(m_dir + "/demo.hpr");
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_SAVE));
    EXPECT_EQ(Project()->GetPathName(), m_dir + "/demo.hpr");
    m_prompt.QueueOpenFiles({m_dir + "/b.s", m_dir + "/a.s"});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_ADD_FILES));
    ASSERT_EQ(m_prompt.FileDialogs().size(), 2);
    EXPECT_EQ(m_prompt.FileDialogs()[1].filter, "All source file (*.h *.s)");
    EXPECT_TRUE(m_prompt.FileDialogs()[1].multiSelect);
    EXPECT_EQ(Paths(), QStringList({"b.s", "a.s"}));
    EXPECT_EQ(Shown(), QStringList({"b.s", "a.s"}));
    EXPECT_EQ(Shown(3), QStringList({"b", "a"}));
    EXPECT_TRUE(Project()->IsModified());
}

TEST_F(ProjectWindow, OpenProjectAsksForAProjectFile)
{
    OpenFiveFileProject();
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_CLOSE));
    m_prompt.Clear();
    m_prompt.QueueOpenFiles({});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_OPEN));
    EXPECT_EQ(Project(), nullptr);
    m_prompt.QueueOpenFiles({m_dir + "/demo.hpr"});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_OPEN));
    ASSERT_EQ(m_prompt.FileDialogs().size(), 2);
    EXPECT_EQ(m_prompt.FileDialogs()[1].caption, "Open Project");
    EXPECT_EQ(m_prompt.FileDialogs()[1].filter, "Velmora Project Files (*.hpr)");
    ASSERT_NE(Project(), nullptr);
    EXPECT_EQ(Shown(), QStringList({"a.s", "b.s", "c.s", "d.s", "e.s"}));
}

TEST_F(ProjectWindow, CloseProjectSavesClosesEverythingAndHidesTheMessages)
{
    OpenFiveFileProject();
    CDocument* source = m_app.OpenDocumentFile(m_dir + "/a.s");
    ASSERT_NE(source, nullptr);
    source->SetModifiedFlag(true);
    Project()->SetModifiedFlag(true);
    Frame().GetMessages()->AddMessage("old line");
    Frame().GetMessages()->ShowMessages();

    // Cancel at the first question leaves everything open.
    m_prompt.QueueAnswer(IDCANCEL);
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_CLOSE));
    EXPECT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_NE(Project(), nullptr);
    EXPECT_EQ(Frame().GetMdiArea()->subWindowList().size(), 2);

    m_prompt.QueueAnswer(IDNO);
    m_prompt.QueueAnswer(IDNO);
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_CLOSE));
    EXPECT_EQ(m_prompt.Boxes().size(), 3);
    EXPECT_EQ(Project(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Frame().GetMdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(Frame().GetSourceTemplate()->GetDocuments().isEmpty());
    EXPECT_TRUE(Frame().GetProjectTemplate()->GetDocuments().isEmpty());
    EXPECT_FALSE(Frame().GetMessagesBar()->isVisible());
    auto* bar = qobject_cast<CBuildMessagesBar*>(Frame().GetMessagesBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetList()->count(), 0);
    EXPECT_TRUE(Action(ID_PROJECT_NEW)->isEnabled());
    EXPECT_TRUE(Action(ID_PROJECT_OPEN)->isEnabled());
    EXPECT_FALSE(Frame().GetConfigBox()->isEnabled());
    EXPECT_EQ(Frame().GetConfigBox()->count(), 0);
}

TEST_F(ProjectWindow, DeleteAsksOnceAndKeepsTheOtherRowsInOrder)
{
    OpenFiveFileProject();
    Select({1, 2, 4});
    m_prompt.QueueAnswer(IDNO);
    QTest::keyClick(View(), Qt::Key_Delete);
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              "Remove these 3 files from the project?\nThe files themselves stay on disk.");
    EXPECT_EQ(m_prompt.Boxes()[0].caption, "Confirm");
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::YesNo | Mb::IconQuestion | Mb::DefButton2);
    EXPECT_EQ(Paths().size(), 5);
    EXPECT_FALSE(Project()->IsModified());

    m_prompt.QueueAnswer(IDYES);
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(Paths(), QStringList({"a.s", "d.s"}));
    EXPECT_EQ(Shown(), QStringList({"a.s", "d.s"}));
    EXPECT_TRUE(Project()->IsModified());
    EXPECT_TRUE(QFile::exists(m_dir + "/b.s"));

    Select({1});
    m_prompt.QueueAnswer(IDYES);
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(m_prompt.Boxes().last().text,
              "Remove this file from the project?\nThe file itself stays on disk.");
    EXPECT_EQ(m_prompt.Boxes().last().type, Mb::YesNo | Mb::IconQuestion | Mb::DefButton1);
    EXPECT_EQ(Shown(), QStringList({"a.s"}));

    // Nothing selected: no question.
    Select({});
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(m_prompt.Boxes().size(), 3);
}

TEST_F(ProjectWindow, MoveUpAndDownByBlocks)
{
    OpenFiveFileProject();
    Select({0, 2});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_UP));
    EXPECT_EQ(Paths(), QStringList({"a.s", "c.s", "b.s", "d.s", "e.s"}));
    EXPECT_EQ(Shown(), Paths());
    EXPECT_EQ(Selected(), QList<int>({0, 1}));
    EXPECT_TRUE(Project()->IsModified());

    // A block at the top stays; a block moves down past its neighbour as a whole.
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_UP));
    EXPECT_EQ(Paths(), QStringList({"a.s", "c.s", "b.s", "d.s", "e.s"}));
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_DOWN));
    EXPECT_EQ(Paths(), QStringList({"b.s", "a.s", "c.s", "d.s", "e.s"}));
    EXPECT_EQ(Selected(), QList<int>({1, 2}));

    Select({3, 4});
    Project()->SetModifiedFlag(false);
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_DOWN));
    EXPECT_EQ(Paths(), QStringList({"b.s", "a.s", "c.s", "d.s", "e.s"}));
    EXPECT_FALSE(Project()->IsModified());
    Select({1, 4});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_DOWN));
    EXPECT_EQ(Paths(), QStringList({"b.s", "c.s", "a.s", "d.s", "e.s"}));
    EXPECT_EQ(Selected(), QList<int>({2, 4}));
}

TEST_F(ProjectWindow, TogglesAndFilePropertiesFollowTheSelection)
{
    OpenFiveFileProject();
    Select({});
    for (int id : {ID_PROJECT_FILE_VISIBLE, ID_PROJECT_FILE_COMPILE, ID_PROJECT_FILE_PROPERTIES}) {
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    }
    Select({0, 1});
    EXPECT_TRUE(Action(ID_PROJECT_FILE_VISIBLE)->isEnabled());
    EXPECT_TRUE(Action(ID_PROJECT_FILE_VISIBLE)->isChecked());
    EXPECT_FALSE(Action(ID_PROJECT_FILE_PROPERTIES)->isEnabled());
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_FILE_VISIBLE));
    EXPECT_EQ(Shown(1), QStringList({"No", "No", "Yes", "Yes", "Yes"}));
    EXPECT_FALSE(Project()->m_files.at(1).visible);
    EXPECT_FALSE(Action(ID_PROJECT_FILE_VISIBLE)->isChecked());
    EXPECT_TRUE(Project()->IsModified());
    // Mixed: everything selected is switched on.
    Select({1, 2});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_FILE_VISIBLE));
    EXPECT_EQ(Shown(1), QStringList({"No", "Yes", "Yes", "Yes", "Yes"}));
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_FILE_COMPILE));
    EXPECT_EQ(Shown(2), QStringList({"Yes", "No", "No", "Yes", "Yes"}));

    Select({3});
    Project()->SetModifiedFlag(false);
    ASSERT_TRUE(Action(ID_PROJECT_FILE_PROPERTIES)->isEnabled());
    WhenModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("CompiledName")->setText("CANCELLED");
        static_cast<QDialog*>(modal)->reject();
    });
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_FILE_PROPERTIES));
    EXPECT_EQ(Shown(3), QStringList({"a", "b", "c", "d", "e"}));
    EXPECT_FALSE(Project()->IsModified());

    WhenModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("CompiledName")->setText("DEE");
        modal->findChild<QComboBox*>("ConfigMode")->setCurrentIndex(1);
        modal->findChild<QLineEdit*>("ConfigText")->setText("OTHER");
        static_cast<QDialog*>(modal)->accept();
    });
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_FILE_PROPERTIES));
    EXPECT_EQ(Shown(3), QStringList({"a", "b", "c", "DEE", "e"}));
    const ProjectFileEntry& entry = Project()->m_files.at(3);
    EXPECT_EQ(entry.configMode, 1);
    EXPECT_EQ(entry.configList, "OTHER");
    EXPECT_TRUE(Project()->IsModified());
    // Only included in OTHER: not marked in DEFAULT.
    EXPECT_FALSE(Project()->IsFileInCurrentConfig(3));
}

TEST_F(ProjectWindow, SettingsAndTheConfigurationBox)
{
    OpenFiveFileProject();
    Project()->m_files[1].configMode = 1;
    Project()->m_files[1].configList = "DEBUG";

    // Cancel changes nothing.
    WhenModal([](QWidget* modal) {
        auto* dialog = static_cast<QDialog*>(modal);
        dialog->findChild<QPushButton*>("AddNew")->click();
        dialog->reject();
    });
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_SETTINGS));
    EXPECT_EQ(Project()->m_configs.size(), 1);
    EXPECT_FALSE(Project()->IsModified());

    WhenModal([](QWidget* modal) {
        auto* dialog = static_cast<QDialog*>(modal);
        dialog->findChild<QPushButton*>("AddNew")->click();
        auto* list = dialog->findChild<QListWidget*>("Configurations");
        static_cast<CProjectSettingsDlg*>(dialog)->EndRename(list->currentRow(), "debug");
        dialog->accept();
    });
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_SETTINGS));
    QComboBox* box = Frame().GetConfigBox();
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), "DEBUG (Project)");
    EXPECT_EQ(box->itemText(1), "DEFAULT (Project)");
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_TRUE(Project()->IsModified());

    // The same item again: no change. Another: current, modified, marks recomputed.
    Project()->SetModifiedFlag(false);
    emit box->activated(1);
    EXPECT_FALSE(Project()->IsModified());
    EXPECT_FALSE(Project()->IsFileInCurrentConfig(1));
    emit box->activated(0);
    EXPECT_EQ(Project()->GetCurConfigName(), "DEBUG");
    EXPECT_TRUE(Project()->IsModified());
    EXPECT_TRUE(Project()->IsFileInCurrentConfig(1));
    EXPECT_EQ(View()->topLevelItem(1)->icon(0).cacheKey(), View()->GetImage(1).cacheKey());
    EXPECT_EQ(View()->topLevelItem(0)->icon(0).cacheKey(), View()->GetImage(1).cacheKey());
}

TEST_F(ProjectWindow, TitleMarkerFollowsChangesAndSaving)
{
    OpenFiveFileProject();
    QMdiSubWindow* window = Frame().GetMdiArea()->activeSubWindow();
    ASSERT_NE(window, nullptr);
    // The marker follows on the next tick of the window's 500 ms timer; the waits are
    // generous so that a busy machine does not fail the test.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Project()->GetTitle() == "demo.hpr"; }, 5000));
    Select({1});
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_MOVE_UP));
    ASSERT_TRUE(Project()->IsModified());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Project()->GetTitle() == "demo.hpr *"; }, 5000));
    EXPECT_TRUE(window->windowTitle().contains("demo.hpr *"))
        << window->windowTitle().toStdString();
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_SAVE));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Project()->GetTitle() == "demo.hpr"; }, 5000));
    EXPECT_FALSE(window->windowTitle().contains('*')) << window->windowTitle().toStdString();
}

TEST_F(ProjectWindow, SaveAllSavesNamedDocumentsAndNamesTheProject)
{
    ASSERT_TRUE(Commands().Execute(ID_PROJECT_NEW));
    auto* named = qobject_cast<CSourceDocument*>(m_app.OpenDocumentFile(m_dir + "/a.s"));
    ASSERT_NE(named, nullptr);
    QTextCursor(named->GetTextDocument()).insertText("more ");
    ASSERT_TRUE(named->IsModified());
    ASSERT_TRUE(Commands().Execute(ID_FILE_NEW));
    CDocument* untitled = Frame().GetActiveDocument();
    untitled->SetModifiedFlag(true);
    Project()->SetModifiedFlag(true);

    m_prompt.QueueSaveFile(m_dir + "/saved.hpr");
    ASSERT_TRUE(Commands().Execute(ID_FILE_SAVE_ALL));
    EXPECT_FALSE(named->IsModified());
    QFile file(m_dir + "/a.s");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "more * source\r\n");
    EXPECT_TRUE(untitled->IsModified());
    ASSERT_EQ(m_prompt.FileDialogs().size(), 1);
    EXPECT_TRUE(m_prompt.FileDialogs()[0].save);
    EXPECT_EQ(Project()->GetPathName(), m_dir + "/saved.hpr");
    EXPECT_FALSE(Project()->IsModified());
}

TEST_F(ProjectWindow, DoubleClickOpensTheEntryAndRightButtonSelectsItsRow)
{
    OpenFiveFileProject();
    View()->resize(600, 300);
    QTreeWidgetItem* third = View()->topLevelItem(2);
    const QPoint point = View()->visualItemRect(third).center();
    Select({0, 4});
    QTest::mousePress(View()->viewport(), Qt::RightButton, {}, point);
    EXPECT_EQ(Selected(), QList<int>({2}));
    QTest::mouseRelease(View()->viewport(), Qt::RightButton, {}, point);

    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, point);
    QCoreApplication::processEvents();
    CDocument* active = Frame().GetActiveDocument();
    ASSERT_NE(qobject_cast<CSourceDocument*>(active), nullptr);
    EXPECT_EQ(active->GetPathName(), m_dir + "/c.s");
}

SHELL_TEST_MAIN()
