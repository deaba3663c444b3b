#include "MainFrame.h"

#include "BuildCommands.h"
#include "BuildMessagesBar.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "DocTemplate.h"
#include "EmuLink.h"
#include "LockKeys.h"
#include "ProgramSettingsDlg.h"
#include "ProjectCommands.h"
#include "ProjectDocument.h"
#include "Prompt.h"
#include "PtyEmulator.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "SplashDlg.h"
#include "StartupChecks.h"
#include "Strings.h"
#include "TemplateCommands.h"
#include "TransferDlg.h"
#include "TransferReport.h"
#include "VelmoraApp.h"
#include "WindowState.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

using namespace Cmd;

namespace {

constexpr int kIdleUpdateMs = 250;
constexpr int kConfigBoxWidth = 150;
constexpr int kConfigBoxDropHeight = 100;

} // namespace

// ---------------------------------------------------------------- CCommandLineInfo

CCommandLineInfo CCommandLineInfo::Parse(const QStringList& args)
{
    CCommandLineInfo info;
    bool printNext = false;
    for (const QString& arg : args) {
        // Flags start with '-'; the classic '/' forms are known by name, since a path
        // starts with '/' too.
        QString name = arg.mid(1).toLower();
        const bool classic = arg.startsWith(QLatin1Char('/')) &&
                             (name == QLatin1String("embedding") ||
                              name == QLatin1String("automation") || name == QLatin1String("p"));
        if (arg.startsWith(QLatin1Char('-')) || classic) {
            if (name == QLatin1String("embedding") || name == QLatin1String("automation")) {
                info.m_bShowSplash = false;
            } else if (name == QLatin1String("p")) {
                printNext = true;
            }
            continue;
        }
        // A name relative to the folder the program was started in: the frame changes into
        // the default project folder before the files are opened.
        const QString path = QFileInfo(arg).absoluteFilePath();
        if (info.m_strFileName.isEmpty()) {
            info.m_strFileName = path;
            info.m_nShellCommand = printNext ? FilePrint : FileOpen;
        }
        info.m_fileNames << path;
    }
    return info;
}

// ---------------------------------------------------------------- CMainFrame

CMainFrame::CMainFrame()
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(LoadString(IDS_APP_TITLE));
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame()
{
    // Taking the window down hides the document windows, and the MDI area reports the
    // change of the active one: this frame is half gone by then and must not hear it.
    if (m_pMdiArea) {
        disconnect(m_pMdiArea, nullptr, this, nullptr);
    }
    delete m_pSplash;
}

bool CMainFrame::OnCreate(const CCommandLineInfo& cmdInfo)
{
    // 1. The frame itself: the MDI area that holds the document windows.
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateFrameTitle);

    // 2. The options, before anything reads them.
    m_options.AddProgramOptions(QCoreApplication::applicationDirPath());
    m_options.LoadOptions();

    // 3. and 4. The splash screen: the object always, its window for a normal start.
    m_pSplash = new CSplashDlg();
    if (cmdInfo.m_bShowSplash) {
        m_pSplash->Create(this);
    }

    // 5. to 8. Commands, menus, toolbars with the configuration box, status bar.
    m_pCommands = new CCommandManager(this);
    m_pCommands->SetRoute([this] {
        QList<CCmdTarget*> route;
        if (CView* view = GetActiveView()) {
            route.append(view);
        }
        if (auto* document = dynamic_cast<CCmdTarget*>(GetActiveDocument())) {
            route.append(document);
        }
        route.append(this);
        if (CVelmoraApp* app = CVelmoraApp::Instance()) {
            route.append(app);
        }
        return route;
    });
    RegisterCommands();
    CreateMenus();
    if (!CreateBars()) {
        return false;
    }
    CreateStatusBar();

    // 9. The build messages bar.
    CreateMessagesBar();

    // 10. to 12. The tool location, the tool set and the default project directory.
    CheckTools(m_options);
    DetectToolSet(m_options);
    ChangeToDefaultDir(m_options);

    // 13. Popup menus with the toolbars' images and the commands' key names.
    m_coolMenu.Install(this);
    m_coolMenu.LoadToolbar(CCoolMenuManager::kMainToolbar);
    m_coolMenu.LoadToolbar(CCoolMenuManager::kProjectToolbar);

    connect(m_pCommands, &CCommandManager::updated, this, &CMainFrame::UpdateLockIndicators);
    connect(m_pCommands, &CCommandManager::updated, this, &CMainFrame::FillRecentFiles);
    m_pCommands->UpdateAll();
    m_pCommands->StartIdleUpdates(kIdleUpdateMs);
    return true;
}

