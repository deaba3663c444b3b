#include "VelmoraApp.h"

#include "AboutDlg.h"
#include "CommandIds.h"
#include "DiskChangeWatcher.h"
#include "DocTemplate.h"
#include "EditorFont.h"
#include "ExampleProjects.h"
#include "HelpWindow.h"
#include "Paths.h"
#include "ProjectDocument.h"
#include "ProjectEditView.h"
#include "Prompt.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "SourceText.h"
#include "Strings.h"
#include "TipDlg.h"
#include "ViewAdapter.h"
#include "WindowState.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMdiArea>
#include <QStatusBar>
#include <QWhatsThis>

using namespace Cmd;

namespace {
CVelmoraApp* g_pApp = nullptr;
// How long a passing note of an editor stays in the status bar.
constexpr int kStatusMessageMs = 10000;
} // namespace

CVelmoraApp::CVelmoraApp()
{
    g_pApp = this;
}

CVelmoraApp::~CVelmoraApp()
{
    // Windows first (they refer to documents), then the templates with the documents.
    delete m_pHelp;
    m_pMainFrame.reset();
    delete m_pSourceTemplate;
    delete m_pProjectTemplate;
    g_pApp = nullptr;
}

CVelmoraApp* CVelmoraApp::Instance()
{
    return g_pApp;
}

QFont CVelmoraApp::EditorFont()
{
    return ::EditorFont();
}

QFont CVelmoraApp::InterfaceFont()
{
    QFont font(QStringLiteral("Arial"), 10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont CVelmoraApp::GuiFont()
{
    return QApplication::font();
}

bool CVelmoraApp::InitInstance(const QStringList& args)
{
    // 1. and 2. The recently used files (the stock settings).
    m_recent.Load();

    // 3. The editor and interface fonts.
    m_editorFont = EditorFont();
    m_interfaceFont = InterfaceFont();

    // 4. Source template, then project template.
    RegisterTemplates();
    RegisterCommands();

    // 5. The main frame; its creation runs the frame's own start-up steps.
    const CCommandLineInfo cmdInfo = CCommandLineInfo::Parse(args);
    m_pMainFrame = std::make_unique<CMainFrame>();
    if (!m_pMainFrame->OnCreate(cmdInfo)) {
        return false;
    }

    // 6. The main window, which accepts dropped files, with the program's icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/app/velmora-48.png")));
    m_pMainFrame->SetTemplates(m_pSourceTemplate, m_pProjectTemplate);

    // 7. The files named on the command line (printing them is a mode of its own).
    for (const QString& path : cmdInfo.m_fileNames) {
        if (!OpenDocumentFile(path)) {
            return false;
        }
    }

    // 8. Show the frame where it was when the program last ended (maximised the first
    // time), and offer the project last worked on when no file was named.
    const WindowState state = WindowState::Load();
    m_pMainFrame->RestoreWindowState(state);
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew) {
        OfferLastProject(state.lastProject);
    }

    // 9. The tip of the day.
    RunStartupTip(cmdInfo);
    return true;
}

void CVelmoraApp::OfferLastProject(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile() || m_pMainFrame->m_pProject) {
        return;
    }
    m_pMainFrame->CloseSplash();
    const QString question = QStringLiteral("Open the project you worked on last?\n%1")
                                 .arg(QDir::toNativeSeparators(path));
    if (Prompt().MessageBox(question, QString(), Mb::YesNo | Mb::IconQuestion) == IDYES) {
        OpenDocumentFile(path);
    }
}

