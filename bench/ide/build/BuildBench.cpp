// How much the build adds to the tools it runs. A directory project of 200 entries is
// built without a window (this program started again with --build), and then a shell
// script runs the same tool commands in the same order: per entry RPLCOMP, SASM, the
// loader control file and SLOAD, and at the end Wendrix. The script does less than the
// build (it moves no object and reads no listing), so the ratio is an upper bound on
// the build's own cost. Run: build_bench [entries] [rounds]
#include "Builder.h"
#include "GeneratedSources.h"
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

// The same commands as the build, as a POSIX shell script run in the project folder.
QByteArray Script(const CProjectDocument& project, const QString& dir, const QString& tools)
{
    QByteArray s = "set -e\ncd '" + QFile::encodeName(dir) + "'\nmkdir -p Output Compiled\n";
    const QByteArray t = QFile::encodeName(tools);
    for (const ProjectFileEntry& e : project.m_files) {
        const QByteArray name = LongNameOf(QFile::decodeName(e.path)).toLatin1();
        const QByteArray base = "Output/" + name;
        s += "'" + t + "/RPLCOMP.EXE' '" + QFile::encodeName(dir) + "/" + e.path + "' " + base +
             ".a\n";
        s += "'" + t + "/SASM.EXE' -E -t '" + t + "/SASM.OPC' " + base + ".a\n";
        QByteArray control = LoaderControlFile(QString::fromLatin1(base), tools);
        control.replace("\r\n", "\\r\\n").replace("'", "'\\''");
        s += "printf '" + control + "' > " + base + ".m\n";
        s += "'" + t + "/SLOAD.EXE' -H " + base + ".m\n";
    }
    QByteArray index = IndexFileText(project, dir + "/Output/");
    index.replace("\r\n", "\\r\\n");
    s += "printf '" + index + "' > Output/Project.lst\n";
    s += "'" + t + "/Wendrix.EXE' -in '" + QFile::encodeName(dir) + "/Output/Project.lst' -out '" +
         QFile::encodeName(dir) + "/Compiled/Project.dir'\n";
    return s;
}

double RunOnce(const QString& program, const QStringList& args, const QString& configHome,
               const QString& dir)
{
    QDir(dir + "/Output").removeRecursively();
    QDir(dir + "/Compiled").removeRecursively();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program),
               (p.readAllStandardError() + p.readAllStandardOutput()).constData());
    return t.nsecsElapsed() / 1e9;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (IsHeadlessBuild(argc, argv))
        return RunHeadlessBuild(argc, argv);
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const QString tools = QStringLiteral(STANDIN_DIR);

    QTemporaryDir work;
    work.setAutoRemove(qEnvironmentVariableIsEmpty("BUILD_BENCH_KEEP"));
    const QString dir = work.filePath("project");
    QDir().mkpath(dir);
    QDir().mkpath(work.filePath("config/Velmora"));
    WriteFile(work.filePath("config/Velmora/Velmora.conf"),
              "[Options]\nToolLocation=" + QFile::encodeName(tools) +
                  "\nOutputDir=Output\nCompiledDir=Compiled\n");

    CProjectDocument project;
    project.OnNewDocument();
    project.m_strProjectType = "Directory";
    project.OnSaveDocument(dir + "/bench.hpr");
    for (int i = 0; i < entries; ++i) {
        const QString src = dir + QString("/file%1.s").arg(i, 3, 10, QChar('0'));
        WriteFile(src, "::\r\n  \"entry\"\r\n;\r\n");
        project.AddFile(src, QByteArray());
    }
    project.OnSaveDocument(dir + "/bench.hpr");
    WriteFile(work.filePath("build.sh"), Script(project, dir, tools));

    std::vector<double> headless, script;
    for (int r = 0; r < rounds; ++r) {
        headless.push_back(RunOnce(QCoreApplication::applicationFilePath(),
                                   {"--build", dir + "/bench.hpr"}, work.filePath("config"), dir));
        script.push_back(
            RunOnce("/bin/sh", {work.filePath("build.sh")}, work.filePath("config"), dir));
    }
    const double h = Median(headless), s = Median(script);
    std::printf("%d entries, %d rounds, median seconds: velmora --build %.3f, "
                "shell script %.3f, ratio %.3f\n",
                entries, rounds, h, s, h / s);
    return 0;
}
