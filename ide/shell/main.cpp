// velmora: the development environment. The command line is checked first; the modes
// that run without a window are dispatched before any display is needed, everything
// else starts the application shell.
#include "CommandLine.h"
#include "HeadlessBuild.h"
#include "LinkCommands.h"
#include "PrintFiles.h"
#include "QtPrompt.h"
#include "VelmoraApp.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>

#include <cstdio>
#include <vector>

namespace {

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Runs a console mode, which reads its arguments from argv, on the checked arguments.
int RunConsoleMode(int (*run)(int, char**), char* program, const QStringList& args)
{
    std::vector<QByteArray> bytes;
    for (const QString& arg : args) {
        bytes.push_back(QFile::encodeName(arg));
    }
    std::vector<char*> argv{program};
    for (QByteArray& arg : bytes) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int argc = int(argv.size()) - 1;
    return run(argc, argv.data());
}

int RunPrint(int argc, char** argv, const QStringList& files)
{
    // Printing shows no window, so it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QPrinter printer;
    return PrintSourceFiles(files, printer) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QFile::decodeName(argv[i]);
    }
    const StartRequest request = ParseCommandLine(args);
    switch (request.mode) {
    case StartMode::Help:
        Print(stdout, CommandLineUsage());
        return 0;
    case StartMode::Version:
        Print(stdout, VersionText());
        return 0;
    case StartMode::Error:
        Print(stderr, QStringLiteral("velmora: ") + request.error + QStringLiteral("\n\n") +
                          CommandLineUsage());
        return kUsageExitCode;
    case StartMode::Build:
        return RunConsoleMode(RunHeadlessBuild, argv[0], request.args);
    case StartMode::Transfer:
    case StartMode::Simulate:
        return RunConsoleMode(RunLinkConsoleMode, argv[0], request.args);
    case StartMode::Print:
        return RunPrint(argc, argv, request.args.mid(1));
    case StartMode::Window:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setQuitOnLastWindowClosed(false);
    CQtPrompt prompt;
    SetPrompt(&prompt);

    CVelmoraApp velmora;
    if (!velmora.InitInstance(request.args)) {
        return 1;
    }
    QObject::connect(velmora.GetMainFrame(), &CMainFrame::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    const int code = app.exec();
    SetPrompt(nullptr);
    return code;
}
