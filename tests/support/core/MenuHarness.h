#pragma once
#include <string>
#include <vector>

// Runs a generated custom-menu script ("CST_Menu.lua") with Lua 5.4 through
// tests/support/menu_harness.lua, which stands in for the pack's editor extension: only
// Modrune.runprocess, MenuEntry:New and veskm exist, any other global read, a write of one of
// them or a second definition of a global fails the run. After the script, every entry's function
// is called in the order the entries were added.

struct MenuHarnessEntry {
    std::string caption;                // as handed to MenuEntry:New
    std::vector<std::string> commands;  // what its function handed to Modrune.runprocess
};

struct MenuHarnessRun {
    bool ok = false;       // the script ran through and so did every entry's function
    std::string failure;   // otherwise what Lua said went wrong
    std::vector<MenuHarnessEntry> entries;
};

MenuHarnessRun runMenuHarness(const std::string& scriptPath);

// Whether `luac5.4 -p` accepts the file as Lua.
bool luaCompiles(const std::string& scriptPath);
