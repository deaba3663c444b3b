#include "ProjectCommands.h"

#include "BuildMessages.h"
#include "CommandIds.h"
#include "DocTemplate.h"
#include "FilePropertiesDlg.h"
#include "MainFrame.h"
#include "Paths.h"
#include "ProjectDocument.h"
#include "ProjectEditView.h"
#include "ProjectSettingsDlg.h"
#include "Prompt.h"
#include "Strings.h"
#include "VelmoraApp.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

using namespace Cmd;

// ---------------------------------------------------------------- CProjectCommands

CProjectCommands::CProjectCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    CCommandMap& map = frame.Commands();
    const auto noProject = [this](CCmdUI& ui) { ui.Enable(m_frame.m_pProject == nullptr); };
    const auto project = [this](CCmdUI& ui) { ui.Enable(m_frame.m_pProject != nullptr); };
    map.On(
        ID_PROJECT_NEW, [this] { NewProject(); }, noProject);
    map.On(
        ID_PROJECT_OPEN, [this] { OpenProject(); }, noProject);
    map.On(
        ID_PROJECT_SAVE, [this] { SaveProject(); }, project);
    map.On(
        ID_PROJECT_CLOSE, [this] { CloseProject(); }, project);
    map.On(
        ID_PROJECT_SETTINGS, [this] { ProjectSettings(); }, project);
    map.On(
        ID_PROJECT_ADD_FILES, [this] { AddFiles(); }, project);
    map.On(ID_FILE_SAVE_ALL, [this] { SaveAll(); });
}

void CProjectCommands::NewProject()
{
    // The one open project is made as a source file's untitled project is.
    m_frame.EnsureProject();
}

void CProjectCommands::OpenProject()
{
    if (!MayOpenProject(m_frame.m_pProject)) {
        return;
    }
    CDocTemplate* projects = m_frame.GetProjectTemplate();
    const QStringList files = Prompt().GetOpenFileNames(
        LoadString(IDS_OPEN_PROJECT), m_frame.WorkFolder(), projects->GetFilter(), false);
    if (files.isEmpty()) {
        return;
    }
    m_frame.m_pProject = qobject_cast<CProjectDocument*>(projects->OpenDocumentFile(files.first()));
}

void CProjectCommands::SaveProject()
{
    m_frame.GetProjectTemplate()->DoFileSave(m_frame.m_pProject);
}

bool CProjectCommands::CloseProject()
{
    CVelmoraApp* app = CVelmoraApp::Instance();
    if (!app->SaveAllModified()) {
        return false;
    }
    CProjectDocument* project = m_frame.m_pProject;
    m_frame.m_pProject = nullptr;
    m_frame.RefillConfigBox();
    m_frame.GetProjectTemplate()->CloseDocument(project);
    app->CloseAllDocuments();
    if (IBuildMessages* messages = m_frame.GetMessages()) {
        messages->ClearMessages();
        messages->HideMessages();
    }
    return true;
}

void CProjectCommands::ProjectSettings()
{
    CProjectDocument* project = m_frame.m_pProject;
    CProjectSettingsDlg dialog(project, &m_frame);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_frame.RefillConfigBox();
    project->SetModifiedFlag();
    project->RefreshFileImages();
}

void CProjectCommands::AddFiles()
{
    CProjectDocument* project = m_frame.m_pProject;
    if (project->GetPathName().isEmpty()) {
        Prompt().MessageBox(LoadString(IDS_SAVE_PROJECT_BEFORE_ADDING), QString(), Mb::Ok);
        return;
    }
    const QStringList files = Prompt().GetOpenFileNames(
        LoadString(IDS_OPEN_CAPTION), m_frame.WorkFolder(), LoadString(IDS_ADD_FILES_FILTER), true);
    QStringList already;
    for (const QString& file : files) {
        if (project->IndexOfFile(file) >= 0) {
            already.append(FullPath(file));
        } else {
            project->AddFile(FullPath(file), QByteArray());
        }
    }
    if (!already.isEmpty()) {
        Prompt().MessageBox(
            LoadString(IDS_ALREADY_IN_PROJECT).arg(already.join(QStringLiteral(", "))), QString(),
            Mb::Ok | Mb::IconInformation);
    }
}

