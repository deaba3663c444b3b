// A project: its type, library number, configurations and file entries, read from and
// written to a project file (.hpr), and shown row by row in the project's file list.
#pragma once

#include "Document.h"

#include <QByteArray>
#include <QList>
#include <QString>

class IProjectFileList;

// A named variant of the build. The texts are bytes, as the calculator sees them.
struct ProjectConfiguration
{
    QByteArray name;
    QByteArray baseFilename; // file name of the build's result, without extension
    QByteArray libraryTitle;
    bool operator==(const ProjectConfiguration&) const = default;
};

struct ProjectFileEntry
{
    // As stored: relative to the project's folder when the file lies in it or below,
    // else absolute. Paths made on Windows keep their backslashes.
    QByteArray path;
    bool visible = true; // the compiled object is visible in the built library or directory
    bool compile = true; // the file is compiled as part of the project
    QByteArray compiledName;
    qint32 configMode = 0; // 0: excluded from configList; 1: only included in configList
    QByteArray configList; // configuration names separated by single blanks
    bool operator==(const ProjectFileEntry&) const = default;
};

class CProjectDocument : public CDocument
{
    Q_OBJECT
public:
    // The version written; versions 0 and 1 are read.
    static constexpr quint32 kFormatVersion = 1;

    explicit CProjectDocument(QObject* parent = nullptr);
    ~CProjectDocument() override;

    // A first configuration as a new project has it: "DEFAULT", "Project" and a
    // placeholder library title.
    static ProjectConfiguration DefaultConfiguration();

    void Serialize(CArchive& ar) override;
    // The default project: a directory, library number 1000, one configuration, no files,
    // and the current directory as project folder.
    bool OnNewDocument() override;
    // Refuses to open while another project is open (see SetOpenProjectSlot), then reads
    // the file; on success the slot holds this project and projectOpened is emitted.
    bool OnOpenDocument(const QString& path) override;
    // Leaves an empty project with one default configuration.
    void DeleteContents() override;
    // A project is closed only by Close Project, never by closing its window.
    bool CanCloseFrame() const override { return false; }

    // The program's pointer to its one open project (the main frame's). Opening checks
    // it and sets it; destroying the project clears it when it still points here, so the
    // slot must outlive the project.
    void SetOpenProjectSlot(CProjectDocument** slot) { m_ppOpenProject = slot; }

    // The folder of the project file, with a trailing '/'; empty before the first save.
    QString GetProjectDir() const;
    int GetCurConfigIndex() const { return m_nCurConfig; }
    QByteArray GetCurConfigName() const;
    QByteArray GetCurConfigBaseName() const;
    QByteArray GetCurConfigTitle() const;
    // Makes index the current configuration; when that changes it, marks the project
    // modified and recomputes the row images. False for an index out of range.
    bool SetCurConfigIndex(int index);

    // Adds the file filePath with the compiled name compiledName (empty: the file name
    // without ".s"). False, with nothing changed, while the project has no file yet.
    bool AddFile(const QString& filePath, const QByteArray& compiledName);
    // Copies out the first entry whose path equals path exactly.
    bool FindFile(const QByteArray& path, ProjectFileEntry& entry) const;
    // The index of the entry that names the file at filePath (however the entry or the
    // path spell it), or -1.
    int IndexOfFile(const QString& filePath) const;
    // Takes visible and compile from entry for the first entry with that path.
    bool UpdateFileFlags(const QByteArray& path, const ProjectFileEntry& entry);
    // Removes entry from and inserts it at to (to counted after the removal).
    bool MoveFileEntry(int from, int to);
    bool RemoveFileEntry(int index);
    // Whether a build in the current configuration compiles entry index.
    bool IsFileInCurrentConfig(int index) const;
    // Whether a build in configuration configName compiles entry.
    static bool IsEntryInConfig(const ProjectFileEntry& entry, const QByteArray& configName);
    // The file that entry index names.
    QString GetFileFullPath(int index) const;

    // The list that shows the entries (not owned); the view detaches itself with nullptr.
    void SetFileList(IProjectFileList* list) { m_pFileList = list; }
    IProjectFileList* GetFileList() const { return m_pFileList; }
    void RefreshFileList();
    void RefreshFileImages();
    void RefreshFileRow(int index);

    qint32 m_nCurConfig = 0;
    QList<ProjectConfiguration> m_configs;
    qint32 m_nRomId = 1000;
    QString m_strProjectDir; // the current directory when the project was created
    QByteArray m_strProjectType;
    QList<ProjectFileEntry> m_files;

signals:
    void projectOpened();

private:
    const ProjectConfiguration* CurConfig() const;

    IProjectFileList* m_pFileList = nullptr;
    CProjectDocument** m_ppOpenProject = nullptr;
};

// The one-project rule: true when pOpenProject is null; otherwise tells the user that
// only one project can be open at a time and returns false.
bool MayOpenProject(const CProjectDocument* pOpenProject);
