// The project dialogs' rules without widgets: working copies written back in reverse,
// renaming, "(new)" and DEFAULT, the current configuration after OK, the type's
// full filename and enabling, the ROMID check, and the configuration list's picks.
#include "ProjectDialogsModel.h"
#include "PromptRecorder.h"

#include <gtest/gtest.h>

namespace {

using Configs = QList<ProjectConfiguration>;

ProjectConfiguration Config(const QByteArray& name, const QByteArray& base = "Base",
                            const QByteArray& title = "Title")
{
    return {name, base, title};
}

QList<QByteArray> Names(const Configs& configs)
{
    QList<QByteArray> names;
    for (const ProjectConfiguration& config : configs) {
        names.append(config.name);
    }
    return names;
}

QList<QByteArray> Rows(const CProjectSettingsModel& model)
{
    QList<QByteArray> rows;
    for (int row = 0; row < model.RowCount(); ++row) {
        rows.append(model.RowName(row));
    }
    return rows;
}

class SettingsModel : public ::testing::Test
{
protected:
    SettingsModel()
    {
        m_project.m_configs = {Config("DEFAULT", "Project", "NAME  :Long Name, info"),
                               Config("A", "ABase", "ATitle"), Config("B", "BBase", "BTitle")};
        m_project.m_nCurConfig = 1;
        m_project.m_strProjectDir = "/home/user/proj";
    }
    int RowNamed(const CProjectSettingsModel& model, const QByteArray& name)
    {
        return Rows(model).indexOf(name);
    }
    // The project's settings as a whole, to check that a refused OK changed nothing.
    std::tuple<QByteArray, qint32, qint32, Configs> Snapshot() const
    {
        return {m_project.m_strProjectType, m_project.m_nRomId, m_project.m_nCurConfig,
                m_project.m_configs};
    }

    CProjectDocument m_project;
    CPromptRecorder m_prompt;
};

} // namespace

TEST_F(SettingsModel, OpensWithTheProjectsValuesAndDefaultSelected)
{
    m_project.m_strProjectType = "Library";
    m_project.m_nRomId = 1234;
    CProjectSettingsModel model(m_project);
    EXPECT_EQ(model.m_nType, CProjectSettingsModel::TypeLibrary);
    EXPECT_EQ(model.m_strRomId, "1234");
    EXPECT_EQ(model.m_strProjectDir, "/home/user/proj");
    EXPECT_EQ(Rows(model), QList<QByteArray>({"A", "B", "DEFAULT"}));
    EXPECT_EQ(model.SelectedRow(), 2);
    EXPECT_EQ(model.m_strBaseFilename, "Project");
    EXPECT_EQ(model.m_strLibraryTitle, "NAME  :Long Name, info");
    EXPECT_EQ(model.FullFilename(), "Project.lib");

    m_project.m_strProjectType = "Individual";
    EXPECT_EQ(CProjectSettingsModel(m_project).m_nType, CProjectSettingsModel::TypeIndividual);
    m_project.m_strProjectType = "Something else";
    EXPECT_EQ(CProjectSettingsModel(m_project).m_nType, CProjectSettingsModel::TypeDirectory);
}

TEST_F(SettingsModel, ConfigurationsComeBackReversedAndASecondOkRestoresThem)
{
    CProjectSettingsModel first(m_project);
    ASSERT_TRUE(first.Apply(m_project));
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"B", "A", "DEFAULT"}));
    EXPECT_EQ(m_project.m_configs.at(0), Config("B", "BBase", "BTitle"));
    // The current configuration is kept by name.
    EXPECT_EQ(m_project.GetCurConfigName(), "A");

    CProjectSettingsModel second(m_project);
    ASSERT_TRUE(second.Apply(m_project));
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"DEFAULT", "A", "B"}));
    EXPECT_EQ(m_project.m_nCurConfig, 1);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(SettingsModel, EditsGoIntoTheHeldRowsCopyWhenTheSelectionMoves)
{
    CProjectSettingsModel model(m_project);
    model.SelectRow(RowNamed(model, "A"));
    EXPECT_EQ(model.m_strBaseFilename, "ABase");
    model.m_strBaseFilename = "Changed";
    model.m_strLibraryTitle = "New title";
    model.SelectRow(RowNamed(model, "B"));
    EXPECT_EQ(model.m_strBaseFilename, "BBase");
    model.m_strBaseFilename = "Held at OK";
    ASSERT_TRUE(model.Apply(m_project));
    ProjectConfiguration a = m_project.m_configs.at(1);
    EXPECT_EQ(a, Config("A", "Changed", "New title"));
    EXPECT_EQ(m_project.m_configs.at(0).baseFilename, "Held at OK");
}

