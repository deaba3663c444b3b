// Sending a file to the calculator, by one of two protocols. XModem: the file name is
// announced as plain text until the calculator answers NAK, then the file goes out in
// XModem blocks of 128 data bytes with an additive checksum, one block in flight at a
// time. Kermit: the file goes out as one Kermit batch (KermitSession.h), optionally
// followed by commands to the calculator's Kermit server.
//
// The worker owns the port and the file and keeps its own copy of everything it was
// given, so it may run on a thread of its own and outlive whoever started it. It talks
// back only through an ITransferSink, with copies.
#pragma once

#include "KermitSession.h"
#include "SerialPort.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class CInputFile;

namespace Xmodem {
constexpr unsigned char SOH = 0x01;
constexpr unsigned char EOT = 0x04;
constexpr unsigned char ACK = 0x06;
constexpr unsigned char NAK = 0x15;
constexpr unsigned char CAN = 0x18;
// The sender's cancel: the letter H twice.
constexpr unsigned char CancelByte = 0x48;
constexpr int DataSize = 128;
constexpr int BlockSize = 132;
} // namespace Xmodem

enum class TransferProtocol
{
    XModem,
    Kermit,
};
// The protocol named by text ("XModem" or "Kermit", in any case); nothing for other text.
std::optional<TransferProtocol> ParseTransferProtocol(const QString& text);

// What to send, and where.
struct TransferJob
{
    TransferProtocol protocol = TransferProtocol::XModem;
    // When set, this terminal is opened instead of port COM<n> (an emulator's).
    QByteArray devicePath;
    int nPort = 2; // port "COM<n>"
    int nBaudRate = 9600;
    QString strFilePath;
    // The name to announce, already in calculator characters; empty announces the
    // file's own name.
    std::string strAnnouncedName;
    SerialTimeouts timeouts;
    // Wall-clock seconds, for the time-left estimate.
    std::function<long long()> clock;

    // Kermit only: packet sizes, waits and tries; the status shown while the calculator
    // has not answered the Send-Init (empty: "Waiting for the calculator..."); a
    // REMOTE HOST command line to run once the file is there, whose reply goes to
    // OnReply; and whether to end the calculator's server mode (FINISH) at the end.
    KermitOptions kermit;
    QString strWaitStatus;
    std::string strServerCommand;
    bool bFinishServer = false;
};

enum class TransferResult
{
    Completed, // every byte acknowledged and the end byte sent
    Cancelled, // the user cancelled
    CancelledByCalculator,
    Failed, // a message said why
};

// Called on the worker's thread. Implementations copy what they keep.
class ITransferSink
{
public:
    virtual ~ITransferSink() = default;
    virtual void OnStatus(const QString& strStatus) = 0;
    virtual void OnProgress(int nPercent) = 0;
    // A message box: text, caption and Mb:: flags.
    virtual void OnMessage(const QString& strText, const QString& strCaption, unsigned nType) = 0;
    // The last call, after the port and the file have been released.
    virtual void OnFinished(TransferResult result) = 0;
    // The calculator's reply to a server command (its stack as text).
    virtual void OnReply(const QString& strReply) { (void)strReply; }
};

// The status line while blocks go out: the time left appears once more than 10 seconds
// have passed and more than 1024 bytes have been acknowledged.
QString TransferStatusText(long long nSent, long long nSize, long long nElapsed);

// The text that announces the name to the calculator.
QByteArray NameAnnouncement(const std::string& strName);

class CTransferWorker
{
public:
    CTransferWorker(TransferJob job, std::shared_ptr<ITransferSink> pSink);

    // Runs the whole transfer on the calling thread.
    TransferResult Run();
    // Runs it on a thread of its own, which keeps the worker alive until it ends.
    static void Start(const std::shared_ptr<CTransferWorker>& pWorker);

    // Asks the transfer to stop; noticed at the start of the next pass (within about a
    // second). Safe from any thread and from a signal handler.
    void Cancel() { m_bCancel.store(true); }
    // Waits until the worker has released the port and the file; false on time-out.
    bool WaitDone(int nMilliseconds);
    bool IsDone();
    // How the transfer ended, once IsDone (Failed before).
    TransferResult Result();

private:
    TransferResult Transfer();
    TransferResult TransferKermit(CInputFile& file, const QString& strPortName,
                                  const std::string& strName);
    TransferResult Fail(const QString& strText, const QString& strCaption, unsigned nType);
    void Status(const QString& strStatus);
    void SendCancel();

    const TransferJob m_job;
    const std::shared_ptr<ITransferSink> m_pSink;
    CSerialPort m_port;
    std::atomic<bool> m_bCancel{false};
    std::mutex m_mutex;
    std::condition_variable m_doneChanged;
    bool m_bDone = false;
    TransferResult m_result = TransferResult::Failed;
};
