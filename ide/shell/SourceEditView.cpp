#include "SourceEditView.h"

#include "EditorFont.h"
#include "Prompt.h"
#include "SourceDocument.h"
#include "SourceFindDialog.h"
#include "SourceText.h"
#include "TitleMarker.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

CSourceEditView::CSourceEditView(CSourceDocument* document, QWidget* parent)
    : QPlainTextEdit(parent), m_pDocument(document)
{
    setObjectName(QStringLiteral("SourceEditView"));
    if (document) {
        setDocument(document->GetTextDocument());
        document->AddView(this);
    }
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFont(EditorFont());
    setTabStopDistance(2 * fontMetrics().averageCharWidth());
    setViewportMargins(kLeftMargin, 0, 0, 0);

    // The selection stays visible while another window has the focus, so that a line
    // chosen from the build messages still shows.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    m_pTitleTimer = new QTimer(this);
    m_pTitleTimer->setObjectName(QStringLiteral("TitleTimer"));
    m_pTitleTimer->setInterval(kTitleTimerMs);
    connect(m_pTitleTimer, &QTimer::timeout, this, &CSourceEditView::UpdateTitleMarker);
    m_pTitleTimer->start();
}

CSourceEditView::~CSourceEditView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

QSize CSourceEditView::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {kLeftMargin + 80 * metrics.horizontalAdvance(QLatin1Char('x')) +
                verticalScrollBar()->sizeHint().width() + 2 * frameWidth() + 8,
            30 * metrics.lineSpacing() + horizontalScrollBar()->sizeHint().height() +
                2 * frameWidth() + 8};
}

void CSourceEditView::UpdateLineCol()
{
    // The caret's place is the end of the selection, whichever way it was made.
    const int end = textCursor().selectionEnd();
    const QTextBlock block = document()->findBlock(end);
    const int inBlock = end - block.position();
    const int column = SourceText::CaretColumn(QStringView(block.text()).left(inBlock));
    emit statusText(SourceText::LineColText(block.blockNumber() + 1, column));
}

