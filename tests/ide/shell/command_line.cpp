// velmora's command line: each mode with its arguments in the order its reader expects,
// and wrong lines refused. With the program built, it answers --help, --version and a
// wrong option without any display.
#include "CommandLine.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Case
{
    QStringList args;
    StartMode mode;
    QStringList expected; // the mode's arguments, or a part of the error
};

TEST(CommandLine, ModesAndErrors)
{
    const Case cases[] = {
        {{}, StartMode::Window, {}},
        {{"a.s", "b.hpr"}, StartMode::Window, {"a.s", "b.hpr"}},
        {{"-p", "a.s", "b.s"}, StartMode::Print, {"-p", "a.s", "b.s"}},
        {{"--config", "DEBUG", "--build", "p.hpr"},
         StartMode::Build,
         {"--build", "p.hpr", "--config", "DEBUG"}},
        {{"--protocol", "kermit", "--transfer", "x.gx", "--name", "X"},
         StartMode::Transfer,
         {"--transfer", "x.gx", "--name", "X", "--protocol", "kermit"}},
        {{"-simulate", "x.gx"}, StartMode::Simulate, {"--simulate", "x.gx"}},
        {{"--build", "p.hpr", "--help"}, StartMode::Help, {}},
        {{"-h"}, StartMode::Help, {}},
        {{"--version"}, StartMode::Version, {}},
        {{"-style", "Fusion", "a.s", "--platform=xcb", "-reverse"}, StartMode::Window, {"a.s"}},
        {{"--bogus"}, StartMode::Error, {"bogus"}},
        {{"-p"}, StartMode::Error, {"-p needs"}},
        {{"--build"}, StartMode::Error, {"build"}},
        {{"--build", "p.hpr", "extra"}, StartMode::Error, {"unexpected argument extra"}},
        {{"--build", "p.hpr", "--simulate", "x"}, StartMode::Error, {"combined"}},
        {{"--transfer", "x", "--config", "D"},
         StartMode::Error,
         {"--config can't be used with --transfer"}},
        {{"--name", "X", "a.s"}, StartMode::Error, {"--name can't be used with the window"}},
        {{"--transfer", "x", "--name", "A", "--name", "B"}, StartMode::Error, {"more than once"}},
    };
    for (const Case& c : cases) {
        const StartRequest request = ParseCommandLine(c.args);
        const std::string line = c.args.join(' ').toStdString();
        EXPECT_EQ(request.mode, c.mode) << line << ": " << request.error.toStdString();
        if (c.mode == StartMode::Error) {
            EXPECT_TRUE(request.error.contains(c.expected.first()))
                << line << ": " << request.error.toStdString();
        } else {
            EXPECT_EQ(request.args, c.expected) << line;
        }
    }
}

#ifdef VELMORA_BINARY
TEST(CommandLine, ProgramAnswersWithoutDisplay)
{
    const struct
    {
        const char* arg;
        int exitCode;
        const char* output;
    } runs[] = {{"--help", 0, "--transfer FILE"},
                {"--version", 0, "Velmora Version 1.21\nQt 6."},
                {"--bogus", kUsageExitCode, "Unknown option 'bogus'"}};
    for (const auto& run : runs) {
        QProcess velmora;
        velmora.setProcessChannelMode(QProcess::MergedChannels);
        velmora.setProcessEnvironment(QProcessEnvironment());
        velmora.start(QStringLiteral(VELMORA_BINARY), {run.arg});
        ASSERT_TRUE(velmora.waitForFinished(30000)) << run.arg;
        const QString output = QString::fromLocal8Bit(velmora.readAll());
        EXPECT_EQ(velmora.exitCode(), run.exitCode) << run.arg << output.toStdString();
        EXPECT_TRUE(output.contains(run.output)) << run.arg << output.toStdString();
    }
}
#endif

} // namespace
