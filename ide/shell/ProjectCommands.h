// The project commands: those of the main frame (new, open, save and close the one
// project, its settings, adding files, Save All) and those of the project window
// (opening an entry, removing, moving and toggling entries, their properties). The
// frame and the project window each hand their commands to one of these classes.
#pragma once

#include <QList>
#include <QObject>

class CMainFrame;
class CProjectDocument;
class CProjectEditView;

// The frame's project commands, registered on the frame's command map.
class CProjectCommands : public QObject
{
    Q_OBJECT
public:
    explicit CProjectCommands(CMainFrame& frame);

    void NewProject();
    void OpenProject();
    void SaveProject();
    // Offers to save every modified document; unless cancelled, closes the project,
    // then every other document, and clears and hides the build messages.
    bool CloseProject();
    void ProjectSettings();
    void AddFiles();
    // Saves every modified source document that has a name, then the project (asking
    // for a name when it never had one).
    void SaveAll();

private:
    CMainFrame& m_frame;
};

// The project window's commands and mouse and key handling.
class CProjectViewCommands : public QObject
{
    Q_OBJECT
public:
    explicit CProjectViewCommands(CProjectEditView* view);

    // The selected rows, in ascending order.
    QList<int> SelectedRows() const;
    void SelectRows(const QList<int>& rows);

    // Opens the first selected entry's file as a document.
    void OpenSelectedEntry();
    // Removes the selected entries after asking; the files stay on disk.
    void DeleteSelected();
    // Moves the selected rows one place up or down; a block at the edge stays.
    void MoveUp();
    void MoveDown();
    // Sets visible (column 1) or compile (column 2) of every selected entry: off when
    // all of them are on, else on.
    void Toggle(int column);
    void EditFileProperties();
    // The right-button menu: the project window's commands on the selected entries.
    void ShowContextMenu(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Move(int step);
    // Whether column (1 visible, 2 compile) is on for every selected row.
    bool AllOn(int column) const;
    CProjectDocument* Project() const;

    CProjectEditView* m_pView;
    QObject* m_pViewport;
};
