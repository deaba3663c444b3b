// Measures how long Velmora takes from the start of its process to its main window
// being painted: each run starts this program again as a child that goes through the
// same start-up as velmora (offscreen, a fresh settings folder with the tips off, a
// complete tool location) and reports the moment of the first paint. The figure is
// the time between spawning the child and that moment, on the monotonic clock.
//
//   shell_startup_bench [runs]      (default 15)
#include "MainFrame.h"
#include "QtPrompt.h"
#include "StartupChecks.h"
#include "VelmoraApp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

long long NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Reports the first paint of the main window on standard output, then ends.
class PaintProbe : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Only the main window counts, not the splash screen painted before it.
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget &&
            qobject_cast<CMainFrame*>(widget->window())) {
            std::printf("%lld\n", NowNs());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

int RunChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    CQtPrompt prompt;
    SetPrompt(&prompt);
    CVelmoraApp velmora;
    PaintProbe probe;
    app.installEventFilter(&probe);
    if (!velmora.InitInstance({})) {
        return 1;
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        return RunChild(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QTemporaryDir work;
    const QString tools = work.filePath("tools");
    QDir().mkpath(tools);
    for (const QString& name : ToolFiles()) {
        QFile file(tools + '/' + name);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray(name == "SASM.EXE" ? 150000 : 1, 'x'));
        }
    }
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        // A fresh settings folder for every run, holding only what keeps boxes away.
        QTemporaryDir config;
        {
            QSettings settings(config.path() + "/Velmora/Velmora.conf", QSettings::IniFormat);
            settings.setValue("Options/ShowTips", "No");
            settings.setValue("Options/ToolLocation", tools);
            settings.setValue("Options/DefaultDir", work.path());
        }
        setenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()).constData(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return 1;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        char* childArgs[] = {argv[0], const_cast<char*>("--child"), nullptr};
        pid_t pid = 0;
        const long long start = NowNs();
        if (posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, childArgs, environ) != 0) {
            return 1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        char buffer[64] = {};
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (got <= 0) {
            std::fprintf(stderr, "run %d: the child reported no paint\n", i + 1);
            return 1;
        }
        ms.push_back((std::atoll(buffer) - start) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("process start to main window shown, %d runs: min %.1f ms, median %.1f ms, "
                "max %.1f ms\n",
                runs, ms.front(), ms[ms.size() / 2], ms.back());
    return 0;
}
