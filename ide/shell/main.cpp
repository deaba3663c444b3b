// velmora: the development environment. Command-line modes that run without a window
// are dispatched first; everything else starts the application shell.
#include "HeadlessBuild.h"
#include "LinkCommands.h"
#include "QtPrompt.h"
#include "VelmoraApp.h"

#include <QApplication>

#include <optional>
#include <string_view>

namespace {

// A mode that runs without a window, chosen by the first argument: its exit code, or
// nothing for a normal start.
std::optional<int> RunConsoleMode(int argc, char** argv)
{
    if (argc < 2) {
        return std::nullopt;
    }
    const std::string_view mode = argv[1];
    // Each console mode adds its line here: if (mode == "--x") return RunX(...);
    if (mode == "--build") {
        return RunHeadlessBuild(argc, argv);
    }
    if (mode == "--transfer" || mode == "--simulate") {
        return RunLinkConsoleMode(argc, argv);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> code = RunConsoleMode(argc, argv)) {
        return *code;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setQuitOnLastWindowClosed(false);
    CQtPrompt prompt;
    SetPrompt(&prompt);

    CVelmoraApp velmora;
    if (!velmora.InitInstance(app.arguments().mid(1))) {
        return 1;
    }
    QObject::connect(velmora.GetMainFrame(), &CMainFrame::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    const int code = app.exec();
    SetPrompt(nullptr);
    return code;
}
