#include "ProjectDocument.h"

#include "Archive.h"
#include "Paths.h"
#include "ProjectFileList.h"
#include "Prompt.h"
#include "Strings.h"

#include <QDir>
#include <QFile>

namespace {

// The smallest a record can be on disk: one byte for each empty string and four for
// each number. Counts are checked against these before anything is allocated.
constexpr quint32 kMinConfigBytes = 3;
constexpr quint32 kMinEntryBytesV1 = 1 + 4 + 4 + 1 + 4 + 1;
constexpr quint32 kMinEntryBytesV0 = 1 + 4 + 4 + 1;

// What a project file holds; read completely before it replaces the document's data.
struct ProjectContents
{
    QByteArray type;
    qint32 romId = 0;
    qint32 curConfig = 0;
    QList<ProjectConfiguration> configs;
    QList<ProjectFileEntry> files;
};

ProjectFileEntry ReadEntry(CArchive& ar, bool withConfigs)
{
    ProjectFileEntry entry;
    entry.path = ar.ReadString();
    entry.compile = ar.ReadUInt32() != 0;
    entry.visible = ar.ReadUInt32() != 0;
    entry.compiledName = ar.ReadString();
    if (withConfigs) {
        entry.configMode = ar.ReadInt32();
        entry.configList = ar.ReadString();
    }
    return entry;
}

ProjectContents ReadVersion1(CArchive& ar)
{
    ProjectContents contents;
    contents.type = ar.ReadString();
    contents.romId = ar.ReadInt32();
    contents.curConfig = ar.ReadInt32();
    const quint32 configCount = ar.ReadUInt32();
    ar.CheckCount(configCount, kMinConfigBytes);
    contents.configs.reserve(configCount);
    for (quint32 i = 0; i < configCount; ++i) {
        ProjectConfiguration config;
        config.name = ar.ReadString();
        config.baseFilename = ar.ReadString();
        config.libraryTitle = ar.ReadString();
        contents.configs.append(config);
    }
    const quint32 fileCount = ar.ReadUInt32();
    ar.CheckCount(fileCount, kMinEntryBytesV1);
    contents.files.reserve(fileCount);
    for (quint32 i = 0; i < fileCount; ++i) {
        contents.files.append(ReadEntry(ar, true));
    }
    return contents;
}

// The first format: one configuration, entries without configuration lists.
ProjectContents ReadVersion0(CArchive& ar)
{
    ProjectContents contents;
    contents.type = ar.ReadString();
    const quint32 fileCount = ar.ReadUInt32();
    ProjectConfiguration config;
    config.name = LoadString(IDS_DEFAULT_CONFIG).toLatin1();
    config.baseFilename = ar.ReadString();
    contents.romId = ar.ReadInt32();
    config.libraryTitle = ar.ReadString();
    contents.configs.append(config);
    ar.CheckCount(fileCount, kMinEntryBytesV0);
    contents.files.reserve(fileCount);
    for (quint32 i = 0; i < fileCount; ++i) {
        contents.files.append(ReadEntry(ar, false));
    }
    return contents;
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

bool MayOpenProject(const CProjectDocument* pOpenProject)
{
    if (pOpenProject == nullptr) {
        return true;
    }
    Prompt().MessageBox(LoadString(IDS_ONE_PROJECT_ONLY), LoadString(IDS_OPEN_ERROR), Mb::Ok);
    return false;
}

CProjectDocument::CProjectDocument(QObject* parent) : CDocument(parent)
{
    m_strProjectType = "Directory";
    m_configs.append(DefaultConfiguration());
}

CProjectDocument::~CProjectDocument()
{
    if (m_ppOpenProject && *m_ppOpenProject == this) {
        *m_ppOpenProject = nullptr;
    }
}

ProjectConfiguration CProjectDocument::DefaultConfiguration()
{
    return {LoadString(IDS_DEFAULT_CONFIG).toLatin1(), "Project", "NAME  :Long Name, info"};
}

void CProjectDocument::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormatVersion << m_strProjectType << m_nRomId << m_nCurConfig;
        ar << static_cast<quint32>(m_configs.size());
        for (const ProjectConfiguration& config : std::as_const(m_configs)) {
            ar << config.name << config.baseFilename << config.libraryTitle;
        }
        ar << static_cast<quint32>(m_files.size());
        for (const ProjectFileEntry& entry : std::as_const(m_files)) {
            ar << entry.path << quint32(entry.compile) << quint32(entry.visible)
               << entry.compiledName << entry.configMode << entry.configList;
        }
        return;
    }

