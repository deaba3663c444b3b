// The Program Settings and Edit Program Setting dialogs, the tip rotation and the tip
// dialog's check box, the about box and the splash screen.
#include "AboutDlg.h"
#include "EditSettingDlg.h"
#include "HelpWindow.h"
#include "OptionChecks.h"
#include "Options.h"
#include "ProgramSettingsDlg.h"
#include "ShellTestSupport.h"
#include "SplashDlg.h"
#include "TipDlg.h"
#include "Tips.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <tuple>

namespace {

class DialogTest : public ShellTest
{
protected:
    COptionTable& Options()
    {
        if (m_options.GetOptions().isEmpty()) {
            m_options.AddProgramOptions(QCoreApplication::applicationDirPath());
            m_options.LoadOptions();
        }
        return m_options;
    }
    // The list row that shows label.
    static QTreeWidgetItem* Row(QTreeWidget* list, const QString& label)
    {
        const QList<QTreeWidgetItem*> found = list->findItems(label, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
    static void Select(QTreeWidget* list, QTreeWidgetItem* item)
    {
        list->clearSelection();
        if (item) {
            item->setSelected(true);
        }
    }

    COptionTable m_options;
};

TEST_F(DialogTest, SettingsListHasSectionsBlankRowsAndEveryOption)
{
    CProgramSettingsDlg dialog(Options());
    QTreeWidget* list = dialog.GetList();
    EXPECT_EQ(dialog.windowTitle(), "Program Settings");
    ASSERT_EQ(list->topLevelItemCount(), 31);
    const QStringList headers = {"Program Settings:", "Directory Settings:", "Editor Settings:"};
    const int headerRows[] = {0, 9, 17};
    for (int i = 0; i < 3; ++i) {
        QTreeWidgetItem* header = list->topLevelItem(headerRows[i]);
        EXPECT_EQ(header->text(0), headers[i]);
        EXPECT_EQ(header->text(1), "");
        EXPECT_EQ(header->data(0, Qt::UserRole).toInt(), CProgramSettingsDlg::kNoOption);
    }
    for (int blank : {8, 16}) {
        EXPECT_EQ(list->topLevelItem(blank)->text(0), "");
        EXPECT_EQ(list->topLevelItem(blank)->data(0, Qt::UserRole).toInt(),
                  CProgramSettingsDlg::kNoOption);
    }
    // Option rows carry their index in the table.
    QTreeWidgetItem* baud = list->topLevelItem(4);
    EXPECT_EQ(baud->text(0), "Baud rate");
    EXPECT_EQ(baud->text(1), "9600");
    EXPECT_EQ(baud->data(0, Qt::UserRole).toInt(), Options().FindOption("BaudRate"));
    EXPECT_EQ(list->topLevelItem(20)->text(0), "Syntax Highlighting");
    EXPECT_EQ(list->topLevelItem(20)->text(1), "Yes");
    EXPECT_EQ(list->topLevelItem(30)->text(0), "Template #5 Path");
}

TEST_F(DialogTest, DoubleClickTogglesYesNo)
{
    WriteOptions({{"SmartIndent", "yes"}});
    CProgramSettingsDlg dialog(Options());
    QTreeWidget* list = dialog.GetList();
    QTreeWidgetItem* tips = Row(list, "Show Tips on Startup");
    Select(list, tips);
    dialog.OnDblClick();
    EXPECT_EQ(tips->text(1), "No");
    EXPECT_EQ(Options().GetOption("ShowTips"), "No");
    dialog.OnDblClick();
    EXPECT_EQ(tips->text(1), "Yes");
    // Anything but exactly "Yes" toggles to "Yes".
    QTreeWidgetItem* indent = Row(list, "Smart indent [not implemented]");
    EXPECT_EQ(indent->text(1), "yes");
    Select(list, indent);
    dialog.OnDblClick();
    EXPECT_EQ(indent->text(1), "Yes");
    // Headers and blank rows do nothing.
    Select(list, list->topLevelItem(8));
    dialog.OnDblClick();
    Select(list, list->topLevelItem(9));
    dialog.OnDblClick();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(StoredOption("ShowTips"), "<none>");
}

TEST_F(DialogTest, DoubleClickEditsTextAndNumbers)
{
    CProgramSettingsDlg dialog(Options());
    QTreeWidget* list = dialog.GetList();
    QTreeWidgetItem* baud = Row(list, "Baud rate");
    Select(list, baud);
    QString oldShown, newShown, caption;
    WhenModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        auto* oldEdit = modal->findChild<QLineEdit*>("OldValue");
        auto* newEdit = modal->findChild<QLineEdit*>("NewValue");
        oldShown = oldEdit->text();
        newShown = newEdit->text();
        EXPECT_TRUE(oldEdit->isReadOnly());
        // The two edits are labelled with exactly these texts.
        QStringList labels;
        for (const QLabel* label : modal->findChildren<QLabel*>()) {
            labels.append(label->text());
        }
        labels.sort();
        EXPECT_EQ(labels, QStringList({"New value:", "Old value:"}));
        newEdit->setText("19200 baud");
        modal->findChild<QPushButton*>("OkButton")->click();
    });
    dialog.OnDblClick();
    EXPECT_EQ(caption, "Edit Program Setting");
    EXPECT_EQ(oldShown, "9600");
    EXPECT_EQ(newShown, "9600");
    EXPECT_EQ(baud->text(1), "19200 baud");
    EXPECT_EQ(Options().GetOptionInt("BaudRate"), 19200);

