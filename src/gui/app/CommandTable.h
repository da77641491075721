#pragma once
#include <QHash>
#include <QObject>
#include <functional>

class QAction;

// One QAction per command number, shared by menu, toolbar and keys. Each command has
// one handler and one enable rule; Update re-evaluates every rule (menus call it when
// they are about to show, the view whenever the state a rule depends on changes).
class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QObject* parent = nullptr);

    // The action of a command, created on first use (disabled until it has a handler).
    QAction* Action(int id);
    bool Has(int id) const { return m_commands.contains(id); }

    void SetHandler(int id, std::function<void()> handler);
    void SetEnabler(int id, std::function<bool()> enabled);
    void SetChecker(int id, std::function<bool()> checked);

    // Runs the command as a menu entry would, when it is enabled. True when it ran.
    bool Execute(int id);

public slots:
    void Update();

private:
    struct Command {
        QAction* action = nullptr;
        std::function<void()> handler;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };
    Command& Get(int id);
    QHash<int, Command> m_commands;
};
