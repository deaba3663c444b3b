// The build's commands in the main window: Compile, Transfer and Simulate on the current
// source file, Add Current File to Project, Build, Transfer and Simulate Project, and
// Cancel Build. The main frame creates one of these and hands it what the commands
// need; the commands then live in the frame's command map.
#pragma once

#include "BuildMessages.h"
#include "Builder.h"
#include "CurrentFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class CCommandMap;
class CDocument;
class COptionTable;
class CProjectDocument;
class QWidget;

struct BuildCommandContext
{
    QWidget* frame = nullptr; // owner of the progress dialog
    const COptionTable* options = nullptr;
    CProjectDocument* const* project = nullptr;   // the frame's open-project pointer
    std::function<IBuildMessages*()> messages;    // the messages bar, once it exists
    std::function<CDocument*()> activeDocument;   // document of the active window
    std::function<void(CDocument*)> saveDocument; // the framework's File Save
    std::function<void()> saveAll;                // the Save All operation
};

class CBuildCommands
{
public:
    explicit CBuildCommands(BuildCommandContext context);

    // Adds the commands to map (the frame's).
    void Register(CCommandMap& map);

    CBuilder& Builder() { return m_builder; }

    // The calculator link supplies these; until then Transfer and Simulate stay disabled.
    void SetTransferFile(std::function<void(const QString& path, const QByteArray& name)> f)
    {
        m_transferFile = std::move(f);
    }
    void SetSimulateInEmulator(std::function<void(const QString& path)> f)
    {
        m_simulate = std::move(f);
    }

    // The commands' actions, for the frame and for tests. Compile and Build tell
    // whether they succeeded.
    bool CompileCurrentFile();
    void AddCurrentFileToProject();
    bool BuildProject();
    // Transfer and Transfer Project: an object older than what it is made from (or one
    // whose sources have unsaved edits) is first offered for building.
    void TransferCurrentFile();
    void TransferProject();

private:
    // The build messages, passed on to the messages bar once the frame has one.
    class Messages : public IBuildMessages
    {
    public:
        explicit Messages(std::function<IBuildMessages*()> get) : m_get(std::move(get)) {}
        void AddMessage(const QString& line) override;
        void ClearMessages() override;
        void ShowMessages() override;
        void HideMessages() override;

    private:
        std::function<IBuildMessages*()> m_get;
    };

    CProjectDocument* Project() const { return *m_context.project; }
    bool HasSavedProject() const;
    // The active document when it is a source file, else nullptr.
    CDocument* ActiveSource() const;
    CompiledFile CurrentCompiledFile() const;
    // Asks "Build it first?" when object is out of date: true to send now (after build
    // succeeded when the user chose Yes), false to send nothing.
    bool ReadyToSend(const QString& object, const QStringList& sources, bool edited,
                     const std::function<bool()>& build);

    BuildCommandContext m_context;
    Messages m_messages;
    CBuilder m_builder;
    std::function<void(const QString&, const QByteArray&)> m_transferFile;
    std::function<void(const QString&)> m_simulate;
};
