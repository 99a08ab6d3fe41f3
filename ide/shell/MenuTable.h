// The declarative description of the main window's menu bar and toolbar:
// every item with its object name, caption, shortcut, initial state and help
// context number. frmMain builds its QMenus and QActions from these tables,
// so the menu tree lives in one place.
#pragma once

#include <span>

namespace zelk {

struct MenuItemDef {
    const char* name;        // object name of the QAction / QMenu ("mnuFileNew")
    const char* caption;     // "&New"; nullptr for a separator
    const char* shortcut;    // QKeySequence text ("Ctrl+N"), "" for none
    bool disabled;           // initially disabled
    int help;                // help context number, 0 for none
    bool checkable;          // a check item
    bool checked;            // initial check mark (before the settings apply)
    int level;               // 0 top-level menu, 1 item of a menu, 2 item of a submenu
    bool submenu;            // opens a submenu (the following level-2 items)
    bool hidden;             // not shown in the menu bar
};

// All menus in menu-bar order: each top-level menu (level 0) followed by its
// items; a submenu's items follow it at level 2.
std::span<const MenuItemDef> menuTable();

struct ToolButtonDef {
    const char* text;        // tool tip and command name ("Step Over"); nullptr = separator
    const char* icon;        // resource path of the SVG image
    const char* menuItem;    // menu item whose command the button runs ("" = its own)
};

// The toolbar, left to right.
std::span<const ToolButtonDef> toolbarTable();

} // namespace zelk
