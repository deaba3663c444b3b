// The build messages window: a dock at the top or bottom of the main window (or
// floating) holding the list of everything a build says. A double-click on a tool's
// error line, or "Go to Source" from the right-button menu, opens the file it names and
// selects the line.
#pragma once

#include "BuildMessages.h"

#include <QDockWidget>
#include <QPlainTextEdit>
#include <functional>

class CExtentLayout;
class CSourceEditView;
class QMenu;

// The list of lines. It is a read-only plain-text view with one line selected, rather
// than a list widget: a tool may print thousands of lines, and this view appends and
// paints a line in constant time where an item list lays out every line again.
class CBuildMessagesList : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CBuildMessagesList(QWidget* parent = nullptr);

    int count() const { return m_nCount; }
    QString Text(int row) const;
    void AddLine(const QString& line);
    void Clear();
    // The selected line, or -1. Selecting a line scrolls it into view.
    int currentRow() const { return m_nCurrent; }
    void setCurrentRow(int row);
    // The line under a point of the viewport, or -1 below the last line.
    int RowAt(const QPoint& pos) const;
    // Where line row lies in the viewport.
    QRect RowRect(int row) const;
    // The list scrolls sideways at least this far (in pixels), as if every line were
    // that wide; longer lines widen it further.
    void SetHorizontalExtent(int pixels);

    QMenu* GetPopupMenu() const { return m_pMenu; }
    QAction* GetGoToSourceAction() const { return m_pGoToSource; }
    QAction* GetJumpToStartAction() const { return m_pJumpToStart; }
    QAction* GetJumpToEndAction() const { return m_pJumpToEnd; }
    QAction* GetClearAction() const { return m_pClear; }

signals:
    void goToSourceRequested();
    void clearRequested();

protected:
    // Ctrl+C (the platform's Copy key) copies the selected line, before the window's
    // Edit > Copy can take the key for the editor.
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    CExtentLayout* m_pLayout = nullptr;
    int m_nCount = 0;
    int m_nCurrent = -1;
    QMenu* m_pMenu = nullptr;
    QAction* m_pGoToSource = nullptr;
    QAction* m_pJumpToStart = nullptr;
    QAction* m_pJumpToEnd = nullptr;
    QAction* m_pClear = nullptr;
};

class CBuildMessagesBar : public QDockWidget, public IBuildMessages
{
    Q_OBJECT
public:
    static constexpr int kHorizontalExtent = 1024;
    static constexpr int kFloatingMargin = 2;
    static constexpr int kDockedMargin = 4;

    explicit CBuildMessagesBar(QWidget* parent = nullptr);

    void AddMessage(const QString& line) override;
    void ClearMessages() override;
    void ShowMessages() override;
    void HideMessages() override;

    // Jumps to the source line that the selected message names; does nothing, silently,
    // when it names none.
    void GoToSource();
    // Selects the next (step 1) or previous (step -1) error line, going round at the
    // ends, and jumps to its source; beeps and returns false when there is none.
    bool GoToError(int step);

    // Opens path through the application's open-document path (an open document is
    // brought to the front) and returns its first view, or nullptr.
    using SourceOpener = std::function<CSourceEditView*(const QString& path)>;
    void SetSourceOpener(SourceOpener opener) { m_openSource = std::move(opener); }
    // The folders where a file name relative to no folder is looked for first (the
    // project's, the one the last tool ran in); the current folder comes after them.
    using SearchFolders = std::function<QStringList()>;
    void SetSearchFolders(SearchFolders folders) { m_searchFolders = std::move(folders); }

    CBuildMessagesList* GetList() const { return m_pList; }
    bool IsShown() const { return m_bShown; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void UpdateMargins(bool floating);

    CBuildMessagesList* m_pList = nullptr;
    QWidget* m_pHolder = nullptr;
    SourceOpener m_openSource;
    SearchFolders m_searchFolders;
    bool m_bShown = false;
};
