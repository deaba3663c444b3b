// The transfer to the calculator, checked byte for byte on a pseudo-terminal on which
// the test plays the calculator.
#include "LinkTestSupport.h"
#include "Prompt.h"
#include "PtyLink.h"
#include "SerialPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

constexpr int kPort = 7;

class TransferTest : public ::testing::Test
{
protected:
    TransferJob Job(const QByteArray& data, const std::string& name = std::string())
    {
        TransferJob job;
        job.nPort = kPort;
        job.strFilePath = WriteFile(m_dir, QStringLiteral("out.lib"), data);
        job.strAnnouncedName = name;
        return job;
    }
    // Reads the announcement n times over and answers NAK.
    void Start(const QByteArray& announcement, int n = 2)
    {
        ASSERT_EQ(m_calc.Read(announcement.size() * n), announcement.repeated(n));
        m_calc.Send(Xmodem::NAK);
        m_announcement = announcement;
    }
    // The next block; an announcement sent just before the NAK came may precede it.
    QByteArray ReadBlock() { return m_calc.ReadAfter(m_announcement, Xmodem::BlockSize); }
    // Receives every block of data, acknowledging each, then the end byte.
    void ReceiveAll(const QByteArray& data)
    {
        int n = 1;
        for (qsizetype offset = 0; offset < data.size(); offset += Xmodem::DataSize, ++n) {
            ASSERT_EQ(ReadBlock(), XmodemBlock(n % 256, data.mid(offset, Xmodem::DataSize)))
                << "block at offset " << offset;
            m_calc.Send(Xmodem::ACK);
        }
        ASSERT_EQ(m_calc.Read(1), QByteArray(1, Xmodem::EOT));
    }

    QTemporaryDir m_dir;
    CPtyPort m_calc{kPort};
    QByteArray m_announcement;
};

TEST_F(TransferTest, SendsWholeBlocksThenTheEndByte)
{
    for (int size : {128, 130}) {
        SCOPED_TRACE(size);
        const QByteArray data = Pattern(size);
        CTransferRun run(Job(data));
        Start("Filename: 'out.lib'");
        ReceiveAll(data);
        EXPECT_EQ(run.Result(), TransferResult::Completed);
        EXPECT_TRUE(m_calc.Drain(200).isEmpty()) << "nothing after the end byte";
        const QStringList statuses = run.Sink().Statuses();
        EXPECT_TRUE(statuses.contains(QStringLiteral("Waiting for NAK...")));
        EXPECT_EQ(statuses.last(), QStringLiteral("%1 of %1 bytes sent (100%)").arg(size));
        EXPECT_EQ(run.Sink().Progress().back(), 100);
        EXPECT_TRUE(run.Sink().Messages().empty());
        EXPECT_EQ(run.Sink().Finished(), 1);
    }
}

TEST_F(TransferTest, BlockNumbersWrapFrom255ToZero)
{
    const QByteArray data = Pattern(300 * Xmodem::DataSize + 5);
    TransferJob job = Job(data);
    job.nBaudRate = 230400; // the writes last as long as the line needs for them
    CTransferRun run(std::move(job));
    Start("Filename: 'out.lib'");
    ReceiveAll(data);
    EXPECT_EQ(run.Result(), TransferResult::Completed);
}

TEST_F(TransferTest, AnnouncesTheGivenNameUntilTheCalculatorAnswers)
{
    TransferJob job = Job(Pattern(10), "MY\x8dLIB");
    job.timeouts.nReadConstant = 100;
    CTransferRun run(std::move(job));
    // Once before the first wait, then once per unanswered pass; other bytes than NAK
    // do not start the transfer.
    const QByteArray announcement("Filename: 'MY\x8dLIB'");
    ASSERT_EQ(m_calc.Read(announcement.size() * 3), announcement.repeated(3));
    m_calc.Send('x');
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    m_calc.Send(Xmodem::NAK);
    m_announcement = announcement;
    ReceiveAll(Pattern(10));
    EXPECT_EQ(run.Result(), TransferResult::Completed);
}