    const quint32 version = ar.ReadUInt32();
    // A source or any other file read as a project gives a version number in the
    // millions (its first four bytes); it is not a project from a later program.
    constexpr quint32 kLargestPlausibleVersion = 0xFFFF;
    if (version > kLargestPlausibleVersion) {
        throw CArchiveException(CArchiveException::badSchema,
                                QStringLiteral("It is not a Velmora project file."));
    }
    if (version > kFormatVersion) {
        Prompt().MessageBox(LoadString(IDS_FUTURE_VERSION), QString(), Mb::Ok | Mb::IconWarning);
        throw CArchiveException(CArchiveException::badSchema,
                                QStringLiteral("The file has the format version %1, which "
                                               "this program does not know.")
                                    .arg(version));
    }
    ProjectContents contents = version == 0 ? ReadVersion0(ar) : ReadVersion1(ar);
    // A project always has a configuration and a valid current one; a damaged file
    // that lacks them still opens.
    if (contents.configs.isEmpty()) {
        contents.configs.append(DefaultConfiguration());
    }
    if (contents.curConfig < 0 || contents.curConfig >= contents.configs.size()) {
        contents.curConfig = 0;
    }
    m_strProjectType = contents.type;
    m_nRomId = contents.romId;
    m_nCurConfig = contents.curConfig;
    m_configs = std::move(contents.configs);
    m_files = std::move(contents.files);
    RefreshFileList();
}

bool CProjectDocument::OnNewDocument()
{
    const bool result = CDocument::OnNewDocument();
    m_strProjectDir = QDir::currentPath();
    return result;
}

bool CProjectDocument::OnOpenDocument(const QString& path)
{
    if (m_ppOpenProject && !MayOpenProject(*m_ppOpenProject)) {
        return false;
    }
    if (!CDocument::OnOpenDocument(path)) {
        return false;
    }
    if (m_ppOpenProject) {
        *m_ppOpenProject = this;
    }
    emit projectOpened();
    return true;
}

void CProjectDocument::DeleteContents()
{
    m_strProjectType = "Directory";
    m_strProjectDir.clear();
    m_nRomId = 1000;
    m_configs = {DefaultConfiguration()};
    m_nCurConfig = 0;
    m_files.clear();
    RefreshFileList();
}

QString CProjectDocument::GetProjectDir() const
{
    return DirectoryPart(FullPath(GetPathName()));
}

const ProjectConfiguration* CProjectDocument::CurConfig() const
{
    if (m_nCurConfig < 0 || m_nCurConfig >= m_configs.size()) {
        return nullptr;
    }
    return &m_configs.at(m_nCurConfig);
}

QByteArray CProjectDocument::GetCurConfigName() const
{
    const ProjectConfiguration* config = CurConfig();
    return config ? config->name : QByteArray();
}

QByteArray CProjectDocument::GetCurConfigBaseName() const
{
    const ProjectConfiguration* config = CurConfig();
    return config ? config->baseFilename : QByteArray();
}

QByteArray CProjectDocument::GetCurConfigTitle() const
{
    const ProjectConfiguration* config = CurConfig();
    return config ? config->libraryTitle : QByteArray();
}

bool CProjectDocument::SetCurConfigIndex(int index)
{
    if (index < 0 || index >= m_configs.size()) {
        return false;
    }
    if (index != m_nCurConfig) {
        m_nCurConfig = index;
        SetModifiedFlag();
        RefreshFileImages();
    }
    return true;
}

