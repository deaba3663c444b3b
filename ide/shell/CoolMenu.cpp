#include "CoolMenu.h"

#include "CommandTable.h"
#include "MenuStyle.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWidgetAction>

#include <utility>

// Hands the events of one watched popup to the manager.
class CCoolMenuManager::CMenuHook : public CSubclassWnd
{
public:
    CMenuHook(CCoolMenuManager& manager, QMenu* menu) : m_manager(manager) { HookWindow(menu); }
    QMenu* Menu() const { return static_cast<QMenu*>(GetWindow()); }

protected:
    bool WindowProc(QEvent* event) override
    {
        return m_manager.OnMenuEvent(Menu(), event) || Default(event);
    }

private:
    CCoolMenuManager& m_manager;
};

CCoolMenuManager::CCoolMenuManager() : m_pStyle(std::make_unique<CMenuStyle>(*this))
{
    // The toolbar images live in a static library's resources, which the linker keeps
    // only when something names them.
    Q_INIT_RESOURCE(velmora);
}

CCoolMenuManager::~CCoolMenuManager()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections)) {
        QObject::disconnect(connection);
    }
    // The popups outliving the manager go back to the application's style.
    for (const auto& hook : std::as_const(m_menuHooks)) {
        if (QMenu* menu = hook->Menu()) {
            menu->setStyle(nullptr);
        }
    }
}

void CCoolMenuManager::Install(QMainWindow* frame)
{
    HookWindow(frame);
    QList<QMenu*> pending;
    for (QAction* action : frame->menuBar()->actions()) {
        if (QMenu* menu = action->menu()) {
            pending.append(menu);
        }
    }
    while (!pending.isEmpty()) {
        QMenu* menu = pending.takeFirst();
        Watch(menu);
        for (QAction* action : menu->actions()) {
            if (QMenu* submenu = action->menu()) {
                pending.append(submenu);
            }
        }
    }
}

void CCoolMenuManager::Watch(QMenu* menu)
{
    for (const auto& hook : std::as_const(m_menuHooks)) {
        if (!menu || hook->Menu() == menu) {
            return;
        }
    }
    menu->setStyle(m_pStyle.get());
    m_menuHooks.push_back(std::make_unique<CMenuHook>(*this, menu));
    // Connected after the frame's own handlers, which update the commands first.
    const auto convert = [this, menu] { OnInitMenuPopup(menu); };
    m_connections.append(QObject::connect(menu, &QMenu::aboutToShow, menu, convert));
}

// ---------------------------------------------------------------- images

bool CCoolMenuManager::LoadToolbar(int resourceId)
{
    std::span<const int> ids;
    if (resourceId == kMainToolbar) {
        ids = MainToolbarLayout();
    } else if (resourceId == kProjectToolbar) {
        ids = ProjectToolbarLayout();
    } else {
        return false;
    }
    return LoadToolbar(ids, [](int id) {
        const CommandInfo* info = FindCommand(id);
        return info && info->icon ? QString::fromUtf8(info->icon) : QString();
    });
}