TEST_F(TransferTest, TakesAnAnswerThatComesWhileItWaits)
{
    // Answers come well inside a long read time-out: the sender goes on at once, not
    // when the time-out ends (the reads below would give up long before that).
    TransferJob job = Job(Pattern(10));
    job.timeouts.nReadConstant = 30000;
    CTransferRun run(std::move(job));
    const QByteArray announcement("Filename: 'out.lib'");
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_calc.Send(Xmodem::NAK);
    ASSERT_EQ(m_calc.Read(Xmodem::BlockSize), XmodemBlock(1, Pattern(10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_calc.Send(Xmodem::ACK);
    EXPECT_EQ(m_calc.Read(1), QByteArray(1, Xmodem::EOT));
    EXPECT_EQ(run.Result(), TransferResult::Completed);
}

TEST_F(TransferTest, ResendsAnUnacknowledgedBlockWithTheSameNumber)
{
    const QByteArray data = Pattern(200);
    const QByteArray first = XmodemBlock(1, data.left(128));
    CTransferRun run(Job(data));
    Start("Filename: 'out.lib'");
    ASSERT_EQ(ReadBlock(), first);
    m_calc.Send(Xmodem::NAK);
    ASSERT_EQ(m_calc.Read(Xmodem::BlockSize), first);
    m_calc.Send('?');
    ASSERT_EQ(m_calc.Read(Xmodem::BlockSize), first);
    m_calc.Send(Xmodem::ACK);
    ASSERT_EQ(m_calc.Read(Xmodem::BlockSize), XmodemBlock(2, data.mid(128)));
    m_calc.Send(Xmodem::ACK);
    ASSERT_EQ(m_calc.Read(1), QByteArray(1, Xmodem::EOT));
    EXPECT_EQ(run.Result(), TransferResult::Completed);
}

TEST_F(TransferTest, CanFromTheCalculatorEndsSilently)
{
    {
        CTransferRun run(Job(Pattern(10)));
        m_calc.Read(38);
        m_calc.Send(Xmodem::CAN);
        EXPECT_EQ(run.Result(), TransferResult::CancelledByCalculator);
        EXPECT_TRUE(run.Sink().Messages().empty());
    }
    m_calc.Drain(100);
    {
        CTransferRun run(Job(Pattern(300)));
        Start("Filename: 'out.lib'");
        ReadBlock();
        m_calc.Send(Xmodem::CAN);
        EXPECT_EQ(run.Result(), TransferResult::CancelledByCalculator);
        EXPECT_TRUE(m_calc.Drain(200).isEmpty());
    }
}

TEST_F(TransferTest, CancelWhileTheCalculatorIsSilentSendsTwoH)
{
    const QByteArray announcement("Filename: 'out.lib'");
    CTransferRun run(Job(Pattern(10)));
    ASSERT_EQ(m_calc.Read(announcement.size() * 2), announcement.repeated(2));
    run.Worker().Cancel();
    // The worker notices within one pass (a one-second read); by then the next pass
    // may have announced once more.
    const QByteArray tail = m_calc.ReadUntil("HH", 2500);
    EXPECT_TRUE(tail == "HH" || tail == announcement + "HH") << tail.constData();
    EXPECT_EQ(run.Result(), TransferResult::Cancelled);
    EXPECT_TRUE(run.Worker().WaitDone(0));
}

TEST_F(TransferTest, ReportsAPortThatCannotBeOpened)
{
    ::setenv("VELMORA_COM9", "/nonexistent/tty", 1);
    TransferJob job = Job(Pattern(10));
    job.nPort = 9;
    CTransferRun run(std::move(job));
    EXPECT_EQ(run.Result(), TransferResult::Failed);
    ::unsetenv("VELMORA_COM9");
    ASSERT_EQ(run.Sink().Messages().size(), 1u);
    const RecordedMessage m = run.Sink().Messages().front();
    EXPECT_EQ(m.text, QStringLiteral("Couldn't open port COM9 (Error: 2)!"));
    EXPECT_EQ(m.caption, QStringLiteral("Transfer Error"));
    EXPECT_EQ(m.type, Mb::IconError);
    EXPECT_EQ(run.Sink().Finished(), 1);

    EXPECT_EQ(SerialDevicePath(3), QByteArray("/dev/ttyS2"));
}

TEST_F(TransferTest, ADeviceThatIsNotATerminalNeverAnswersButCanBeCancelled)
{
    ::setenv("VELMORA_COM9", "/dev/null", 1);
    TransferJob job = Job(Pattern(10));
    job.nPort = 9;
    job.timeouts.nReadConstant = 50;
    CTransferRun run(std::move(job));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    run.Worker().Cancel();
    EXPECT_EQ(run.Result(), TransferResult::Cancelled);
    ::unsetenv("VELMORA_COM9");
}

TEST_F(TransferTest, ReportsFilesThatCannotBeSent)
{
    TransferJob missing = Job(Pattern(10));
    missing.strFilePath = m_dir.filePath(QStringLiteral("missing.lib"));
    TransferJob empty = Job(QByteArray());
    struct Case
    {
        TransferJob job;
        QString text;
        QString caption;
        unsigned type;
    } cases[] = {
        {missing, QStringLiteral("Couldn't open file %1 (Error: 2)!").arg(missing.strFilePath),
         QStringLiteral("Transfer Error"), Mb::IconError},
        {empty, QStringLiteral("File is zero length"), QStringLiteral("Transfer Done"),
         Mb::IconInformation},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        CTransferRun run(c.job);
        EXPECT_EQ(run.Result(), TransferResult::Failed);
        ASSERT_EQ(run.Sink().Messages().size(), 1u);
        EXPECT_EQ(run.Sink().Messages().front().text, c.text);
        EXPECT_EQ(run.Sink().Messages().front().caption, c.caption);
        EXPECT_EQ(run.Sink().Messages().front().type, c.type);
        EXPECT_TRUE(m_calc.Drain(100).isEmpty()) << "nothing goes on the wire";
    }
}

TEST_F(TransferTest, AFileThatShrinksEndsTheTransferWithAnError)
{
    const QByteArray data = Pattern(300);
    TransferJob job = Job(data);
    const QString path = job.strFilePath;
    CTransferRun run(std::move(job));
    Start("Filename: 'out.lib'");
    ASSERT_EQ(ReadBlock(), XmodemBlock(1, data.left(128)));
    ASSERT_TRUE(QFile::resize(path, 100));
    m_calc.Send(Xmodem::ACK);
    EXPECT_EQ(m_calc.Read(2), QByteArray("HH")) << "the calculator is told to stop";
    EXPECT_EQ(run.Result(), TransferResult::Failed);
    ASSERT_EQ(run.Sink().Messages().size(), 1u);
    EXPECT_EQ(run.Sink().Messages().front().text,
              QStringLiteral("File %1 ended after 128 of 300 bytes!").arg(path));
}

TEST(TransferStatusText, ShowsTimeLeftOnlyAfterTenSecondsAndOneKilobyte)
{
    EXPECT_EQ(TransferStatusText(0, 130, 0), QStringLiteral("0 of 130 bytes sent (0%)"));
    EXPECT_EQ(TransferStatusText(1024, 4096, 60), QStringLiteral("1024 of 4096 bytes sent (25%)"));
    EXPECT_EQ(TransferStatusText(2048, 4096, 10), QStringLiteral("2048 of 4096 bytes sent (50%)"));
    EXPECT_EQ(TransferStatusText(2048, 10000, 11),
              QStringLiteral("2048 of 10000 bytes sent (20%, 42 seconds left)"));
    EXPECT_EQ(TransferStatusText(3000000000LL, 4000000000LL, 100),
              QStringLiteral("3000000000 of 4000000000 bytes sent (75%, 33 seconds left)"));
}

} // namespace
