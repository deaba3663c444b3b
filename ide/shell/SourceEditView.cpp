#include "SourceEditView.h"

#include "EditorEntries.h"
#include "EditorFont.h"
#include "Prompt.h"
#include "SourceDocument.h"
#include "SourceFindDialog.h"
#include "SourceHighlighter.h"
#include "SourceText.h"
#include "TitleMarker.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

namespace {

CSourceEditView::SettingsSource& Settings()
{
    static CSourceEditView::SettingsSource source;
    return source;
}

// The strip left of the text that shows the line numbers; the editor paints it.
class CLineNumberArea : public QWidget
{
public:
    explicit CLineNumberArea(CSourceEditView* editor) : QWidget(editor), m_pEditor(editor)
    {
        setObjectName(QStringLiteral("LineNumberArea"));
    }
    QSize sizeHint() const override { return {m_pEditor->LineNumberAreaWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* e) override { m_pEditor->PaintLineNumbers(e); }

private:
    CSourceEditView* m_pEditor;
};

} // namespace

void CSourceEditView::SetSettingsSource(SettingsSource source)
{
    Settings() = std::move(source);
}

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

    m_pLineNumbers = new CLineNumberArea(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(LineNumberAreaWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &CSourceEditView::UpdateLineNumberArea);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &CSourceEditView::UpdateExtraSelections);
    setViewportMargins(LineNumberAreaWidth(), 0, 0, 0);

    m_pHighlighter = CSourceHighlighter::Of(QPlainTextEdit::document());
    m_pCompletions = new QStringListModel(this);
    m_pCompleter = new QCompleter(m_pCompletions, this);
    m_pCompleter->setObjectName(QStringLiteral("EntryCompleter"));
    m_pCompleter->setWidget(this);
    m_pCompleter->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_pCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    m_pCompleter->setMaxVisibleItems(12);
    connect(m_pCompleter, qOverload<const QString&>(&QCompleter::activated), this,
            &CSourceEditView::InsertCompletion);
    m_pCompleter->popup()->installEventFilter(this);
    // Tooltips of entry names follow the resting mouse, which needs its moves.
    viewport()->setMouseTracking(true);

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

    ApplySettings();
    UpdateExtraSelections();
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

void CSourceEditView::ApplySettings()
{
    const SourceEditorSettings settings = Settings() ? Settings()() : SourceEditorSettings();
    m_pHighlighter->SetPalette(palette());
    m_pHighlighter->SetLanguage(
        SourceLexer::LanguageOfFile(m_pDocument ? m_pDocument->GetPathName() : QString()));
    m_pHighlighter->SetColoured(settings.highlighting);
    if (settings.entriesPath != m_pHighlighter->EntriesOrigin()) {
        QString error;
        m_pHighlighter->SetEntries(SharedEntries(settings.entriesPath, error),
                                   settings.entriesPath);
        if (!error.isEmpty())
            emit statusMessage(error);
    }
}

int CSourceEditView::LineNumberAreaWidth() const
{
    int digits = 1;
    for (int max = std::max(1, blockCount()); max >= 10; max /= 10)
        ++digits;
    // Room for at least three digits, so the text does not move for short files.
    return std::max(kLeftMargin,
                    10 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits));
}

void CSourceEditView::UpdateLineNumberArea(const QRect& rect, int dy)
{
    if (dy)
        m_pLineNumbers->scroll(0, dy);
    else
        m_pLineNumbers->update(0, rect.y(), m_pLineNumbers->width(), rect.height());
}

void CSourceEditView::resizeEvent(QResizeEvent* e)
{
    QPlainTextEdit::resizeEvent(e);
    const QRect r = contentsRect();
    m_pLineNumbers->setGeometry(r.left(), r.top(), LineNumberAreaWidth(), r.height());
}

void CSourceEditView::changeEvent(QEvent* e)
{
    QPlainTextEdit::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) {
        m_pHighlighter->SetPalette(palette());
        UpdateExtraSelections();
    }
}

void CSourceEditView::PaintLineNumbers(QPaintEvent* e)
{
    QPainter painter(m_pLineNumbers);
    const QPalette& pal = palette();
    painter.fillRect(e->rect(), pal.color(QPalette::Window));
    painter.setFont(font());
    const int current = textCursor().blockNumber();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int width = m_pLineNumbers->width() - 5;
    while (block.isValid() && top <= e->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= e->rect().top()) {
            const int n = block.blockNumber();
            painter.setPen(
                pal.color(n == current ? QPalette::WindowText : QPalette::PlaceholderText));
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(n + 1));
        }
        block = block.next();
        top = bottom;
    }
}

void CSourceEditView::UpdateExtraSelections()
{
    const QPalette& pal = palette();
    QList<QTextEdit::ExtraSelection> selections;
    QColor lineColour = pal.color(QPalette::Highlight);
    lineColour.setAlpha(28);
    QTextEdit::ExtraSelection line;
    line.format.setBackground(lineColour);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = textCursor();
    line.cursor.clearSelection();
    selections.append(line);

    const QTextCursor caret = textCursor();
    const auto match = SourceMatch::FindMatch(
        blockCount(), [this](int l) { return m_pHighlighter->BracketsOf(l); }, caret.blockNumber(),
        caret.positionInBlock());
    if (match) {
        QColor pair = pal.color(QPalette::Highlight);
        pair.setAlpha(90);
        const bool unmatched = match->partner.line < 0;
        for (const SourceMatch::Place& p : {match->word, match->partner}) {
            if (p.line < 0)
                continue;
            QTextEdit::ExtraSelection mark;
            const QTextBlock block = document()->findBlockByNumber(p.line);
            mark.cursor = QTextCursor(document());
            mark.cursor.setPosition(block.position() + p.column);
            mark.cursor.setPosition(block.position() + p.column + p.length,
                                    QTextCursor::KeepAnchor);
            mark.format.setBackground(unmatched ? QColor(255, 80, 80, 110) : pair);
            selections.append(mark);
        }
    }
    setExtraSelections(selections);
    m_pLineNumbers->update();
}