    // Cancel changes nothing.
    WhenModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("NewValue")->setText("1");
        modal->findChild<QPushButton*>("CancelButton")->click();
    });
    dialog.OnDblClick();
    EXPECT_EQ(baud->text(1), "19200 baud");
}

TEST_F(DialogTest, NonsenseValuesAreRefusedAndTheEditComesBack)
{
    CProgramSettingsDlg dialog(Options());
    QTreeWidget* list = dialog.GetList();
    QTreeWidgetItem* port = Row(list, "Transfer COM Port");
    Select(list, port);
    // "abc" is refused with the reason; the edit comes back holding it, and 3 is taken.
    QStringList offered;
    const std::function<void(QStringList)> type = [&offered, &type](QStringList values) {
        WhenModal([&offered, &type, values](QWidget* modal) {
            offered << modal->findChild<QLineEdit*>("NewValue")->text();
            modal->findChild<QLineEdit*>("NewValue")->setText(values.first());
            modal->findChild<QPushButton*>("OkButton")->click();
            if (values.size() > 1)
                type(values.mid(1));
        });
    };
    type({"abc", "3"});
    dialog.OnDblClick();
    EXPECT_EQ(offered, QStringList({"2", "abc"}));
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              "There is no port \"abc\". Enter a port number from 1 to 99 (1 is the first serial "
              "port) or the path of a serial device, such as /dev/ttyUSB0.");
    EXPECT_EQ(port->text(1), "3");

    const ProgramOption baud = Options().GetOptions().at(Options().FindOption("BaudRate"));
    const ProgramOption com = Options().GetOptions().at(Options().FindOption("COMPort"));
    for (const auto& [option, value, taken] : {std::tuple{baud, "9600", true},
                                               {baud, "fast", false},
                                               {baud, "9601", false},
                                               {com, "0", false},
                                               {com, "100", false},
                                               {com, " 12", true},
                                               {com, "/dev/ttyUSB0", true}}) {
        EXPECT_EQ(OptionValueProblem(option, value).isEmpty(), taken) << value;
    }
}

