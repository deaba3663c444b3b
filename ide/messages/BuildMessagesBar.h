// The build messages window: a dock at the top or bottom of the main window (or
// floating) holding the list of everything a build says. A double-click on a tool's
// error line, or "Go to Source" from the right-button menu, opens the file it names and
// selects the line.
#pragma once

#include "BuildMessages.h"

#include <QDockWidget>
#include <QListWidget>
#include <functional>

class CSourceEditView;
class QMenu;

class CBuildMessagesList : public QListWidget
{
    Q_OBJECT
public:
    explicit CBuildMessagesList(QWidget* parent = nullptr);

    QMenu* GetPopupMenu() const { return m_pMenu; }
    QAction* GetGoToSourceAction() const { return m_pGoToSource; }
    QAction* GetJumpToStartAction() const { return m_pJumpToStart; }
    QAction* GetJumpToEndAction() const { return m_pJumpToEnd; }
    QAction* GetClearAction() const { return m_pClear; }

signals:
    void goToSourceRequested();
    void clearRequested();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
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

    // Opens path through the application's open-document path (an open document is
    // brought to the front) and returns its first view, or nullptr.
    using SourceOpener = std::function<CSourceEditView*(const QString& path)>;
    void SetSourceOpener(SourceOpener opener) { m_openSource = std::move(opener); }

    CBuildMessagesList* GetList() const { return m_pList; }
    bool IsShown() const { return m_bShown; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void UpdateMargins(bool floating);

    CBuildMessagesList* m_pList = nullptr;
    QWidget* m_pHolder = nullptr;
    SourceOpener m_openSource;
    bool m_bShown = false;
};