bool CCoolMenuManager::LoadToolbar(std::span<const int> ids,
                                   const std::function<QString(int)>& imageOf)
{
    // The toolbar's image size is that of its first image.
    QHash<int, QImage> images;
    QSize size;
    for (int id : ids) {
        if (id != 0 && !images.contains(id)) {
            const QString path = imageOf(id);
            const QImage image = path.isEmpty() ? QImage() : QImage(path);
            images.insert(id, image);
            if (size.isEmpty() && !image.isNull()) {
                size = image.size();
            }
        }
    }
    if (size.isEmpty()) {
        return false;
    }
    const std::optional<QList<int>> added = m_imageMap.AddToolbar(ids, size);
    if (!added) {
        return false;
    }
    for (int id : *added) {
        QImage image = images.value(id);
        if (image.isNull()) {
            // A button without a picture (the configuration box) keeps its place.
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
        } else if (image.size() != size) {
            image = image.scaled(size);
        }
        m_images.append(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    m_toolbars.append(LoadedToolbar{QList<int>(ids.begin(), ids.end()), imageOf});
    return true;
}

void CCoolMenuManager::ReloadToolbars()
{
    const QList<LoadedToolbar> toolbars = std::exchange(m_toolbars, {});
    m_imageMap.Clear();
    m_images.clear();
    for (const LoadedToolbar& toolbar : toolbars) {
        LoadToolbar(toolbar.ids, toolbar.imageOf);
    }
}

bool CCoolMenuManager::WindowProc(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        ReloadToolbars();
        break;
    default:
        break;
    }
    return Default(event);
}

// ---------------------------------------------------------------- popups

void CCoolMenuManager::CopyAccelerators()
{
    m_accels.Clear();
    const QObject* frame = GetWindow();
    if (!frame || !frame->isWidgetType()) {
        return;
    }
    for (const QAction* action : static_cast<const QWidget*>(frame)->actions()) {
        const int id = action->data().toInt();
        for (const QKeySequence& keys : action->shortcuts()) {
            if (id != 0 && !keys.isEmpty()) {
                m_accels.Add(id, keys[0]);
            }
        }
    }
}

void CCoolMenuManager::OnInitMenuPopup(QMenu* menu)
{
    if (!m_bShowImages) {
        return;
    }
    if (m_bShowAccels) {
        CopyAccelerators();
    }
    ConvertedMenu* converted = FindConverted(menu);
    bool changed = false;
    for (QAction* action : menu->actions()) {
        // Items drawn by a widget of their own are left alone.
        if (!action->isVisible() || qobject_cast<QWidgetAction*>(action) ||
            FindRecord(menu, action)) {
            continue;
        }
        if (!converted) {
            m_converted.append(ConvertedMenu{menu, {}});
            converted = &m_converted.last();
        }
        ItemRecord record;
        record.text = action->text();
        record.separator = action->isSeparator();
        if (!record.separator) {
            const int id = action->data().toInt();
            record.image = id != 0 ? m_imageMap.ImageIndex(id) : -1;
            if (m_bShowAccels) {
                record.text = m_accels.WithKeyNames(record.text, id);
            }
        }
        if (action->text() != record.text) {
            action->setText(record.text);
        }
        converted->items.insert(action, Item{action, record});
        changed = true;
    }
    if (changed) {
        // The popup measures its items again, now by the records.
        QEvent styleChange(QEvent::StyleChange);
        QCoreApplication::sendEvent(menu, &styleChange);
    }
}

void CCoolMenuManager::OnMenuClosed()
{
    const QList<ConvertedMenu> converted = std::exchange(m_converted, {});
    for (const ConvertedMenu& popup : converted) {
        for (const Item& item : popup.items) {
            if (item.action && item.action->text() != item.record.text) {
                item.action->setText(item.record.text);
            }
        }
    }
}

bool CCoolMenuManager::OnMenuChar(QMenu* menu, const QKeyEvent* key)
{
    const QString text = key->text();
    if (!IsConverted(menu) || (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) ||
        text.size() != 1 || !text.at(0).isPrint() || text.at(0).isSpace()) {
        return false;
    }
    QList<QAction*> actions;
    QStringList texts;
    for (QAction* action : menu->actions()) {
        const ItemRecord* record = FindRecord(menu, action);
        if (record && !record->separator) {
            actions.append(action);
            texts.append(record->text);
        }
    }
    const MenuCharAction result =
        MenuChar(texts, text.at(0), int(actions.indexOf(menu->activeAction())));
    if (result.kind == MenuCharAction::Default) {
        return false;
    }
    menu->setActiveAction(actions.at(result.item));
    if (result.kind == MenuCharAction::Execute) {
        // Carried out as the popup's own Enter does it: commands run, submenus open.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &enter);
    }
    return true;
}

bool CCoolMenuManager::OnMenuEvent(QMenu* menu, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return OnMenuChar(menu, static_cast<QKeyEvent*>(event));
    case QEvent::Hide:
        // The menus are closed once no taken-over popup is open any more.
        if (IsConverted(menu) &&
            std::none_of(m_converted.cbegin(), m_converted.cend(),
                         [](const ConvertedMenu& m) { return m.menu && m.menu->isVisible(); })) {
            OnMenuClosed();
        }
        return false;
    default:
        return false;
    }
}

bool CCoolMenuManager::IsConverted(const QMenu* menu) const
{
    return FindConverted(menu) != nullptr;
}

const CCoolMenuManager::ItemRecord* CCoolMenuManager::FindRecord(const QMenu* menu,
                                                                 const QAction* action) const
{
    const ConvertedMenu* converted = FindConverted(menu);
    if (!converted) {
        return nullptr;
    }
    const auto it = converted->items.constFind(action);
    // A deleted action's address may come back for a new one: only the live one counts.
    return it != converted->items.cend() && it->action == action ? &it->record : nullptr;
}

CCoolMenuManager::ConvertedMenu* CCoolMenuManager::FindConverted(const QMenu* menu)
{
    return const_cast<ConvertedMenu*>(std::as_const(*this).FindConverted(menu));
}

const CCoolMenuManager::ConvertedMenu* CCoolMenuManager::FindConverted(const QMenu* menu) const
{
    for (const ConvertedMenu& converted : m_converted) {
        if (menu && converted.menu == menu) {
            return &converted;
        }
    }
    return nullptr;
}