void CSourceEditView::SelectLine(int n)
{
    QTextCursor cursor(document());
    const QTextBlock block = document()->findBlockByNumber(n - 1);
    if (n < 1 || !block.isValid()) {
        cursor.movePosition(QTextCursor::End);
    } else {
        // The line's text, with the caret at its end: the caret stays on the line, and
        // so does the line number in the status bar.
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
    centerCursor();
    UpdateLineCol();
}

void CSourceEditView::InsertAtSelection(const QString& text)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.insertText(text);
    cursor.setPosition(start);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CSourceEditView::UpdateTitleMarker()
{
    if (!m_pDocument)
        return;
    m_pDocument->SetTitle(ApplyTitleMarker(m_pDocument->GetTitle(), m_pDocument->IsModified()));
}

bool CSourceEditView::CanUndo() const
{
    return document()->isUndoAvailable();
}

bool CSourceEditView::HasSelection() const
{
    return textCursor().hasSelection();
}

void CSourceEditView::OnEditFind()
{
    OpenFindDialog(false);
}

void CSourceEditView::OnEditReplace()
{
    OpenFindDialog(true);
}

void CSourceEditView::OnEditRepeat()
{
    FindNext();
}

void CSourceEditView::OpenFindDialog(bool replace)
{
    if (m_pFindDialog && m_pFindDialog->IsReplace() != replace) {
        m_pFindDialog->close();
        m_pFindDialog->deleteLater();
    }
    if (!m_pFindDialog || m_pFindDialog->IsReplace() != replace) {
        m_pFindDialog = new CSourceFindDialog(this, replace);
        m_pFindDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pFindDialog->Prepare(textCursor().selectedText());
    m_pFindDialog->show();
    m_pFindDialog->raise();
    m_pFindDialog->activateWindow();
}

bool CSourceEditView::FindNext()
{
    const SourceFindState& state = SourceFindState::Current();
    if (state.findText.isEmpty()) {
        QApplication::beep();
        return false;
    }
    QTextDocument::FindFlags flags;
    if (state.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (state.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    if (!state.down)
        flags |= QTextDocument::FindBackward;
    QTextCursor found = document()->find(state.findText, textCursor(), flags);
    if (found.isNull()) {
        // Go on from the other end of the text, once.
        QTextCursor wrap(document());
        if (!state.down)
            wrap.movePosition(QTextCursor::End);
        found = document()->find(state.findText, wrap, flags);
    }
    if (found.isNull()) {
        QApplication::beep();
        return false;
    }
    setTextCursor(found);
    ensureCursorVisible();
    return true;
}

void CSourceEditView::ReplaceCurrent()
{
    const SourceFindState& state = SourceFindState::Current();
    QTextCursor cursor = textCursor();
    const Qt::CaseSensitivity cs = state.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(state.findText, cs) == 0) {
        cursor.insertText(SourceText::ToEditable(state.replaceText));
        setTextCursor(cursor);
    }
    FindNext();
}

int CSourceEditView::ReplaceAll()
{
    const SourceFindState& state = SourceFindState::Current();
    if (state.findText.isEmpty())
        return 0;
    QTextDocument::FindFlags flags;
    if (state.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (state.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QString replacement = SourceText::ToEditable(state.replaceText);
    int count = 0;
    QTextCursor edit(document());
    edit.beginEditBlock();
    QTextCursor found = document()->find(state.findText, 0, flags);
    while (!found.isNull()) {
        found.insertText(replacement);
        ++count;
        found = document()->find(state.findText, found, flags);
    }
    edit.endEditBlock();
    if (count == 0)
        QApplication::beep();
    return count;
}

bool CSourceEditView::IsWindowShortcut(const QKeySequence& key) const
{
    const QWidget* top = window();
    if (!top || top == this)
        return false;
    const auto actions = top->findChildren<QAction*>();
    for (const QAction* action : actions) {
        if (action->shortcuts().contains(key))
            return true;
    }
    return false;
}

bool CSourceEditView::event(QEvent* e)
{
    // The main window's commands own their keys (Ctrl+A adds files to the project,
    // Escape toggles the build messages): the editor does not claim a key that a
    // command of the window has. A disabled command's key still reaches the editor.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (IsWindowShortcut(QKeySequence(key->keyCombination()))) {
            e->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(e);
}

void CSourceEditView::keyPressEvent(QKeyEvent* e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    // At the size limit typing stops, so that the file can still be opened once saved.
    if (enter || (!e->text().isEmpty() && e->text().at(0).isPrint())) {
        if (!HasRoomFor(enter ? QStringLiteral("\n\t") : e->text())) {
            QApplication::beep();
            e->accept();
            return;
        }
    }
    if (enter && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        // Shift+Enter too makes a new line, never a soft line break.
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.insertBlock();
        const int noted = cursor.blockNumber() - 1;
        const int tabs = SourceText::IndentAfterEnter(
            [this](int line) { return document()->findBlockByNumber(line).text(); }, noted);
        if (tabs > 0)
            cursor.insertText(QString(tabs, QLatin1Char('\t')));
        cursor.endEditBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
        e->accept();
        return;
    }
    const QString text = e->text();
    const QString editable = SourceText::ToEditable(text);
    if (!text.isEmpty() && editable != text && text.at(0).isPrint()) {
        // A character a Latin-1 file can't hold.
        textCursor().insertText(editable);
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void CSourceEditView::keyReleaseEvent(QKeyEvent* e)
{
    QPlainTextEdit::keyReleaseEvent(e);
    UpdateLineCol();
}

void CSourceEditView::mouseReleaseEvent(QMouseEvent* e)
{
    QPlainTextEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        UpdateLineCol();
}

void CSourceEditView::focusInEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusInEvent(e);
    UpdateLineCol();
}

void CSourceEditView::focusOutEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusOutEvent(e);
    emit statusText(QString());
}

bool CSourceEditView::HasRoomFor(const QString& text) const
{
    // The selection goes, the text comes; the widget counts one character more than
    // the text holds (the end of the last line).
    const QTextCursor cursor = textCursor();
    const qsizetype chars = document()->characterCount() - 1 -
                            (cursor.selectionEnd() - cursor.selectionStart()) + text.size();
    const qsizetype lines = document()->blockCount() + text.count(QLatin1Char('\n'));
    return SourceText::FitsInEditor(chars, lines);
}

void CSourceEditView::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    const QString text = SourceText::ToEditable(source->text());
    if (!HasRoomFor(text)) {
        // The file could not be opened again once saved: nothing is pasted.
        Prompt().MessageBox(QStringLiteral("The text is too large to paste: the file would "
                                           "hold %1 characters or more.")
                                .arg(SourceText::kMaxChars),
                            QString(), Mb::Ok | Mb::IconWarning);
        return;
    }
    textCursor().insertText(text);
}