bool CSourceEditView::GoToMatch()
{
    const QTextCursor caret = textCursor();
    const auto match = SourceMatch::FindMatch(
        blockCount(), [this](int l) { return m_pHighlighter->BracketsOf(l); }, caret.blockNumber(),
        caret.positionInBlock());
    if (!match || match->partner.line < 0) {
        QApplication::beep();
        return false;
    }
    QTextCursor to(document());
    to.setPosition(document()->findBlockByNumber(match->partner.line).position() +
                   match->partner.column);
    setTextCursor(to);
    ensureCursorVisible();
    UpdateLineCol();
    return true;
}

void CSourceEditView::OnEditGoToLine()
{
    bool ok = false;
    const int n =
        QInputDialog::getInt(this, tr("Go to Line"), tr("Line number (1 - %1):").arg(blockCount()),
                             textCursor().blockNumber() + 1, 1, blockCount(), 1, &ok);
    if (!ok)
        return;
    QTextCursor to(document()->findBlockByNumber(n - 1));
    setTextCursor(to);
    centerCursor();
    UpdateLineCol();
}

bool CSourceEditView::ShowCompletion(bool automatic)
{
    const QTextCursor caret = textCursor();
    const QString line = caret.block().text();
    int start = 0;
    const QStringView word = CCompletionWords::WordBefore(line, caret.positionInBlock(), &start);
    if (automatic && (word.size() < CCompletionWords::kAutoPrefix ||
                      m_pHighlighter->InCommentOrString(caret.block(), caret.positionInBlock()))) {
        m_pCompleter->popup()->hide();
        return false;
    }
    const QStringList matches = m_pHighlighter->Words().Matches(word);
    if (matches.isEmpty() || (automatic && matches.size() == 1 && matches.front() == word)) {
        m_pCompleter->popup()->hide();
        return false;
    }
    m_pCompletions->setStringList(matches);
    m_pCompleter->setCompletionPrefix(QString());
    m_pCompleter->popup()->setCurrentIndex(m_pCompletions->index(0));
    QRect rect = cursorRect();
    rect.setWidth(m_pCompleter->popup()->sizeHintForColumn(0) +
                  m_pCompleter->popup()->verticalScrollBar()->sizeHint().width() + 8);
    m_pCompleter->complete(rect);
    return true;
}

void CSourceEditView::InsertCompletion(const QString& word)
{
    QTextCursor caret = textCursor();
    int start = 0;
    CCompletionWords::WordBefore(caret.block().text(), caret.positionInBlock(), &start);
    caret.setPosition(caret.block().position() + start, QTextCursor::KeepAnchor);
    caret.insertText(word);
    setTextCursor(caret);
}

QString CSourceEditView::ToolTipAt(int position)
{
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {};
    const QString line = block.text();
    const QStringView word = CCompletionWords::WordAt(line, position - block.position());
    return m_pHighlighter->Words().ToolTip(word.toString());
}

bool CSourceEditView::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QTextCursor at = cursorForPosition(help->pos());
        const QString tip = ToolTipAt(at.position());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(e);
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

bool CSourceEditView::IsCompletionKey(const QKeyEvent* e) const
{
    // While completions are offered, Escape closes the list rather than the build
    // messages, and Enter and Tab take a name.
    if (!m_pCompleter || !m_pCompleter->popup()->isVisible() || e->modifiers() != Qt::NoModifier)
        return false;
    switch (e->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Tab:
        return true;
    default:
        return false;
    }
}

bool CSourceEditView::eventFilter(QObject* watched, QEvent* e)
{
    // The scroll area filters its own parts' events from the start, before the list exists.
    if (m_pCompleter && watched == m_pCompleter->popup() && e->type() == QEvent::ShortcutOverride &&
        IsCompletionKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QPlainTextEdit::eventFilter(watched, e);
}

bool CSourceEditView::event(QEvent* e)
{
    // The main window's commands own their keys (Ctrl+A adds files to the project,
    // Escape toggles the build messages): the editor does not claim a key that a
    // command of the window has. A disabled command's key still reaches the editor.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (IsCompletionKey(key)) {
            e->accept();
            return true;
        }
        if (IsWindowShortcut(QKeySequence(key->keyCombination()))) {
            e->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(e);
}

void CSourceEditView::keyPressEvent(QKeyEvent* e)
{
    // While completions are offered, the list takes the keys that choose from it.
    if (m_pCompleter->popup()->isVisible()) {
        switch (e->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            e->ignore();
            return;
        default:
            break;
        }
    }
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::ControlModifier) {
        ShowCompletion(false);
        e->accept();
        return;
    }
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
    // A word of three characters or more typed: offer its completions.
    const bool typed = !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
                       !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typed || (m_pCompleter->popup()->isVisible() && e->key() == Qt::Key_Backspace))
        ShowCompletion(true);
    else if (m_pCompleter->popup()->isVisible() && !text.isEmpty())
        m_pCompleter->popup()->hide();
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
    // Settings may have changed while another window had the focus.
    if (e->reason() != Qt::PopupFocusReason)
        ApplySettings();
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
