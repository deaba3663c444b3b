// A hook on the events of one object, chained with the other hooks on that object.
// The first hook on an object installs one shared event filter on it; every further hook
// is put in front of the chain. The filter hands each event to the first hook's
// WindowProc, and Default passes it on to the next hook, or back to the object's own
// handling after the last one. A hook is removed from its chain when it is destroyed,
// unhooked, or when its object goes away.
#pragma once

class QEvent;
class QObject;

class CSubclassWnd
{
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Hooks window (after unhooking any earlier one); nullptr only unhooks.
    void HookWindow(QObject* window);
    QObject* GetWindow() const { return m_pWnd; }
    bool IsHooked() const { return m_pWnd != nullptr; }

    // Hands event to the first hook of window; true when a hook ate it. Called by the
    // shared filter.
    static bool Dispatch(QObject* window, QEvent* event);
    // The number of hooks on window.
    static int HookCount(const QObject* window);

protected:
    // Handles one event of the hooked object; true eats it. The default passes it on.
    virtual bool WindowProc(QEvent* event);
    // Passes event to the next hook, or back to the object (false) after the last one.
    bool Default(QEvent* event);

private:
    static void WindowDestroyed(QObject* window);

    QObject* m_pWnd = nullptr;
    CSubclassWnd* m_pNext = nullptr;
};
