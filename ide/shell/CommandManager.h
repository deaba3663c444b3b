// The one place where Velmora's actions are made and their state is kept current.
// Every command of the command table gets one QAction. Before a menu opens, before a
// shortcut runs and on a short idle timer, every command's state is asked along the
// route (active view, its document, the main frame, the application) and put on its
// action. Triggering an action asks the state once more and carries the command out
// only when it is enabled.
#pragma once

#include "CommandMap.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class QAction;
class QMenu;
class QWidget;

class CCommandManager : public QObject
{
    Q_OBJECT
public:
    using Route = std::function<QList<CCmdTarget*>()>;

    // Makes the actions, owned by and added to owner, so that their shortcuts work
    // whether or not a menu shows them.
    explicit CCommandManager(QWidget* owner);
    ~CCommandManager() override;

    void SetRoute(Route route) { m_route = std::move(route); }
    QList<CCmdTarget*> GetRoute() const;

    QAction* Action(int id) const { return m_actions.value(id); }
    const QHash<int, QAction*>& Actions() const { return m_actions; }

    // The command's state along the route, without touching its action.
    CCmdUI QueryState(int id) const;
    void UpdateCommand(int id);
    void UpdateAll();
    // Updates the command, then carries it out if it is enabled; false otherwise.
    bool Execute(int id);

    // Runs the update pass whenever menu is about to show.
    void WatchMenu(QMenu* menu);
    // Runs the update pass every ms milliseconds while the event loop is idle.
    void StartIdleUpdates(int ms);
    void StopIdleUpdates() { m_idle.stop(); }

signals:
    // An update pass over every command has run.
    void updated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<int, QAction*> m_actions;
    Route m_route;
    QTimer m_idle;
    QWidget* m_pOwner;
};
