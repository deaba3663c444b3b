#include "BuildCommands.h"

#include "BuildProgressDialog.h"
#include "CommandIds.h"
#include "CommandMap.h"
#include "Document.h"
#include "GeneratedSources.h"
#include "Options.h"
#include "ProjectDocument.h"
#include "Prompt.h"
#include "Strings.h"

#include <QFileInfo>

using namespace Cmd;

void CBuildCommands::Messages::AddMessage(const QString& line)
{
    if (IBuildMessages* m = m_get())
        m->AddMessage(line);
}

void CBuildCommands::Messages::ClearMessages()
{
    if (IBuildMessages* m = m_get())
        m->ClearMessages();
}

void CBuildCommands::Messages::ShowMessages()
{
    if (IBuildMessages* m = m_get())
        m->ShowMessages();
}

void CBuildCommands::Messages::HideMessages()
{
    if (IBuildMessages* m = m_get())
        m->HideMessages();
}

CBuildCommands::CBuildCommands(BuildCommandContext context)
    : m_context(std::move(context)), m_messages(m_context.messages),
      m_builder(m_messages, *m_context.options, m_context.project)
{
    m_builder.SetSaveAll(m_context.saveAll);
}

bool CBuildCommands::HasSavedProject() const
{
    return Project() && !Project()->GetPathName().isEmpty();
}

CDocument* CBuildCommands::ActiveSource() const
{
    CDocument* document = m_context.activeDocument ? m_context.activeDocument() : nullptr;
    return qobject_cast<CProjectDocument*>(document) ? nullptr : document;
}

CompiledFile CBuildCommands::CurrentCompiledFile() const
{
    return CompiledFileOf(ActiveSource()->GetPathName(), Project(),
                          m_context.options->GetOption(QStringLiteral("CompiledDir")));
}

bool CBuildCommands::CompileCurrentFile()
{
    CDocument* document = ActiveSource();
    if (!document)
        return false;
    if (m_context.saveDocument)
        m_context.saveDocument(document);
    // A file that is still unnamed (the user cancelled Save As) has nothing to compile.
    if (document->GetPathName().isEmpty())
        return false;
    CBuildProgressDialog dialog;
    dialog.Create(m_context.frame);
    dialog.SetStatus(LoadString(IDS_COMPILING_CURRENT_FILE));
    dialog.SetPos(0);
    dialog.SetRange(0, 3);
    dialog.SetStep(1);
    const bool ok = m_builder.CompileFile(document->GetPathName(), dialog, false);
    dialog.DestroyWindow();
    return ok;
}

void CBuildCommands::AddCurrentFileToProject()
{
    CDocument* document = ActiveSource();
    if (!document || !Project())
        return;
    if (Project()->GetPathName().isEmpty()) {
        Prompt().MessageBox(LoadString(IDS_SAVE_PROJECT_BEFORE_ADDING), QString(), Mb::Ok);
        return;
    }
    if (Project()->IndexOfFile(document->GetPathName()) >= 0) {
        Prompt().MessageBox(LoadString(IDS_ALREADY_IN_PROJECT).arg(document->GetPathName()),
                            QString(), Mb::Ok | Mb::IconInformation);
        return;
    }
    Project()->AddFile(document->GetPathName(), QByteArray());
}

bool CBuildCommands::BuildProject()
{
    CBuildProgressDialog dialog;
    dialog.Create(m_context.frame);
    const bool ok = m_builder.BuildProject(dialog);
    dialog.DestroyWindow();
    return ok;
}

bool CBuildCommands::ReadyToSend(const QString& object, const QStringList& sources, bool edited,
                                 const std::function<bool()>& build)
{
    if (!QFileInfo::exists(object)) {
        // Nothing to send yet: offer the build rather than a file that cannot be opened.
        return Prompt().MessageBox(LoadString(IDS_OBJECT_NOT_BUILT), QString(),
                                   Mb::YesNo | Mb::IconQuestion) == IDYES &&
               build();
    }
    if (!edited && !IsOlderThanAny(object, sources))
        return true;
    switch (Prompt().MessageBox(LoadString(IDS_OBJECT_OUT_OF_DATE), QString(),
                                Mb::YesNoCancel | Mb::IconQuestion)) {
    case IDYES:
        // A failed build sends nothing: the old object is what the user wanted replaced.
        return build();
    case IDNO:
        return true;
    default:
        return false;
    }
}