bool CProjectDocument::AddFile(const QString& filePath, const QByteArray& compiledName)
{
    if (GetPathName().isEmpty() || filePath.isEmpty()) {
        return false;
    }
    // Files in the project's folder or below are kept relative to it, so the project
    // can move with its sources; others keep their full path.
    const QString fullPath = FullPath(filePath);
    const QString projectDir = GetProjectDir();
    QString path = fullPath;
    if (DirectoryPart(fullPath).startsWith(projectDir)) {
        path = fullPath.mid(projectDir.size());
    }
    QString fileName = FileNamePart(fullPath);
    if (fileName.endsWith(QLatin1String(".s"))) {
        fileName.chop(2);
    }
    if (fileName.endsWith(QLatin1String(".S"))) {
        fileName.chop(2);
    }

    ProjectFileEntry entry;
    entry.path = QFile::encodeName(path);
    entry.compiledName = compiledName.isEmpty() ? QFile::encodeName(fileName) : compiledName;
    m_files.append(entry);
    const int row = m_files.size() - 1;
    if (m_pFileList) {
        m_pFileList->InsertRow(row);
    }
    RefreshFileRow(row);
    SetModifiedFlag();
    return true;
}

int CProjectDocument::IndexOfFile(const QString& filePath) const
{
    const QString fullPath = FullPath(filePath);
    for (int i = 0; i < m_files.size(); ++i) {
        if (GetFileFullPath(i) == fullPath) {
            return i;
        }
    }
    return -1;
}

bool CProjectDocument::FindFile(const QByteArray& path, ProjectFileEntry& entry) const
{
    for (const ProjectFileEntry& candidate : m_files) {
        if (candidate.path == path) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

bool CProjectDocument::UpdateFileFlags(const QByteArray& path, const ProjectFileEntry& entry)
{
    for (int i = 0; i < m_files.size(); ++i) {
        if (m_files.at(i).path == path) {
            m_files[i].visible = entry.visible;
            m_files[i].compile = entry.compile;
            SetModifiedFlag();
            RefreshFileRow(i);
            return true;
        }
    }
    return false;
}

bool CProjectDocument::MoveFileEntry(int from, int to)
{
    const int count = m_files.size();
    if (from < 0 || from >= count || to < 0 || to >= count) {
        return false;
    }
    if (from != to) {
        m_files.move(from, to);
        for (int row = std::min(from, to); row <= std::max(from, to); ++row) {
            RefreshFileRow(row);
        }
        SetModifiedFlag();
    }
    return true;
}

bool CProjectDocument::RemoveFileEntry(int index)
{
    if (index < 0 || index >= m_files.size()) {
        return false;
    }
    m_files.removeAt(index);
    if (m_pFileList) {
        m_pFileList->DeleteRow(index);
    }
    SetModifiedFlag();
    return true;
}

bool CProjectDocument::IsEntryInConfig(const ProjectFileEntry& entry, const QByteArray& configName)
{
    const QByteArray names = ' ' + entry.configList + ' ';
    const bool listed = names.contains(' ' + configName + ' ');
    const bool included = entry.configMode == 0 ? !listed : listed;
    return included && entry.compile;
}

bool CProjectDocument::IsFileInCurrentConfig(int index) const
{
    if (index < 0 || index >= m_files.size()) {
        return false;
    }
    return IsEntryInConfig(m_files.at(index), GetCurConfigName());
}

QString CProjectDocument::GetFileFullPath(int index) const
{
    if (index < 0 || index >= m_files.size()) {
        return QString();
    }
    return EntryPathToFile(m_files.at(index).path, GetProjectDir());
}

void CProjectDocument::RefreshFileList()
{
    if (!m_pFileList) {
        return;
    }
    m_pFileList->DeleteAllRows();
    for (int row = 0; row < m_files.size(); ++row) {
        m_pFileList->InsertRow(row);
        RefreshFileRow(row);
    }
}

void CProjectDocument::RefreshFileImages()
{
    if (!m_pFileList) {
        return;
    }
    for (int row = 0; row < m_files.size(); ++row) {
        m_pFileList->SetRowImage(row, IsFileInCurrentConfig(row) ? 1 : 0);
    }
}

void CProjectDocument::RefreshFileRow(int index)
{
    if (!m_pFileList || index < 0 || index >= m_files.size()) {
        return;
    }
    const ProjectFileEntry& entry = m_files.at(index);
    m_pFileList->SetRowTexts(index,
                             {DecodeUtf8OrLatin1(entry.path), YesNo(entry.visible),
                              YesNo(entry.compile), QString::fromLatin1(entry.compiledName)});
    m_pFileList->SetRowImage(index, IsFileInCurrentConfig(index) ? 1 : 0);
}
