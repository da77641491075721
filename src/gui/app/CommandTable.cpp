#include "app/CommandTable.h"
#include <QAction>

CommandTable::CommandTable(QObject* parent) : QObject(parent) {}

CommandTable::Command& CommandTable::Get(int id) {
    auto it = m_commands.find(id);
    if (it == m_commands.end()) {
        Command c;
        c.action = new QAction(this);
        c.action->setData(id);
        c.action->setEnabled(false);
        connect(c.action, &QAction::triggered, this, [this, id] { Execute(id); });
        it = m_commands.insert(id, c);
    }
    return it.value();
}

QAction* CommandTable::Action(int id) {
    return Get(id).action;
}

void CommandTable::SetHandler(int id, std::function<void()> handler) {
    Get(id).handler = std::move(handler);
    Update();
}

void CommandTable::SetEnabler(int id, std::function<bool()> enabled) {
    Get(id).enabled = std::move(enabled);
    Update();
}

void CommandTable::SetChecker(int id, std::function<bool()> checked) {
    Command& c = Get(id);
    c.checked = std::move(checked);
    c.action->setCheckable(true);
    Update();
}

bool CommandTable::Execute(int id) {
    auto it = m_commands.find(id);
    if (it == m_commands.end() || !it->handler)
        return false;
    if (it->enabled && !it->enabled())
        return false;
    // Copy: the handler may replace itself while it runs.
    auto handler = it->handler;
    handler();
    Update();
    return true;
}

void CommandTable::Update() {
    for (auto it = m_commands.begin(); it != m_commands.end(); ++it) {
        const Command& c = it.value();
        c.action->setEnabled(c.handler && (!c.enabled || c.enabled()));
        if (c.checked)
            c.action->setChecked(c.checked());
    }
}
