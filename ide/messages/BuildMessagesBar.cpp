#include "BuildMessagesBar.h"

#include "EditorFont.h"
#include "SourceEditView.h"
#include "SourceReference.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

// The text layout of the list: it reports the text at least as wide as the list's
// horizontal extent, so that the scroll bar reaches that far.
class CExtentLayout : public QPlainTextDocumentLayout
{
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;
    QSizeF documentSize() const override
    {
        QSizeF size = QPlainTextDocumentLayout::documentSize();
        size.setWidth(std::max(size.width(), m_extent));
        return size;
    }
    qreal m_extent = 0;
};

CBuildMessagesList::CBuildMessagesList(QWidget* parent) : QPlainTextEdit(parent)
{
    auto* text = new QTextDocument(this);
    m_pLayout = new CExtentLayout(text);
    text->setDocumentLayout(m_pLayout);
    setDocument(text);
    setObjectName(QStringLiteral("BuildMessagesList"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::StrongFocus);
    setFont(EditorFont());
    setFrameShadow(QFrame::Sunken);
    // The text layout asks for a repaint of everything below a change whenever a line
    // is added. Here every change that shows is a line added at the end and selected,
    // and the selection repaints exactly that line; dropping the layout's requests
    // keeps a tool's output from repainting the whole list for every line.
    QObject::disconnect(m_pLayout, SIGNAL(update(QRectF)), nullptr, nullptr);

    m_pMenu = new QMenu(this);
    m_pMenu->setObjectName(QStringLiteral("BuildMessagesMenu"));
    m_pGoToSource = m_pMenu->addAction(tr("&Go to Source"));
    m_pGoToSource->setObjectName(QStringLiteral("GoToSource"));
    m_pMenu->addSeparator();
    m_pJumpToStart = m_pMenu->addAction(tr("Jump to &Start"));
    m_pJumpToStart->setObjectName(QStringLiteral("JumpToStart"));
    m_pJumpToEnd = m_pMenu->addAction(tr("Jump to &End"));
    m_pJumpToEnd->setObjectName(QStringLiteral("JumpToEnd"));
    m_pMenu->addSeparator();
    m_pClear = m_pMenu->addAction(tr("&Clear Messages"));
    m_pClear->setObjectName(QStringLiteral("ClearMessages"));

    connect(m_pGoToSource, &QAction::triggered, this, &CBuildMessagesList::goToSourceRequested);
    connect(m_pJumpToStart, &QAction::triggered, this, [this] {
        if (m_nCount > 0)
            setCurrentRow(0);
    });
    connect(m_pJumpToEnd, &QAction::triggered, this, [this] {
        if (m_nCount > 0)
            setCurrentRow(m_nCount - 1);
    });
    connect(m_pClear, &QAction::triggered, this, &CBuildMessagesList::clearRequested);
}

QString CBuildMessagesList::Text(int row) const
{
    if (row < 0 || row >= m_nCount)
        return {};
    return document()->findBlockByNumber(row).text();
}

void CBuildMessagesList::AddLine(const QString& line)
{
    // A line holds no line breaks: a tool's stray CR or LF would split it.
    QString text = line;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (m_nCount > 0)
        cursor.insertBlock();
    // Error lines stand out in red, the tools' command lines step back.
    QTextCharFormat format;
    switch (ClassifyMessage(text)) {
    case MessageKind::Error: {
        const bool dark = palette().color(QPalette::Base).lightness() < 128;
        format.setForeground(dark ? QColor(255, 120, 110) : QColor(190, 0, 0));
        break;
    }
    case MessageKind::Echo:
        format.setForeground(palette().brush(QPalette::PlaceholderText));
        break;
    case MessageKind::Plain:
        break;
    }
    cursor.insertText(text, format);
    ++m_nCount;
}

void CBuildMessagesList::Clear()
{
    clear();
    m_nCount = 0;
    m_nCurrent = -1;
    setExtraSelections({});
    viewport()->update();
}

void CBuildMessagesList::setCurrentRow(int row)
{
    if (row < 0 || row >= m_nCount) {
        m_nCurrent = -1;
        setExtraSelections({});
        return;
    }
    m_nCurrent = row;
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(document()->findBlockByNumber(row));
    selection.format.setProperty(QTextFormat::FullWidthSelection, true);
    selection.format.setBackground(palette().brush(QPalette::Highlight));
    selection.format.setForeground(palette().brush(QPalette::HighlightedText));
    setExtraSelections({selection});
    setTextCursor(selection.cursor);
    ensureCursorVisible();
}

int CBuildMessagesList::RowAt(const QPoint& pos) const
{
    const int row = cursorForPosition(pos).block().blockNumber();
    if (row < 0 || row >= m_nCount)
        return -1;
    const QRect rect = RowRect(row);
    return pos.y() >= rect.top() && pos.y() <= rect.bottom() ? row : -1;
}

QRect CBuildMessagesList::RowRect(int row) const
{
    const QTextBlock block = document()->findBlockByNumber(row);
    if (!block.isValid())
        return {};
    const QRectF rect = blockBoundingGeometry(block).translated(contentOffset());
    return QRect(0, qRound(rect.top()), viewport()->width(), qRound(rect.height()));
}

void CBuildMessagesList::SetHorizontalExtent(int pixels)
{
    if (m_pLayout->m_extent == pixels)
        return;
    m_pLayout->m_extent = pixels;
    emit m_pLayout->documentSizeChanged(m_pLayout->documentSize());
}

bool CBuildMessagesList::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy)) {
        e->accept();
        return true;
    }
    return QPlainTextEdit::event(e);
}

