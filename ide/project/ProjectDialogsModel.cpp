#include "ProjectDialogsModel.h"

#include "Prompt.h"
#include "Strings.h"

#include <algorithm>
#include <limits>

namespace {

QByteArray DefaultName()
{
    return LoadString(IDS_DEFAULT_CONFIG).toLatin1();
}

QByteArray NewName()
{
    return LoadString(IDS_NEW_CONFIG).toLatin1();
}

// The order of the sorted lists: by name, ignoring case.
bool SortsBefore(const QByteArray& a, const QByteArray& b)
{
    return qstricmp(a.constData(), b.constData()) < 0;
}

// Where name goes in the sorted names: after every name that does not sort after it.
template <typename NameOf> int SortedPosition(int count, const QByteArray& name, NameOf nameOf)
{
    int position = 0;
    while (position < count && !SortsBefore(name, nameOf(position))) {
        ++position;
    }
    return position;
}

} // namespace

bool ParseRomId(const QString& text, qint32& value)
{
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<qint32>::min() ||
        number > std::numeric_limits<qint32>::max()) {
        return false;
    }
    value = static_cast<qint32>(number);
    return true;
}

// ---------------------------------------------------------------- CProjectSettingsModel

CProjectSettingsModel::CProjectSettingsModel(const CProjectDocument& project)
    : m_strProjectDir(project.m_strProjectDir), m_strCurrentName(project.GetCurConfigName()),
      m_nOldRomId(project.m_nRomId)
{
    if (project.m_strProjectType == "Library") {
        m_nType = TypeLibrary;
    } else if (project.m_strProjectType == "Individual") {
        m_nType = TypeIndividual;
    }
    m_strRomId = QString::number(project.m_nRomId);
    int defaultId = -1;
    for (const ProjectConfiguration& config : project.m_configs) {
        const int id = AddWorking(config);
        if (config.name == DefaultName() && defaultId < 0) {
            defaultId = id;
        }
    }
    SelectRow(RowOf(defaultId));
}

QByteArray CProjectSettingsModel::RowName(int row) const
{
    const Working* working = FindWorking(IdAt(row));
    return working ? working->config.name : QByteArray();
}

int CProjectSettingsModel::SelectedRow() const
{
    return RowOf(m_nHeldId);
}

QList<ProjectConfiguration> CProjectSettingsModel::WorkingCopies() const
{
    QList<ProjectConfiguration> configs;
    for (const Working& working : m_working) {
        configs.append(working.config);
    }
    return configs;
}

QString CProjectSettingsModel::FullFilename() const
{
    const QString base = QString::fromLatin1(m_strBaseFilename);
    switch (m_nType) {
    case TypeDirectory:
        return base + QStringLiteral(".dir");
    case TypeIndividual:
        return QStringLiteral("*.gx");
    case TypeLibrary:
        return base + QStringLiteral(".lib");
    default:
        return QStringLiteral("<<INVALID>>");
    }
}

bool CProjectSettingsModel::IsBaseFilenameEnabled() const
{
    return m_nHeldId >= 0 && m_nType != TypeIndividual;
}

CProjectSettingsModel::Working* CProjectSettingsModel::FindWorking(int id)
{
    for (Working& working : m_working) {
        if (working.id == id) {
            return &working;
        }
    }
    return nullptr;
}

const CProjectSettingsModel::Working* CProjectSettingsModel::FindWorking(int id) const
{
    return const_cast<CProjectSettingsModel*>(this)->FindWorking(id);
}

int CProjectSettingsModel::AddWorking(const ProjectConfiguration& config)
{
    const int id = m_nNextId++;
    m_working.prepend({id, config});
    m_rows.append(id);
    SortRow(id);
    return id;
}

void CProjectSettingsModel::SortRow(int id)
{
    m_rows.removeAll(id);
    const QByteArray name = FindWorking(id)->config.name;
    const int position =
        SortedPosition(m_rows.size(), name, [this](int row) { return RowName(row); });
    m_rows.insert(position, id);
}

void CProjectSettingsModel::StoreHeld()
{
    if (Working* held = FindWorking(m_nHeldId)) {
        held->config.baseFilename = m_strBaseFilename;
        held->config.libraryTitle = m_strLibraryTitle;
    }
}

void CProjectSettingsModel::SelectRow(int row)
{
    const int id = IdAt(row);
    if (id == m_nHeldId) {
        return;
    }
    StoreHeld();
    if (const Working* working = FindWorking(id)) {
        m_strBaseFilename = working->config.baseFilename;
        m_strLibraryTitle = working->config.libraryTitle;
    } else {
        m_strBaseFilename.clear();
        m_strLibraryTitle.clear();
    }
    m_nHeldId = id;
}

bool CProjectSettingsModel::CanRename(int row) const
{
    return row >= 0 && row < m_rows.size() && RowName(row) != DefaultName();
}

bool CProjectSettingsModel::Rename(int row, const QByteArray& text)
{
    if (!CanRename(row)) {
        return false;
    }
    const QByteArray name = text.toUpper().trimmed();
    if (name.isEmpty()) {
        return false;
    }
    const int id = IdAt(row);
    for (const Working& other : std::as_const(m_working)) {
        if (other.id != id && other.config.name == name) {
            Prompt().MessageBox(LoadString(IDS_CONFIG_EXISTS), QString(), Mb::Ok | Mb::IconWarning);
            return false;
        }
    }
    FindWorking(id)->config.name = name;
    SortRow(id);
    return true;
}

