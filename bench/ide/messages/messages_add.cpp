// 5,000 AddMessage calls on a shown build messages window in a main window, each line
// painted before the next is added, as a chatty tool's output arrives. Prints the total
// and the time per line; the goal is under one second in total.
#include "BuildMessagesBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <cstdio>
#include <ctime>

// Processor time of the whole process: on a busy machine the wall clock also counts
// the time other programs had the processor.
static double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
    for (int round = 0; round < 3; ++round) {
        // As in the program: document windows above, the bar docked below them at
        // the height it takes by itself.
        QMainWindow window;
        window.resize(1024, 768);
        window.setCentralWidget(new QMdiArea);
        auto* bar = new CBuildMessagesBar(&window);
        window.addDockWidget(Qt::BottomDockWidgetArea, bar);
        window.show();
        bar->ShowMessages();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200)
            QApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        const double cpuStart = CpuMs();
        for (int i = 0; i < lines; ++i) {
            bar->AddMessage(QStringLiteral("\"MAIN.S\", line %1: undefined symbol "
                                           "=SOMETHING referenced from the code block")
                                .arg(i + 1));
        }
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const double cpu = CpuMs() - cpuStart;
        std::printf("round %d: %d AddMessage calls in %.1f ms (%.3f ms per line; %.1f ms of "
                    "processor time), %d lines visible\n",
                    round + 1, lines, ms, ms / lines, cpu,
                    bar->GetList()->viewport()->height() / bar->GetList()->fontMetrics().height());
    }
    return 0;
}
