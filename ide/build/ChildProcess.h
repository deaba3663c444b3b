// One run of an outside tool as a child process: started without a shell, in a given
// working directory, with an empty environment, standard input from /dev/null and
// standard output and standard error joined on one pipe. The child leads a process
// group of its own, so that killing it also ends whatever it started.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>

class CChildProcess
{
public:
    // The runner keeps this much of a tool's output; the rest is read and dropped, so
    // that a chatty tool never blocks on a full pipe.
    static constexpr int kMaxOutput = 10000;

    CChildProcess() = default;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;
    // A child still running is killed with its group and reaped.
    ~CChildProcess();

    // Starts program (made absolute against the current directory) with args. Returns 0,
    // or the errno of the failure (2 for a missing program, 13 for one that cannot be
    // executed, the chdir error for a missing working directory).
    int Start(const QString& program, const QStringList& args, const QString& workDir);

    // Waits at most msec for the child to end, reading its output meanwhile; returns
    // true as soon as it has ended, without waiting out the rest of the time.
    bool WaitFor(int msec);
    // Sends SIGKILL to the child's process group.
    void Kill();
    // After the child ended: reads what is still waiting in the pipe, without blocking
    // (a grandchild may hold the pipe open and write on).
    void DrainOutput();

    bool HasEnded() const { return m_bEnded; }
    // The exit code of an ended child; 128 + the signal number for one killed by a
    // signal; -1 while it runs.
    int ExitCode() const { return m_nExitCode; }
    // The first kMaxOutput bytes written.
    const QByteArray& Output() const { return m_output; }

private:
    void ReadAvailable();
    void Reap(bool block);
    void CloseFds();

    pid_t m_pid = -1;
    int m_nPipe = -1;  // read end, non-blocking
    int m_nPidFd = -1; // -1 where the kernel has no pidfd_open
    bool m_bEnded = false;
    bool m_bPipeOpen = false;
    int m_nExitCode = -1;
    QByteArray m_output;
};
