#include "ChildProcess.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Where the kernel lacks pidfd_open, the wait polls for the child's end this often.
constexpr int kFallbackPollMs = 2;

class SpawnSetup
{
public:
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attr);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attr);
    }
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

} // namespace

CChildProcess::~CChildProcess()
{
    if (m_pid > 0 && !m_bEnded) {
        Kill();
        Reap(true);
    }
    CloseFds();
}

int CChildProcess::Start(const QString& program, const QStringList& args, const QString& workDir)
{
    const QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(program));
    const QByteArray dir = QFile::encodeName(workDir);
    std::vector<QByteArray> argBytes;
    argBytes.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        argBytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    char* envp[] = {nullptr};

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return errno;

    SpawnSetup s;
    posix_spawn_file_actions_addopen(&s.m_actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&s.m_actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&s.m_actions, fds[1], 2);
    // Nothing else of ours (files, sockets, a serial port) reaches the tool.
    posix_spawn_file_actions_addclosefrom_np(&s.m_actions, 3);
    if (!dir.isEmpty())
        posix_spawn_file_actions_addchdir_np(&s.m_actions, dir.constData());
    // The child gets default signal handling and an empty mask, whatever Velmora set up
    // for itself (a headless build catches Ctrl+C), and a process group of its own.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&s.m_attr, &all);
    posix_spawnattr_setsigmask(&s.m_attr, &none);
    posix_spawnattr_setpgroup(&s.m_attr, 0);
    posix_spawnattr_setflags(&s.m_attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                            POSIX_SPAWN_SETPGROUP);

    pid_t pid = -1;
    char* const* childArgv = argv.data();
    const int err = posix_spawn(&pid, path.constData(), &s.m_actions, &s.m_attr, childArgv, envp);
    close(fds[1]);
    if (err != 0) {
        close(fds[0]);
        return err;
    }
    m_pid = pid;
    m_nPipe = fds[0];
    m_bPipeOpen = true;
    fcntl(m_nPipe, F_SETFL, fcntl(m_nPipe, F_GETFL) | O_NONBLOCK);
    m_nPidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    return 0;
}

bool CChildProcess::WaitFor(int msec)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(msec);
    while (!m_bEnded) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        int timeout = static_cast<int>(left) + 1;
        if (m_nPidFd < 0)
            timeout = std::min(timeout, kFallbackPollMs);
        pollfd fds[2] = {{m_bPipeOpen ? m_nPipe : -1, POLLIN, 0}, {m_nPidFd, POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR)
            return false;
        if (fds[0].revents != 0)
            ReadAvailable();
        if (m_nPidFd < 0 || fds[1].revents != 0)
            Reap(false);
    }
    return true;
}

void CChildProcess::Kill()
{
    if (m_pid <= 0 || m_bEnded)
        return;
    if (kill(-m_pid, SIGKILL) != 0)
        kill(m_pid, SIGKILL);
}

void CChildProcess::DrainOutput()
{
    if (m_bPipeOpen)
        ReadAvailable();
}

void CChildProcess::ReadAvailable()
{
    // At most a few reads per call while the child runs, so that a flood of output
    // never keeps the wait from noticing its time-out or the child's end.
    char buf[65536];
    for (int reads = 0; m_bEnded || reads < 16; ++reads) {
        const ssize_t n = read(m_nPipe, buf, sizeof buf);
        if (n > 0) {
            const qsizetype room = kMaxOutput - m_output.size();
            if (room > 0)
                m_output.append(buf, std::min<qsizetype>(room, n));
            // Once the window's share is full and the child has ended, nothing more is
            // needed: a grandchild that floods the pipe must not keep us reading.
            if (m_bEnded && m_output.size() >= kMaxOutput)
                return;
            continue;
        }
        if (n == 0)
            m_bPipeOpen = false;
        else if (errno == EINTR)
            continue;
        return;
    }
}

void CChildProcess::Reap(bool block)
{
    int status = 0;
    pid_t r;
    do {
        r = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r != m_pid)
        return;
    m_bEnded = true;
    if (WIFEXITED(status))
        m_nExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m_nExitCode = 128 + WTERMSIG(status);
}

void CChildProcess::CloseFds()
{
    if (m_nPipe >= 0)
        close(m_nPipe);
    if (m_nPidFd >= 0)
        close(m_nPidFd);
    m_nPipe = m_nPidFd = -1;
}
