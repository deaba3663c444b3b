#include "HelpWindow.h"

#include <QUrl>

const char* const CHelpWindow::kGuide = "qrc:/velmora/docs/user-guide.md";

CHelpWindow::CHelpWindow(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Velmora Help"));
    setOpenExternalLinks(true);
    setSource(QUrl(QString::fromLatin1(kGuide)), QTextDocument::MarkdownResource);
    resize(760, 640);
}
