// How the source editor copes with large files: for texts of 1 to 16 MB (lines of 60
// characters, as assembly sources have), the time to open the text in a shown editor
// window, to type one character in its middle with the window repainted, and to jump
// to its last line. The editor's size limit is chosen from these figures.
//
//   editor_size_bench [keystrokes]      (default 40; run with QT_QPA_PLATFORM=offscreen)
#include "SourceDocument.h"
#include "SourceEditView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray SourceOfSize(qsizetype bytes)
{
    const QByteArray line = "\tA=DAT0\tA\t\t* a line of an assembly source, 60 chars\n";
    QByteArray text;
    text.reserve(bytes + line.size());
    while (text.size() < bytes)
        text += line;
    return text;
}

double Ms(const QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int keystrokes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    std::printf("%8s %10s %14s %14s %12s\n", "size MB", "open ms", "key median ms", "key worst ms",
                "to end ms");
    for (const int megabytes : {1, 2, 4, 8, 16}) {
        const QByteArray file = SourceOfSize(qsizetype(megabytes) * 1024 * 1024 - 4096);
        CSourceDocument document;
        CSourceEditView view(&document);
        view.resize(900, 700);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return 1;

        QElapsedTimer t;
        t.start();
        // The text in one call, as loading hands it over (the bench looks past the limit,
        // so it skips the size check).
        document.GetTextDocument()->setPlainText(QString::fromLatin1(file));
        view.moveCursor(QTextCursor::Start);
        QCoreApplication::processEvents();
        const double open = Ms(t);

        QTextCursor middle(document.GetTextDocument()->findBlockByNumber(
            document.GetTextDocument()->blockCount() / 2));
        view.setTextCursor(middle);
        view.centerCursor();
        QCoreApplication::processEvents();
        std::vector<double> keys;
        for (int i = 0; i < keystrokes; ++i) {
            t.restart();
            QTest::keyClick(&view, Qt::Key_X);
            view.repaint();
            QCoreApplication::processEvents();
            keys.push_back(Ms(t));
        }
        std::sort(keys.begin(), keys.end());

        t.restart();
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        view.repaint();
        QCoreApplication::processEvents();
        const double toEnd = Ms(t);
        std::printf("%8d %10.0f %14.2f %14.2f %12.1f\n", megabytes, open, keys[keys.size() / 2],
                    keys.back(), toEnd);
        std::fflush(stdout);
    }
    return 0;
}