void CBuildCommands::TransferCurrentFile()
{
    CDocument* document = ActiveSource();
    if (!document)
        return;
    const CompiledFile file = CurrentCompiledFile();
    if (!ReadyToSend(file.path, {document->GetPathName()}, document->IsModified(),
                     [this] { return CompileCurrentFile(); }))
        return;
    m_transferFile(file.path, file.compiledName);
}

void CBuildCommands::TransferProject()
{
    const QString path = m_builder.ProjectResultPath();
    if (path.isEmpty())
        return;
    if (!ReadyToSend(path, m_builder.ProjectSources(), Project()->IsModified(),
                     [this] { return BuildProject(); }))
        return;
    m_transferFile(path, QByteArray());
}

void CBuildCommands::Register(CCommandMap& map)
{
    // Compile, Transfer and Simulate act on the active source file and are named after
    // it; Transfer and Simulate need a saved file and the calculator link.
    const auto currentFile = [this](CurrentFileCommand command, bool needsLink) {
        return [this, command, needsLink](CCmdUI& ui) {
            CDocument* document = ActiveSource();
            if (!document) {
                ui.Enable(false);
                return;
            }
            if (const std::optional<QString> text =
                    CurrentFileMenuText(command, document->GetTitle()))
                ui.SetText(*text);
            if (needsLink) {
                const bool linked = command == CurrentFileCommand::Transfer
                                        ? static_cast<bool>(m_transferFile)
                                        : static_cast<bool>(m_simulate);
                ui.Enable(linked && !document->GetPathName().isEmpty());
            }
        };
    };
    map.On(
        ID_BUILD_COMPILE, [this] { CompileCurrentFile(); },
        currentFile(CurrentFileCommand::Compile, false));
    map.On(
        ID_BUILD_TRANSFER, [this] { TransferCurrentFile(); },
        currentFile(CurrentFileCommand::Transfer, true));
    map.On(
        ID_BUILD_SIMULATE, [this] { m_simulate(CurrentCompiledFile().path); },
        currentFile(CurrentFileCommand::Simulate, true));

    map.On(
        ID_PROJECT_ADD_CURRENT, [this] { AddCurrentFileToProject(); },
        [this](CCmdUI& ui) {
            CDocument* document = ActiveSource();
            ui.Enable(Project() && document && !document->GetPathName().isEmpty());
        });
    // The two file toggles act on the project window's rows: with a source window
    // active they are off. (The project window, earlier in the route, handles them.)
    for (const int id : {ID_PROJECT_FILE_VISIBLE, ID_PROJECT_FILE_COMPILE}) {
        map.OnUpdate(id, [](CCmdUI& ui) {
            ui.Enable(false);
            ui.SetCheck(false);
        });
    }

    map.On(
        ID_BUILD_PROJECT, [this] { BuildProject(); },
        [this](CCmdUI& ui) { ui.Enable(HasSavedProject()); });
    // A project of individual files has no one result to send.
    map.On(
        ID_BUILD_TRANSFER_PROJECT, [this] { TransferProject(); },
        [this](CCmdUI& ui) {
            ui.Enable(HasSavedProject() && Project()->m_strProjectType != "Individual" &&
                      m_transferFile);
        });
    map.On(
        ID_BUILD_SIMULATE_PROJECT,
        [this] {
            const QString path = m_builder.ProjectResultPath();
            if (!path.isEmpty())
                m_simulate(path);
        },
        [this](CCmdUI& ui) {
            ui.Enable(HasSavedProject() && Project()->m_strProjectType != "Individual" &&
                      m_simulate);
        });
    map.On(
        ID_BUILD_CANCEL, [this] { m_builder.Runner().SetRunEvent(); },
        [this](CCmdUI& ui) { ui.Enable(m_builder.Runner().CanCancelBuild()); });
}
