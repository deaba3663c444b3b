#include "SubclassWnd.h"

#include <QHash>
#include <QObject>

namespace {

// The one event filter that every hooked object shares.
class CSubclassFilter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return CSubclassWnd::Dispatch(watched, event);
    }
};

// Object → the first hook of its chain, and the shared filter; made on first use and
// kept for the life of the process.
struct HookTable
{
    QHash<const QObject*, CSubclassWnd*> first;
    CSubclassFilter filter;
};

HookTable& Hooks()
{
    static auto* table = new HookTable;
    return *table;
}

} // namespace

CSubclassWnd::~CSubclassWnd()
{
    HookWindow(nullptr);
}

void CSubclassWnd::HookWindow(QObject* window)
{
    HookTable& hooks = Hooks();
    if (m_pWnd) {
        // Take this hook out of its chain; the last one out removes the filter.
        CSubclassWnd** link = &hooks.first[m_pWnd];
        while (*link && *link != this) {
            link = &(*link)->m_pNext;
        }
        if (*link) {
            *link = m_pNext;
        }
        if (!hooks.first.value(m_pWnd)) {
            hooks.first.remove(m_pWnd);
            m_pWnd->removeEventFilter(&hooks.filter);
            QObject::disconnect(m_pWnd, &QObject::destroyed, &hooks.filter, nullptr);
        }
        m_pWnd = nullptr;
        m_pNext = nullptr;
    }
    if (!window) {
        return;
    }
    CSubclassWnd*& first = hooks.first[window];
    if (!first) {
        window->installEventFilter(&hooks.filter);
        QObject::connect(window, &QObject::destroyed, &hooks.filter,
                         [](QObject* gone) { WindowDestroyed(gone); });
    }
    m_pNext = first;
    first = this;
    m_pWnd = window;
}

bool CSubclassWnd::Dispatch(QObject* window, QEvent* event)
{
    CSubclassWnd* first = Hooks().first.value(window);
    return first ? first->WindowProc(event) : false;
}

int CSubclassWnd::HookCount(const QObject* window)
{
    int count = 0;
    for (CSubclassWnd* hook = Hooks().first.value(window); hook; hook = hook->m_pNext) {
        ++count;
    }
    return count;
}

bool CSubclassWnd::WindowProc(QEvent* event)
{
    return Default(event);
}

bool CSubclassWnd::Default(QEvent* event)
{
    return m_pNext ? m_pNext->WindowProc(event) : false;
}

void CSubclassWnd::WindowDestroyed(QObject* window)
{
    CSubclassWnd* hook = Hooks().first.take(window);
    while (hook) {
        CSubclassWnd* next = hook->m_pNext;
        hook->m_pWnd = nullptr;
        hook->m_pNext = nullptr;
        hook = next;
    }
}
