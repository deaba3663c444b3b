// The serial port that carries a transfer to the calculator: a termios device opened
// raw, with the read and write time-outs that the transfer protocol counts on.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>

// Time-outs in milliseconds. A read of n bytes gives up after perByte * n + constant
// without an answer; a write of n bytes after writePerByte * n + writeConstant. (The
// protocol reads one byte at a time, so a gap time-out between bytes never applies.)
struct SerialTimeouts
{
    int nReadPerByte = 10;
    int nReadConstant = 1000;
    int nWritePerByte = 2;
    int nWriteConstant = 1000;
};

// The device behind port "COM<n>": the environment variable VELMORA_COM<n> when set,
// otherwise /dev/ttyS<n-1>.
QByteArray SerialDevicePath(int nPort);
// The port the "Transfer COM Port" setting chooses: COM<nPort>, or a serial device named
// by its path (/dev/ttyUSB0), as a USB adapter appears on this system.
struct SerialPortChoice
{
    SerialPortChoice(int nPortNumber = 2) : nPort(nPortNumber) {}
    int nPort;
    QByteArray devicePath; // when set, this device rather than COM<nPort>
};
// The choice of a setting whose number the options table has read already: a setting
// that begins with '/' is a device path.
SerialPortChoice PortChoice(const QString& setting, int number);
// Whether the port can be set to nBaudRate bits per second.
bool IsSupportedBaudRate(int nBaudRate);

class CSerialPort
{
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device for reading and writing, for this process only. Returns 0, or
    // the errno of the failure.
    int Open(const QByteArray& devicePath);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Raw 8N1 at nBaudRate, no flow control, DTR and RTS dropped. Like the set-up of a
    // real port, failures here (a pseudo-terminal has no modem lines) are not fatal.
    void Configure(int nBaudRate, const SerialTimeouts& timeouts);
    // Discards what was written but not yet sent, then what arrived but was not read.
    void PurgeOutput();
    void PurgeInput();
    // Writes up to n bytes within the write time-out and returns how many went out. It
    // returns once they have left the port (as far as the driver can tell, and no sooner
    // than the line's speed allows), so that time-outs that follow count from the end of
    // the transmission, and the far end sees the quiet line it expects.
    std::size_t Write(const char* pData, std::size_t n);
    std::size_t Write(const QByteArray& data) { return Write(data.constData(), data.size()); }
    // Reads one byte within the read time-out; -1 when none came.
    int ReadByte();
    // Reads one byte within nTimeoutMs; -1 when none came.
    int ReadByte(int nTimeoutMs);
    // The errno of the last write that failed (the port is gone), 0 if none did.
    int WriteError() const { return m_nWriteError; }

private:
    void WaitUntilSent(std::size_t n, std::chrono::steady_clock::time_point start,
                       std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    int m_nBaudRate = 0;
    int m_nWriteError = 0;
    SerialTimeouts m_timeouts;
};