void CMainFrame::SetTemplates(CDocTemplate* source, CDocTemplate* project)
{
    m_pSourceTemplate = source;
    m_pProjectTemplate = project;
    for (CDocTemplate* docTemplate : {source, project}) {
        docTemplate->SetMdiArea(m_pMdiArea);
        docTemplate->SetFolderForNewFiles([this] { return WorkFolder(); });
        connect(docTemplate, &CDocTemplate::documentClosing, this, &CMainFrame::OnDocumentClosing);
    }
}

void CMainFrame::EnsureProject()
{
    if (m_pProject || !m_pProjectTemplate) {
        return;
    }
    m_pProject = qobject_cast<CProjectDocument*>(m_pProjectTemplate->OpenDocumentFile(QString()));
    RefillConfigBox();
}

void CMainFrame::DropUntouchedProject()
{
    CProjectDocument* project = m_pProject;
    if (!project || !project->GetPathName().isEmpty() || project->IsModified() ||
        !project->m_files.isEmpty()) {
        return;
    }
    m_pProject = nullptr;
    m_pProjectTemplate->CloseDocument(project);
    RefillConfigBox();
}

void CMainFrame::OnProjectOpened(CProjectDocument* project)
{
    m_pProject = project;
    RefillConfigBox();
    m_pCommands->Execute(ID_WINDOW_CASCADE);
}

void CMainFrame::OnDocumentClosing(CDocument* document)
{
    if (document == m_pProject) {
        m_pProject = nullptr;
        RefillConfigBox();
    }
}

void CMainFrame::RefillConfigBox()
{
    const QSignalBlocker blocker(m_pConfigBox);
    m_pConfigBox->clear();
    if (!m_pProject) {
        return;
    }
    for (const ProjectConfiguration& config : m_pProject->m_configs) {
        m_pConfigBox->addItem(QString::fromLatin1(config.name + " (" + config.baseFilename + ")"));
    }
    m_pConfigBox->setCurrentIndex(m_pProject->GetCurConfigIndex());
}

CChildFrame* CMainFrame::GetActiveChild() const
{
    return m_pMdiArea ? qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow()) : nullptr;
}

CView* CMainFrame::GetActiveView() const
{
    CChildFrame* child = GetActiveChild();
    return child ? child->GetView() : nullptr;
}

CDocument* CMainFrame::GetActiveDocument() const
{
    CChildFrame* child = GetActiveChild();
    return child ? child->GetDocument() : nullptr;
}

void CMainFrame::InstallMessagesBar(QDockWidget* bar, IBuildMessages* messages)
{
    m_pMessagesBar = bar;
    m_pMessages = messages;
    bar->setObjectName(QStringLiteral("MessagesBar"));
    bar->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, bar);
}

void CMainFrame::CreateMessagesBar()
{
    auto* bar = new CBuildMessagesBar(this);
    bar->SetSourceOpener([](const QString& path) -> CSourceEditView* {
        CVelmoraApp* app = CVelmoraApp::Instance();
        auto* source = qobject_cast<CSourceDocument*>(app ? app->OpenDocumentFile(path) : nullptr);
        return source ? source->GetFirstView() : nullptr;
    });
    // Tools name files relative to the folder they ran in, which is the project's
    // folder for a saved project, not the program's current folder.
    bar->SetSearchFolders([this] {
        QStringList folders;
        if (m_pProject && !m_pProject->GetPathName().isEmpty())
            folders.append(m_pProject->GetProjectDir());
        folders.append(m_pBuild->Builder().Runner().LastWorkDir());
        return folders;
    });
    InstallMessagesBar(bar, bar);
}

void CMainFrame::CloseSplash()
{
    if (m_pSplash) {
        m_pSplash->close();
    }
}

void CMainFrame::SetLineColText(const QString& text)
{
    if (m_pLineCol) {
        m_pLineCol->setText(text);
    }
}

QString CMainFrame::GetLineColText() const
{
    return m_pLineCol ? m_pLineCol->text() : QString();
}

