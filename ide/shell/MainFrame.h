// Velmora's main window. It owns the program-wide state (options, the open project,
// the bars and the configuration box, the build messages bar and the splash screen),
// hosts the document windows in an MDI area and handles the commands that belong to
// no document. Its creation runs the start-up steps in a fixed order (OnCreate).
#pragma once

#include "CommandManager.h"
#include "CommandMap.h"
#include "CoolMenu.h"
#include "Options.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class CBuildCommands;
class CChildFrame;
class CDocument;
class CDocTemplate;
class CProjectDocument;
class CSplashDlg;
class CView;
class IBuildMessages;
class QComboBox;
class QLabel;
class QMimeData;
class QMdiArea;
class QToolBar;
struct WindowState;

// What the command line asks for (the shell's part of it).
struct CCommandLineInfo
{
    enum Shell
    {
        FileNew,
        FileOpen,
        FilePrint
    };
    Shell m_nShellCommand = FileNew;
    QString m_strFileName;
    // Every file named, m_strFileName first.
    QStringList m_fileNames;
    bool m_bShowSplash = true;

    // Reads the arguments after the program name: a file to open, "-p file" to print
    // it, "-Embedding" or "-Automation" (also with '/') for a start without splash.
    static CCommandLineInfo Parse(const QStringList& args);
};

class CMainFrame : public QMainWindow, public CCmdTarget
{
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    // The creation steps, in order; false when a bar could not be made.
    bool OnCreate(const CCommandLineInfo& cmdInfo);

    // The options table (built and loaded as the first creation step).
    COptionTable& Options() { return m_options; }

    // The two document templates, source first; set by the application.
    void SetTemplates(CDocTemplate* source, CDocTemplate* project);
    CDocTemplate* GetSourceTemplate() const { return m_pSourceTemplate; }
    CDocTemplate* GetProjectTemplate() const { return m_pProjectTemplate; }

    // The one open project, or nullptr.
    CProjectDocument* m_pProject = nullptr;
    // Opens an untitled project when none is open (a source file never stands alone).
    void EnsureProject();
    // Closes the open project when it is such an untitled project, still empty and
    // unchanged, so that a project the user opens takes its place.
    void DropUntouchedProject();
    // Empties the configuration box and fills it from the open project.
    void RefillConfigBox();
    // A project was read from its file: it is the open project now.
    void OnProjectOpened(CProjectDocument* project);

    QMdiArea* GetMdiArea() const { return m_pMdiArea; }
    CChildFrame* GetActiveChild() const;
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    CCommandManager& GetCommandManager() { return *m_pCommands; }
    QToolBar* GetMainToolBar() const { return m_pMainToolBar; }
    QToolBar* GetProjectToolBar() const { return m_pProjectToolBar; }
    QComboBox* GetConfigBox() const { return m_pConfigBox; }

    // The build messages bar: docked at the bottom, may move to the top or float, and
    // is shown and hidden by View, Messages.
    void InstallMessagesBar(QDockWidget* bar, IBuildMessages* messages);
    QDockWidget* GetMessagesBar() const { return m_pMessagesBar; }
    IBuildMessages* GetMessages() const { return m_pMessages; }

    // The build: compile, build, transfer and simulate, and the tool runner.
    CBuildCommands& GetBuild() { return *m_pBuild; }
    // The calculator link: sends a file to the calculator behind the transfer dialog
    // (name: the name to announce, empty for the file's own), or loads it into EMU48.
    bool TransferFile(const QString& path, const QByteArray& name);
    bool SimulateInEmulator(const QString& path);

    CSplashDlg* GetSplash() const { return m_pSplash; }
    // Closes the splash screen at once if it is still up.
    void CloseSplash();

    // The status bar's line/column pane (pane 1); empty text clears it.
    void SetLineColText(const QString& text);
    QString GetLineColText() const;

    // Where file dialogs start: the open project's folder once it is saved, else the
    // default project folder.
    QString WorkFolder() const;

    // Shows the window with the geometry and bar layout of state (maximised when it
    // holds none); closing the window stores them again.
    void RestoreWindowState(const WindowState& state);

    // Opens every local file of a drop on the window.
    void OpenDroppedFiles(const QMimeData* data);

signals:
    // The frame finished closing: every document was saved or dropped.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool CreateBars();
    void CreateMenus();
    void CreateStatusBar();
    void RegisterCommands();
    void RegisterWindowCommands();
    void RegisterBuildCommands();
    void UpdateFrameTitle();
    void UpdateLockIndicators();
    void FillWindowMenu();
    void FillRecentFiles();
    void OnDocumentClosing(CDocument* document);
    void OnFilePrint();
    void CreateMessagesBar();

    // Draws the popups with the toolbars' images and the commands' key names.
    CCoolMenuManager m_coolMenu;
    COptionTable m_options;
    CCommandManager* m_pCommands = nullptr;
    QMdiArea* m_pMdiArea = nullptr;
    QToolBar* m_pMainToolBar = nullptr;
    QToolBar* m_pProjectToolBar = nullptr;
    QComboBox* m_pConfigBox = nullptr;
    QLabel* m_pLineCol = nullptr;
    QLabel* m_pLocks[3] = {};
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pWindowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    QAction* m_pRecentSeparator = nullptr;
    QPointer<QDockWidget> m_pMessagesBar;
    IBuildMessages* m_pMessages = nullptr;
    CDocTemplate* m_pSourceTemplate = nullptr;
    CDocTemplate* m_pProjectTemplate = nullptr;
    CSplashDlg* m_pSplash = nullptr;
    std::unique_ptr<CBuildCommands> m_pBuild;
};
