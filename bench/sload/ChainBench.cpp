// The bundled tool chain, timed two ways; run by hand, never by the tests.
//  1. A generated System RPL source through RPLCOMP, SASM and SLOAD, each its own
//     process with an empty environment, as the build runs them (goal: under 50 ms).
//  2. `velmora --build` of an individual-files project (this program started again with
//     --build) with the real chain, against the same build with the tests' stand-in
//     tools that do nothing (goal: at most 1.2 times as long).
// Run: chain_bench [lines] [files] [rounds]
#include "GeneratedSource.h"
#include "HeadlessBuild.h"
#include "ProjectDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Runs program in dir with env (empty: no environment); returns seconds, fails loudly.
double Run(const QString& program, const QStringList& args, const QString& dir,
           const QProcessEnvironment& env = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s %s failed: %s", qPrintable(program), qPrintable(args.join(' ')),
               p.readAll().constData());
    return t.nsecsElapsed() / 1e9;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ChainOnce(const QString& dir, const QString& tools)
{
    double seconds = Run(tools + "/RPLCOMP.EXE", {"bench.s", "bench.a"}, dir);
    seconds += Run(tools + "/SASM.EXE", {"-E", "-t", tools + "/SASM.OPC", "bench.a"}, dir);
    return seconds + Run(tools + "/SLOAD.EXE", {"-H", "bench.m"}, dir);
}

double BuildOnce(const QString& dir, const QString& configHome)
{
    QDir(dir + "/Output").removeRecursively();
    QDir(dir + "/Compiled").removeRecursively();
    QProcessEnvironment env;
    env.insert("XDG_CONFIG_HOME", configHome);
    return Run(QCoreApplication::applicationFilePath(), {"--build", dir + "/bench.hpr"}, dir, env);
}

} // namespace

int main(int argc, char** argv)
{
    if (IsHeadlessBuild(argc, argv))
        return RunHeadlessBuild(argc, argv);
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int files = argc > 2 ? std::atoi(argv[2]) : 200;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    const QString tools = QStringLiteral(TOOL_DIR);
    QTemporaryDir work;

    // 1. One generated source through the three processes.
    const QString chainDir = work.filePath("chain");
    QDir().mkpath(chainDir);
    WriteFile(chainDir + "/bench.s", QByteArray::fromStdString(GeneratedRplSource(lines)));
    WriteFile(chainDir + "/bench.m", "OU bench.gx\r\nLL bench.lr\r\nSU XR SU\r\nSE " +
                                         QFile::encodeName(tools) + "/ENTRIES.O\r\nRE bench.o\r\n");
    std::vector<double> chain;
    for (int r = 0; r < std::max(rounds, 11); ++r)
        chain.push_back(ChainOnce(chainDir, tools));
    std::printf("%d-line source through rplcomp, sasm and sload: median %.1f ms "
                "(%lld bytes of object)\n",
                lines, Median(chain) * 1000, QFileInfo(chainDir + "/bench.gx").size());

    // 2. The whole build of an individual-files project, real tools against stand-ins.
    const QString dir = work.filePath("project");
    QDir().mkpath(dir);
    CProjectDocument project;
    project.OnNewDocument();
    project.m_strProjectType = "Individual";
    project.OnSaveDocument(dir + "/bench.hpr");
    for (int i = 0; i < files; ++i) {
        const QString source = dir + QString("/file%1.s").arg(i, 3, 10, QChar('0'));
        WriteFile(source, "ASSEMBLE\r\n  NIBASC /HPHP48-R/\r\nRPL\r\n::\r\n  CK1 DUP %* "
                          "$ \"entry\" SWAP\r\n;\r\n");
        project.AddFile(source, QByteArray());
    }
    project.OnSaveDocument(dir + "/bench.hpr");
    const auto config = [&](const char* name, const QString& location) {
        const QString home = work.filePath(name);
        QDir().mkpath(home + "/Velmora");
        WriteFile(home + "/Velmora/Velmora.conf",
                  "[Options]\nToolLocation=" + QFile::encodeName(location) +
                      "\nOutputDir=Output\nCompiledDir=Compiled\nAutoDetectTools=No\n");
        return home;
    };
    const QString realHome = config("real", tools);
    const QString standInHome = config("standin", QStringLiteral(STANDIN_DIR));
    std::vector<double> real, standIn;
    for (int r = 0; r < rounds; ++r) {
        real.push_back(BuildOnce(dir, realHome));
        standIn.push_back(BuildOnce(dir, standInHome));
    }
    const double a = Median(real), b = Median(standIn);
    std::printf("%d-file project, %d rounds, median seconds: real chain %.3f, stand-ins %.3f, "
                "ratio %.3f\n",
                files, rounds, a, b, a / b);
    return 0;
}
