// The calculator link inside the running program: File, Transfer file... sends the file
// chosen, with the port and speed of the options, and Transfer and Simulate of the
// current source file reach the link with the compiled file's path.
#include "CommandIds.h"
#include "LinkTestSupport.h"
#include "PtyLink.h"
#include "ShellTestSupport.h"
#include "VelmoraApp.h"

#include <QAction>
#include <QTest>

#include <future>

using namespace Cmd;

namespace {

constexpr int kPort = 3;

class LinkFrameTest : public ShellTest
{
protected:
    LinkFrameTest()
    {
        QDir().mkpath(m_work.filePath("src"));
        WriteOptions({{"ToolLocation", WriteToolFiles()},
                      {"DefaultDir", m_work.filePath("src")},
                      {"ShowTips", "No"},
                      {"COMPort", QString::number(kPort)},
                      {"BaudRate", "115200"},
                      {"EMU48Location", m_work.filePath("Emu48.exe")}});
        EXPECT_TRUE(m_app.InitInstance({"-Embedding"}));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_app.GetMainFrame()));
    }
    CCommandManager& Commands() { return m_app.GetMainFrame()->GetCommandManager(); }

    CPtyPort m_calc{kPort};
    CVelmoraApp m_app;
};

TEST_F(LinkFrameTest, TransferFileSendsTheChosenFile)
{
    const QString path = WriteFile(m_work, QStringLiteral("src/Any.bin"), Pattern(3));
    m_prompt.QueueOpenFiles({path});
    // The calculator answers from its own thread while the dialog runs; should it fail,
    // the dialog is closed rather than left waiting.
    auto calculator = std::async(std::launch::async, [&] {
        const QByteArray announcement("Filename: 'Any.bin'");
        QByteArray wire = m_calc.Read(announcement.size() * 2);
        m_calc.Send(Xmodem::NAK);
        wire += m_calc.ReadAfter(announcement, Xmodem::BlockSize);
        m_calc.Send(Xmodem::ACK);
        wire += m_calc.Read(1);
        return wire ==
               announcement.repeated(2) + XmodemBlock(1, Pattern(3)) + QByteArray(1, Xmodem::EOT);
    });
    QTimer::singleShot(15000, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->close();
        }
    });
    EXPECT_TRUE(Commands().Execute(ID_FILE_TRANSFER));
    EXPECT_TRUE(calculator.get());
    ASSERT_EQ(m_prompt.FileDialogs().size(), 1);
    EXPECT_FALSE(m_prompt.FileDialogs()[0].save);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());

    // Cancelling the file dialog sends nothing.
    m_prompt.QueueOpenFiles({});
    EXPECT_TRUE(Commands().Execute(ID_FILE_TRANSFER));
    EXPECT_TRUE(m_calc.Drain(100).isEmpty());
}

TEST_F(LinkFrameTest, CurrentFileCommandsReachTheLink)
{
    const QString source = WriteFile(m_work, QStringLiteral("src/Prog.s"), "x\n");
    ASSERT_NE(m_app.OpenDocumentFile(source), nullptr);
    Commands().UpdateAll();
    EXPECT_TRUE(Commands().Action(ID_BUILD_TRANSFER)->isEnabled());
    EXPECT_TRUE(Commands().Action(ID_BUILD_SIMULATE)->isEnabled());

    // Nothing compiled yet: Simulate says so; Transfer offers the build, and No sends
    // nothing.
    EXPECT_TRUE(Commands().Execute(ID_BUILD_SIMULATE));
    m_prompt.QueueAnswer(IDNO);
    EXPECT_TRUE(Commands().Execute(ID_BUILD_TRANSFER));
    EXPECT_EQ(m_prompt.Texts(),
              QStringList({QStringLiteral("The destination project file must be built first."),
                           QStringLiteral("The object has not been built yet. Build it now?")}));
    EXPECT_TRUE(m_calc.Drain(100).isEmpty());
}

} // namespace

SHELL_TEST_MAIN()
