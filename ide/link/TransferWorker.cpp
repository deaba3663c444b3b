#include "TransferWorker.h"

#include "InputFile.h"
#include "Prompt.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const char kTransferError[] = "Transfer Error";

long long WallClockSeconds()
{
    return static_cast<long long>(std::time(nullptr));
}

} // namespace

QString TransferStatusText(long long nSent, long long nSize, long long nElapsed)
{
    const long long percent = nSize > 0 ? nSent * 100 / nSize : 0;
    if (nElapsed <= 10 || nSent <= 1024) {
        return QString::asprintf("%lld of %lld bytes sent (%lld%%)", nSent, nSize, percent);
    }
    const long long left = nElapsed * nSize / nSent - nElapsed;
    return QString::asprintf("%lld of %lld bytes sent (%lld%%, %lld seconds left)", nSent, nSize,
                             percent, left);
}

std::optional<TransferProtocol> ParseTransferProtocol(const QString& text)
{
    if (text.compare(QLatin1String("XModem"), Qt::CaseInsensitive) == 0) {
        return TransferProtocol::XModem;
    }
    if (text.compare(QLatin1String("Kermit"), Qt::CaseInsensitive) == 0) {
        return TransferProtocol::Kermit;
    }
    return std::nullopt;
}

QByteArray NameAnnouncement(const std::string& strName)
{
    return "Filename: '" + QByteArray::fromStdString(strName) + "'";
}

CTransferWorker::CTransferWorker(TransferJob job, std::shared_ptr<ITransferSink> pSink)
    : m_job(std::move(job)), m_pSink(std::move(pSink))
{
}

void CTransferWorker::Start(const std::shared_ptr<CTransferWorker>& pWorker)
{
    std::thread([pWorker] { pWorker->Run(); }).detach();
}

bool CTransferWorker::WaitDone(int nMilliseconds)
{
    std::unique_lock lock(m_mutex);
    return m_doneChanged.wait_for(lock, std::chrono::milliseconds(nMilliseconds),
                                  [this] { return m_bDone; });
}

bool CTransferWorker::IsDone()
{
    std::lock_guard lock(m_mutex);
    return m_bDone;
}

TransferResult CTransferWorker::Result()
{
    std::lock_guard lock(m_mutex);
    return m_result;
}

TransferResult CTransferWorker::Run()
{
    const TransferResult result = Transfer();
    m_port.Close();
    {
        std::lock_guard lock(m_mutex);
        m_result = result;
        m_bDone = true;
    }
    m_doneChanged.notify_all();
    m_pSink->OnFinished(result);
    return result;
}

TransferResult CTransferWorker::Fail(const QString& strText, const QString& strCaption,
                                     unsigned nType)
{
    m_port.Close();
    m_pSink->OnMessage(strText, strCaption, nType);
    return TransferResult::Failed;
}

void CTransferWorker::SendCancel()
{
    const char cancel = static_cast<char>(Xmodem::CancelByte);
    m_port.Write(&cancel, 1);
    m_port.Write(&cancel, 1);
}

void CTransferWorker::Status(const QString& strStatus)
{
    m_pSink->OnStatus(strStatus);
}