TEST_F(SettingsModel, RenamingMakesUpperCaseAndRefusesBlanksAndDuplicates)
{
    CProjectSettingsModel model(m_project);
    const int a = RowNamed(model, "A");
    model.SelectRow(a);
    EXPECT_TRUE(model.Rename(a, "  debug "));
    EXPECT_EQ(Rows(model), QList<QByteArray>({"B", "DEBUG", "DEFAULT"}));
    // The renamed row moved in the sorted list and stays selected.
    EXPECT_EQ(model.SelectedRow(), 1);

    EXPECT_FALSE(model.Rename(1, "   "));
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
    EXPECT_FALSE(model.Rename(1, "b"));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "This configuration name already exists.");
    EXPECT_EQ(m_prompt.Boxes()[0].type & Mb::IconMask, Mb::IconWarning);
    // Its own name again is no duplicate.
    EXPECT_TRUE(model.Rename(1, "Debug"));
    EXPECT_EQ(Rows(model), QList<QByteArray>({"B", "DEBUG", "DEFAULT"}));

    EXPECT_FALSE(model.CanRename(2));
    EXPECT_FALSE(model.Rename(2, "OTHER"));

    ASSERT_TRUE(model.Apply(m_project));
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"B", "DEBUG", "DEFAULT"}));
    // The current configuration was renamed: DEFAULT takes its place.
    EXPECT_EQ(m_project.GetCurConfigName(), "DEFAULT");
}

TEST_F(SettingsModel, NewConfigurationMustBeNamedBeforeOk)
{
    CProjectSettingsModel model(m_project);
    model.SelectRow(RowNamed(model, "B"));
    model.m_strLibraryTitle = "kept";
    const int row = model.AddNew();
    EXPECT_EQ(model.RowName(row), "(new)");
    EXPECT_EQ(model.SelectedRow(), row);
    // A copy of DEFAULT's values.
    EXPECT_EQ(model.m_strBaseFilename, "Project");
    EXPECT_EQ(model.m_strLibraryTitle, "NAME  :Long Name, info");

    const auto before = Snapshot();
    EXPECT_FALSE(model.Apply(m_project));
    EXPECT_EQ(m_prompt.Texts(), QStringList({"Please name all configurations"}));
    EXPECT_EQ(Snapshot(), before);

    ASSERT_TRUE(model.Rename(row, "release"));
    ASSERT_TRUE(model.Apply(m_project));
    // Made last, so first; then the project's copies in reverse.
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"RELEASE", "B", "A", "DEFAULT"}));
    EXPECT_EQ(m_project.m_configs.at(2).libraryTitle, "ATitle");
    EXPECT_EQ(m_project.m_configs.at(1).libraryTitle, "kept");
    EXPECT_EQ(m_project.GetCurConfigName(), "A");
}

TEST_F(SettingsModel, DeletingAsksAndProtectsDefault)
{
    CProjectSettingsModel model(m_project);
    EXPECT_FALSE(model.DeleteRow(RowNamed(model, "DEFAULT")));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "Can't delete the default configuration.");
    EXPECT_EQ(m_prompt.Boxes()[0].type & Mb::IconMask, Mb::IconError);

    m_prompt.QueueAnswer(IDNO);
    EXPECT_FALSE(model.DeleteRow(RowNamed(model, "A")));
    m_prompt.QueueAnswer(IDYES);
    model.SelectRow(RowNamed(model, "A"));
    EXPECT_TRUE(model.DeleteRow(RowNamed(model, "A")));
    ASSERT_EQ(m_prompt.Boxes().size(), 3);
    EXPECT_EQ(m_prompt.Boxes()[1].text, "Are you sure you want to delete the configuration \"A\"?");
    EXPECT_EQ(m_prompt.Boxes()[1].type, Mb::YesNo | Mb::IconQuestion);
    EXPECT_EQ(Rows(model), QList<QByteArray>({"B", "DEFAULT"}));
    EXPECT_EQ(model.SelectedRow(), -1);
    EXPECT_FALSE(model.IsBaseFilenameEnabled());
    EXPECT_FALSE(model.IsLibraryTitleEnabled());

    // The deleted configuration was the current one: DEFAULT is current after OK.
    ASSERT_TRUE(model.Apply(m_project));
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"B", "DEFAULT"}));
    EXPECT_EQ(m_project.m_nCurConfig, 1);
}

TEST_F(SettingsModel, WithoutCurrentOrDefaultTheFirstBecomesCurrent)
{
    m_project.m_configs = {Config("X"), Config("Y")};
    m_project.m_nCurConfig = 1;
    CProjectSettingsModel model(m_project);
    // No DEFAULT: nothing selected, the boxes are empty and disabled.
    EXPECT_EQ(model.SelectedRow(), -1);
    EXPECT_FALSE(model.IsBaseFilenameEnabled());
    ASSERT_TRUE(model.Rename(1, "Z"));
    ASSERT_TRUE(model.Apply(m_project));
    EXPECT_EQ(Names(m_project.m_configs), QList<QByteArray>({"Z", "X"}));
    EXPECT_EQ(m_project.m_nCurConfig, 0);
}

