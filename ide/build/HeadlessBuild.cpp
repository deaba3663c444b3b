#include "HeadlessBuild.h"

#include "Builder.h"
#include "Options.h"
#include "ProjectDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstring>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_interrupted = 1;
}

void PrintError(const QByteArray& text)
{
    std::fprintf(stderr, "%s\n", text.constData());
}

int Usage()
{
    PrintError("usage: velmora --build PROJECT.hpr [--config NAME]");
    return 1;
}

} // namespace

void CConsoleMessages::AddMessage(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), m_out);
    std::fflush(m_out);
}

CConsoleProgress::CConsoleProgress()
{
    g_interrupted = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // A tool runs in a process group of its own, out of reach of the signals that end
    // the build; a termination request cancels the build as Ctrl+C does, so that the
    // running tool is ended with it instead of being left behind.
    sigaction(SIGTERM, &action, nullptr);
}

CConsoleProgress::~CConsoleProgress()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool CConsoleProgress::PollCancel()
{
    if (g_interrupted)
        Cancel();
    return CProgressState::PollCancel();
}

bool IsHeadlessBuild(int argc, char** argv)
{
    return argc >= 2 && std::strcmp(argv[1], "--build") == 0;
}

int RunHeadlessBuild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 && !(args.size() == 5 && args[3] == QLatin1String("--config")))
        return Usage();

    COptionTable options;
    options.AddProgramOptions(QCoreApplication::applicationDirPath());
    options.LoadOptions();

    CProjectDocument* pProject = nullptr;
    CProjectDocument project;
    project.SetOpenProjectSlot(&pProject);
    if (!project.OnOpenDocument(args[2]))
        return 1;
    pProject = &project;
    if (args.size() == 5) {
        // The configuration box's choice: the first configuration of that name.
        const QByteArray name = args[4].toLocal8Bit();
        int index = 0;
        while (index < project.m_configs.size() && project.m_configs[index].name != name)
            ++index;
        if (!project.SetCurConfigIndex(index)) {
            PrintError("No configuration named \"" + name + "\" in " + QFile::encodeName(args[2]));
            return 1;
        }
    }

    CConsoleMessages messages;
    CBuilder builder(messages, options, &pProject);
    builder.SetSaveAll([&project] {
        if (project.IsModified())
            project.OnSaveDocument(project.GetPathName());
    });
    CConsoleProgress progress;
    return builder.BuildProject(progress) ? 0 : 1;
}
