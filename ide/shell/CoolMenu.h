// Popup menus that show, beside each command, the image of the toolbar button that
// carries the same command, and after it the names of all the command's keys. Just
// before a watched popup opens, its items are taken over: each gets a record (its text
// with the key names, whether it is a separator, its image index) and is drawn by the
// manager's menu style from that record. When the menus close, the items become plain
// items again and keep the text with the key names.
#pragma once

#include "CoolMenuRules.h"
#include "SubclassWnd.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <span>
#include <vector>

class CMenuStyle;
class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;

class CCoolMenuManager : public CSubclassWnd
{
public:
    // Resource ids of the two toolbars whose images the menus show.
    static constexpr int kMainToolbar = 128;
    static constexpr int kProjectToolbar = 130;

    struct ItemRecord
    {
        QString text;
        bool separator = false;
        int image = -1; // -1: the command has no image
    };

    CCoolMenuManager();
    ~CCoolMenuManager() override;

    // Hooks frame (its accelerators are the shortcuts of the actions it holds; a change
    // of its palette or style reloads the images) and watches every popup of its menu
    // bar, submenus included.
    void Install(QMainWindow* frame);
    // Watches one popup: its items are taken over whenever it is about to show.
    void Watch(QMenu* menu);

    // Loads the images of toolbar 128 or 130; false for another id, or when the
    // toolbar's image size differs from the first one's.
    bool LoadToolbar(int resourceId);
    // Loads a toolbar of the given command ids whose images are the given files.
    bool LoadToolbar(std::span<const int> ids, const std::function<QString(int)>& imageOf);
    // Loads every loaded toolbar again, in the same order.
    void ReloadToolbars();

    const CCommandImageMap& ImageMap() const { return m_imageMap; }
    const QList<QImage>& Images() const { return m_images; }
    QSize ButtonSize() const { return m_imageMap.ButtonSize(); }

    bool m_bShowImages = true;       // off: menus stay plain
    bool m_bShowAccels = true;       // key names after the commands' texts
    bool m_bSysDisabledLook = false; // on: the style's own look for disabled images
    bool m_bColorEmboss = false;     // on: emboss from the colour image, not mono copy

    // Takes over the items of menu (the popup is about to open).
    void OnInitMenuPopup(QMenu* menu);
    // Every taken-over popup becomes plain again (the menus closed).
    void OnMenuClosed();
    // The menu character rule; true when the key was used.
    bool OnMenuChar(QMenu* menu, const QKeyEvent* key);

    bool IsConverted(const QMenu* menu) const;
    // The record of action in menu, or nullptr when the item is plain.
    const ItemRecord* FindRecord(const QMenu* menu, const QAction* action) const;

protected:
    bool WindowProc(QEvent* event) override;

private:
    class CMenuHook;
    struct Item
    {
        QPointer<QAction> action;
        ItemRecord record;
    };
    struct ConvertedMenu
    {
        QPointer<QMenu> menu;
        QHash<const QAction*, Item> items;
    };
    struct LoadedToolbar
    {
        QList<int> ids;
        std::function<QString(int)> imageOf;
    };

    void CopyAccelerators();
    ConvertedMenu* FindConverted(const QMenu* menu);
    const ConvertedMenu* FindConverted(const QMenu* menu) const;
    bool OnMenuEvent(QMenu* menu, QEvent* event);

    CCommandImageMap m_imageMap;
    QList<QImage> m_images;
    QList<LoadedToolbar> m_toolbars;
    CAcceleratorTable m_accels;
    QList<ConvertedMenu> m_converted;
    std::vector<std::unique_ptr<CMenuHook>> m_menuHooks;
    QList<QMetaObject::Connection> m_connections;
    std::unique_ptr<CMenuStyle> m_pStyle;
};
