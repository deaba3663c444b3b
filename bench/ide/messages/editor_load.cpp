// Loading a source of about 64 KB (just under the editor's limit) into a document with
// its view shown, and turning away a 1 MB file. Prints the time of each.
#include "PromptRecorder.h"
#include "SourceDocument.h"
#include "SourceEditView.h"
#include "SourceText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString WriteSource(const QTemporaryDir& dir, const QString& name, qsizetype bytes)
{
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "\t\tDUP #" + QByteArray::number(i) + " EQUAL ITE :: DROP TRUE ; FALSE\r\n";
    text.truncate(bytes);
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text);
    return file.fileName();
}

double TimeOpen(const QString& path, bool withView)
{
    CSourceDocument doc;
    CSourceEditView* view = withView ? new CSourceEditView(&doc) : nullptr;
    if (view) {
        view->resize(1000, 700);
        view->show();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 100)
            QApplication::processEvents();
    }
    QElapsedTimer timer;
    timer.start();
    const bool ok = doc.OnOpenDocument(path);
    if (view)
        view->repaint();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    delete view;
    return ok ? ms : -ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CPromptRecorder prompt; // the too-large message is recorded, not shown
    QTemporaryDir dir;
    // CR LF lines, so that the text keeps its size and stays just under the limit.
    const QString source = WriteSource(dir, "big.s", 64900);
    const QString huge = WriteSource(dir, "huge.s", 1 << 20);
    for (int round = 0; round < 3; ++round) {
        std::printf("round %d: 64,900-byte source: %.1f ms with the view shown, %.1f ms "
                    "document only; 1 MB file refused in %.2f ms\n",
                    round + 1, TimeOpen(source, true), TimeOpen(source, false),
                    -TimeOpen(huge, false));
    }
    return 0;
}
