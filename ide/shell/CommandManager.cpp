#include "CommandManager.h"

#include "CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

CCommandManager::CCommandManager(QWidget* owner) : QObject(owner), m_pOwner(owner)
{
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(QString::fromUtf8(info.text), owner);
        action->setObjectName(QStringLiteral("cmd%1").arg(info.id));
        action->setData(info.id);
        const QString prompt = QString::fromUtf8(info.prompt);
        const qsizetype newline = prompt.indexOf(QLatin1Char('\n'));
        const QString help = newline < 0 ? prompt : prompt.left(newline);
        action->setStatusTip(help);
        action->setWhatsThis(help);
        if (newline >= 0) {
            action->setToolTip(prompt.mid(newline + 1));
        }
        if (info.keys) {
            QList<QKeySequence> keys;
            for (const QString& key : QString::fromUtf8(info.keys).split(QLatin1Char(';'))) {
                keys.append(QKeySequence(key, QKeySequence::PortableText));
            }
            action->setShortcuts(keys);
        }
        if (info.icon) {
            action->setIcon(QIcon(QString::fromUtf8(info.icon)));
        }
        action->setCheckable(info.checkable);
        action->setEnabled(false);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        owner->addAction(action);
        m_actions.insert(id, action);
    }
    connect(&m_idle, &QTimer::timeout, this, &CCommandManager::UpdateAll);
    // Shortcuts are matched after the focus widget saw a ShortcutOverride event: the
    // update pass runs then, so a shortcut meets its command's current state.
    qApp->installEventFilter(this);
}

CCommandManager::~CCommandManager()
{
    qApp->removeEventFilter(this);
}

QList<CCmdTarget*> CCommandManager::GetRoute() const
{
    return m_route ? m_route() : QList<CCmdTarget*>();
}

CCmdUI CCommandManager::QueryState(int id) const
{
    const QList<CCmdTarget*> route = GetRoute();
    CCmdUI ui(id);
    for (const CCmdTarget* target : route) {
        if (target && target->Commands().Update(ui)) {
            return ui;
        }
    }
    bool handled = false;
    for (const CCmdTarget* target : route) {
        if (target && target->Commands().HasHandler(id)) {
            handled = true;
            break;
        }
    }
    ui.Enable(handled);
    return ui;
}

void CCommandManager::UpdateCommand(int id)
{
    QAction* action = m_actions.value(id);
    if (!action) {
        return;
    }
    const CCmdUI ui = QueryState(id);
    action->setEnabled(ui.IsEnabled());
    if (action->isCheckable()) {
        action->setChecked(ui.IsChecked());
    }
    if (ui.GetText() && action->text() != *ui.GetText()) {
        action->setText(*ui.GetText());
    }
}

void CCommandManager::UpdateAll()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        UpdateCommand(it.key());
    }
    emit updated();
}

bool CCommandManager::Execute(int id)
{
    UpdateCommand(id);
    QAction* action = m_actions.value(id);
    if (!action || !action->isEnabled()) {
        return false;
    }
    for (CCmdTarget* target : GetRoute()) {
        if (target && target->Commands().Execute(id)) {
            UpdateAll();
            return true;
        }
    }
    return false;
}

void CCommandManager::WatchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, &CCommandManager::UpdateAll);
}

void CCommandManager::StartIdleUpdates(int ms)
{
    m_idle.start(ms);
}

bool CCommandManager::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_pOwner->window()) {
        UpdateAll();
    }
    return QObject::eventFilter(watched, event);
}
