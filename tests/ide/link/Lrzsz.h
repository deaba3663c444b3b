// lrzsz's XModem programs as the far end of a line in the link tests and benchmark.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// An lrzsz program running with a terminal as its standard input and output, in a
// folder of its own (rx refuses paths with directories in them), its standard error
// going to <program>.log there.
class CLrzsz
{
public:
    // args: the program ("rx" or "sx") and its arguments.
    CLrzsz(int terminal, const QString& dir, std::vector<QByteArray> args)
    {
        const QByteArray folder = dir.toLocal8Bit();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, terminal, 0);
        posix_spawn_file_actions_adddup2(&actions, terminal, 1);
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
        const QByteArray log = args.front() + ".log";
        posix_spawn_file_actions_addopen(&actions, 2, log.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<char*> argv;
        for (QByteArray& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        m_nSpawnError = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CLrzsz()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CLrzsz(const CLrzsz&) = delete;
    CLrzsz& operator=(const CLrzsz&) = delete;

    int SpawnError() const { return m_nSpawnError; }
    // The exit code, or -1 when it has not ended within nSeconds.
    int Wait(int nSeconds)
    {
        for (int i = 0; m_pid > 0 && i <= nSeconds * 500; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_ended = std::chrono::steady_clock::now();
                m_pid = -1;
                m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            } else {
                ::usleep(2000);
            }
        }
        return m_nExitCode;
    }
    // When Wait saw the program end (to within a few milliseconds).
    std::chrono::steady_clock::time_point Ended() const { return m_ended; }

private:
    pid_t m_pid = -1;
    int m_nExitCode = -1;
    std::chrono::steady_clock::time_point m_ended;
    int m_nSpawnError = 0;
};
