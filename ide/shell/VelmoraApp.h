// The application object: the shared fonts, the two document templates, the main
// frame, the recently used files and the commands that belong to the program as a
// whole (open, recent files, exit, help, tip of the day, about). InitInstance runs
// the start-up in its fixed order.
#pragma once

#include "CommandMap.h"
#include "MainFrame.h"
#include "RecentFileList.h"

#include <QFont>
#include <QObject>

#include <memory>

class CDocTemplate;
class CDocument;
class CDiskChangeWatcher;
class CHelpWindow;

class CVelmoraApp : public QObject, public CCmdTarget
{
    Q_OBJECT
public:
    CVelmoraApp();
    ~CVelmoraApp() override;

    // The one application object, or nullptr before it exists.
    static CVelmoraApp* Instance();
    // The fonts shared by the windows (the stock GUI font is the application's).
    static QFont EditorFont();
    static QFont InterfaceFont();
    static QFont GuiFont();

    // Start-up; false when the program should end at once. args are the command-line
    // arguments after the program name.
    bool InitInstance(const QStringList& args);

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CDocTemplate* GetSourceTemplate() const { return m_pSourceTemplate; }
    CDocTemplate* GetProjectTemplate() const { return m_pProjectTemplate; }
    CRecentFileList& RecentFiles() { return m_recent; }
    CDiskChangeWatcher* GetDiskWatcher() const { return m_pDiskWatcher; }

    // The program's open path: a document that is open already comes to the front;
    // otherwise the template of the file's kind opens it. nullptr when that failed.
    CDocument* OpenDocumentFile(const QString& path);
    // Asks about every modified document; false when the user cancelled.
    bool SaveAllModified();
    // Closes every document without questions.
    void CloseAllDocuments();

    // The last start-up step: the tip of the day, unless switched off.
    void RunStartupTip(const CCommandLineInfo& cmdInfo);
    // Asks whether to open the project at path (the one last opened or saved), when it
    // still exists and no project is open.
    void OfferLastProject(const QString& path);
    void ShowTipOfTheDay();
    void ShowAbout();
    void ShowHelp();
    // Help > Examples: copies example i into the default project folder's Examples/
    // (once) and opens the copy's project.
    void OpenExample(int i);

private:
    void RegisterTemplates();
    void RegisterCommands();
    void OnFileOpen();
    QString OpenFilter() const;

    QFont m_editorFont;
    QFont m_interfaceFont;
    CDocTemplate* m_pSourceTemplate = nullptr;
    CDocTemplate* m_pProjectTemplate = nullptr;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    CRecentFileList m_recent;
    CHelpWindow* m_pHelp = nullptr;
    CDiskChangeWatcher* m_pDiskWatcher = nullptr;
};
