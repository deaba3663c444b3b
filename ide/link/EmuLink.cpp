#include "EmuLink.h"

#include "EmuProtocol.h"
#include "Prompt.h"
#include "Strings.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The hand-over section: a named shared-memory object that holds the path and a NUL
// for as long as the emulator needs to read it.
class CHandOverSection
{
public:
    explicit CHandOverSection(const QByteArray& path) : m_nSize(path.size() + 1)
    {
        const int fd = ::shm_open(kEmuSectionName, O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0) {
            m_nError = errno;
            return;
        }
        m_bCreated = true;
        if (::ftruncate(fd, static_cast<off_t>(m_nSize)) != 0) {
            m_nError = errno;
            ::close(fd);
            return;
        }
        void* view = ::mmap(nullptr, m_nSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        m_nError = view == MAP_FAILED ? errno : 0;
        ::close(fd);
        if (view != MAP_FAILED) {
            m_pView = static_cast<char*>(view);
            std::memcpy(m_pView, path.constData(), m_nSize); // with the terminating NUL
        }
    }
    ~CHandOverSection()
    {
        if (m_pView) {
            ::munmap(m_pView, m_nSize);
        }
        if (m_bCreated) {
            ::shm_unlink(kEmuSectionName);
        }
    }
    CHandOverSection(const CHandOverSection&) = delete;
    CHandOverSection& operator=(const CHandOverSection&) = delete;

    bool IsReady() const { return m_pView != nullptr; }
    int Error() const { return m_nError; }
    std::size_t Size() const { return m_nSize; }

private:
    std::size_t m_nSize;
    char* m_pView = nullptr;
    bool m_bCreated = false;
    int m_nError = 0;
};

class CFd
{
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    CFd& operator=(int fd)
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
        return *this;
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Sends one frame and reads its reply; false when the emulator does not answer.
bool SendFrame(int fd, std::uint32_t message, std::uint32_t wParam, int nTimeoutMs,
               std::uint32_t* pReply)
{
    unsigned char frame[kEmuFrameSize];
    EmuPutWord(frame, message);
    EmuPutWord(frame + 4, wParam);
    EmuPutWord(frame + 8, 0);
    unsigned char reply[kEmuReplySize];
    if (!EmuWriteAll(fd, frame, sizeof frame) || !EmuReadAll(fd, reply, sizeof reply, nTimeoutMs)) {
        return false;
    }
    *pReply = EmuGetWord(reply);
    return true;
}

void StopBox(IPrompt& prompt, const QString& text)
{
    prompt.MessageBox(text, QString(), Mb::Ok | Mb::IconError);
}

} // namespace

int ConnectToEmulator()
{
    const std::string path = EmuSocketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int SpawnDetached(const QByteArray& program, const QList<QByteArray>& args)
{
    // Two forks, so that the emulator is nobody's child here and leaves no zombie; a
    // close-on-exec pipe brings the errno of a failed exec back.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return errno;
    }
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (const QByteArray& arg : args) {
        argv.push_back(const_cast<char*>(arg.constData()));
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return error;
    }
    if (pid == 0) {
        ::setsid();
        const pid_t grandChild = ::fork();
        if (grandChild != 0) {
            if (grandChild < 0) {
                const int error = errno;
                (void)!::write(pipeFds[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // the emulator inherits no descriptors
        ::execve(argv[0], argv.data(), environ);
        const int error = errno;
        (void)!::write(pipeFds[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t r;
    while ((r = ::read(pipeFds[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(pipeFds[0]);
    return r == static_cast<ssize_t>(sizeof error) ? error : 0;
}

QString EmuErrorCode(int nError)
{
    return QString::asprintf("error #%08x", static_cast<unsigned>(nError));
}

EmuResult SendToEmulator(const QString& strFilePath, const QString& strEmuLocation, IPrompt& prompt,
                         const EmuLinkOptions& options)
{
    if (!QFileInfo(strFilePath).isFile()) {
        StopBox(prompt, LoadString(IDS_EMU_NOT_BUILT));
        return EmuResult::Failed;
    }
    CFd link(ConnectToEmulator());
    while (link.Get() < 0) {
        if (const int error = SpawnDetached(QFile::encodeName(strEmuLocation)); error != 0) {
            StopBox(prompt, LoadString(IDS_EMU_EXEC_ERROR).arg(EmuErrorCode(error)));
            return EmuResult::Failed;
        }
        if (options.bAskWhenStarted) {
            if (prompt.MessageBox(LoadString(IDS_EMU_NOT_RUNNING), QString(), Mb::OkCancel) !=
                IDOK) {
                return EmuResult::Failed;
            }
            link = ConnectToEmulator();
            continue;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(options.nStartWaitMs);
        while ((link = ConnectToEmulator()).Get() < 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (link.Get() < 0) {
            StopBox(prompt, LoadString(IDS_EMU_START_TIMEOUT));
            return EmuResult::Failed;
        }
    }

    // The section only has to live while the emulator handles the message.
    CHandOverSection section(QFile::encodeName(strFilePath));
    if (!section.IsReady()) {
        StopBox(prompt, LoadString(IDS_EMU_HANDOVER_FAILED).arg(EmuErrorCode(section.Error())));
        return EmuResult::Failed;
    }
    std::uint32_t reply = 0;
    if (!SendFrame(link.Get(), kEmuLoadMessage, static_cast<std::uint32_t>(section.Size()),
                   options.nReplyTimeoutMs, &reply)) {
        StopBox(prompt, LoadString(IDS_EMU_NO_ANSWER));
        return EmuResult::Failed;
    }
    const bool accepted = reply == kEmuReplyAccepted1 || reply == kEmuReplyAccepted2;
    if (!accepted) {
        prompt.MessageBox(LoadString(IDS_EMU_INCOMPATIBLE), QString(), Mb::Ok);
    }
    std::uint32_t ignored = 0;
    SendFrame(link.Get(), kEmuActivateMessage, 1, options.nReplyTimeoutMs, &ignored);
    return accepted ? EmuResult::HandedOver : EmuResult::Incompatible;
}

bool SimulateInEmulator(const QString& strFilePath, const QString& strEmuLocation, IPrompt& prompt)
{
    return SendToEmulator(strFilePath, strEmuLocation, prompt) != EmuResult::Failed;
}