// ---------------------------------------------------------------- bars and menus

bool CMainFrame::CreateBars()
{
    const auto makeToolBar = [this](int id, const QString& title, std::span<const int> layout) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(id));
        bar->setIconSize(QSize(16, 15));
        for (int command : layout) {
            if (command == 0) {
                bar->addSeparator();
            } else if (command == ID_PROJECT_CONFIG) {
                m_pConfigBox = new QComboBox(bar);
                m_pConfigBox->setObjectName(QStringLiteral("ConfigBox"));
                m_pConfigBox->setFixedWidth(kConfigBoxWidth);
                m_pConfigBox->setMaxVisibleItems(kConfigBoxDropHeight /
                                                 m_pConfigBox->fontMetrics().height());
                m_pConfigBox->setFont(CVelmoraApp::GuiFont());
                const QAction* info = m_pCommands->Action(ID_PROJECT_CONFIG);
                m_pConfigBox->setToolTip(info->toolTip());
                m_pConfigBox->setStatusTip(info->statusTip());
                m_pConfigBox->setEnabled(false);
                bar->addWidget(m_pConfigBox);
            } else if (QAction* action = m_pCommands->Action(command)) {
                bar->addAction(action);
            }
        }
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    m_pMainToolBar = makeToolBar(IDW_MAIN_TOOLBAR, QStringLiteral("Main"), MainToolbarLayout());
    m_pProjectToolBar =
        makeToolBar(IDW_PROJECT_TOOLBAR, QStringLiteral("Project"), ProjectToolbarLayout());
    connect(m_pConfigBox, &QComboBox::activated, this, [this](int index) {
        if (m_pProject) {
            m_pProject->SetCurConfigIndex(index);
        }
    });
    return m_pMainToolBar && m_pProjectToolBar && m_pConfigBox;
}

void CMainFrame::CreateMenus()
{
    QList<QMenu*> stack;
    for (const MenuEntry& entry : MainMenuLayout()) {
        switch (entry.kind) {
        case MenuKind::Submenu: {
            const QString text = QString::fromUtf8(entry.text);
            QMenu* menu = stack.isEmpty() ? menuBar()->addMenu(text) : stack.last()->addMenu(text);
            const QString prompt = QString::fromUtf8(entry.prompt);
            menu->menuAction()->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
            menu->setToolTipsVisible(false);
            m_pCommands->WatchMenu(menu);
            if (stack.isEmpty() && text == QLatin1String("&File")) {
                m_pFileMenu = menu;
            } else if (stack.isEmpty() && text == QLatin1String("&Window")) {
                m_pWindowMenu = menu;
            }
            stack.append(menu);
            break;
        }
        case MenuKind::EndSubmenu:
            stack.removeLast();
            break;
        case MenuKind::Separator:
            stack.last()->addSeparator();
            break;
        case MenuKind::Command:
            stack.last()->addAction(m_pCommands->Action(entry.id));
            break;
        case MenuKind::RecentFiles:
            for (int i = 0; i < ID_FILE_MRU_COUNT; ++i) {
                stack.last()->addAction(m_pCommands->Action(ID_FILE_MRU_FILE1 + i));
            }
            m_pRecentSeparator = stack.last()->addSeparator();
            break;
        case MenuKind::WindowList:
            break;
        }
    }
    connect(m_pFileMenu, &QMenu::aboutToShow, this, &CMainFrame::FillRecentFiles);
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
    FillRecentFiles();
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_pLineCol = new QLabel(bar);
    m_pLineCol->setObjectName(QStringLiteral("LineColPane"));
    m_pLineCol->setMinimumWidth(
        m_pLineCol->fontMetrics().horizontalAdvance(LoadString(IDS_LINE_COL_SIZER)) + 8);
    bar->addPermanentWidget(m_pLineCol);
    const char* const names[] = {"CapsPane", "NumPane", "ScrollPane"};
    const char* const texts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_pLocks[i] = new QLabel(bar);
        m_pLocks[i]->setObjectName(QString::fromLatin1(names[i]));
        m_pLocks[i]->setMinimumWidth(
            m_pLocks[i]->fontMetrics().horizontalAdvance(QString::fromLatin1(texts[i])) + 8);
        bar->addPermanentWidget(m_pLocks[i]);
    }
    bar->showMessage(LoadString(IDS_IDLE_MESSAGE));
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty()) {
            bar->showMessage(LoadString(IDS_IDLE_MESSAGE));
        }
    });
}