void CVelmoraApp::RegisterTemplates()
{
    m_pSourceTemplate = new CDocTemplate(LoadString(IDS_SOURCE_TEMPLATE));
    m_pSourceTemplate->setObjectName(QStringLiteral("SourceTemplate"));
    m_pSourceTemplate->SetFactories(
        [] { return new CSourceDocument(); },
        [this](CDocument* document) -> CView* {
            auto* edit = new CSourceEditView(static_cast<CSourceDocument*>(document));
            auto* view = new CViewAdapter(edit, document);
            connect(edit, &CSourceEditView::statusText, edit, [this](const QString& text) {
                if (m_pMainFrame) {
                    m_pMainFrame->SetLineColText(text);
                }
            });
            CCommandMap& map = view->Commands();
            map.On(
                ID_EDIT_UNDO, [edit] { edit->OnEditUndo(); },
                [edit](CCmdUI& ui) { ui.Enable(edit->CanUndo()); });
            map.On(
                ID_EDIT_REDO, [edit] { edit->redo(); },
                [edit](CCmdUI& ui) { ui.Enable(edit->document()->isRedoAvailable()); });
            map.On(
                ID_EDIT_SELECT_ALL, [edit] { edit->selectAll(); },
                [edit](CCmdUI& ui) { ui.Enable(!edit->document()->isEmpty()); });
            map.On(
                ID_EDIT_CUT, [edit] { edit->OnEditCut(); },
                [edit](CCmdUI& ui) { ui.Enable(edit->HasSelection()); });
            map.On(
                ID_EDIT_COPY, [edit] { edit->OnEditCopy(); },
                [edit](CCmdUI& ui) { ui.Enable(edit->HasSelection()); });
            map.On(
                ID_EDIT_PASTE, [edit] { edit->OnEditPaste(); },
                [edit](CCmdUI& ui) { ui.Enable(edit->CanPasteText()); });
            map.On(ID_EDIT_FIND, [edit] { edit->OnEditFind(); });
            map.On(ID_EDIT_REPEAT, [edit] { edit->OnEditRepeat(); });
            map.On(ID_EDIT_REPLACE, [edit] { edit->OnEditReplace(); });
            map.On(ID_EDIT_GOTO_LINE, [edit] { edit->OnEditGoToLine(); });
            map.On(ID_EDIT_GOTO_MATCH, [edit] { edit->GoToMatch(); });
            connect(edit, &CSourceEditView::statusMessage, edit, [this](const QString& text) {
                if (m_pMainFrame) {
                    m_pMainFrame->statusBar()->showMessage(text, kStatusMessageMs);
                }
            });
            return view;
        });
    CSourceEditView::SetSettingsSource([this] {
        SourceEditorSettings settings;
        if (m_pMainFrame) {
            const COptionTable& options = m_pMainFrame->Options();
            settings.highlighting = options.GetOptionBool(QStringLiteral("SyntaxHighlighting"));
            settings.entriesPath =
                options.GetOption(QStringLiteral("ToolLocation")) + QStringLiteral("/ENTRIES.O");
        }
        return settings;
    });
    CSourceDocument::SetEnsureProject([this] {
        if (m_pMainFrame) {
            m_pMainFrame->EnsureProject();
        }
    });

    m_pProjectTemplate = new CDocTemplate(LoadString(IDS_PROJECT_TEMPLATE));
    m_pProjectTemplate->setObjectName(QStringLiteral("ProjectTemplate"));
    m_pProjectTemplate->SetFactories(
        [this] {
            auto* project = new CProjectDocument();
            if (m_pMainFrame) {
                project->SetOpenProjectSlot(&m_pMainFrame->m_pProject);
                connect(project, &CProjectDocument::projectOpened, m_pMainFrame.get(),
                        [this, project] { m_pMainFrame->OnProjectOpened(project); });
            }
            return project;
        },
        [](CDocument* document) -> CView* {
            return new CProjectEditView(static_cast<CProjectDocument*>(document));
        });

    for (CDocTemplate* docTemplate : {m_pSourceTemplate, m_pProjectTemplate}) {
        connect(docTemplate, &CDocTemplate::documentFileUsed, this,
                [this](const QString& path) { m_recent.Add(path); });
    }
    connect(m_pProjectTemplate, &CDocTemplate::documentFileUsed, this,
            &WindowState::SaveLastProject);
    // Source files changed by other programs are offered for reloading. (A project is
    // not: it is read once, and saving it asks before writing over a change.)
    m_pDiskWatcher = new CDiskChangeWatcher(this);
    m_pDiskWatcher->Follow(m_pSourceTemplate);
}

void CVelmoraApp::RegisterCommands()
{
    CCommandMap& map = Commands();
    map.On(ID_FILE_OPEN, [this] { OnFileOpen(); });
    for (int i = 0; i < ID_FILE_MRU_COUNT; ++i) {
        map.On(
            ID_FILE_MRU_FILE1 + i,
            [this, i] {
                const QString path = m_recent.Entries().value(i);
                if (!path.isEmpty() && !OpenDocumentFile(path)) {
                    m_recent.Remove(m_recent.Entries().indexOf(path));
                }
            },
            [this, i](CCmdUI& ui) { ui.Enable(i < m_recent.Entries().size()); });
    }
    map.On(ID_APP_EXIT, [this] {
        if (m_pMainFrame) {
            m_pMainFrame->close();
        }
    });
    map.On(ID_APP_ABOUT, [this] { ShowAbout(); });
    map.On(ID_HELP_TIP, [this] { ShowTipOfTheDay(); });
    map.On(ID_HELP, [this] { ShowHelp(); });
    for (int i = 0; i < ID_HELP_EXAMPLE_COUNT; ++i) {
        map.On(ID_HELP_EXAMPLE_1 + i, [this, i] { OpenExample(i); });
    }
    map.On(ID_CONTEXT_HELP, [] { QWhatsThis::enterWhatsThisMode(); });
}

