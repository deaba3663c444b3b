// The Kermit side of the transfer worker: one Send-Init, the file, the end of the batch,
// and for Simulate a command to the calculator's server and FINISH.
#include "InputFile.h"
#include "Prompt.h"
#include "TransferWorker.h"

#include <ctime>

namespace {

class CPortLine : public IKermitLine
{
public:
    explicit CPortLine(CSerialPort& port) : m_port(port) {}
    bool Write(const std::string& data) override
    {
        return m_port.Write(data.data(), data.size()) == data.size();
    }
    int ReadByte(int nTimeoutMs) override { return m_port.ReadByte(nTimeoutMs); }

private:
    CSerialPort& m_port;
};

} // namespace

TransferResult CTransferWorker::TransferKermit(CInputFile& file, const QString& strPortName,
                                               const std::string& strName)
{
    CPortLine line(m_port);
    CKermitSession session(line, m_job.kermit, [this] { return m_bCancel.load(); });
    const long long size = file.Size();
    const std::function<long long()> clock =
        m_job.clock ? m_job.clock : [] { return static_cast<long long>(std::time(nullptr)); };
    long long startTime = 0;
    int readError = 0;
    long long readEnd = 0;
    const auto read = [&](long long offset, long long n) -> std::optional<std::string> {
        std::string bytes(static_cast<std::size_t>(n), '\0');
        const long long got = file.ReadAt(bytes.data(), n, offset);
        if (got <= 0) {
            readError = errno;
            readEnd = offset;
            return std::nullopt;
        }
        bytes.resize(static_cast<std::size_t>(got));
        return bytes;
    };
    const auto progress = [&](long long sent) {
        Status(TransferStatusText(sent, size, clock() - startTime));
        m_pSink->OnProgress(size > 0 ? static_cast<int>(sent * 100 / size) : 100);
    };

    Status(m_job.strWaitStatus.isEmpty() ? QStringLiteral("Waiting for the calculator...")
                                         : m_job.strWaitStatus);
    KermitStatus status = session.SendInit();
    if (status == KermitStatus::Ok) {
        startTime = clock();
        progress(0);
        status = session.SendFile(strName, size, read, progress);
    }
    if (status == KermitStatus::Ok) {
        status = session.EndBatch();
    }
    std::string reply;
    if (status == KermitStatus::Ok && !m_job.strServerCommand.empty()) {
        Status(QStringLiteral("Running %1").arg(QString::fromLatin1(m_job.strServerCommand)));
        status = session.ServerCommand('C', m_job.strServerCommand, &reply);
        if (status == KermitStatus::Ok) {
            m_pSink->OnReply(QString::fromLatin1(reply));
        }
    }
    if (status == KermitStatus::Ok && m_job.bFinishServer) {
        status = session.ServerCommand('G', "F", &reply);
    }

    const QString caption = QStringLiteral("Transfer Error");
    switch (status) {
    case KermitStatus::Ok:
        return TransferResult::Completed;
    case KermitStatus::Cancelled:
        // The calculator leaves its receive screen (or server wait) on an error packet.
        session.SendError("Cancelled");
        return TransferResult::Cancelled;
    case KermitStatus::PeerCancelled:
        return TransferResult::CancelledByCalculator;
    case KermitStatus::NoAnswer:
        session.SendError("No answer");
        return Fail(QStringLiteral("No answer from the calculator on %1.").arg(strPortName),
                    caption, Mb::IconError);
    case KermitStatus::PeerError:
        return Fail(QStringLiteral("The calculator stopped the transfer: %1")
                        .arg(QString::fromLatin1(session.PeerMessage())),
                    caption, Mb::IconError);
    case KermitStatus::LineError:
        return Fail(QString::asprintf("Couldn't write to port %s (Error: %i)!",
                                      qPrintable(strPortName), m_port.WriteError()),
                    caption, Mb::IconError);
    case KermitStatus::SourceFailed:
        return Fail(ShortReadText(m_job.strFilePath, readError, readEnd, size), caption,
                    Mb::IconError);
    case KermitStatus::LongPacket:
        return Fail(QStringLiteral("The calculator sent a long packet, which is not supported."),
                    caption, Mb::IconError);
    }
    return TransferResult::Failed;
}