TEST_F(DialogTest, DefaultAsksThenRestores)
{
    WriteOptions({{"BaudRate", "4800"}});
    CProgramSettingsDlg dialog(Options());
    QTreeWidget* list = dialog.GetList();
    QTreeWidgetItem* baud = Row(list, "Baud rate");
    Select(list, baud);
    m_prompt.QueueAnswer(IDNO);
    dialog.OnDefault();
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text,
              "Restore the setting \"Baud rate\" to its default value of \"9600\"?");
    EXPECT_EQ(m_prompt.Boxes()[0].caption, "Confirm");
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::YesNo | Mb::IconQuestion);
    EXPECT_EQ(baud->text(1), "4800");
    m_prompt.QueueAnswer(IDYES);
    dialog.OnDefault();
    EXPECT_EQ(baud->text(1), "9600");
    EXPECT_EQ(Options().GetOption("BaudRate"), "9600");
    // Nothing selected, or a header: no question.
    m_prompt.Clear();
    Select(list, nullptr);
    dialog.OnDefault();
    Select(list, list->topLevelItem(0));
    dialog.OnDefault();
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(DialogTest, DoneSavesEverythingEscapeSavesNothing)
{
    {
        CProgramSettingsDlg dialog(Options());
        Select(dialog.GetList(), Row(dialog.GetList(), "GNUTools Mode"));
        dialog.OnDblClick();
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(StoredOption("GNUToolsMode"), "<none>");
        // In memory the change holds for this run.
        EXPECT_EQ(Options().GetOption("GNUToolsMode"), "Yes");
    }
    CProgramSettingsDlg dialog(Options());
    WhenModal([](QWidget* modal) { modal->findChild<QPushButton*>("DoneButton")->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(StoredOption("GNUToolsMode"), "Yes");
    EXPECT_EQ(StoredOption("BaudRate"), "9600");
    EXPECT_EQ(StoredOption("TemplatePath4"), "");
}

TEST_F(DialogTest, TipsRotateThroughSixteenAndWrap)
{
    struct Case
    {
        const char* stored;
        int shown;
        const char* next;
    };
    const Case cases[] = {{nullptr, 0, "1"}, {"0", 0, "1"},  {"15", 15, "16"},
                          {"16", 0, "1"},    {"-1", 0, "1"}, {"7x", 7, "8"}};
    for (const Case& c : cases) {
        QFile::remove(SettingsFile());
        if (c.stored) {
            WriteOptions({{"TipNum", c.stored}});
        }
        COptionTable options;
        options.AddProgramOptions(QCoreApplication::applicationDirPath());
        options.LoadOptions();
        EXPECT_EQ(Tips::TakeNext(options), c.shown) << (c.stored ? c.stored : "absent");
        EXPECT_EQ(StoredOption("TipNum"), c.next);
    }
    EXPECT_TRUE(Tips::Text(15).startsWith("You can specify library variables"));
    // The second tip leads to the user guide inside the program, not to a web site.
    EXPECT_TRUE(Tips::Text(1).contains("press F1"));
}

TEST_F(DialogTest, TipDialogTakesTipsAndSavesTheCheckBoxAtOnce)
{
    WriteOptions({{"TipNum", "14"}});
    CTipDlg tip(Options());
    EXPECT_EQ(tip.windowTitle(), "Tip of the Day");
    EXPECT_EQ(tip.GetTipIndex(), 14);
    EXPECT_EQ(tip.findChild<QLabel*>("TipText")->text(), Tips::Text(14));
    EXPECT_TRUE(tip.m_bStartup);
    auto* check = tip.findChild<QCheckBox*>("StartupCheck");
    EXPECT_EQ(check->text(), "&Show Tips on StartUp");
    EXPECT_TRUE(check->isChecked());
    tip.findChild<QPushButton*>("NextTipButton")->click();
    EXPECT_EQ(tip.GetTipIndex(), 15);
    tip.findChild<QPushButton*>("NextTipButton")->click();
    EXPECT_EQ(tip.GetTipIndex(), 0);
    EXPECT_EQ(StoredOption("TipNum"), "1");
    check->click();
    EXPECT_EQ(StoredOption("ShowTips"), "No");
    EXPECT_FALSE(tip.m_bStartup);
    check->click();
    EXPECT_EQ(StoredOption("ShowTips"), "Yes");
}

TEST_F(DialogTest, AboutBoxShowsVersionMemoryAndDisk)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Velmora");
    EXPECT_EQ(about.findChild<QLabel*>("VersionText")->text(), "Velmora Version 1.21");
    EXPECT_TRUE(
        about.findChild<QLabel*>("MemoryText")->text().contains(QRegularExpression("^\\d+ KB$")));
    EXPECT_TRUE(about.findChild<QLabel*>("DiskText")
                    ->text()
                    .contains(QRegularExpression("^\\d+ KB Free on /")));
}

TEST_F(DialogTest, UserGuideIsInsideTheProgram)
{
    CHelpWindow help;
    const QString text = help.toPlainText();
    EXPECT_TRUE(text.contains("Setting up the tool location"));
    EXPECT_TRUE(text.contains("Making a project"));
    EXPECT_TRUE(text.contains("Building"));
    EXPECT_TRUE(text.contains("Transferring to the calculator"));
}

TEST_F(DialogTest, SplashClosesOnClickOrTimer)
{
    QWidget parent;
    CSplashDlg splash;
    EXPECT_FALSE(splash.IsCreated());
    splash.Create(&parent);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.IsTimerActive());
    EXPECT_EQ(splash.TimerInterval(), 3000);
    QTest::mouseClick(&splash, Qt::RightButton);
    EXPECT_TRUE(splash.isVisible());
    QTest::mouseClick(&splash, Qt::LeftButton);
    EXPECT_FALSE(splash.isVisible());
}

} // namespace

SHELL_TEST_MAIN()
