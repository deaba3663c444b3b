#include "Options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <climits>
#include <memory>

namespace {

const QString kGroup = QStringLiteral("Options");

// Opens the group of the options in the settings file, creating its folder when
// missing. Null when the file can't be read or written; nothing is then read or written.
std::unique_ptr<QSettings> OpenOptionsGroup()
{
    const QString path = COptionTable::SettingsFilePath();
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
        return nullptr;
    }
    if (file.exists() && (!file.isFile() || !file.isReadable() || !file.isWritable())) {
        return nullptr;
    }
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError) {
        return nullptr;
    }
    settings->beginGroup(kGroup);
    return settings;
}

QString ProgramPath(const QString& programDir, const char* rest)
{
    // At the root the program directory is empty, so paths still get one slash.
    QString dir = programDir;
    while (dir.endsWith(QLatin1Char('/'))) {
        dir.chop(1);
    }
    return dir + QLatin1String(rest);
}

} // namespace

int AtoiValue(const QString& text)
{
    qsizetype i = 0;
    const qsizetype length = text.size();
    while (i < length && (text.at(i) == QLatin1Char(' ') ||
                          (text.at(i) >= QLatin1Char('\t') && text.at(i) <= QLatin1Char('\r')))) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < length && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = std::min<qint64>(value * 10 + (text.at(i).unicode() - '0'), qint64(INT_MAX) + 1);
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return static_cast<int>(std::min<qint64>(value, INT_MAX));
}

QString COptionTable::SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Velmora/Velmora.conf");
}

QString COptionTable::DefaultProjectDir(const QString& programDir)
{
    const QFileInfo dir(programDir);
    if (dir.isDir() && dir.isWritable()) {
        return ProgramPath(programDir, "/Projects");
    }
    return QDir::homePath() + QStringLiteral("/Velmora Projects");
}

void COptionTable::AddOption(const QString& label, const QString& registryName,
                             const QString& defaultValue, OptionKind kind)
{
    m_options.append({label, registryName, defaultValue, QString(), kind});
}

void COptionTable::AddProgramOptions(const QString& programDir)
{
    using K = OptionKind;
    AddOption("Program Settings:", "", "", K::Section);
    AddOption("Show Tips on Startup", "ShowTips", "Yes", K::YesNo);
    AddOption("Current Tip Number", "TipNum", "0", K::Number);
    AddOption("Transfer COM Port", "COMPort", "2", K::Number);
    AddOption("Baud rate", "BaudRate", "9600", K::Number);
    AddOption("Transfer Protocol", "TransferProtocol", "XModem", K::Text);
    AddOption("GNUTools Mode", "GNUToolsMode", "No", K::YesNo);
    AddOption("Autodetect GNU/HP", "AutoDetectTools", "Yes", K::YesNo);
    AddOption("Directory Settings:", "", "", K::Section);
    AddOption("Default Project Dir.", "DefaultDir", DefaultProjectDir(programDir), K::Text);
    AddOption("Compiled Directory", "CompiledDir", "Compiled", K::Text);
    AddOption("Output Directory", "OutputDir", "Output", K::Text);
    AddOption("HP/GNU-Tools Location", "ToolLocation", ProgramPath(programDir, "/HPTools"),
              K::Text);
    AddOption("Template Location", "TemplateLocation", ProgramPath(programDir, "/Templates"),
              K::Text);
    AddOption("EMU48 Location", "EMU48Location", ProgramPath(programDir, "/EMU48/Emu48.exe"),
              K::Text);
    AddOption("Editor Settings:", "", "", K::Section);
    AddOption("Tab width [not implemented]", "TabWidth", "2", K::Number);
    AddOption("Smart indent [not implemented]", "SmartIndent", "Yes", K::YesNo);
    AddOption("Syntax Highlighting", "SyntaxHighlighting", "Yes", K::YesNo);
    AddOption("Template #1 Name", "TemplateName1", "RPL Skeleton", K::Text);
    AddOption("Template #1 Path", "TemplatePath1", "SysRPL.s", K::Text);
    AddOption("Template #2 Name", "TemplateName2", "POL Block", K::Text);
    AddOption("Template #2 Path", "TemplatePath2", "POL.s", K::Text);
    AddOption("Template #3 Name", "TemplateName3", "Code Block", K::Text);
    AddOption("Template #3 Path", "TemplatePath3", "CodeBlock.s", K::Text);
    AddOption("Template #4 Name", "TemplateName4", "(none)", K::Text);
    AddOption("Template #4 Path", "TemplatePath4", "", K::Text);
    AddOption("Template #5 Name", "TemplateName5", "(none)", K::Text);
    AddOption("Template #5 Path", "TemplatePath5", "", K::Text);
}

void COptionTable::LoadOptions()
{
    const std::unique_ptr<QSettings> settings = OpenOptionsGroup();
    if (!settings) {
        return;
    }
    for (ProgramOption& option : m_options) {
        if (option.kind == OptionKind::Section) {
            continue;
        }
        if (!settings->contains(option.registryName)) {
            option.value = option.defaultValue;
            continue;
        }
        // A hand-written value with commas comes back from the INI reader as a list.
        const QVariant value = settings->value(option.registryName);
        option.value = value.typeId() == QMetaType::QStringList
                           ? value.toStringList().join(QStringLiteral(", "))
                           : value.toString();
    }
}

int COptionTable::FindOption(const QString& registryName) const
{
    // Section rows have no name, so the empty name finds nothing.
    if (registryName.isEmpty()) {
        return -1;
    }
    for (int i = 0; i < m_options.size(); ++i) {
        if (m_options.at(i).registryName == registryName) {
            return i;
        }
    }
    return -1;
}

QString COptionTable::GetOption(const QString& registryName) const
{
    const int index = FindOption(registryName);
    return index < 0 ? QString() : m_options.at(index).value;
}

int COptionTable::GetOptionInt(const QString& registryName) const
{
    return AtoiValue(GetOption(registryName));
}

bool COptionTable::GetOptionBool(const QString& registryName) const
{
    return GetOption(registryName) == QLatin1String("Yes");
}

void COptionTable::SetOption(const QString& registryName, const QString& value)
{
    const int index = FindOption(registryName);
    if (index >= 0) {
        m_options[index].value = value;
    }
}

void COptionTable::SaveOption(const QString& registryName)
{
    const int index = FindOption(registryName);
    if (index < 0 || m_options.at(index).kind == OptionKind::Section) {
        return;
    }
    const std::unique_ptr<QSettings> settings = OpenOptionsGroup();
    if (settings) {
        settings->setValue(registryName, m_options.at(index).value);
        settings->sync();
    }
}

bool COptionTable::SaveAllOptions()
{
    const std::unique_ptr<QSettings> settings = OpenOptionsGroup();
    if (!settings) {
        return false;
    }
    for (const ProgramOption& option : std::as_const(m_options)) {
        if (option.kind != OptionKind::Section) {
            settings->setValue(option.registryName, option.value);
        }
    }
    settings->sync();
    return settings->status() == QSettings::NoError;
}
