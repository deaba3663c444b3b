// Simulate with the emulators Linux users run (x48ng, x48, saturnng and their kin):
// they present the calculator's serial port as a pseudo-terminal, so the object goes
// there with Kermit, to the calculator's own Kermit server, which then puts it on the
// stack.
#pragma once

#include "TransferWorker.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// True when the emulator program's file name starts with "x48" or "saturn".
bool IsPtyEmulator(const QString& strEmuLocation);

// The pseudo-terminal of the process whose /proc folder is procDir: the only /dev/pts/N
// among its descriptors 3 and up (0 to 2 are the terminal it was started from). Empty
// when there is none, or more than one.
QByteArray PtyOfProcess(const QString& procDir);

// The pseudo-terminal of a running instance of program (compared by file name) owned by
// this user, searching procRoot ("/proc"); empty when none runs or none shows one.
// *pbRunning tells whether an instance runs at all.
QByteArray FindEmulatorPty(const QString& procRoot, const QString& program, bool* pbRunning);

struct PtyEmulatorOptions
{
    QString procRoot = QStringLiteral("/proc");
    int nStartWaitMs = 10000; // for a started emulator to show its pseudo-terminal
    // Called about every 100 ms of that wait (a window keeps itself alive here); false
    // ends the wait, as the user's Cancel, with no message. Without it the wait sleeps.
    std::function<bool()> keepWaiting;
};

// The pseudo-terminal of the emulator strEmuLocation, started as "program -t --verbose"
// when it does not run. Empty, with the reason in *pMessage, when there is none.
QByteArray ReachPtyEmulator(const QString& strEmuLocation, QString* pMessage,
                            const PtyEmulatorOptions& options = {});

// The transfer that Simulate runs over the pseudo-terminal: the file as SIMOBJ, then
// the command that moves it onto the stack, then FINISH. The user is asked, in the
// status line, to start the calculator's server; the Send-Init is repeated every 1.5 s
// for up to 60 s meanwhile.
TransferJob SimulateJob(const QString& strFilePath, const QByteArray& device, int nBaudRate);

// The lines of a calculator's reply (CR LF, LF or CR ends a line); no empty last line.
QStringList SplitReplyLines(const QString& reply);

// The command that recalls the object onto the stack and removes the variable again.
constexpr const char* kSimulateCommand = "'SIMOBJ' RCL 'SIMOBJ' PURGE";