void CMainFrame::UpdateLockIndicators()
{
    const LockKeys keys = QueryLockKeys();
    m_pLocks[0]->setText(keys.caps ? QStringLiteral("CAP") : QString());
    m_pLocks[1]->setText(keys.num ? QStringLiteral("NUM") : QString());
    m_pLocks[2]->setText(keys.scroll ? QStringLiteral("SCRL") : QString());
}

void CMainFrame::FillRecentFiles()
{
    static const CRecentFileList none;
    CVelmoraApp* app = CVelmoraApp::Instance();
    const CRecentFileList& recent = app ? app->RecentFiles() : none;
    for (int i = 0; i < ID_FILE_MRU_COUNT; ++i) {
        QAction* action = m_pCommands->Action(ID_FILE_MRU_FILE1 + i);
        action->setVisible(i < recent.Entries().size());
        if (i < recent.Entries().size()) {
            action->setText(recent.MenuText(i));
            action->setStatusTip(recent.Entries().at(i));
        }
    }
    m_pRecentSeparator->setVisible(!recent.Entries().isEmpty());
}

void CMainFrame::FillWindowMenu()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (!windows.isEmpty()) {
        m_windowListActions.append(m_pWindowMenu->addSeparator());
    }
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_pWindowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(window == m_pMdiArea->activeSubWindow());
        connect(action, &QAction::triggered, this,
                [this, window] { m_pMdiArea->setActiveSubWindow(window); });
        m_windowListActions.append(action);
    }
}

void CMainFrame::UpdateFrameTitle()
{
    const QString app = LoadString(IDS_APP_TITLE);
    CDocument* document = GetActiveDocument();
    setWindowTitle(document ? app + QStringLiteral(" - ") + document->GetTitle() : app);
    if (document) {
        connect(document, &CDocument::titleChanged, this, &CMainFrame::UpdateFrameTitle,
                Qt::UniqueConnection);
    }
}

// ---------------------------------------------------------------- commands

