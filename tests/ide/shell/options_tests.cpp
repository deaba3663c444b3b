// The program options: the table, reading values from the settings file and writing
// them back, with the settings kept in a temporary folder.
#include "Options.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Options : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        m_table.AddProgramOptions(m_program.path());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_oldConfigHome); }

    QString SettingsFolder() const { return m_config.path() + "/Velmora"; }
    // Writes the settings file by hand, as another run of the program would have.
    void Store(const QList<std::pair<QString, QString>>& values)
    {
        QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
        settings.beginGroup("Options");
        for (const auto& [name, value] : values) {
            settings.setValue(name, value);
        }
    }
    QStringList StoredNames() const
    {
        QSettings settings(COptionTable::SettingsFilePath(), QSettings::IniFormat);
        return settings.allKeys();
    }
    bool AllValuesEmpty() const
    {
        for (const ProgramOption& option : m_table.GetOptions()) {
            if (!option.value.isEmpty()) {
                return false;
            }
        }
        return true;
    }

    QByteArray m_oldConfigHome;
    QTemporaryDir m_config;
    QTemporaryDir m_program;
    COptionTable m_table;
};

} // namespace

TEST_F(Options, TheTableHoldsTwentyNineRowsInDisplayOrder)
{
    const QList<ProgramOption>& rows = m_table.GetOptions();
    ASSERT_EQ(rows.size(), 29);
    QStringList sections;
    QStringList names;
    for (const ProgramOption& row : rows) {
        if (row.kind == OptionKind::Section) {
            sections.append(row.label);
            EXPECT_TRUE(row.registryName.isEmpty());
            EXPECT_TRUE(row.defaultValue.isEmpty());
        } else {
            EXPECT_FALSE(names.contains(row.registryName)) << row.registryName.toStdString();
            names.append(row.registryName);
        }
        EXPECT_TRUE(row.value.isEmpty());
    }
    EXPECT_EQ(sections,
              QStringList({"Program Settings:", "Directory Settings:", "Editor Settings:"}));
    // The names are the keys of settings files already written: they never change.
    EXPECT_EQ(
        names,
        QStringList({"ShowTips",         "TipNum",        "COMPort",         "BaudRate",
                     "TransferProtocol", "GNUToolsMode",  "AutoDetectTools", "DefaultDir",
                     "CompiledDir",      "OutputDir",     "ToolLocation",    "TemplateLocation",
                     "EMU48Location",    "TabWidth",      "SmartIndent",     "SyntaxHighlighting",
                     "TemplateName1",    "TemplatePath1", "TemplateName2",   "TemplatePath2",
                     "TemplateName3",    "TemplatePath3", "TemplateName4",   "TemplatePath4",
                     "TemplateName5",    "TemplatePath5"}));
    EXPECT_EQ(rows.at(0).kind, OptionKind::Section);
    EXPECT_EQ(rows.at(8).kind, OptionKind::Section);
    EXPECT_EQ(rows.at(15).kind, OptionKind::Section);
    EXPECT_EQ(rows.at(5).defaultValue, "XModem");
    EXPECT_EQ(rows.at(4).label, "Baud rate");
    EXPECT_EQ(rows.at(4).registryName, "BaudRate");
    EXPECT_EQ(rows.at(4).defaultValue, "9600");
    EXPECT_EQ(rows.at(4).kind, OptionKind::Number);
    EXPECT_EQ(rows.at(18).defaultValue, "Yes");
    EXPECT_EQ(rows.at(18).kind, OptionKind::YesNo);
    EXPECT_EQ(rows.at(28).registryName, "TemplatePath5");

    const QString dir = m_program.path();
    EXPECT_EQ(rows.at(9).defaultValue, dir + "/Projects");
    EXPECT_EQ(rows.at(12).defaultValue, dir + "/HPTools");
    EXPECT_EQ(rows.at(13).defaultValue, dir + "/Templates");
    EXPECT_EQ(rows.at(14).defaultValue, dir + "/EMU48/Emu48.exe");
}

TEST_F(Options, PathDefaultsFollowTheProgramDirectory)
{
    COptionTable atRoot;
    atRoot.AddProgramOptions("/");
    EXPECT_EQ(atRoot.GetOptions().at(12).defaultValue, "/HPTools");
    EXPECT_EQ(atRoot.GetOptions().at(14).defaultValue, "/EMU48/Emu48.exe");
    // A program folder that can't hold projects sends them to the home folder.
    EXPECT_EQ(COptionTable::DefaultProjectDir(m_program.path() + "/missing"),
              QDir::homePath() + "/Velmora Projects");
}

TEST_F(Options, FirstRunGivesTheDefaultsAndWritesNothing)
{
    m_table.LoadOptions();
    EXPECT_TRUE(QFileInfo(SettingsFolder()).isDir());
    for (const ProgramOption& option : m_table.GetOptions()) {
        EXPECT_EQ(option.value, option.defaultValue) << option.label.toStdString();
    }
    EXPECT_EQ(m_table.GetOption("ToolLocation"), m_program.path() + "/HPTools");
    EXPECT_TRUE(m_table.GetOptionBool("ShowTips"));
    EXPECT_EQ(m_table.GetOptionInt("BaudRate"), 9600);
    m_table.SetOption("BaudRate", "19200");
    EXPECT_EQ(m_table.GetOptionInt("BaudRate"), 19200);
    EXPECT_TRUE(StoredNames().isEmpty());
}

