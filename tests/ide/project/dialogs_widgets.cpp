// The three project dialogs as the user meets them, offscreen: what their controls show
// and enable, OK that is refused or taken, the Delete key, Browse into the
// configuration list, and Cancel that leaves the project as it was.
#include "ConfigListDlg.h"
#include "FilePropertiesDlg.h"
#include "ProjectSettingsDlg.h"
#include "PromptRecorder.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T> T* Child(QWidget* dialog, const char* name)
{
    T* child = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Press(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    Child<QDialogButtonBox>(dialog, "Buttons")->button(which)->click();
}

QStringList Items(QListWidget* list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items.append(list->item(row)->text());
    }
    return items;
}

QStringList SelectedItems(QListWidget* list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected()) {
            items.append(list->item(row)->text());
        }
    }
    return items;
}

class ProjectDialogs : public ::testing::Test
{
protected:
    ProjectDialogs()
    {
        m_project.m_configs = {{"DEFAULT", "Project", "NAME  :Long Name, info"},
                               {"A", "ABase", "ATitle"},
                               {"B", "BBase", "BTitle"}};
        m_project.m_nCurConfig = 1;
        m_project.m_strProjectDir = "/home/user/proj";
    }
    bool Unchanged() const
    {
        return m_project.m_strProjectType == "Directory" && m_project.m_nRomId == 1000 &&
               m_project.m_nCurConfig == 1 && m_project.m_configs.size() == 3 &&
               m_project.m_configs.at(1).name == "A" &&
               m_project.m_configs.at(0).baseFilename == "Project";
    }

    CProjectDocument m_project;
    CPromptRecorder m_prompt;
};

} // namespace

TEST_F(ProjectDialogs, SettingsShowTheProjectAndFollowTheType)
{
    CProjectSettingsDlg dialog(&m_project);
    auto* type = Child<QComboBox>(&dialog, "ProjectType");
    auto* romId = Child<QLineEdit>(&dialog, "RomId");
    auto* base = Child<QLineEdit>(&dialog, "BaseFilename");
    auto* full = Child<QLineEdit>(&dialog, "FullFilename");
    auto* list = Child<QListWidget>(&dialog, "Configurations");
    EXPECT_EQ(dialog.windowTitle(), "Project Settings");
    ASSERT_EQ(type->count(), 3);
    EXPECT_EQ(type->itemText(1), "Individual Files (.gx)");
    EXPECT_EQ(type->currentIndex(), 0);
    EXPECT_EQ(romId->text(), "1000");
    EXPECT_FALSE(romId->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(&dialog, "ProjectDir")->text(), "/home/user/proj");
    EXPECT_FALSE(Child<QLineEdit>(&dialog, "ProjectDir")->isEnabled());
    EXPECT_EQ(Items(list), QStringList({"A", "B", "DEFAULT"}));
    EXPECT_EQ(SelectedItems(list), QStringList({"DEFAULT"}));
    EXPECT_EQ(base->text(), "Project");
    EXPECT_EQ(full->text(), "Project.dir");
    EXPECT_TRUE(full->isReadOnly());
    EXPECT_FALSE(list->item(2)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(list->item(0)->flags() & Qt::ItemIsEditable);

    type->setCurrentIndex(1);
    EXPECT_EQ(full->text(), "*.gx");
    EXPECT_FALSE(base->isEnabled());
    type->setCurrentIndex(2);
    EXPECT_EQ(full->text(), "Project.lib");
    EXPECT_TRUE(romId->isEnabled());
    EXPECT_TRUE(base->isEnabled());
    type->setCurrentIndex(0);
    EXPECT_FALSE(romId->isEnabled());

    // Typing a base filename shows the full filename at once; selecting another row
    // loads that row's values.
    QTest::keyClicks(base, "X");
    EXPECT_EQ(full->text(), "ProjectX.dir");
    list->setCurrentRow(0);
    EXPECT_EQ(base->text(), "ABase");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "LibraryTitle")->text(), "ATitle");
    EXPECT_EQ(full->text(), "ABase.dir");
    list->setCurrentRow(2);
    EXPECT_EQ(base->text(), "ProjectX");
}

TEST_F(ProjectDialogs, SettingsShowALibraryProjectsValues)
{
    m_project.m_strProjectType = "Library";
    m_project.m_nRomId = 1500;
    CProjectSettingsDlg dialog(&m_project);
    EXPECT_EQ(Child<QComboBox>(&dialog, "ProjectType")->currentIndex(), 2);
    EXPECT_EQ(Child<QLineEdit>(&dialog, "RomId")->text(), "1500");
    EXPECT_TRUE(Child<QLineEdit>(&dialog, "RomId")->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(&dialog, "BaseFilename")->text(), "Project");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "LibraryTitle")->text(), "NAME  :Long Name, info");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "FullFilename")->text(), "Project.lib");
}

TEST_F(ProjectDialogs, SettingsOkRefusedForNewRowsThenTakesTheEdits)
{
    CProjectSettingsDlg dialog(&m_project);
    dialog.show();
    auto* list = Child<QListWidget>(&dialog, "Configurations");
    Child<QPushButton>(&dialog, "AddNew")->click();
    EXPECT_EQ(Items(list), QStringList({"(new)", "A", "B", "DEFAULT"}));
    EXPECT_EQ(SelectedItems(list), QStringList({"(new)"}));
    EXPECT_EQ(Child<QLineEdit>(&dialog, "BaseFilename")->text(), "Project");

    Press(&dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(m_prompt.Texts(), QStringList({"Please name all configurations"}));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Unchanged());

    // The name typed in place, ended with Enter.
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "(new)");
    editor->setText(" test ");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(Items(list), QStringList({"A", "B", "DEFAULT", "TEST"}));
    EXPECT_EQ(SelectedItems(list), QStringList({"TEST"}));
    Child<QLineEdit>(&dialog, "LibraryTitle")->setText("Test title");
    Child<QComboBox>(&dialog, "ProjectType")->setCurrentIndex(2);
    Child<QLineEdit>(&dialog, "RomId")->setText("1234");
    Press(&dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(m_project.m_configs.size(), 4);
    EXPECT_EQ(m_project.m_configs.at(0).name, "TEST");
    EXPECT_EQ(m_project.m_configs.at(0).libraryTitle, "Test title");
    EXPECT_EQ(m_project.m_configs.at(3).name, "DEFAULT");
    EXPECT_EQ(m_project.GetCurConfigName(), "A");
    EXPECT_EQ(m_project.m_strProjectType, "Library");
    EXPECT_EQ(m_project.m_nRomId, 1234);
}

