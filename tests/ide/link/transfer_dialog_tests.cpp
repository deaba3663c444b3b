// The "Transfer in Progress" dialog: it shows what the worker reports, closes itself when
// the transfer ends, shows the worker's messages, and Cancel stops the worker.
#include "LinkTestSupport.h"
#include "PromptRecorder.h"
#include "PtyLink.h"
#include "TransferDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <future>

namespace {

constexpr int kPort = 6;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "link_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Spins the event loop until done() holds or five seconds have passed.
template <typename F> bool ProcessUntil(F done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        App().processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class TransferDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { App(); }

    QTemporaryDir m_dir;
    CPtyPort m_calc{kPort};
    CPromptRecorder m_prompt;
};

TEST_F(TransferDialogTest, ShowsProgressAndClosesWhenTheTransferEnds)
{
    const QByteArray data = Pattern(200);
    CTransferDlg dlg;
    dlg.m_strFilePath = WriteFile(m_dir, QStringLiteral("prog.gx"), data);
    dlg.m_nPort = kPort;
    dlg.show();
    auto* status = dlg.findChild<QLabel*>(QStringLiteral("status"));
    ASSERT_TRUE(
        ProcessUntil([&] { return status->text() == QLatin1String("Waiting for NAK..."); }));
    EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("filePath"))->text(), dlg.m_strFilePath);

    const QByteArray announcement("Filename: 'prog.gx'");
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    m_calc.Send(Xmodem::NAK);
    ASSERT_EQ(m_calc.ReadAfter(announcement, Xmodem::BlockSize), XmodemBlock(1, data.left(128)));
    m_calc.Send(Xmodem::ACK);
    ASSERT_EQ(m_calc.Read(Xmodem::BlockSize), XmodemBlock(2, data.mid(128)));
    m_calc.Send(Xmodem::ACK);
    ASSERT_EQ(m_calc.Read(1), QByteArray(1, Xmodem::EOT));
    ASSERT_TRUE(ProcessUntil([&] { return !dlg.isVisible(); }));
    EXPECT_EQ(dlg.Result(), TransferResult::Completed);
    EXPECT_EQ(status->text(), QStringLiteral("200 of 200 bytes sent (100%)"));
    EXPECT_EQ(dlg.findChild<QProgressBar*>(QStringLiteral("progress"))->value(), 100);
    EXPECT_TRUE(m_prompt.Boxes().isEmpty());
}

TEST_F(TransferDialogTest, CancelStopsTheWorkerAndTellsTheCalculator)
{
    CTransferDlg dlg;
    dlg.m_strFilePath = WriteFile(m_dir, QStringLiteral("prog.gx"), Pattern(10));
    dlg.m_nPort = kPort;
    dlg.show();
    auto* status = dlg.findChild<QLabel*>(QStringLiteral("status"));
    ASSERT_TRUE(
        ProcessUntil([&] { return status->text() == QLatin1String("Waiting for NAK..."); }));
    dlg.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    // Cancel waits for the worker, so the port is free once the dialog is gone.
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(m_calc.Drain(100).endsWith("HH"));
    // Known as soon as the dialog is gone, without waiting for the worker's queued report.
    EXPECT_EQ(dlg.Result(), TransferResult::Cancelled);
}

TEST_F(TransferDialogTest, ShowsTheWorkersMessageThenCloses)
{
    ::setenv("VELMORA_COM9", "/nonexistent/tty", 1);
    CTransferDlg dlg;
    dlg.m_strFilePath = WriteFile(m_dir, QStringLiteral("prog.gx"), Pattern(10));
    dlg.m_nPort = 9;
    dlg.show();
    ASSERT_TRUE(ProcessUntil([&] { return !dlg.isVisible(); }));
    ::unsetenv("VELMORA_COM9");
    ASSERT_EQ(m_prompt.Boxes().size(), 1);
    EXPECT_EQ(m_prompt.Boxes()[0].text, QStringLiteral("Couldn't open port COM9 (Error: 2)!"));
    EXPECT_EQ(m_prompt.Boxes()[0].caption, QStringLiteral("Transfer Error"));
    EXPECT_EQ(m_prompt.Boxes()[0].type, Mb::IconError);
}

// The port is chosen by the device's path, as a "Transfer COM Port" of /dev/ttyUSB0 does.
TEST_F(TransferDialogTest, TransferFileAnnouncesTheTranslatedNameOnTheChosenDevice)
{
    const QByteArray data = Pattern(5);
    const QString path = WriteFile(m_dir, QStringLiteral("prog.gx"), data);
    // The calculator answers from its own thread while the dialog runs modally.
    auto calculator = std::async(std::launch::async, [&] {
        const QByteArray announcement("Filename: '\xab"
                                      "A\\x'");
        QByteArray wire = m_calc.Read(announcement.size() * 2);
        m_calc.Send(Xmodem::NAK);
        wire += m_calc.ReadAfter(announcement, Xmodem::BlockSize);
        m_calc.Send(Xmodem::ACK);
        wire += m_calc.Read(1);
        return wire == announcement.repeated(2) + XmodemBlock(1, data) + QByteArray(1, Xmodem::EOT);
    });
    // Should the exchange go wrong, the dialog is closed rather than left waiting.
    QTimer::singleShot(15000, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->close();
        }
    });
    const SerialPortChoice device = PortChoice(QString::fromStdString(m_calc.SlaveName()), 0);
    EXPECT_EQ(TransferFile(nullptr, path, QByteArray("\\<<A\\x"), device, 9600),
              TransferResult::Completed);
    EXPECT_TRUE(calculator.get());
}

} // namespace
