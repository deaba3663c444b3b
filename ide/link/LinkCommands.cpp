#include "LinkCommands.h"

#include "CalcChars.h"
#include "EmuLink.h"
#include "Options.h"
#include "Prompt.h"
#include "PtyEmulator.h"
#include "Strings.h"
#include "TransferWorker.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

// The transfer that Ctrl+C cancels. The first Ctrl+C cancels as the Cancel button
// does (the calculator is told, within about a second); a second one ends the program.
std::atomic<CTransferWorker*> g_pRunning{nullptr};
std::atomic<int> g_nInterrupts{0};

void OnInterrupt(int signal)
{
    CTransferWorker* worker = g_pRunning.load();
    if (worker && g_nInterrupts.fetch_add(1) == 0) {
        worker->Cancel();
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class CConsoleSink : public ITransferSink
{
public:
    void OnStatus(const QString& strStatus) override
    {
        if (strStatus.isEmpty() || strStatus == m_strLast) {
            return;
        }
        m_strLast = strStatus;
        std::fprintf(stdout, "%s\n", strStatus.toUtf8().constData());
        std::fflush(stdout);
    }
    void OnProgress(int) override {}
    void OnMessage(const QString& strText, const QString& strCaption, unsigned nType) override
    {
        Prompt().MessageBox(strText, strCaption, nType);
    }
    void OnReply(const QString& strReply) override
    {
        for (const QString& line : SplitReplyLines(strReply)) {
            std::fprintf(stdout, "%s\n", line.toUtf8().constData());
        }
        std::fflush(stdout);
    }
    void OnFinished(TransferResult result) override
    {
        if (result == TransferResult::Cancelled) {
            std::fprintf(stderr, "Transfer cancelled.\n");
        } else if (result == TransferResult::CancelledByCalculator) {
            std::fprintf(stderr, "Transfer cancelled by the calculator.\n");
        }
    }

private:
    QString m_strLast;
};

int Usage(const QString& strProblem)
{
    std::fprintf(stderr,
                 "velmora: %s\nusage: velmora --transfer FILE [--name NAME] "
                 "[--protocol xmodem|kermit]\n"
                 "       velmora --simulate FILE\n",
                 strProblem.toUtf8().constData());
    return 2; // the exit code of a wrong command line, as for every mode
}

} // namespace

bool IsLinkConsoleMode(int argc, char** argv)
{
    return argc > 1 && IsLinkCommand({QString::fromLocal8Bit(argv[1])});
}

int RunLinkConsoleMode(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    COptionTable options;
    options.AddProgramOptions(QCoreApplication::applicationDirPath());
    options.LoadOptions();
    const LinkSettings settings{
        PortChoice(options.GetOption(QStringLiteral("COMPort")),
                   options.GetOptionInt(QStringLiteral("COMPort"))),
        options.GetOptionInt(QStringLiteral("BaudRate")),
        options.GetOption(QStringLiteral("EMU48Location")),
        ParseTransferProtocol(options.GetOption(QStringLiteral("TransferProtocol")))
            .value_or(TransferProtocol::XModem)};
    return RunLinkCommand(QCoreApplication::arguments().mid(1), settings);
}

bool IsLinkCommand(const QStringList& args)
{
    return !args.isEmpty() && (args.first() == QLatin1String("--transfer") ||
                               args.first() == QLatin1String("--simulate"));
}

int RunLinkCommand(const QStringList& args, const LinkSettings& settings)
{
    const QString command = args.value(0);
    if (args.size() < 2 || args.at(1).isEmpty()) {
        return Usage(command + QStringLiteral(" needs a file"));
    }
    if (command == QLatin1String("--simulate")) {
        if (args.size() > 2) {
            return Usage(QStringLiteral("unexpected argument ") + args.at(2));
        }
        return RunSimulateCommand(args.at(1), settings);
    }
    QString name;
    LinkSettings chosen = settings;
    for (qsizetype i = 2; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--name") && i + 1 < args.size()) {
            name = args.at(++i);
        } else if (args.at(i) == QLatin1String("--protocol") && i + 1 < args.size()) {
            const std::optional<TransferProtocol> protocol = ParseTransferProtocol(args.at(++i));
            if (!protocol) {
                return Usage(QStringLiteral("unknown protocol ") + args.at(i));
            }
            chosen.protocol = *protocol;
        } else {
            return Usage(QStringLiteral("unexpected argument ") + args.at(i));
        }
    }
    return RunTransferCommand(args.at(1), name, chosen);
}

int RunTransferCommand(const QString& strFilePath, const QString& strName,
                       const LinkSettings& settings)
{
    TransferJob job;
    job.nPort = settings.port.nPort;
    job.devicePath = settings.port.devicePath;
    job.nBaudRate = settings.nBaudRate;
    job.strFilePath = QFileInfo(strFilePath).absoluteFilePath();
    job.strAnnouncedName = TranslateCalcChars(strName.toLatin1().toStdString());
    job.protocol = settings.protocol;
    return RunConsoleTransfer(std::move(job));
}

int RunConsoleTransfer(TransferJob job)
{
    CTransferWorker worker(std::move(job), std::make_shared<CConsoleSink>());

    g_nInterrupts = 0;
    g_pRunning = &worker;
    struct sigaction action
    {
    };
    struct sigaction previous
    {
    };
    action.sa_handler = OnInterrupt;
    ::sigaction(SIGINT, &action, &previous);
    const TransferResult result = worker.Run();
    ::sigaction(SIGINT, &previous, nullptr);
    g_pRunning = nullptr;
    return result == TransferResult::Completed ? 0 : 1;
}

int RunSimulateCommand(const QString& strFilePath, const LinkSettings& settings)
{
    if (IsPtyEmulator(settings.strEmuLocation)) {
        const QString path = QFileInfo(strFilePath).absoluteFilePath();
        if (!QFileInfo(path).isFile()) {
            Prompt().MessageBox(LoadString(IDS_EMU_NOT_BUILT), QString(), Mb::Ok | Mb::IconError);
            return 1;
        }
        QString message;
        const QByteArray device = ReachPtyEmulator(settings.strEmuLocation, &message);
        if (device.isEmpty()) {
            Prompt().MessageBox(message, QString(), Mb::Ok | Mb::IconError);
            return 1;
        }
        return RunConsoleTransfer(SimulateJob(path, device, settings.nBaudRate));
    }
    EmuLinkOptions options;
    options.bAskWhenStarted = false;
    const EmuResult result = SendToEmulator(QFileInfo(strFilePath).absoluteFilePath(),
                                            settings.strEmuLocation, Prompt(), options);
    return result == EmuResult::HandedOver ? 0 : 1;
}