void CMainFrame::RegisterCommands()
{
    CCommandMap& map = Commands();
    const auto activeTemplate = [this]() -> CDocTemplate* {
        CChildFrame* child = GetActiveChild();
        return child ? child->GetTemplate() : nullptr;
    };
    const auto whenActive = [this](CCmdUI& ui) { ui.Enable(GetActiveDocument() != nullptr); };

    const auto newSource = [this] {
        if (m_pSourceTemplate) {
            m_pSourceTemplate->OpenDocumentFile(QString());
        }
    };
    const auto canNewSource = [this](CCmdUI& ui) {
        ui.Enable(m_pProject && m_pSourceTemplate && m_pSourceTemplate->IsAvailable());
    };
    map.On(ID_FILE_NEW_SOURCE, newSource, canNewSource);
    map.On(ID_FILE_NEW, newSource, canNewSource);

    map.On(
        ID_FILE_CLOSE,
        [this] {
            if (CChildFrame* child = GetActiveChild()) {
                child->close();
            }
        },
        [this](CCmdUI& ui) {
            CDocument* document = GetActiveDocument();
            ui.Enable(document && document->CanCloseFrame());
        });
    map.On(
        ID_FILE_SAVE,
        [this, activeTemplate] {
            if (CDocTemplate* docTemplate = activeTemplate()) {
                docTemplate->DoFileSave(GetActiveDocument());
            }
        },
        whenActive);
    map.On(
        ID_FILE_SAVE_AS,
        [this, activeTemplate] {
            if (CDocTemplate* docTemplate = activeTemplate()) {
                docTemplate->DoSave(GetActiveDocument(), true);
            }
        },
        whenActive);
    map.On(
        ID_FILE_PRINT, [this] { OnFilePrint(); },
        [this](CCmdUI& ui) {
            CView* view = GetActiveView();
            ui.Enable(view && qobject_cast<QPlainTextEdit*>(view->GetWidget()));
        });

    // The bars of the View menu: checked while visible.
    const auto toggle = [&map](int id, std::function<QWidget*()> bar) {
        map.On(
            id,
            [bar] {
                if (QWidget* widget = bar()) {
                    widget->setVisible(!widget->isVisible());
                }
            },
            [bar](CCmdUI& ui) {
                QWidget* widget = bar();
                ui.Enable(widget != nullptr);
                ui.SetCheck(widget && widget->isVisible());
            });
    };
    toggle(ID_VIEW_MAIN_TOOLBAR, [this] { return m_pMainToolBar; });
    toggle(ID_VIEW_PROJECT_TOOLBAR, [this] { return m_pProjectToolBar; });
    toggle(ID_VIEW_STATUS_BAR, [this] { return statusBar(); });
    toggle(ID_VIEW_MESSAGES, [this] { return m_pMessagesBar.data(); });
    // F4 and Shift+F4 step through the error lines of the build messages.
    for (const auto& [id, step] :
         {std::pair{ID_VIEW_NEXT_ERROR, 1}, std::pair{ID_VIEW_PREV_ERROR, -1}}) {
        map.On(
            id,
            [this, step] {
                if (auto* bar = qobject_cast<CBuildMessagesBar*>(m_pMessagesBar.data())) {
                    bar->GoToError(step);
                }
            },
            [this](CCmdUI& ui) {
                auto* bar = qobject_cast<CBuildMessagesBar*>(m_pMessagesBar.data());
                ui.Enable(bar && bar->GetList()->count() > 0);
            });
    }

    // The configuration box follows the open project.
    map.OnUpdate(ID_PROJECT_CONFIG, [this](CCmdUI& ui) {
        ui.Enable(m_pProject != nullptr);
        if (m_pConfigBox->isEnabled() != ui.IsEnabled()) {
            m_pConfigBox->setEnabled(ui.IsEnabled());
        }
        if (!m_pProject && m_pConfigBox->count() > 0) {
            m_pConfigBox->clear();
        }
    });

    map.On(ID_VIEW_OPTIONS, [this] {
        CProgramSettingsDlg dialog(m_options, this);
        dialog.exec();
    });

    RegisterWindowCommands();
    // The project commands (new, open, save, close, settings, add files, Save All) and
    // the source templates.
    new CProjectCommands(*this);
    Templates::RegisterCommands(*this);
    RegisterBuildCommands();
}

void CMainFrame::RegisterBuildCommands()
{
    BuildCommandContext build;
    build.frame = this;
    build.options = &m_options;
    build.project = &m_pProject;
    build.messages = [this] { return m_pMessages; };
    build.activeDocument = [this] { return qobject_cast<CSourceDocument*>(GetActiveDocument()); };
    build.saveDocument = [this](CDocument* document) { m_pSourceTemplate->DoFileSave(document); };
    // Save All: every modified source file that has a name, then the project.
    build.saveAll = [this] { m_pCommands->Execute(ID_FILE_SAVE_ALL); };
    m_pBuild = std::make_unique<CBuildCommands>(std::move(build));
    m_pBuild->Register(Commands());
    // The calculator link: Transfer and Simulate of the current file and the project.
    m_pBuild->SetTransferFile(
        [this](const QString& path, const QByteArray& name) { TransferFile(path, name); });
    m_pBuild->SetSimulateInEmulator([this](const QString& path) { SimulateInEmulator(path); });
    Commands().On(ID_FILE_TRANSFER, [this] {
        // Built objects lie in the project's compiled folder.
        QString folder = WorkFolder();
        if (m_pProject && !m_pProject->GetPathName().isEmpty()) {
            const QString compiled =
                CBuilder::OptionFolder(folder, m_options.GetOption(QStringLiteral("CompiledDir")));
            if (QFileInfo(compiled).isDir()) {
                folder = compiled;
            }
        }
        const QStringList files =
            Prompt().GetOpenFileNames(QString(), folder, QStringLiteral("All files (*)"), false);
        if (!files.isEmpty()) {
            TransferFile(QFileInfo(files.first()).absoluteFilePath(), QByteArray());
        }
    });
}