TEST_F(ProjectDialogs, SettingsInPlaceRenameIsTakenByOk)
{
    CProjectSettingsDlg dialog(&m_project);
    dialog.show();
    auto* list = Child<QListWidget>(&dialog, "Configurations");
    Child<QPushButton>(&dialog, "AddNew")->click();
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "(new)");
    editor->setText("release");
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor has closed, but OK comes before the list got round to the rename.
    QCoreApplication::processEvents();
    Press(&dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_prompt.Texts(), QStringList());
    ASSERT_EQ(m_project.m_configs.size(), 4);
    EXPECT_EQ(m_project.m_configs.at(0).name, "RELEASE");
}

TEST_F(ProjectDialogs, SettingsDeleteKeyAndRomIdCheck)
{
    CProjectSettingsDlg dialog(&m_project);
    dialog.show();
    auto* list = Child<QListWidget>(&dialog, "Configurations");
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(m_prompt.Texts(), QStringList({"Can't delete the default configuration."}));
    list->setCurrentRow(0);
    m_prompt.QueueAnswer(IDYES);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Items(list), QStringList({"B", "DEFAULT"}));
    EXPECT_FALSE(Child<QLineEdit>(&dialog, "BaseFilename")->isEnabled());

    auto* romId = Child<QLineEdit>(&dialog, "RomId");
    romId->setText("12ab");
    Press(&dialog, QDialogButtonBox::Ok);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(romId->text(), "1000");
    EXPECT_TRUE(Unchanged());
    Press(&dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // The deleted configuration was the current one.
    EXPECT_EQ(m_project.GetCurConfigName(), "DEFAULT");
}

TEST_F(ProjectDialogs, SettingsCancelLeavesTheProject)
{
    CProjectSettingsDlg dialog(&m_project);
    dialog.show();
    dialog.AddNew();
    dialog.EndRename(0, QStringLiteral("other"));
    dialog.EndRename(Items(Child<QListWidget>(&dialog, "Configurations")).indexOf("A"), "Z");
    Child<QComboBox>(&dialog, "ProjectType")->setCurrentIndex(2);
    Child<QLineEdit>(&dialog, "RomId")->setText("7");
    Child<QLineEdit>(&dialog, "BaseFilename")->setText("Changed");
    Press(&dialog, QDialogButtonBox::Cancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(Unchanged());
}

TEST_F(ProjectDialogs, FilePropertiesBrowseRoundTrip)
{
    m_project.m_configs = {
        {"DEFAULT", "", ""}, {"DEBUG", "", ""}, {"TEST", "", ""}, {"RELEASE", "", ""}};
    CFilePropertiesModel model;
    model.LoadFrom({"src/main.s", true, false, "main", 1, "DEBUG TEST"});
    CFilePropertiesDlg dialog(model, m_project.m_configs);
    dialog.show();
    EXPECT_EQ(Child<QLineEdit>(&dialog, "RelativePath")->text(), "src/main.s");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "CompiledName")->text(), "main");
    EXPECT_TRUE(Child<QCheckBox>(&dialog, "Visible")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(&dialog, "Compile")->isChecked());
    EXPECT_EQ(Child<QComboBox>(&dialog, "ConfigMode")->currentText(), "Only include in");

    QStringList shown, picked;
    WhenModal([&](QWidget* modal) {
        auto* list = Child<QListWidget>(modal, "ConfigList");
        shown = Items(list);
        picked = SelectedItems(list);
        list->item(shown.indexOf("RELEASE"))->setSelected(true);
        Press(modal, QDialogButtonBox::Ok);
    });
    Child<QPushButton>(&dialog, "Browse")->click();
    EXPECT_EQ(shown, QStringList({"DEBUG", "DEFAULT", "RELEASE", "TEST"}));
    EXPECT_EQ(picked, QStringList({"DEBUG", "TEST"}));
    EXPECT_EQ(Child<QLineEdit>(&dialog, "ConfigText")->text(), "DEBUG RELEASE TEST");

    // Cancel in the list keeps the text.
    WhenModal([](QWidget* modal) {
        Child<QListWidget>(modal, "ConfigList")->clearSelection();
        Press(modal, QDialogButtonBox::Cancel);
    });
    Child<QPushButton>(&dialog, "Browse")->click();
    EXPECT_EQ(Child<QLineEdit>(&dialog, "ConfigText")->text(), "DEBUG RELEASE TEST");

    Child<QComboBox>(&dialog, "ConfigMode")->setCurrentIndex(0);
    Child<QLineEdit>(&dialog, "CompiledName")->setText("MAIN");
    Press(&dialog, QDialogButtonBox::Ok);
    ProjectFileEntry entry;
    dialog.Model().StoreTo(entry);
    EXPECT_EQ(entry,
              (ProjectFileEntry{"src/main.s", true, false, "MAIN", 0, "DEBUG RELEASE TEST"}));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