void CProjectCommands::SaveAll()
{
    CDocTemplate* sources = m_frame.GetSourceTemplate();
    for (CDocument* document : QList<CDocument*>(sources->GetDocuments())) {
        if (!document->GetPathName().isEmpty() && document->IsModified()) {
            sources->DoSave(document, false);
        }
    }
    // A project that was never saved asks for its name rather than being skipped.
    if (m_frame.m_pProject && m_frame.m_pProject->IsModified()) {
        m_frame.GetProjectTemplate()->DoFileSave(m_frame.m_pProject);
    }
}

// ---------------------------------------------------------------- CProjectViewCommands

CProjectViewCommands::CProjectViewCommands(CProjectEditView* view) : QObject(view), m_pView(view)
{
    CCommandMap& map = view->Commands();
    const auto anySelected = [this](int column) {
        return [this, column](CCmdUI& ui) {
            ui.Enable(!SelectedRows().isEmpty());
            ui.SetCheck(!SelectedRows().isEmpty() && AllOn(column));
        };
    };
    map.On(
        ID_PROJECT_FILE_VISIBLE, [this] { Toggle(1); }, anySelected(1));
    map.On(
        ID_PROJECT_FILE_COMPILE, [this] { Toggle(2); }, anySelected(2));
    map.On(
        ID_PROJECT_FILE_PROPERTIES, [this] { EditFileProperties(); },
        [this](CCmdUI& ui) { ui.Enable(SelectedRows().size() == 1); });
    map.On(
        ID_PROJECT_REMOVE_FILES, [this] { DeleteSelected(); },
        [this](CCmdUI& ui) { ui.Enable(!SelectedRows().isEmpty()); });
    map.On(ID_EDIT_SELECT_ALL, [this] { m_pView->selectAll(); });
    map.On(ID_PROJECT_MOVE_UP, [this] { MoveUp(); });
    map.On(ID_PROJECT_MOVE_DOWN, [this] { MoveDown(); });
    m_pViewport = view->viewport();
    view->installEventFilter(this);
    m_pViewport->installEventFilter(this);
}

CProjectDocument* CProjectViewCommands::Project() const
{
    return m_pView->GetProjectDocument();
}

QList<int> CProjectViewCommands::SelectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < m_pView->topLevelItemCount(); ++row) {
        if (m_pView->topLevelItem(row)->isSelected()) {
            rows.append(row);
        }
    }
    return rows;
}

void CProjectViewCommands::SelectRows(const QList<int>& rows)
{
    for (int row = 0; row < m_pView->topLevelItemCount(); ++row) {
        m_pView->topLevelItem(row)->setSelected(rows.contains(row));
    }
}

void CProjectViewCommands::OpenSelectedEntry()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty() || !Project()) {
        return;
    }
    CVelmoraApp::Instance()->OpenDocumentFile(Project()->GetFileFullPath(rows.first()));
}

void CProjectViewCommands::DeleteSelected()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty() || !Project()) {
        return;
    }
    const QString question = rows.size() == 1 ? LoadString(IDS_REMOVE_ONE_ENTRY)
                                              : LoadString(IDS_REMOVE_ENTRIES).arg(rows.size());
    const unsigned type =
        Mb::YesNo | Mb::IconQuestion | (rows.size() == 1 ? Mb::DefButton1 : Mb::DefButton2);
    if (Prompt().MessageBox(question, LoadString(IDS_CONFIRM_CAPTION), type) != IDYES) {
        return;
    }
    // From the last to the first, so that the rows still to go keep their numbers.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        Project()->RemoveFileEntry(*it);
    }
}

void CProjectViewCommands::MoveUp()
{
    Move(-1);
}

void CProjectViewCommands::MoveDown()
{
    Move(1);
}

