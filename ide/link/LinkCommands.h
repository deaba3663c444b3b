// The calculator link without a window:
//   velmora --transfer FILE [--name NAME] [--protocol xmodem|kermit]
//                                           sends FILE to the calculator
//   velmora --simulate FILE                 loads FILE into the emulator
// Status lines go to standard output, messages to standard error. Exit code 0 when the
// whole file was acknowledged and the end byte sent (or the path handed over to an
// accepting emulator), 1 otherwise.
#pragma once

#include "TransferWorker.h"

#include <QString>
#include <QStringList>

// The options that the link reads.
struct LinkSettings
{
    SerialPortChoice port;
    int nBaudRate = 9600;
    QString strEmuLocation;
    TransferProtocol protocol = TransferProtocol::XModem;
};

// The console mode of the program: argv[1] is --transfer or --simulate. Creates its own
// application object and reads the options from the settings file; call it before any
// other. Returns the exit code.
bool IsLinkConsoleMode(int argc, char** argv);
int RunLinkConsoleMode(int argc, char** argv);

// True when the arguments (after the program name) ask for a link command.
bool IsLinkCommand(const QStringList& args);
// Runs the link command in args and returns the exit code.
int RunLinkCommand(const QStringList& args, const LinkSettings& settings);

int RunTransferCommand(const QString& strFilePath, const QString& strName,
                       const LinkSettings& settings);
// Runs job with the console's reports and Ctrl+C handling; the exit code.
int RunConsoleTransfer(TransferJob job);
int RunSimulateCommand(const QString& strFilePath, const LinkSettings& settings);
