// Loading a file into a running EMU48 emulator: start the emulator when it is not
// running, hand it the file's path, and bring its window to the front.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class IPrompt;

enum class EmuResult
{
    HandedOver,   // the emulator took the path and gave an accepted reply
    Incompatible, // the path went over, but the reply was not one of the accepted two
    Failed,       // nothing was handed over; a message said why (or the user cancelled)
};

struct EmuLinkOptions
{
    // With a window the user is asked to press OK once the emulator is up; without one
    // the emulator is started once and waited for, for up to nStartWaitMs.
    bool bAskWhenStarted = true;
    int nStartWaitMs = 10000;
    // How long an emulator may take to answer a message.
    int nReplyTimeoutMs = 10000;
};

// Connects to the emulator's socket; the connected descriptor, or -1 when no emulator
// is listening.
int ConnectToEmulator();

// Starts program with args, detached from this process, with this process's
// environment and current directory. Returns 0, or the errno of the failed start.
int SpawnDetached(const QByteArray& program, const QList<QByteArray>& args = {});

// "error #%08x" of a system error code.
QString EmuErrorCode(int nError);

// Hands strFilePath to the emulator, starting strEmuLocation first when no emulator is
// listening. Messages go through prompt.
EmuResult SendToEmulator(const QString& strFilePath, const QString& strEmuLocation, IPrompt& prompt,
                         const EmuLinkOptions& options = {});

// True when the path was handed over, to an accepted build or not.
bool SimulateInEmulator(const QString& strFilePath, const QString& strEmuLocation, IPrompt& prompt);
