#include "CommandLine.h"

#include "Strings.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

struct OptionSpec
{
    const char* names;     // comma-separated: one letter for -x, longer for --name
    const char* valueName; // nullptr for a switch
    StartMode mode;        // the mode the option chooses, or belongs to
    bool choosesMode;
    const char* help;
};

// Every option of the command line. An option of an existing mode is one more line
// here; the mode's own reader then finds "--name value" among its arguments.
constexpr OptionSpec kOptions[] = {
    {"p", nullptr, StartMode::Print, true, "print the named files on the default printer"},
    {"build", "PROJECT.hpr", StartMode::Build, true,
     "build the project without a window; exit code 0 when every file compiled and the "
     "packaging tools succeeded"},
    {"config", "NAME", StartMode::Build, false,
     "the configuration to build (default: the project's current one)"},
    {"transfer", "FILE", StartMode::Transfer, true,
     "send FILE to the calculator over the serial port"},
    {"name", "NAME", StartMode::Transfer, false, "the name announced to the calculator"},
    {"protocol", "NAME", StartMode::Transfer, false,
     "xmodem or kermit (default: the Transfer Protocol option)"},
    {"simulate", "FILE", StartMode::Simulate, true, "load FILE into the emulator"},
    {"h,help", nullptr, StartMode::Help, true, "show this text"},
    {"version", nullptr, StartMode::Version, true, "show the versions of Velmora and Qt"},
};

// Modes that take files as plain arguments, and how the usage names them.
const char* FileArguments(StartMode mode)
{
    switch (mode) {
    case StartMode::Window:
        return "[FILE...]";
    case StartMode::Print:
        return "FILE...";
    default:
        return nullptr;
    }
}

QStringList Names(const OptionSpec& spec)
{
    return QString::fromLatin1(spec.names).split(QLatin1Char(','));
}

// "--build" or "-p": the option as written on the command line.
QString Dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The option as the usage line of its mode shows it: its longest name and value.
QString UsageForm(const OptionSpec& spec)
{
    QString text = Dashed(Names(spec).last());
    if (spec.valueName) {
        text += QLatin1Char(' ') + QLatin1String(spec.valueName);
    }
    return text;
}

// The options QApplication reads for itself (style, display, platform, ...), with whether
// they take a value. They are left to Qt, which gets the whole command line, so that
// "velmora -style Fusion a.s" works as in any Qt program. "-name" is ours (--transfer).
constexpr struct
{
    const char* name;
    bool takesValue;
} kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"session", true},
    {"display", true},         {"geometry", true},
    {"style", true},           {"stylesheet", true},
    {"reverse", false},        {"nograb", false},
    {"dograb", false},         {"sync", false},
    {"widgetcount", false},
};

// The arguments without Qt's own options and their values.
QStringList WithoutQtOptions(const QStringList& args)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString name = arg.startsWith(QLatin1String("--")) ? arg.mid(2)
                       : arg.startsWith(QLatin1Char('-'))  ? arg.mid(1)
                                                           : QString();
        const bool inlineValue = name.contains(QLatin1Char('='));
        name = name.section(QLatin1Char('='), 0, 0);
        const auto qt =
            std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                         [&name](const auto& o) { return name == QLatin1String(o.name); });
        if (name.isEmpty() || qt == std::end(kQtOptions)) {
            rest << arg;
        } else if (qt->takesValue && !inlineValue) {
            ++i;
        }
    }
    return rest;
}

StartRequest Fail(const QString& error)
{
    StartRequest request;
    request.mode = StartMode::Error;
    request.error = error;
    return request;
}

} // namespace