void CBuildMessagesList::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        if (m_nCurrent >= 0)
            QGuiApplication::clipboard()->setText(Text(m_nCurrent));
        e->accept();
        return;
    }
    const int page = std::max(1, viewport()->height() / std::max(1, fontMetrics().height()));
    int row = m_nCurrent;
    switch (e->key()) {
    case Qt::Key_Up:
        row = std::max(0, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(m_nCount - 1, row + 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(0, row - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(m_nCount - 1, row + page);
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = m_nCount - 1;
        break;
    default:
        e->ignore();
        return;
    }
    if (m_nCount > 0)
        setCurrentRow(row);
    e->accept();
}

void CBuildMessagesList::mousePressEvent(QMouseEvent* e)
{
    // The line under the mouse becomes the selection, with either button; a click
    // below the last line leaves the selection as it is.
    const int row = RowAt(e->position().toPoint());
    if (row >= 0 && (e->button() == Qt::LeftButton || e->button() == Qt::RightButton))
        setCurrentRow(row);
    setFocus(Qt::MouseFocusReason);
    e->accept();
}

void CBuildMessagesList::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
}

void CBuildMessagesList::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
}

void CBuildMessagesList::mouseDoubleClickEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() != Qt::LeftButton)
        return;
    const int row = RowAt(e->position().toPoint());
    if (row >= 0)
        setCurrentRow(row);
    emit goToSourceRequested();
}

void CBuildMessagesList::contextMenuEvent(QContextMenuEvent* e)
{
    m_pMenu->popup(e->globalPos());
    e->accept();
}

CBuildMessagesBar::CBuildMessagesBar(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("BuildMessagesBar"));
    setWindowTitle(tr("Build Messages"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    // The bar is shown and hidden by View > Messages, not closed.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

    m_pHolder = new QWidget(this);
    auto* layout = new QVBoxLayout(m_pHolder);
    m_pList = new CBuildMessagesList(m_pHolder);
    layout->addWidget(m_pList);
    setWidget(m_pHolder);
    UpdateMargins(isFloating());
    connect(this, &QDockWidget::topLevelChanged, this, &CBuildMessagesBar::UpdateMargins);

    connect(m_pList, &CBuildMessagesList::goToSourceRequested, this,
            &CBuildMessagesBar::GoToSource);
    connect(m_pList, &CBuildMessagesList::clearRequested, this, &CBuildMessagesBar::ClearMessages);
}

void CBuildMessagesBar::UpdateMargins(bool floating)
{
    const int margin = floating ? kFloatingMargin : kDockedMargin;
    m_pHolder->layout()->setContentsMargins(margin, margin, margin, margin);
}

void CBuildMessagesBar::AddMessage(const QString& line)
{
    m_pList->AddLine(line);
    m_pList->setCurrentRow(m_pList->count() - 1);
    // Tools may run for a long time without returning to the event loop: each line
    // is painted before the next is added.
    if (isVisible())
        QCoreApplication::sendPostedEvents(m_pList->window(), QEvent::UpdateRequest);
}

void CBuildMessagesBar::ClearMessages()
{
    m_pList->Clear();
}

void CBuildMessagesBar::ShowMessages()
{
    m_bShown = true;
    m_pList->SetHorizontalExtent(kHorizontalExtent);
    show();
    // Lay the main window out now rather than in the event loop, so that the lines a
    // build adds right after this are painted in the bar's place.
    if (QWidget* frame = parentWidget(); frame && frame->layout())
        frame->layout()->activate();
}

void CBuildMessagesBar::HideMessages()
{
    m_bShown = false;
    hide();
}

void CBuildMessagesBar::GoToSource()
{
    const int row = m_pList->currentRow();
    if (row < 0 || !m_openSource)
        return;
    QStringList folders = m_searchFolders ? m_searchFolders() : QStringList();
    folders.append(QDir::currentPath());
    const auto ref = ResolveSourceReference(m_pList->Text(row), folders);
    if (!ref)
        return;
    CSourceEditView* view = m_openSource(ref->fileName);
    if (!view)
        return;
    view->SelectLine(ref->line);
    view->show();
    view->activateWindow();
    view->setFocus(Qt::OtherFocusReason);
    // A double-click ends with the mouse release on the list, which would take the
    // focus back: the editor takes it again once the click is over.
    QTimer::singleShot(0, view, [view] { view->setFocus(Qt::OtherFocusReason); });
}

bool CBuildMessagesBar::GoToError(int step)
{
    const int row = NextErrorRow(m_pList->count(), m_pList->currentRow(), step,
                                 [this](int r) { return ClassifyMessage(m_pList->Text(r)); });
    if (row < 0) {
        QApplication::beep();
        return false;
    }
    m_pList->setCurrentRow(row);
    GoToSource();
    return true;
}

void CBuildMessagesBar::closeEvent(QCloseEvent* e)
{
    e->ignore();
}
