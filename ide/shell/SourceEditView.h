// The editor of a source document: a plain-text editor with the editor font, tab stops
// two characters apart, the caret's line and column for the status bar, the " *"
// title marker of a modified document and the tab indent that Enter copies. Beside
// the text: line numbers, the caret's line shaded, the partner of the paired word at
// the caret marked, colours by the document's highlighter, and completion and
// tooltips of entry names.
#pragma once

#include "SourceDocument.h"
#include "SourceFindDialog.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

class CSourceHighlighter;
class QCompleter;
class QStringListModel;
class QKeyEvent;
class QTimer;

// What the editors take from the program options.
struct SourceEditorSettings
{
    bool highlighting = true;
    QString entriesPath; // the entries table named by the tool location
};

class CSourceEditView : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int kTitleTimerMs = 500;
    static constexpr int kLeftMargin = 15;

    explicit CSourceEditView(CSourceDocument* document, QWidget* parent = nullptr);
    ~CSourceEditView() override;

    CSourceDocument* GetDocument() const { return m_pDocument; }
    // A new window shows 80 columns and 30 lines of text.
    QSize sizeHint() const override;

    // Shows the caret's line and column ("Ln: 3 Col: 5") through statusText.
    void UpdateLineCol();
    // Selects the text of line n (from 1) with the caret at its end and scrolls the line
    // to the middle of the view. Past the last line the caret goes to the end of the
    // text.
    void SelectLine(int n);
    // Replaces the selection with text and puts the caret before the inserted text.
    void InsertAtSelection(const QString& text);
    // Renames the document with or without the " *" marker; the timer calls it.
    void UpdateTitleMarker();

    // The Edit menu's commands and what their update handlers ask.
    void OnEditUndo() { undo(); }
    void OnEditCut() { cut(); }
    void OnEditCopy() { copy(); }
    void OnEditPaste() { paste(); }
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    bool CanUndo() const;
    bool HasSelection() const;
    bool CanPasteText() const { return canPaste(); }

    // Searches from the selection with the last find settings; beeps when not found.
    bool FindNext();
    // Replaces the selection when it matches the find text, then finds the next one.
    void ReplaceCurrent();
    // Replaces every match in the text; returns how many.
    int ReplaceAll();

    CSourceFindDialog* GetFindDialog() const { return m_pFindDialog; }

    // Asks for a line number and selects that line.
    void OnEditGoToLine();
    // Moves the caret to the partner of the paired word at the caret; false when the
    // caret is on none or it has no partner.
    bool GoToMatch();
    // Offers the completions of the word before the caret; false when there are none.
    bool ShowCompletion(bool automatic);
    // The tooltip for the word at a text position (empty for a word the table lacks).
    QString ToolTipAt(int position);
    // Reads the settings again (colours on or off, the entries table) and applies them.
    void ApplySettings();

    CSourceHighlighter* GetHighlighter() const { return m_pHighlighter; }
    QCompleter* GetCompleter() const { return m_pCompleter; }
    QWidget* GetLineNumberArea() const { return m_pLineNumbers; }
    int LineNumberAreaWidth() const;
    void PaintLineNumbers(QPaintEvent* e);

    // Where every editor gets its settings from; the application sets it.
    using SettingsSource = std::function<SourceEditorSettings()>;
    static void SetSettingsSource(SettingsSource source);

signals:
    // The text of the status bar's line/column pane; empty when the editor loses focus.
    void statusText(const QString& text);
    // A passing note for the status bar (an entries table that can't be read).
    void statusMessage(const QString& text);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void UpdateExtraSelections();
    void UpdateLineNumberArea(const QRect& rect, int dy);
    void InsertCompletion(const QString& word);
    bool IsCompletionKey(const QKeyEvent* e) const;
    void OpenFindDialog(bool replace);
    // Whether text may replace the selection without the file reaching the size limit.
    bool HasRoomFor(const QString& text) const;
    // Whether the main window has a command with this key, so the key goes to it.
    bool IsWindowShortcut(const QKeySequence& key) const;

    QPointer<CSourceDocument> m_pDocument;
    QTimer* m_pTitleTimer = nullptr;
    QPointer<CSourceFindDialog> m_pFindDialog;
    CSourceHighlighter* m_pHighlighter = nullptr;
    QWidget* m_pLineNumbers = nullptr;
    QCompleter* m_pCompleter = nullptr;
    QStringListModel* m_pCompletions = nullptr;
};