StartRequest ParseCommandLine(const QStringList& args)
{
    QCommandLineParser parser;
    // -help and --help alike, as the classic one-dash flags were written.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec& spec : kOptions) {
        QCommandLineOption option(Names(spec), QString::fromLatin1(spec.help));
        if (spec.valueName) {
            option.setValueName(QString::fromLatin1(spec.valueName));
        }
        parser.addOption(option);
    }
    if (!parser.parse(QStringList{QStringLiteral("velmora")} + WithoutQtOptions(args))) {
        return Fail(parser.errorText());
    }

    // The help and the version answer whatever else the line holds.
    for (const StartMode mode : {StartMode::Help, StartMode::Version}) {
        for (const OptionSpec& spec : kOptions) {
            if (spec.mode == mode && parser.isSet(Names(spec).first())) {
                StartRequest request;
                request.mode = mode;
                return request;
            }
        }
    }

    const OptionSpec* chosen = nullptr;
    for (const OptionSpec& spec : kOptions) {
        if (!spec.choosesMode || !parser.isSet(Names(spec).first())) {
            continue;
        }
        if (chosen) {
            return Fail(UsageForm(*chosen).section(QLatin1Char(' '), 0, 0) +
                        QStringLiteral(" and ") + Dashed(Names(spec).last()) +
                        QStringLiteral(" can't be combined"));
        }
        chosen = &spec;
    }

    StartRequest request;
    request.mode = chosen ? chosen->mode : StartMode::Window;
    for (const OptionSpec& spec : kOptions) {
        const QString name = Names(spec).first();
        if (!parser.isSet(name)) {
            continue;
        }
        const QString dashed = Dashed(Names(spec).last());
        if (spec.mode != request.mode) {
            const QString mode = chosen ? UsageForm(*chosen).section(QLatin1Char(' '), 0, 0)
                                        : QStringLiteral("the window");
            return Fail(dashed + QStringLiteral(" can't be used with ") + mode);
        }
        const QStringList values = parser.values(name);
        if (values.size() > 1) {
            return Fail(dashed + QStringLiteral(" is given more than once"));
        }
        request.args << dashed << values;
    }

    const QStringList files = parser.positionalArguments();
    if (!FileArguments(request.mode) && !files.isEmpty()) {
        return Fail(QStringLiteral("unexpected argument ") + files.first());
    }
    if (request.mode == StartMode::Print && files.isEmpty()) {
        return Fail(QStringLiteral("-p needs the files to print"));
    }
    request.args << files;
    return request;
}

QString CommandLineUsage()
{
    QString text;
    // One usage line per mode, the window first.
    for (int i = -1; i < int(std::size(kOptions)); ++i) {
        QString line;
        StartMode mode = StartMode::Window;
        if (i >= 0) {
            if (!kOptions[i].choosesMode) {
                continue;
            }
            mode = kOptions[i].mode;
            line = QLatin1Char(' ') + UsageForm(kOptions[i]);
            for (const OptionSpec& spec : kOptions) {
                if (spec.mode == mode && !spec.choosesMode) {
                    line += QStringLiteral(" [") + UsageForm(spec) + QLatin1Char(']');
                }
            }
        }
        if (const char* files = FileArguments(mode)) {
            line += QLatin1Char(' ') + QLatin1String(files);
        }
        text +=
            (text.isEmpty() ? QStringLiteral("Usage: velmora") : QStringLiteral("       velmora")) +
            line + QLatin1Char('\n');
    }
    text += QStringLiteral("\nWithout options Velmora opens its window and in it the named "
                           "source files and projects. The window also takes Qt's own options, "
                           "such as -style NAME, -platform NAME and -display NAME.\n\n");
    for (const OptionSpec& spec : kOptions) {
        QStringList forms;
        for (const QString& name : Names(spec)) {
            forms << Dashed(name);
        }
        QString left = QStringLiteral("  ") + forms.join(QStringLiteral(", "));
        if (spec.valueName) {
            left += QLatin1Char(' ') + QLatin1String(spec.valueName);
        }
        text += left.leftJustified(24) + QLatin1Char(' ') + QLatin1String(spec.help) +
                QLatin1Char('\n');
    }
    return text;
}

QString VersionText()
{
    return LoadString(IDS_ABOUT_VERSION) + QStringLiteral("\nQt ") + QLatin1String(qVersion()) +
           QLatin1Char('\n');
}
