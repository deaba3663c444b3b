#include "PrintFiles.h"

#include "Prompt.h"
#include "SourceDocument.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>

namespace {

bool Fail(const QString& text)
{
    Prompt().MessageBox(text, QString(), Mb::Ok | Mb::IconError);
    return false;
}

} // namespace

bool PrintSourceFiles(const QStringList& files, QPrinter& printer)
{
    // Without any printer set up Qt falls back to a PDF file, which needs a name.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        return Fail(QStringLiteral("No printer is set up to print on."));
    }
    for (const QString& path : files) {
        if (QFileInfo(path).suffix().compare(QLatin1String("hpr"), Qt::CaseInsensitive) == 0) {
            return Fail(path + QStringLiteral(" is a project; only source files can be printed."));
        }
        CSourceDocument document;
        if (!document.OnOpenDocument(path)) {
            return false;
        }
        printer.setDocName(QFileInfo(path).fileName());
        document.GetTextDocument()->print(&printer);
        if (printer.printerState() == QPrinter::Error) {
            return Fail(QStringLiteral("The printer could not print ") + path + QLatin1Char('.'));
        }
    }
    return true;
}
