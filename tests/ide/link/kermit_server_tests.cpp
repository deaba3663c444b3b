// The test plays an HP48 in Kermit server mode on a pseudo-terminal: it ignores the
// first Send-Inits (as an emulator does until the server runs), NAKs one data packet as
// if it arrived damaged, answers REMOTE HOST with its stack as a text transfer, and
// leaves on FINISH. Then the faults: silence, an error packet, a cancel, a vanished port,
// a file that shrinks. And the choice of the emulator's pseudo-terminal.
#include "LinkTestSupport.h"
#include "PtyEmulator.h"
#include "PtyLink.h"
#include "Strings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using Kermit::Packet;

namespace {

// The calculator's side: decodes what arrives and answers through the handler.
class CCalculator
{
public:
    using Handler = std::function<void(CCalculator&, const Packet&)>;
    explicit CCalculator(Handler handler)
        : m_pty(std::make_unique<CPtyPort>()), m_device(m_pty->SlaveName()),
          m_handler(std::move(handler))
    {
        m_thread = std::thread([this] {
            while (!m_bStop) {
                if (!m_pty) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    continue;
                }
                const QByteArray in = m_pty->Read(1, 50);
                for (const char c : in) {
                    if (m_reader.Feed(c) == Kermit::CPacketReader::Event::Packet) {
                        m_handler(*this, m_reader.Take());
                    }
                }
            }
        });
    }
    ~CCalculator()
    {
        m_bStop = true;
        m_thread.join();
    }
    std::string Device() const { return m_device; }
    // Answers with the check agreed so far; S and its ACK switch it.
    void Send(int seq, char type, const std::string& data = {}, int check = 0)
    {
        m_pty->Send(QByteArray::fromStdString(
            Kermit::EncodePacket({seq, type, data}, check ? check : m_reader.CheckType())));
    }
    void SetCheck(int type) { m_reader.SetCheckType(type); }
    // The line goes dead, as when the emulator quits.
    void Close() { m_pty.reset(); }

    std::string object, name, command, error;
    int nInits = 0;
    bool bFinished = false;

private:
    std::unique_ptr<CPtyPort> m_pty;
    std::string m_device;
    Kermit::CPacketReader m_reader;
    Handler m_handler;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// An HP48's parameters, but a 1-second time-out to keep the tests short.
const std::string kParams = "~! @-#Y3";

// A receiver that stores one file; onData may interfere with the data packets.
CCalculator::Handler Receiver(std::function<bool(CCalculator&, const Packet&)> onData = {})
{
    return [onData](CCalculator& calc, const Packet& p) {
        if (p.chType == 'S') {
            calc.Send(0, 'Y', kParams, 1);
            calc.SetCheck(3);
        } else if (p.chType == 'F') {
            calc.name = Kermit::Decode(p.data, '#');
            calc.Send(p.nSeq, 'Y');
        } else if (p.chType == 'D' && (!onData || onData(calc, p))) {
            calc.object += Kermit::Decode(p.data, '#');
            calc.Send(p.nSeq, 'Y');
        } else if (p.chType == 'Z' || p.chType == 'B') {
            calc.Send(p.nSeq, 'Y');
        } else if (p.chType == 'E') {
            calc.error = Kermit::Decode(p.data, '#');
        }
    };
}

TransferJob Job(const QString& path, const std::string& device)
{
    TransferJob job = SimulateJob(path, QByteArray::fromStdString(device), 0);
    job.kermit.nInitWaitMs = 300;
    job.kermit.nWaitMs = 1000;
    return job;
}

} // namespace

TEST(KermitServer, SimulatePutsTheObjectOnTheCalculatorsStack)
{
    QTemporaryDir dir;
    const QByteArray object = Pattern(300);
    const std::string stack = "1: External\r\n";
    bool naked = false;
    int replySeq = 0;
    const auto receive = Receiver([&](CCalculator& calc, const Packet& p) {
        if (!naked) {
            naked = true;
            calc.Send(p.nSeq, 'N');
            return false;
        }
        return true;
    });
    // The reply, one packet per ACK: heading, the stack, end of text, end of batch.
    const std::vector<std::pair<char, std::string>> reply = {
        {'X', ""}, {'D', "1: External#M#J"}, {'Z', ""}, {'B', ""}};
    CCalculator calc([&](CCalculator& c, const Packet& p) {
        if (p.chType == 'S' && ++c.nInits <= 2) {
            return; // the server is not running yet
        }
        if (p.chType == 'C') {
            c.command = Kermit::Decode(p.data, '#');
            c.Send(0, 'S', kParams, 1);
        } else if (p.chType == 'Y' && !c.command.empty()) {
            c.SetCheck(replySeq < 4 ? 3 : 1);
            if (replySeq < 4) {
                c.Send(replySeq + 1, reply[replySeq].first, reply[replySeq].second);
                ++replySeq;
            }
        } else if (p.chType == 'G') {
            c.bFinished = Kermit::Decode(p.data, '#') == "F";
            c.Send(0, 'Y', {}, 1);
        } else {
            receive(c, p);
            if (p.chType == 'B') {
                c.SetCheck(1);
            }
        }
    });
    CTransferRun run(Job(WriteFile(dir, QStringLiteral("obj.gx"), object), calc.Device()));
    EXPECT_EQ(run.Result(), TransferResult::Completed);
    EXPECT_EQ(calc.nInits, 3);
    EXPECT_EQ(calc.name, "SIMOBJ");
    EXPECT_TRUE(QByteArray::fromStdString(calc.object) == object);
    EXPECT_EQ(calc.command, kSimulateCommand);
    EXPECT_TRUE(calc.bFinished);
    EXPECT_TRUE(run.Sink().Statuses().contains(LoadString(IDS_EMU_START_SERVER)));
    EXPECT_EQ(run.Sink().Reply(), QString::fromStdString(stack));
}