TEST_F(Options, StoredValuesAreUsedUnchangedEvenWhenEmpty)
{
    Store({{"TemplatePath1", ""},
           {"ShowTips", "yes"},
           {"GNUToolsMode", "Yes"},
           {"BaudRate", "9600abc"},
           {"COMPort", "COM"},
           {"TipNum", " \t-12x"},
           {"TemplateName1", "A, B"}});
    m_table.LoadOptions();
    EXPECT_EQ(m_table.GetOption("TemplatePath1"), "");
    EXPECT_FALSE(m_table.GetOptionBool("ShowTips"));
    EXPECT_TRUE(m_table.GetOptionBool("GNUToolsMode"));
    EXPECT_EQ(m_table.GetOptionInt("BaudRate"), 9600);
    EXPECT_EQ(m_table.GetOptionInt("COMPort"), 0);
    EXPECT_EQ(m_table.GetOptionInt("TipNum"), -12);
    EXPECT_EQ(m_table.GetOption("TemplateName1"), "A, B");
    EXPECT_EQ(m_table.GetOption("TemplatePath2"), "POL.s");
}

TEST_F(Options, NumbersFollowTheAtoiRule)
{
    EXPECT_EQ(AtoiValue("  +42"), 42);
    EXPECT_EQ(AtoiValue("-"), 0);
    EXPECT_EQ(AtoiValue("- 5"), 0);
    EXPECT_EQ(AtoiValue("1 2"), 1);
    EXPECT_EQ(AtoiValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(AtoiValue("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(AtoiValue("-2147483648"), INT_MIN);
}

TEST_F(Options, UnknownNamesAndSectionsAreLeftAlone)
{
    m_table.LoadOptions();
    EXPECT_EQ(m_table.GetOption("baudrate"), "");
    EXPECT_EQ(m_table.GetOptionInt("baudrate"), 0);
    EXPECT_FALSE(m_table.GetOptionBool("showtips"));
    m_table.SetOption("Nothing", "x");
    m_table.SetOption("", "x");
    m_table.SaveOption("Nothing");
    m_table.SaveOption("");
    EXPECT_EQ(m_table.FindOption("Nothing"), -1);
    EXPECT_EQ(m_table.GetOptions().at(0).value, "");
    EXPECT_TRUE(StoredNames().isEmpty());
}

TEST_F(Options, SavingWritesOneOrAllValues)
{
    m_table.LoadOptions();
    m_table.SetOption("TipNum", "7");
    m_table.SetOption("OutputDir", "");
    m_table.SaveOption("TipNum");
    EXPECT_EQ(StoredNames(), QStringList({"Options/TipNum"}));

    EXPECT_TRUE(m_table.SaveAllOptions());
    EXPECT_EQ(StoredNames().size(), 26);
    COptionTable again;
    again.AddProgramOptions("/elsewhere");
    again.LoadOptions();
    EXPECT_EQ(again.GetOption("TipNum"), "7");
    EXPECT_EQ(again.GetOption("OutputDir"), "");
    EXPECT_EQ(again.GetOption("ToolLocation"), m_program.path() + "/HPTools");
}

TEST_F(Options, SettingsThatCannotBeCreatedLeaveEveryValueEmpty)
{
    // The settings folder's place is taken by a file.
    QFile blocker(SettingsFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_table.LoadOptions();
    EXPECT_TRUE(AllValuesEmpty());
    EXPECT_EQ(m_table.GetOptionInt("BaudRate"), 0);
    m_table.SetOption("TipNum", "3");
    EXPECT_FALSE(m_table.SaveAllOptions());
    m_table.SaveOption("TipNum");
    EXPECT_TRUE(QFileInfo(SettingsFolder()).isFile());
}

TEST_F(Options, AReadOnlySettingsFolderLeavesEveryValueEmpty)
{
    Store({{"BaudRate", "19200"}});
    const QByteArray before = [&] {
        QFile file(COptionTable::SettingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(before.isEmpty());
    chmod(QFile::encodeName(m_config.path()).constData(), 0755);
    chmod(QFile::encodeName(SettingsFolder()).constData(), 0555);
    chmod(QFile::encodeName(COptionTable::SettingsFilePath()).constData(), 0444);

    // Root may write anywhere, so the check runs as an ordinary user in a child.
    EXPECT_EXIT(
        {
            if (geteuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                const uid_t uid = nobody ? nobody->pw_uid : 65534;
                const gid_t gid = nobody ? nobody->pw_gid : 65534;
                if (setgid(gid) != 0 || setuid(uid) != 0) {
                    std::_Exit(2);
                }
            }
            COptionTable table;
            table.AddProgramOptions("/opt/velmora");
            table.LoadOptions();
            bool ok = true;
            for (const ProgramOption& option : table.GetOptions()) {
                ok = ok && option.value.isEmpty();
            }
            table.SetOption("TipNum", "5");
            ok = ok && !table.SaveAllOptions();
            table.SaveOption("TipNum");
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");

    chmod(QFile::encodeName(SettingsFolder()).constData(), 0755);
    QFile file(COptionTable::SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}
