// The build messages window in a main window: lines in order with the latest selected,
// the right-button menu and its selection rules, margins, and the jump from each kind
// of error line to the source line, or nowhere.
#include "BuildMessagesBar.h"
#include "SourceDocument.h"
#include "SourceEditView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        count += e->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

class MessagesBarTest : public testing::Test
{
protected:
    MessagesBarTest() : m_bar(new CBuildMessagesBar(&m_window))
    {
        m_window.resize(800, 600);
        m_window.addDockWidget(Qt::BottomDockWidgetArea, m_bar);
        m_window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        m_bar->SetSourceOpener([this](const QString& path) { return Open(path); });
    }
    ~MessagesBarTest() override { QDir::setCurrent(m_oldDir); }

    // Opens path as a source document in a view of its own, once per path.
    CSourceEditView* Open(const QString& path)
    {
        m_opened.append(path);
        auto doc = std::make_unique<CSourceDocument>();
        if (!doc->OnOpenDocument(path))
            return nullptr;
        m_views.push_back(std::make_unique<CSourceEditView>(doc.get()));
        m_docs.push_back(std::move(doc));
        return m_views.back().get();
    }
    // A source of ten numbered lines in the temporary folder, which becomes the current
    // folder as it is during a build.
    void MakeSource(const QString& name)
    {
        QFile file(m_tmp.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 10; ++i)
            file.write("line " + QByteArray::number(i) + "\n");
        file.close();
        QDir::setCurrent(m_tmp.path());
    }
    QString SelectedInEditor() const
    {
        return m_views.empty() ? QString() : m_views.back()->textCursor().selectedText();
    }
    QPoint RowCenter(int row) const { return m_bar->GetList()->RowRect(row).center(); }
    void Jump(const QString& message)
    {
        m_bar->AddMessage(message);
        CBuildMessagesList* list = m_bar->GetList();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowCenter(list->count() - 1));
    }

    QMainWindow m_window;
    CBuildMessagesBar* m_bar;
    QTemporaryDir m_tmp;
    QString m_oldDir = QDir::currentPath();
    QStringList m_opened;
    std::vector<std::unique_ptr<CSourceDocument>> m_docs;
    std::vector<std::unique_ptr<CSourceEditView>> m_views;
};

TEST_F(MessagesBarTest, LinesStayInOrderAndTheLatestIsSelected)
{
    EXPECT_EQ(m_bar->windowTitle(), "Build Messages");
    EXPECT_EQ(m_window.dockWidgetArea(m_bar), Qt::BottomDockWidgetArea);
    IBuildMessages& messages = *m_bar;
    messages.ShowMessages();
    for (const char* line : {"zeta", "alpha", "mid"})
        messages.AddMessage(line);
    CBuildMessagesList* list = m_bar->GetList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->Text(0), "zeta");
    EXPECT_EQ(list->Text(2), "mid");
    EXPECT_EQ(list->currentRow(), 2);
    messages.AddMessage("two\nlines");
    EXPECT_EQ(list->count(), 4) << "a line break inside a message does not split it";

    // Each line is painted before the next one is added, without the event loop.
    PaintCounter paints(list->viewport());
    for (int i = 0; i < 200; ++i) {
        messages.AddMessage(QString::number(i));
        ASSERT_EQ(paints.count, i + 1) << "line " << i << " was not painted at once";
        ASSERT_TRUE(list->viewport()->rect().contains(list->RowRect(i + 4).center()))
            << "line " << i << " is not scrolled into view";
    }

    messages.ClearMessages();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->currentRow(), -1);
    messages.AddMessage("after");
    EXPECT_EQ(list->Text(0), "after");
}

TEST_F(MessagesBarTest, WhatIsOnScreenIsTheWholeListAfterEveryLine)
{
    // The list paints only what changes when a line is added; what the screen shows
    // must still equal a full repaint, before and after the list starts to scroll.
    CBuildMessagesList* list = m_bar->GetList();
    QWidget* viewport = list->viewport();
    const int visible = viewport->height() / list->fontMetrics().height();
    ASSERT_GT(visible, 2);
    for (int i = 0; i < visible + 5; ++i) {
        m_bar->AddMessage(QStringLiteral("line %1 of the output").arg(i));
        const QPoint at = viewport->mapTo(&m_window, QPoint(0, 0));
        const QImage shown = m_window.screen()
                                 ->grabWindow(m_window.winId(), at.x(), at.y(), viewport->width(),
                                              viewport->height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage full = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown, full) << "after line " << i;
    }
}

TEST_F(MessagesBarTest, ShowHideAndCloseRequests)
{
    m_bar->HideMessages();
    EXPECT_FALSE(m_bar->isVisible());
    EXPECT_FALSE(m_bar->IsShown());
    QApplication::processEvents();
    m_bar->ShowMessages();
    EXPECT_TRUE(m_bar->isVisible());
    EXPECT_TRUE(m_bar->IsShown());
    PaintCounter paints(m_bar->GetList()->viewport());
    m_bar->AddMessage("first line after showing");
    EXPECT_EQ(paints.count, 1) << "the bar is laid out and painted without the event loop";
    EXPECT_FALSE(m_bar->close()) << "the bar ignores a close request";
    EXPECT_TRUE(m_bar->isVisible());
}

TEST_F(MessagesBarTest, ShownListScrollsSidewaysAtLeast1024Pixels)
{
    CBuildMessagesList* list = m_bar->GetList();
    m_bar->ShowMessages();
    m_bar->AddMessage("short");
    QApplication::processEvents();
    const int width = list->viewport()->width();
    ASSERT_LT(width, 1024);
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 1024 - width);
    EXPECT_TRUE(list->horizontalScrollBar()->isVisible());

    m_bar->AddMessage(QString(400, 'x')); // wider than the extent
    QApplication::processEvents();
    EXPECT_GT(list->horizontalScrollBar()->maximum(), 1024 - width);
}

