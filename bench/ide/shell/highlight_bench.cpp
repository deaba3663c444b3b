// Colouring the largest source the editor opens (64,900 bytes of System RPL with CODE
// and ASSEMBLE blocks) from scratch, and again after one character typed in the middle.
// Entry names come from the entries table given as the argument, or the one beside the
// program. Prints the best and the median time of each.
#include "EditorEntries.h"
#include "SourceHighlighter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString MixedSource(qsizetype size)
{
    QString text;
    for (int i = 0; text.size() < size; ++i) {
        text += QStringLiteral("* Routine %1: checks its argument, then runs machine code\n"
                               "NULLNAME Routine%1\n"
                               "::\n"
                               "  CK1&Dispatch\n"
                               "  # 1C ( a list of reals ) DUP %1 %+ SWAP\n"
                               "  { %0 %1 } $ \"Done: %1\" DROPFALSE\n"
                               "  CODE\n"
                               "Loop%1  GOSBVL =SAVPTR   keep the RPL pointers\n"
                               "        A=DAT1  A        level 1\n"
                               "        LC(5)   #%1      count\n"
                               "        ?A=C    A\n"
                               "        GOYES   Done%1\n"
                               "        NIBASC  \\HPHP48-R\\\n"
                               "Done%1  GOVLNG  =GETPTRLOOP\n"
                               "  ENDCODE\n"
                               "  ASSEMBLE\n"
                               "        CON(1)  8\n"
                               "  RPL\n"
                               ";\n")
                    .arg(i);
    }
    text.truncate(size);
    return text;
}

struct Figures
{
    double best = 0;
    double median = 0;
};

Figures Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString table = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                   : QApplication::applicationDirPath() + "/HPTools/ENTRIES.O";
    QString error;
    const std::vector<EntryName>& entries = SharedEntries(table, error);
    std::printf("entries table: %s, %zu names%s%s\n", qPrintable(table), entries.size(),
                error.isEmpty() ? "" : ", ", qPrintable(error));

    QTextDocument text;
    // The editor's text layout: without one the document reports no changes.
    text.setDocumentLayout(new QPlainTextDocumentLayout(&text));
    text.setPlainText(MixedSource(64900));
    auto* colours = new CSourceHighlighter(&text);
    colours->SetPalette(QApplication::palette());
    colours->SetEntries(entries, table);
    // The highlighter colours a new document from the event loop; let that happen first,
    // so that typing below is coloured as in the editor.
    QApplication::processEvents();
    std::printf("text: %d characters, %d lines\n", text.characterCount() - 1, text.blockCount());

    std::vector<double> scratch;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        colours->rehighlight();
        scratch.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    // One character typed at the start of a line in the middle, inside a CODE block
    // and in RPL, each time taken back again.
    std::vector<double> typing;
    for (int i = 0; i < 200; ++i) {
        const QTextBlock block = text.findBlockByNumber(text.blockCount() / 2 + i % 19);
        QTextCursor at(block);
        at.movePosition(QTextCursor::EndOfWord);
        QElapsedTimer timer;
        timer.start();
        at.insertText(QStringLiteral("x"));
        typing.push_back(double(timer.nsecsElapsed()) / 1e6);
        at.deletePreviousChar();
    }

    // The figure means something only if typing does colour again: a word that opens
    // an assembly block must change the state of the line after it at once.
    QTextBlock program = text.findBlockByNumber(text.blockCount() / 2);
    while (program.isValid() && program.text() != QStringLiteral("::"))
        program = program.next();
    QTextCursor at(program);
    at.insertText(QStringLiteral("ASSEMBLE "));
    const bool live = at.block().next().userState() == SourceLexer::kAsmAssemble;
    at.movePosition(QTextCursor::StartOfBlock);
    at.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    at.removeSelectedText();
    if (!live) {
        std::printf("typing did not colour again\n");
        return 1;
    }

    const Figures s = Summarise(scratch);
    const Figures t = Summarise(typing);
    std::printf("from scratch:       best %.2f ms, median %.2f ms (goal < 30 ms)\n", s.best,
                s.median);
    std::printf("typing a character: best %.3f ms, median %.3f ms (goal < 2 ms)\n", t.best,
                t.median);
    return 0;
}