void CProjectViewCommands::Move(int step)
{
    CProjectDocument* project = Project();
    if (!project) {
        return;
    }
    // Walking against the direction of the move: a selected row moves once an
    // unselected row has been passed, so a block moves past its neighbour as a whole
    // and a block at the edge stays.
    QList<int> selected = SelectedRows();
    const int count = m_pView->topLevelItemCount();
    bool passedUnselected = false;
    for (int i = step > 0 ? count - 1 : 0; i >= 0 && i < count; i -= step) {
        if (!selected.contains(i)) {
            passedUnselected = true;
        } else if (passedUnselected) {
            project->MoveFileEntry(i, i + step);
            selected.replace(selected.indexOf(i), i + step);
        }
    }
    SelectRows(selected);
}

bool CProjectViewCommands::AllOn(int column) const
{
    const QList<ProjectFileEntry>& files = Project()->m_files;
    for (int row : SelectedRows()) {
        const ProjectFileEntry& entry = files.at(row);
        if (!(column == 1 ? entry.visible : entry.compile)) {
            return false;
        }
    }
    return true;
}

void CProjectViewCommands::Toggle(int column)
{
    CProjectDocument* project = Project();
    const QList<int> rows = SelectedRows();
    if (!project || rows.isEmpty()) {
        return;
    }
    const bool on = !AllOn(column);
    for (int row : rows) {
        ProjectFileEntry& entry = project->m_files[row];
        (column == 1 ? entry.visible : entry.compile) = on;
        project->RefreshFileRow(row);
    }
    // Unlike the classic program, a toggled flag counts as a change, so that it is
    // offered for saving like every other change of an entry.
    project->SetModifiedFlag();
}

void CProjectViewCommands::ShowContextMenu(const QPoint& globalPos)
{
    // The window's own commands, so that the menu, the Project menu and the keys do the
    // same thing and are enabled alike.
    CVelmoraApp* app = CVelmoraApp::Instance();
    CMainFrame* frame = app ? app->GetMainFrame() : nullptr;
    if (!frame) {
        return;
    }
    CCommandManager& commands = frame->GetCommandManager();
    commands.UpdateAll();
    QMenu menu(m_pView);
    menu.setObjectName(QStringLiteral("ProjectFileMenu"));
    for (const int id :
         {ID_PROJECT_FILE_PROPERTIES, ID_PROJECT_FILE_VISIBLE, ID_PROJECT_FILE_COMPILE, 0,
          ID_PROJECT_MOVE_UP, ID_PROJECT_MOVE_DOWN, 0, ID_PROJECT_REMOVE_FILES}) {
        if (id == 0) {
            menu.addSeparator();
        } else if (QAction* action = commands.Action(id)) {
            menu.addAction(action);
        }
    }
    menu.exec(globalPos);
}

void CProjectViewCommands::EditFileProperties()
{
    CProjectDocument* project = Project();
    const QList<int> rows = SelectedRows();
    if (!project || rows.isEmpty()) {
        return;
    }
    const int row = rows.first();
    CFilePropertiesModel model;
    model.LoadFrom(project->m_files.at(row));
    CFilePropertiesDlg dialog(model, project->m_configs, m_pView);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.Model().StoreTo(project->m_files[row]);
    project->RefreshFileRow(row);
    project->SetModifiedFlag();
}

bool CProjectViewCommands::eventFilter(QObject* watched, QEvent* event)
{
    // Only pointers are compared here: events may still arrive while the view is being
    // destroyed.
    if (watched == m_pViewport) {
        if (event->type() == QEvent::ContextMenu) {
            ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            // After the list has handled the click and set its selection.
            QMetaObject::invokeMethod(this, &CProjectViewCommands::OpenSelectedEntry,
                                      Qt::QueuedConnection);
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (QTreeWidgetItem* item = m_pView->itemAt(pos)) {
                m_pView->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
            }
        }
    } else if (watched == m_pView && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
    }
    return QObject::eventFilter(watched, event);
}