QString CVelmoraApp::OpenFilter() const
{
    QStringList filters;
    for (const CDocTemplate* docTemplate : {m_pSourceTemplate, m_pProjectTemplate}) {
        if (docTemplate->IsAvailable()) {
            filters.append(docTemplate->GetFilter());
        }
    }
    filters.append(LoadString(IDS_ALL_FILES_FILTER));
    return filters.join(QStringLiteral(";;"));
}

void CVelmoraApp::OnFileOpen()
{
    const QStringList files = Prompt().GetOpenFileNames(
        LoadString(IDS_OPEN_CAPTION), m_pMainFrame->WorkFolder(), OpenFilter(), true);
    for (const QString& file : files) {
        OpenDocumentFile(file);
    }
}

namespace {

// Whether the file at path holds an object or other binary data that the source editor
// must not open. A file that cannot be read is left to the open itself to report.
bool IsBinaryOnDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return SourceText::IsBinaryFile(path, file.read(SourceText::kMaxChars));
}

} // namespace

CDocument* CVelmoraApp::OpenDocumentFile(const QString& path)
{
    const QString full = FullPath(path);
    for (CDocTemplate* docTemplate : {m_pSourceTemplate, m_pProjectTemplate}) {
        if (CDocument* open = docTemplate->FindDocument(full)) {
            const QList<CChildFrame*> frames = docTemplate->GetFrames(open);
            if (!frames.isEmpty() && m_pMainFrame) {
                m_pMainFrame->GetMdiArea()->setActiveSubWindow(frames.first());
            }
            return open;
        }
    }
    CDocTemplate* docTemplate =
        m_pProjectTemplate->MatchesExtension(full) ? m_pProjectTemplate : m_pSourceTemplate;
    if (!docTemplate->IsAvailable() || (docTemplate == m_pSourceTemplate && IsBinaryOnDisk(full))) {
        Prompt().MessageBox(LoadString(IDS_CANNOT_OPEN_KIND).arg(full), QString(),
                            Mb::Ok | Mb::IconError);
        return nullptr;
    }
    if (docTemplate == m_pProjectTemplate && m_pMainFrame) {
        m_pMainFrame->DropUntouchedProject();
    }
    return docTemplate->OpenDocumentFile(full);
}

bool CVelmoraApp::SaveAllModified()
{
    for (CDocTemplate* docTemplate : {m_pSourceTemplate, m_pProjectTemplate}) {
        for (CDocument* document : QList<CDocument*>(docTemplate->GetDocuments())) {
            if (!docTemplate->SaveModified(document)) {
                return false;
            }
        }
    }
    return true;
}

void CVelmoraApp::CloseAllDocuments()
{
    for (CDocTemplate* docTemplate : {m_pSourceTemplate, m_pProjectTemplate}) {
        for (CDocument* document : QList<CDocument*>(docTemplate->GetDocuments())) {
            docTemplate->CloseDocument(document);
        }
    }
}

void CVelmoraApp::RunStartupTip(const CCommandLineInfo& cmdInfo)
{
    COptionTable& options = m_pMainFrame->Options();
    if (!options.GetOptionBool(QStringLiteral("ShowTips"))) {
        return;
    }
    m_pMainFrame->CloseSplash();
    if (cmdInfo.m_bShowSplash) {
        CTipDlg tip(options, m_pMainFrame.get());
        if (tip.m_bStartup) {
            tip.exec();
        }
    }
}

void CVelmoraApp::ShowTipOfTheDay()
{
    CTipDlg tip(m_pMainFrame->Options(), m_pMainFrame.get());
    tip.exec();
}

void CVelmoraApp::ShowAbout()
{
    CAboutDlg about(m_pMainFrame.get());
    about.exec();
}

void CVelmoraApp::ShowHelp()
{
    if (!m_pHelp) {
        m_pHelp = new CHelpWindow();
    }
    m_pHelp->show();
    m_pHelp->raise();
    m_pHelp->activateWindow();
}

void CVelmoraApp::OpenExample(int i)
{
    const QString defaultDir = m_pMainFrame->Options().GetOption(QStringLiteral("DefaultDir"));
    QString error;
    const QString project = PrepareExample(
        ExamplesFolder(QApplication::applicationDirPath()), ExampleProjects().value(i),
        QDir(defaultDir).filePath(QStringLiteral("Examples")), error);
    if (project.isEmpty()) {
        Prompt().MessageBox(error, QString(), Mb::Ok | Mb::IconError);
        return;
    }
    OpenDocumentFile(project);
}
