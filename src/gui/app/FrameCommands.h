#pragma once
#include <QString>
#include <vector>

class CommandTable;

// The fixed look of each command: its menu text, keys, status-bar prompt, tooltip,
// objectName and toolbar icon. One row per command number.
struct FrameCommand {
    int id;
    const char* idName;    // objectName of the action, e.g. "ID_NEW_CONTACT"
    const char* text;      // menu text with its mnemonic (and a shown key after a TAB)
    const char* keys;      // shortcuts separated by ';', empty for none
    const char* prompt;    // status-bar prompt
    const char* toolTip;   // toolbar tooltip, empty for commands not on the toolbar
    const char* icon;      // own icon file stem, empty for none
    const char* themeIcon; // freedesktop icon name, empty for none
};

const std::vector<FrameCommand>& FrameCommands();

// Gives every command's action its text, keys, prompt, tooltip, name and icon.
void ApplyFrameCommands(CommandTable& table);

// A menu row: a command number, or 0 for a separator.
struct MenuLayout {
    const char* title;
    const char* objectName;
    std::vector<int> entries;
};
const std::vector<MenuLayout>& MainMenuLayout();
// Toolbar buttons left to right, 0 for a gap.
const std::vector<int>& ToolBarLayout();
