// velmora's command line: which mode a start asks for, checked against one table of
// options from which the usage text is made too. Plain Qt Core, so it is decided before
// any window or display is needed.
#pragma once

#include <QString>
#include <QStringList>

enum class StartMode
{
    Window,   // open the named files (if any) in the window
    Print,    // -p FILE...: print the files and exit
    Build,    // --build PROJECT.hpr [--config NAME]
    Transfer, // --transfer FILE [--name NAME] [--protocol NAME]
    Simulate, // --simulate FILE
    Help,     // -h, --help
    Version,  // --version
    Error     // a command line that asks for nothing sensible
};

struct StartRequest
{
    StartMode mode = StartMode::Window;
    // The mode's arguments in a fixed order, as the mode's own reader expects them
    // after the program name: "--build", "p.hpr", "--config", "DEBUG"; "-p" and the
    // files; for the window the files alone.
    QStringList args;
    // What is wrong with the command line (mode Error).
    QString error;
};

// Reads the arguments after the program name.
StartRequest ParseCommandLine(const QStringList& args);
// The usage of every mode with each option's meaning, lines ending in '\n'.
QString CommandLineUsage();
// "Velmora Version 1.21" and the Qt version the program runs with.
QString VersionText();
// The exit code of a wrong command line.
constexpr int kUsageExitCode = 2;
