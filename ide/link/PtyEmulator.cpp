#include "PtyEmulator.h"

#include "EmuLink.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// The file name a process runs under: its program's, or failing that (another user's
// process, a program that has been replaced) the first word of its command line.
QString ProgramName(const QString& procDir)
{
    const QString exe = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    if (!exe.isEmpty()) {
        return QFileInfo(exe).fileName();
    }
    QFile cmdline(procDir + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray first = cmdline.read(4096).split('\0').value(0);
    return QFileInfo(QFile::decodeName(first)).fileName();
}

} // namespace

bool IsPtyEmulator(const QString& strEmuLocation)
{
    const QString name = QFileInfo(strEmuLocation).fileName();
    return name.startsWith(QLatin1String("x48")) || name.startsWith(QLatin1String("saturn"));
}

QByteArray PtyOfProcess(const QString& procDir)
{
    const QDir fds(procDir + QStringLiteral("/fd"));
    QByteArray found;
    for (const QString& entry : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        bool ok = false;
        if (entry.toInt(&ok) < 3 || !ok) {
            continue;
        }
        const QByteArray target = QFile::encodeName(QFile::symLinkTarget(fds.filePath(entry)));
        if (!target.startsWith("/dev/pts/") || target.size() <= 9) {
            continue;
        }
        if (!found.isEmpty() && found != target) {
            return {}; // more than one: which is the calculator's is anybody's guess
        }
        found = target;
    }
    return found;
}

QByteArray FindEmulatorPty(const QString& procRoot, const QString& program, bool* pbRunning)
{
    *pbRunning = false;
    const QString wanted = QFileInfo(program).fileName();
    const QDir root(procRoot);
    for (const QString& entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        entry.toInt(&ok);
        if (!ok) {
            continue;
        }
        const QString procDir = root.filePath(entry);
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(procDir).constData(), &st) != 0 || st.st_uid != ::getuid() ||
            ProgramName(procDir) != wanted) {
            continue;
        }
        *pbRunning = true;
        if (QByteArray pty = PtyOfProcess(procDir); !pty.isEmpty()) {
            return pty;
        }
    }
    return {};
}

QByteArray ReachPtyEmulator(const QString& strEmuLocation, QString* pMessage,
                            const PtyEmulatorOptions& options)
{
    bool running = false;
    QByteArray pty = FindEmulatorPty(options.procRoot, strEmuLocation, &running);
    if (!pty.isEmpty()) {
        return pty;
    }
    if (!running) {
        // Without --verbose the emulator ends at once when it has no configuration yet.
        if (const int error = SpawnDetached(QFile::encodeName(strEmuLocation), {"-t", "--verbose"});
            error != 0) {
            *pMessage = LoadString(IDS_EMU_EXEC_ERROR).arg(EmuErrorCode(error));
            return {};
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(options.nStartWaitMs);
        while ((pty = FindEmulatorPty(options.procRoot, strEmuLocation, &running)).isEmpty() &&
               std::chrono::steady_clock::now() < deadline) {
            if (options.keepWaiting && !options.keepWaiting()) {
                pMessage->clear();
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!pty.isEmpty()) {
            return pty;
        }
    }
    *pMessage = LoadString(IDS_EMU_NO_PTY).arg(QFileInfo(strEmuLocation).fileName());
    return {};
}

TransferJob SimulateJob(const QString& strFilePath, const QByteArray& device, int nBaudRate)
{
    TransferJob job;
    job.protocol = TransferProtocol::Kermit;
    job.devicePath = device;
    job.nBaudRate = nBaudRate;
    job.strFilePath = strFilePath;
    job.strAnnouncedName = "SIMOBJ";
    job.kermit.nInitTries = 40;
    job.kermit.nInitWaitMs = 1500;
    job.strWaitStatus = LoadString(IDS_EMU_START_SERVER);
    job.strServerCommand = kSimulateCommand;
    job.bFinishServer = true;
    return job;
}

QStringList SplitReplyLines(const QString& reply)
{
    QStringList lines = reply.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}
