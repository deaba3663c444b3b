// Command handling without widgets. A command target (view, document, frame, the
// application) keeps a map from command id to its handler and update handler. The
// shell asks the targets in route order: the first with an update handler decides the
// command's state; without one, the first with a handler enables it; a command that no
// target handles is disabled. The first target with a handler carries it out.
#pragma once

#include <QString>

#include <functional>
#include <map>
#include <optional>

// The state an update handler gives a command.
class CCmdUI
{
public:
    explicit CCmdUI(int id) : m_nID(id) {}
    int GetID() const { return m_nID; }
    void Enable(bool on = true) { m_bEnabled = on; }
    void SetCheck(bool on = true) { m_bChecked = on; }
    // Renames the command's menu item; the text stays until renamed again.
    void SetText(const QString& text) { m_text = text; }

    bool IsEnabled() const { return m_bEnabled; }
    bool IsChecked() const { return m_bChecked; }
    const std::optional<QString>& GetText() const { return m_text; }

private:
    int m_nID;
    bool m_bEnabled = true;
    bool m_bChecked = false;
    std::optional<QString> m_text;
};

class CCommandMap
{
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;

    // Adds (or replaces) the handler of id; an empty update handler means "enabled".
    void On(int id, Handler handler, UpdateHandler update = {})
    {
        m_entries[id] = Entry{std::move(handler), std::move(update)};
    }
    // Only an update handler: the state comes from here, a later target carries it out.
    void OnUpdate(int id, UpdateHandler update) { m_entries[id].update = std::move(update); }
    void Remove(int id) { m_entries.erase(id); }

    bool HasHandler(int id) const
    {
        const auto it = m_entries.find(id);
        return it != m_entries.end() && it->second.handler;
    }
    bool HasUpdateHandler(int id) const
    {
        const auto it = m_entries.find(id);
        return it != m_entries.end() && it->second.update;
    }
    // Runs the update handler of ui's command; false when there is none.
    bool Update(CCmdUI& ui) const
    {
        const auto it = m_entries.find(ui.GetID());
        if (it == m_entries.end() || !it->second.update) {
            return false;
        }
        it->second.update(ui);
        return true;
    }
    // Carries the command out; false when this map has no handler for it.
    bool Execute(int id) const
    {
        const auto it = m_entries.find(id);
        if (it == m_entries.end() || !it->second.handler) {
            return false;
        }
        // A copy: the handler may replace or remove its own entry.
        const Handler handler = it->second.handler;
        handler();
        return true;
    }

private:
    struct Entry
    {
        Handler handler;
        UpdateHandler update;
    };
    std::map<int, Entry> m_entries;
};

// Anything that commands are routed to.
class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;
    CCommandMap& Commands() { return m_commands; }
    const CCommandMap& Commands() const { return m_commands; }

private:
    CCommandMap m_commands;
};