TEST_F(MessagesBarTest, MarginsAreFourDockedAndTwoFloating)
{
    QLayout* layout = m_bar->widget()->layout();
    EXPECT_EQ(layout->contentsMargins(), QMargins(4, 4, 4, 4));
    m_bar->setFloating(true);
    EXPECT_EQ(layout->contentsMargins(), QMargins(2, 2, 2, 2));
    m_bar->setFloating(false);
    EXPECT_EQ(layout->contentsMargins(), QMargins(4, 4, 4, 4));
}

TEST_F(MessagesBarTest, RightButtonMenuAndItsSelection)
{
    for (const char* line : {"one", "two", "three"})
        m_bar->AddMessage(line);
    CBuildMessagesList* list = m_bar->GetList();

    QStringList entries;
    for (const QAction* action : list->GetPopupMenu()->actions())
        entries.append(action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(entries, QStringList({"&Go to Source", "-", "Jump to &Start", "Jump to &End", "-",
                                    "&Clear Messages"}));

    QTest::mousePress(list->viewport(), Qt::RightButton, {}, RowCenter(0));
    EXPECT_EQ(list->currentRow(), 0) << "the line under the mouse is selected";
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, RowCenter(0));

    const QPoint below(10, list->viewport()->height() - 3);
    ASSERT_EQ(list->RowAt(below), -1);
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, below);
    EXPECT_EQ(list->currentRow(), 0) << "below the last line the selection stays";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(list->currentRow(), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCenter(1));
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 2);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "three") << "Ctrl+C copies the line";

    list->GetJumpToStartAction()->trigger();
    EXPECT_EQ(list->currentRow(), 0);
    list->GetJumpToEndAction()->trigger();
    EXPECT_EQ(list->currentRow(), 2);
    list->GetJumpToStartAction()->trigger();
    EXPECT_EQ(list->currentRow(), 0);
    list->GetClearAction()->trigger();
    EXPECT_EQ(list->count(), 0);
    list->GetJumpToEndAction()->trigger(); // nothing to jump to
}

TEST_F(MessagesBarTest, EachErrorFormJumpsToItsLine)
{
    MakeSource("Main.S");
    const QString stored = QDir(m_tmp.path()).absoluteFilePath("Main.S");

    Jump("*** ERROR in \"MAIN.S\" on line 7: Unknown word");
    ASSERT_EQ(m_opened, QStringList{stored});
    EXPECT_EQ(SelectedInEditor(), QString("line 7"));

    Jump("\"main.s\", line 3: undefined");
    EXPECT_EQ(m_opened.value(1), stored) << "opened under the stored name";
    EXPECT_EQ(SelectedInEditor(), QString("line 3"));

    Jump("main.s: 10: bad opcode");
    EXPECT_EQ(m_opened.value(2), stored);
    EXPECT_EQ(SelectedInEditor(), QString("line 10"));

    m_bar->AddMessage("MAIN.S: 2: x");
    m_bar->GetList()->GetGoToSourceAction()->trigger();
    EXPECT_EQ(SelectedInEditor(), QString("line 2"));
    EXPECT_EQ(m_opened.size(), 4);
}

TEST_F(MessagesBarTest, LinesThatNameNoSourceDoNothing)
{
    MakeSource("Main.S");
    for (const char* line : {"No Errors", "Running SASM.EXE:", "Error: 3: cannot open",
                             "MAIN.S: 0: x", "MAIN.S: x: y", "*** ERROR in \"MAIN.S on line 7: x",
                             "\"MAIN.S\", row 3: x", "OTHER.S: 3: x", "MAIN.S: 4"})
        Jump(line);
    EXPECT_TRUE(m_opened.isEmpty()) << m_opened.join(", ").toStdString();

    m_bar->ClearMessages();
    m_bar->GoToSource(); // no line selected
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(MessagesBarTest, F4StepsThroughErrorLinesInRedWithEchoesDimmed)
{
    MakeSource("Main.S");
    const QStringList lines = {"[RPLCOMP.EXE MAIN.S MAIN.A]", "MAIN.S: 2: a",
                               "Running SASM.EXE:", "\"MAIN.S\", line 5: b", "No Errors"};
    for (const QString& line : lines)
        m_bar->AddMessage(line);
    const auto colour = [this](int row) {
        QTextBlock block = m_bar->GetList()->document()->findBlockByNumber(row);
        return block.begin().fragment().charFormat().foreground().color();
    };
    const QColor plain = colour(2);
    EXPECT_EQ(colour(0), m_bar->GetList()->palette().color(QPalette::PlaceholderText));
    EXPECT_NE(colour(1), plain);
    EXPECT_EQ(colour(1), colour(3));
    EXPECT_EQ(colour(4), plain);

    // From the last line F4 goes round to the first error; Shift+F4 steps back again.
    const int expected[][2] = {{1, 2}, {3, 5}, {1, 2}};
    for (const auto& [row, line] : expected) {
        ASSERT_TRUE(m_bar->GoToError(1));
        EXPECT_EQ(m_bar->GetList()->currentRow(), row);
        EXPECT_EQ(SelectedInEditor(), QString("line %1").arg(line));
    }
    ASSERT_TRUE(m_bar->GoToError(-1));
    EXPECT_EQ(m_bar->GetList()->currentRow(), 3);

    m_bar->ClearMessages();
    m_bar->AddMessage("No Errors");
    EXPECT_FALSE(m_bar->GoToError(1));
    EXPECT_EQ(m_bar->GetList()->currentRow(), 0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