TEST(KermitServer, FaultsEndWithAMessageAndTheCalculatorTold)
{
    struct Case
    {
        const char* what;
        std::function<bool(CCalculator&, const Packet&)> onData; // unset: silent peer
        bool bCancel;
        TransferResult result;
        QString message;   // the start of the message box's text
        std::string error; // what the calculator is told
    } cases[] = {
        {"silent", nullptr, false, TransferResult::Failed, "No answer from the calculator", ""},
        {"error packet",
         [](CCalculator& c, const Packet& p) {
             c.Send(p.nSeq, 'E', "Memory full");
             return false;
         },
         false, TransferResult::Failed, "The calculator stopped the transfer: Memory full", ""},
        {"cancel", [](CCalculator&, const Packet&) { return false; }, true,
         TransferResult::Cancelled, "", "Cancelled"},
        {"port gone",
         [](CCalculator& c, const Packet&) {
             c.Close();
             return false;
         },
         false, TransferResult::Failed, "Couldn't write to port", ""},
        {"shrinking file", [](CCalculator&, const Packet&) { return true; }, false,
         TransferResult::Failed, "File ", "File could not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = WriteFile(dir, QStringLiteral("obj.gx"), Pattern(5000));
        const auto onData = [&](CCalculator& calc, const Packet& p) {
            if (QByteArray(c.what) == "shrinking file") {
                QFile::resize(path, 100);
            }
            return c.onData(calc, p);
        };
        CCalculator calc(c.onData ? Receiver(onData) : CCalculator::Handler([](auto&, auto&) {}));
        TransferJob job = Job(path, calc.Device());
        job.kermit.nInitTries = 3;
        CTransferRun run(std::move(job));
        if (c.bCancel) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            run.Worker().Cancel();
        }
        EXPECT_EQ(run.Result(), c.result);
        const auto messages = run.Sink().Messages();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(c.message)) << messages[0].text.toStdString();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(calc.error, c.error);
    }
}

TEST(KermitServer, TheEmulatorsPseudoTerminalIsPicked)
{
    for (const char* name : {"x48ng", "x48", "saturnng", "saturn"}) {
        EXPECT_TRUE(IsPtyEmulator(QStringLiteral("/opt/bin/") + name));
    }
    EXPECT_FALSE(IsPtyEmulator(QStringLiteral("/opt/x48/Emu48.exe")));

    // A /proc of three processes: another program, the emulator holding the terminal it
    // was started from, its pseudo-terminal pair and a socket, and a second emulator
    // with two pseudo-terminals (which one is the calculator's is unknown).
    QTemporaryDir proc;
    const auto process = [&](const char* pid, const char* exe,
                             std::vector<std::pair<int, const char*>> fds) {
        QDir(proc.path()).mkpath(QStringLiteral("%1/fd").arg(pid));
        QFile::link(exe, proc.filePath(QStringLiteral("%1/exe").arg(pid)));
        for (const auto& [fd, target] : fds) {
            QFile::link(target, proc.filePath(QStringLiteral("%1/fd/%2").arg(pid).arg(fd)));
        }
    };
    process("90", "/usr/bin/x48ng", {{0, "/dev/pts/1"}, {3, "/dev/pts/4"}, {4, "/dev/pts/6"}});
    process("100", "/usr/bin/bash", {{3, "/dev/pts/2"}});
    process("200", "/usr/local/bin/x48ng",
            {{0, "/dev/pts/1"}, {3, "/dev/ptmx"}, {4, "/dev/pts/7"}, {5, "socket:[12]"}});
    bool running = false;
    EXPECT_EQ(FindEmulatorPty(proc.path(), QStringLiteral("/home/u/x48ng"), &running),
              "/dev/pts/7");
    EXPECT_TRUE(running);
    EXPECT_EQ(PtyOfProcess(proc.filePath(QStringLiteral("90"))), "");
    EXPECT_EQ(FindEmulatorPty(proc.path(), QStringLiteral("saturn"), &running), "");
    EXPECT_FALSE(running);

    // The wait for a started emulator ends when the caller says so, with no message.
    PtyEmulatorOptions options;
    options.procRoot = proc.path();
    int waits = 0;
    options.keepWaiting = [&waits] { return ++waits < 3; };
    QString message = QStringLiteral("unset");
    EXPECT_EQ(ReachPtyEmulator(QStringLiteral("/bin/true"), &message, options), "");
    EXPECT_EQ(waits, 3);
    EXPECT_TRUE(message.isEmpty());
}