bool CMainFrame::TransferFile(const QString& path, const QByteArray& name)
{
    const TransferResult result = ::TransferFile(
        this, path, name,
        PortChoice(m_options.GetOption(QStringLiteral("COMPort")),
                   m_options.GetOptionInt(QStringLiteral("COMPort"))),
        m_options.GetOptionInt(QStringLiteral("BaudRate")),
        ParseTransferProtocol(m_options.GetOption(QStringLiteral("TransferProtocol")))
            .value_or(TransferProtocol::XModem));
    // The dialog closes by itself at the end: the outcome stays in the status bar and
    // in the messages.
    const QString text = TransferEndText(
        result, name.isEmpty() ? QFileInfo(path).fileName() : QString::fromLatin1(name),
        QFileInfo(path).size());
    statusBar()->showMessage(text);
    if (m_pMessages) {
        m_pMessages->ShowMessages();
        m_pMessages->AddMessage(text);
    }
    return result == TransferResult::Completed;
}

bool CMainFrame::SimulateInEmulator(const QString& path)
{
    const QString emulator = m_options.GetOption(QStringLiteral("EMU48Location"));
    if (IsPtyEmulator(emulator)) {
        // The calculator answers with its stack; it goes to the build messages.
        return SimulateOverKermit(this, path, emulator,
                                  m_options.GetOptionInt(QStringLiteral("BaudRate")), Prompt(),
                                  [this](const QString& reply) {
                                      for (const QString& line : SplitReplyLines(reply)) {
                                          m_pMessages->AddMessage(line);
                                      }
                                  });
    }
    return ::SimulateInEmulator(path, m_options.GetOption(QStringLiteral("EMU48Location")),
                                Prompt());
}

void CMainFrame::RegisterWindowCommands()
{
    CCommandMap& map = Commands();
    const auto anyWindow = [this](CCmdUI& ui) {
        ui.Enable(!m_pMdiArea->subWindowList().isEmpty());
    };
    map.On(
        ID_WINDOW_CASCADE, [this] { m_pMdiArea->cascadeSubWindows(); }, anyWindow);
    map.On(
        ID_WINDOW_TILE, [this] { m_pMdiArea->tileSubWindows(); }, anyWindow);
    map.On(
        ID_WINDOW_ARRANGE,
        [this] {
            // Lines the minimised windows up along the bottom edge, left to right.
            int x = 0;
            const int bottom = m_pMdiArea->viewport()->height();
            for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
                if (window->isMinimized()) {
                    window->move(x, bottom - window->height());
                    x += window->width();
                }
            }
        },
        [this](CCmdUI& ui) {
            bool minimised = false;
            for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
                minimised = minimised || window->isMinimized();
            }
            ui.Enable(minimised);
        });
}

void CMainFrame::OnFilePrint()
{
    CView* view = GetActiveView();
    auto* edit = view ? qobject_cast<QPlainTextEdit*>(view->GetWidget()) : nullptr;
    if (!edit) {
        return;
    }
    QPrinter printer;
    printer.setDocName(GetActiveDocument()->GetTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        edit->print(&printer);
    }
}

// ---------------------------------------------------------------- window events

QString CMainFrame::WorkFolder() const
{
    if (m_pProject && !m_pProject->GetPathName().isEmpty()) {
        return m_pProject->GetProjectDir();
    }
    return m_options.GetOption(QStringLiteral("DefaultDir"));
}

void CMainFrame::RestoreWindowState(const WindowState& state)
{
    restoreState(state.layout);
    if (state.geometry.isEmpty() || !restoreGeometry(state.geometry)) {
        showMaximized();
        return;
    }
    show();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    CVelmoraApp* app = CVelmoraApp::Instance();
    if (app && !app->SaveAllModified()) {
        event->ignore();
        return;
    }
    WindowState{saveGeometry(), saveState(), QString()}.SaveLayout();
    if (app) {
        app->CloseAllDocuments();
    }
    CloseSplash();
    m_pCommands->StopIdleUpdates();
    event->accept();
    emit closed();
}

void CMainFrame::keyPressEvent(QKeyEvent* event)
{
    // Escape reaches the frame only when the focused part of the window had no use for
    // it: a popup, a combo box's list, a dialog or the find bar keep it to themselves.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_pCommands->Execute(ID_VIEW_MESSAGES);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    OpenDroppedFiles(event->mimeData());
    event->acceptProposedAction();
}

void CMainFrame::OpenDroppedFiles(const QMimeData* data)
{
    CVelmoraApp* app = CVelmoraApp::Instance();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && app) {
            app->OpenDocumentFile(url.toLocalFile());
        }
    }
}
