#include "StartupChecks.h"

#include "Options.h"
#include "Prompt.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {
const QString kToolLocation = QStringLiteral("ToolLocation");
const QString kGnuMode = QStringLiteral("GNUToolsMode");
} // namespace

const QStringList& ToolFiles()
{
    static const QStringList files = {
        QStringLiteral("SASM.EXE"),   QStringLiteral("RPLCOMP.EXE"), QStringLiteral("SLOAD.EXE"),
        QStringLiteral("USRLIB.EXE"), QStringLiteral("Wendrix.EXE"), QStringLiteral("ENTRIES.O"),
    };
    return files;
}

QString MissingToolList(const QString& toolLocation)
{
    QString list;
    for (const QString& file : ToolFiles()) {
        // A directory entry of that name counts, as the file is not opened.
        if (!QFileInfo::exists(toolLocation + QLatin1Char('/') + file)) {
            list += QLatin1Char('\n') + file;
        }
    }
    return list;
}

void CheckTools(const COptionTable& options)
{
    const QString location = options.GetOption(kToolLocation);
    const QString missing = MissingToolList(location);
    if (!missing.isEmpty()) {
        Prompt().MessageBox(LoadString(IDS_TOOLS_MISSING).arg(location, missing), QString(),
                            Mb::Ok | Mb::IconError);
    }
}

bool IsBundledToolLocation(const COptionTable& options)
{
    const int row = options.FindOption(kToolLocation);
    if (row < 0) {
        return false;
    }
    const QString bundled =
        QFileInfo(options.GetOptions().at(row).defaultValue).canonicalFilePath();
    return !bundled.isEmpty() &&
           QFileInfo(options.GetOption(kToolLocation)).canonicalFilePath() == bundled;
}

void DetectToolSet(COptionTable& options)
{
    if (!options.GetOptionBool(QStringLiteral("AutoDetectTools")) ||
        IsBundledToolLocation(options)) {
        return;
    }
    QFile sasm(options.GetOption(kToolLocation) + QStringLiteral("/SASM.EXE"));
    if (!sasm.open(QIODevice::ReadOnly)) {
        return;
    }
    const bool gnu = sasm.size() < kHpSasmMinSize;
    const bool gnuMode = options.GetOptionBool(kGnuMode);
    const unsigned question = gnu && !gnuMode   ? IDS_GNU_DETECTED
                              : !gnu && gnuMode ? IDS_HP_DETECTED
                                                : 0;
    // The answer is saved at once, so that the question does not return at every start.
    if (question && Prompt().MessageBox(LoadString(question), QString(), Mb::YesNo) == IDYES) {
        options.SetOption(kGnuMode, gnu ? QStringLiteral("Yes") : QStringLiteral("No"));
        options.SaveOption(kGnuMode);
    }
}

void ChangeToDefaultDir(const COptionTable& options)
{
    const QString dir = options.GetOption(QStringLiteral("DefaultDir"));
    const int row = options.FindOption(QStringLiteral("DefaultDir"));
    if (!dir.isEmpty() && row >= 0 && dir == options.GetOptions().at(row).defaultValue) {
        // The default folder (beside the program, or in the home folder for an
        // installed copy) is made on the first start; a folder the user chose is not.
        QDir().mkpath(dir);
    }
    errno = 0;
    if (::chdir(QFile::encodeName(dir).constData()) == 0) {
        return;
    }
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
        Prompt().MessageBox(LoadString(IDS_DEFAULT_DIR_MISSING) + dir, LoadString(IDS_APP_TITLE),
                            Mb::Ok);
    } else {
        Prompt().MessageBox(LoadString(IDS_DEFAULT_DIR_ERROR).arg(error).arg(dir),
                            LoadString(IDS_ERROR_CAPTION), Mb::Ok);
    }
}
