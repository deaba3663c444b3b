#include "OptionChecks.h"

#include "SerialPort.h"

namespace {

constexpr int kMaxComPort = 99;

// Whether text starts (after blanks) with a digit, so that reading it as a number
// gives the number the user meant rather than 0 for text that holds none.
bool StartsWithNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && trimmed.at(0).isDigit() && trimmed.at(0).unicode() < 128;
}

} // namespace

QString OptionValueProblem(const ProgramOption& option, const QString& value)
{
    if (option.kind != OptionKind::Number)
        return {};
    if (option.registryName == QLatin1String("COMPort")) {
        // A port number, or a serial device by its path (a USB adapter: /dev/ttyUSB0).
        const QString port = value.trimmed();
        if (port.startsWith(QLatin1Char('/')) ||
            (StartsWithNumber(value) && AtoiValue(value) >= 1 && AtoiValue(value) <= kMaxComPort))
            return {};
        return QStringLiteral("There is no port %1. Enter a port number from 1 to %2 (1 is the "
                              "first serial port) or the path of a serial device, such as "
                              "/dev/ttyUSB0.")
            .arg(StartsWithNumber(value) ? QStringLiteral("COM") + port
                                         : QLatin1Char('"') + port + QLatin1Char('"'))
            .arg(kMaxComPort);
    }
    if (!StartsWithNumber(value)) {
        return QStringLiteral("\"%1\" is not a number. \"%2\" takes a whole number.")
            .arg(value, option.label);
    }
    const int number = AtoiValue(value);
    if (option.registryName == QLatin1String("BaudRate") && !IsSupportedBaudRate(number)) {
        return QStringLiteral("The serial port cannot run at %1 baud. The HP48 uses 1200, "
                              "2400, 4800 or 9600.")
            .arg(number);
    }
    return {};
}