int CProjectSettingsModel::AddNew()
{
    SelectRow(-1);
    ProjectConfiguration config{NewName(), {}, {}};
    for (const Working& working : std::as_const(m_working)) {
        if (working.config.name == DefaultName()) {
            config.baseFilename = working.config.baseFilename;
            config.libraryTitle = working.config.libraryTitle;
            break;
        }
    }
    const int id = AddWorking(config);
    SelectRow(RowOf(id));
    return RowOf(id);
}

bool CProjectSettingsModel::DeleteRow(int row)
{
    const int id = IdAt(row);
    if (id < 0) {
        return false;
    }
    const QByteArray name = RowName(row);
    if (name == DefaultName()) {
        Prompt().MessageBox(LoadString(IDS_DELETE_DEFAULT_CONFIG), QString(),
                            Mb::Ok | Mb::IconError);
        return false;
    }
    const QString question = LoadString(IDS_DELETE_CONFIG).arg(QString::fromLatin1(name));
    if (Prompt().MessageBox(question, QString(), Mb::YesNo | Mb::IconQuestion) != IDYES) {
        return false;
    }
    if (id == m_nHeldId) {
        // The deleted copy takes no more edits; the boxes are emptied as for no selection.
        m_nHeldId = -1;
        m_strBaseFilename.clear();
        m_strLibraryTitle.clear();
    }
    m_rows.removeAll(id);
    m_working.removeIf([id](const Working& working) { return working.id == id; });
    return true;
}

bool CProjectSettingsModel::Apply(CProjectDocument& project)
{
    StoreHeld();
    qint32 romId = 0;
    if (!ParseRomId(m_strRomId, romId)) {
        Prompt().MessageBox(LoadString(IDS_ROMID_NOT_NUMBER).arg(m_strRomId), QString(),
                            Mb::Ok | Mb::IconWarning);
        m_strRomId = QString::number(m_nOldRomId);
        return false;
    }
    // A library number has three hex digits; only a library uses it, so a project of
    // another type keeps whatever its file holds.
    if (m_nType == TypeLibrary && (romId < 0 || romId > kMaxRomId)) {
        Prompt().MessageBox(LoadString(IDS_ROMID_OUT_OF_RANGE).arg(m_strRomId).arg(kMaxRomId),
                            QString(), Mb::Ok | Mb::IconWarning);
        return false;
    }
    for (const Working& working : std::as_const(m_working)) {
        if (working.config.name == NewName()) {
            Prompt().MessageBox(LoadString(IDS_NAME_ALL_CONFIGS), QString(), Mb::Ok);
            return false;
        }
    }
    static const char* const kTypes[] = {"Directory", "Individual", "Library"};
    project.m_strProjectType = kTypes[m_nType >= 0 && m_nType <= 2 ? m_nType : 0];
    project.m_nRomId = romId;
    project.m_configs = WorkingCopies();
    // The current configuration is kept by its name; when it was renamed or deleted,
    // "DEFAULT" becomes current, and the first one when there is no "DEFAULT" either.
    const auto indexOf = [&project](const QByteArray& name) {
        for (int i = 0; i < project.m_configs.size(); ++i) {
            if (project.m_configs.at(i).name == name) {
                return i;
            }
        }
        return -1;
    };
    int current = indexOf(m_strCurrentName);
    if (current < 0) {
        current = std::max(indexOf(DefaultName()), 0);
    }
    project.m_nCurConfig = current;
    return true;
}

// ---------------------------------------------------------------- CFilePropertiesModel

void CFilePropertiesModel::LoadFrom(const ProjectFileEntry& entry)
{
    m_strPath = entry.path;
    m_strCompiledName = entry.compiledName;
    m_bVisible = entry.visible;
    m_bCompile = entry.compile;
    m_nChoice = entry.configMode == 0 || entry.configMode == 1 ? entry.configMode : -1;
    m_strConfigText = entry.configList;
}

void CFilePropertiesModel::StoreTo(ProjectFileEntry& entry) const
{
    entry.path = m_strPath;
    entry.compiledName = m_strCompiledName;
    entry.visible = m_bVisible;
    entry.compile = m_bCompile;
    entry.configMode = m_nChoice == 1 ? 1 : 0;
    entry.configList = m_strConfigText;
}

// ---------------------------------------------------------------- CConfigListModel

CConfigListModel::CConfigListModel(const QList<ProjectConfiguration>& configs,
                                   const QByteArray& text)
{
    // An entry that lists text in "only include in" mode tells whether text names a
    // configuration, by the same rule the build uses.
    ProjectFileEntry listing;
    listing.configMode = 1;
    listing.configList = text;
    for (const ProjectConfiguration& config : configs) {
        const int position = SortedPosition(m_names.size(), config.name,
                                            [this](int row) { return m_names.at(row); });
        m_names.insert(position, config.name);
        m_selected.insert(position, CProjectDocument::IsEntryInConfig(listing, config.name));
    }
}

void CConfigListModel::SetSelected(int row, bool selected)
{
    if (row >= 0 && row < m_selected.size()) {
        m_selected[row] = selected;
    }
}

QByteArray CConfigListModel::Text() const
{
    QByteArray text;
    for (int row = 0; row < m_names.size(); ++row) {
        if (m_selected.at(row)) {
            text += m_names.at(row) + ' ';
        }
    }
    while (text.endsWith(' ')) {
        text.chop(1);
    }
    return text;
}
