// Starts the built velmora as a user would, on a virtual X display (xvfb-run) with a
// fresh settings folder: closes whatever boxes the start shows, waits for the main
// window, closes it, and expects the program to end cleanly with exit code 0.
//
// The test re-runs this program under xvfb-run in "--drive" mode; the driver is an X
// client that finds velmora's windows by their process id and closes them as the
// window close box would.
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string g_self;

struct TopWindow
{
    Window id;
    std::string type; // the last part of _NET_WM_WINDOW_TYPE_..., e.g. NORMAL, DIALOG
    std::string title;
};

unsigned long CardinalProperty(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType, &type, &format,
                           &items, &after, &data) == Success &&
        data && items == 1) {
        value = format == 32 ? *reinterpret_cast<unsigned long*>(data) : 0;
    }
    if (data) {
        XFree(data);
    }
    return value;
}

std::string AtomName(Display* display, Atom atom)
{
    char* name = atom ? XGetAtomName(display, atom) : nullptr;
    const std::string text = name ? name : "";
    if (name) {
        XFree(name);
    }
    return text;
}

// The viewable top-level windows of process pid.
std::vector<TopWindow> WindowsOf(Display* display, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const Atom typeAtom = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    std::vector<TopWindow> found;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return found;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable ||
            CardinalProperty(display, children[i], pidAtom) != static_cast<unsigned long>(pid)) {
            continue;
        }
        std::string type = AtomName(display, CardinalProperty(display, children[i], typeAtom));
        const std::string prefix = "_NET_WM_WINDOW_TYPE_";
        if (type.rfind(prefix, 0) == 0) {
            type = type.substr(prefix.size());
        }
        char* name = nullptr;
        std::string title;
        if (XFetchName(display, children[i], &name) && name) {
            title = name;
            XFree(name);
        }
        found.push_back({children[i], type, title});
    }
    if (children) {
        XFree(children);
    }
    return found;
}

void SendClose(Display* display, Window window)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The driver: starts velmora, closes its boxes, waits for the main window and closes
// it. Returns velmora's exit code, or 100 + a reason when something went wrong.
int Drive(const char* velmora, const char* configDir, const char* workDir)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("driver: no X display\n");
        return 101;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XDG_CONFIG_HOME", configDir, 1);
        if (chdir(workDir) != 0) {
            _exit(126);
        }
        execl(velmora, velmora, static_cast<char*>(nullptr));
        _exit(127);
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    bool mainShown = false;
    bool closeSent = false;
    int status = 0;
    while (Clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            XCloseDisplay(display);
            if (!closeSent) {
                std::printf("driver: velmora ended before its window was closed\n");
                return 102;
            }
            if (!WIFEXITED(status)) {
                std::printf("driver: velmora was killed by signal %d\n", WTERMSIG(status));
                return 103;
            }
            std::printf("driver: velmora exited with code %d\n", WEXITSTATUS(status));
            return WEXITSTATUS(status);
        }
        bool dialogUp = false;
        Window mainWindow = 0;
        for (const TopWindow& window : WindowsOf(display, pid)) {
            if (window.type == "DIALOG") {
                std::printf("driver: closing box \"%s\"\n", window.title.c_str());
                SendClose(display, window.id);
                dialogUp = true;
            } else if (window.type == "NORMAL" &&
                       window.title.rfind("Velmora Development Environment", 0) == 0) {
                mainWindow = window.id;
            }
        }
        if (mainWindow && !dialogUp && !closeSent) {
            mainShown = true;
            std::printf("driver: main window shown\n");
            SendClose(display, mainWindow);
            closeSent = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(mainShown ? 100 : 200));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    XCloseDisplay(display);
    std::printf("driver: timed out (%s)\n", mainShown ? "after closing" : "no main window");
    return 104;
}

TEST(RealWindow, StartsShowsItsMainWindowAndExitsCleanly)
{
    QTemporaryDir config;
    QTemporaryDir work;
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::MergedChannels);
    xvfb.start(QStringLiteral("xvfb-run"),
               {"-a", "-s", "-screen 0 1280x1024x24", QString::fromStdString(g_self), "--drive",
                QStringLiteral(VELMORA_BINARY), config.path(), work.path()});
    ASSERT_TRUE(xvfb.waitForStarted()) << "xvfb-run is not installed";
    ASSERT_TRUE(xvfb.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(xvfb.readAll());
    EXPECT_TRUE(output.contains("driver: main window shown")) << output.toStdString();
    EXPECT_EQ(xvfb.exitCode(), 0) << output.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--drive") == 0) {
        return Drive(argv[2], argv[3], argv[4]);
    }
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = length > 0 ? std::string(self, static_cast<size_t>(length)) : argv[0];
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