TransferResult CTransferWorker::Transfer()
{
    const QString portName = m_job.devicePath.isEmpty() ? QStringLiteral("COM%1").arg(m_job.nPort)
                                                        : QString::fromLocal8Bit(m_job.devicePath);
    const QByteArray device =
        m_job.devicePath.isEmpty() ? SerialDevicePath(m_job.nPort) : m_job.devicePath;
    if (const int error = m_port.Open(device); error != 0) {
        return Fail(
            QString::asprintf("Couldn't open port %s (Error: %i)!", qPrintable(portName), error),
            kTransferError, Mb::IconError);
    }
    CInputFile file(m_job.strFilePath);
    if (file.Error() != 0) {
        return Fail(QStringLiteral("Couldn't open file %1 (Error: %2)!")
                        .arg(m_job.strFilePath)
                        .arg(file.Error()),
                    kTransferError, Mb::IconError);
    }
    m_port.Configure(m_job.nBaudRate, m_job.timeouts);
    Status(QString());

    const QFileInfo info(m_job.strFilePath);
    if (m_job.protocol == TransferProtocol::Kermit) {
        // The name in a Kermit file header becomes the calculator's variable name, and
        // a dot is not allowed in one: without a given name, the file's name goes
        // without its extension.
        const QString base = info.baseName().isEmpty() ? info.fileName() : info.baseName();
        return TransferKermit(file, portName,
                              !m_job.strAnnouncedName.empty()
                                  ? m_job.strAnnouncedName
                                  : QFile::encodeName(base).toStdString());
    }
    const std::string name = !m_job.strAnnouncedName.empty()
                                 ? m_job.strAnnouncedName
                                 : QFile::encodeName(info.fileName()).toStdString();

    const long long size = file.Size();
    if (size == 0) {
        return Fail(QStringLiteral("File is zero length"), QStringLiteral("Transfer Done"),
                    Mb::IconInformation);
    }

    const auto clock = m_job.clock ? m_job.clock : WallClockSeconds;
    long long sent = 0;
    int block = 1;
    bool waiting = true;
    long long startTime = 0;
    const QByteArray announcement = NameAnnouncement(name);
    m_port.Write(announcement);

    char buffer[Xmodem::BlockSize];
    for (;;) {
        if (m_bCancel.exchange(false)) {
            SendCancel();
            return TransferResult::Cancelled;
        }
        if (waiting) {
            m_port.Write(announcement);
            Status(QStringLiteral("Waiting for NAK..."));
            const int answer = m_port.ReadByte();
            if (answer == Xmodem::NAK) {
                waiting = false;
                startTime = clock();
            } else if (answer == Xmodem::CAN) {
                return TransferResult::CancelledByCalculator;
            }
            continue;
        }

        const long long percent = sent * 100 / size;
        Status(TransferStatusText(sent, size, clock() - startTime));
        m_pSink->OnProgress(static_cast<int>(percent));

        std::fill(std::begin(buffer), std::end(buffer), 0);
        buffer[0] = Xmodem::SOH;
        buffer[1] = static_cast<char>(block);
        buffer[2] = static_cast<char>(255 - block);
        if (sent >= size) {
            // The calculator's answer to the end byte is not awaited.
            const char eot = Xmodem::EOT;
            m_port.Write(&eot, 1);
            return TransferResult::Completed;
        }
        // The whole block's data must be there: a file that shrank or failed to read
        // would otherwise go out as blocks of zeros, and the transfer would never end.
        const long long want = std::min<long long>(Xmodem::DataSize, size - sent);
        const long long got = file.ReadAt(buffer + 3, want, sent);
        if (got < want) {
            const int error = errno;
            SendCancel();
            const QString text = ShortReadText(m_job.strFilePath, error, sent + got, size);
            return Fail(text, kTransferError, Mb::IconError);
        }
        unsigned char sum = 0;
        for (int i = 3; i < 3 + Xmodem::DataSize; ++i) {
            sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(buffer[i]));
        }
        buffer[Xmodem::BlockSize - 1] = static_cast<char>(sum);

        m_port.PurgeOutput();
        m_port.PurgeInput();
        if (m_port.Write(buffer, Xmodem::BlockSize) == Xmodem::BlockSize) {
            const int answer = m_port.ReadByte();
            if (answer == Xmodem::ACK) {
                block = (block + 1) % 256;
                sent += got;
            } else if (answer == Xmodem::CAN) {
                return TransferResult::CancelledByCalculator;
            }
        }
        // Without an ACK the same data goes out again under the same block number: the
        // next pass reads it again from the unchanged offset.
    }
}