TEST_F(SettingsModel, TypeDecidesFullFilenameAndEnabling)
{
    CProjectSettingsModel model(m_project);
    struct Case
    {
        int type;
        const char* full;
        bool base;
        bool romId;
    };
    const Case cases[] = {{CProjectSettingsModel::TypeIndividual, "*.gx", false, false},
                          {CProjectSettingsModel::TypeLibrary, "Project.lib", true, true},
                          {CProjectSettingsModel::TypeDirectory, "Project.dir", true, false},
                          {7, "<<INVALID>>", true, false}};
    for (const Case& c : cases) {
        model.m_nType = c.type;
        EXPECT_EQ(model.FullFilename(), c.full) << c.type;
        EXPECT_EQ(model.IsBaseFilenameEnabled(), c.base) << c.type;
        EXPECT_EQ(model.IsRomIdEnabled(), c.romId) << c.type;
        EXPECT_TRUE(model.IsLibraryTitleEnabled());
    }
    model.m_nType = CProjectSettingsModel::TypeLibrary;
    model.m_strRomId = " 1500 ";
    ASSERT_TRUE(model.Apply(m_project));
    EXPECT_EQ(m_project.m_strProjectType, "Library");
    EXPECT_EQ(m_project.m_nRomId, 1500);
}

TEST_F(SettingsModel, RomIdThatIsNotANumberIsRefusedAndShownAsBefore)
{
    for (const char* text : {"12x", "", "abc", "99999999999", "1 2"}) {
        CProjectSettingsModel model(m_project);
        model.m_nType = CProjectSettingsModel::TypeLibrary;
        model.m_strRomId = text;
        const auto before = Snapshot();
        EXPECT_FALSE(model.Apply(m_project)) << text;
        EXPECT_EQ(Snapshot(), before) << text;
        EXPECT_EQ(model.m_strRomId, "1000") << text;
    }
    ASSERT_EQ(m_prompt.Boxes().size(), 5);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              "The ROMID \"12x\" is not a number. Please enter a whole number.");
    qint32 value = 0;
    EXPECT_TRUE(ParseRomId("-5", value));
    EXPECT_EQ(value, -5);
}

TEST_F(SettingsModel, LibraryNumberOutsideThreeHexDigitsIsRefused)
{
    const struct
    {
        const char* text;
        int type;
        bool taken;
    } cases[] = {
        {"4095", CProjectSettingsModel::TypeLibrary, true},
        {"0", CProjectSettingsModel::TypeLibrary, true},
        {"4096", CProjectSettingsModel::TypeLibrary, false},
        {"99999", CProjectSettingsModel::TypeLibrary, false},
        {"-1", CProjectSettingsModel::TypeLibrary, false},
        // Only a library uses the number: another type keeps what its file holds.
        {"99999", CProjectSettingsModel::TypeDirectory, true},
    };
    for (const auto& c : cases) {
        m_project.m_nRomId = 1000;
        CProjectSettingsModel model(m_project);
        model.m_nType = c.type;
        model.m_strRomId = c.text;
        EXPECT_EQ(model.Apply(m_project), c.taken) << c.text;
        EXPECT_EQ(m_project.m_nRomId, c.taken ? QString(c.text).toInt() : 1000) << c.text;
    }
    ASSERT_EQ(m_prompt.Boxes().size(), 3);
    EXPECT_EQ(m_prompt.Boxes()[0].text, "The ROMID 4096 is out of range. A library number has "
                                        "three hexadecimal digits: please enter a number from 0 "
                                        "to 4095.");
}

TEST(ConfigListModel, PicksSortedNamesAndGivesThemBackInListOrder)
{
    const Configs configs = {Config("DEFAULT"), Config("DEBUG"), Config("TEST"), Config("RELEASE")};
    CConfigListModel model(configs, "DEBUG TEST");
    EXPECT_EQ(model.Names(), QList<QByteArray>({"DEBUG", "DEFAULT", "RELEASE", "TEST"}));
    EXPECT_TRUE(model.IsSelected(0));
    EXPECT_FALSE(model.IsSelected(1));
    EXPECT_FALSE(model.IsSelected(2));
    EXPECT_TRUE(model.IsSelected(3));
    model.SetSelected(2, true);
    EXPECT_EQ(model.Text(), "DEBUG RELEASE TEST");

    // A prefix is not a listed name; nothing selected gives an empty text.
    CConfigListModel prefix(configs, "TES DEBUGGER");
    EXPECT_EQ(prefix.Text(), "");
}

TEST(FilePropertiesModel, CopiesAnEntryAndTheChoiceIsTheConfigMode)
{
    const ProjectFileEntry entry{"src/a.s", false, true, "A", 1, "DEBUG"};
    CFilePropertiesModel model;
    model.LoadFrom(entry);
    EXPECT_EQ(model.m_nChoice, 1);
    ProjectFileEntry back;
    model.StoreTo(back);
    EXPECT_EQ(back, entry);

    // A mode from a hand-made file shows no choice and comes back as "Exclude from".
    model.LoadFrom(ProjectFileEntry{"b.s", true, true, "B", 5, ""});
    EXPECT_EQ(model.m_nChoice, -1);
    model.StoreTo(back);
    EXPECT_EQ(back.configMode, 0);
}
