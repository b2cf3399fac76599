#pragma once
#include <string>
#include <vector>

struct App;

// The custom tool menu: section "CSTMENU" of "config.cfg" and the Lua script "CST_Menu.lua"
// that the pack's editor extension runs. No windowing here, so the editor window and the tests
// share it.

// One entry of the menu.
struct MenuItem {
    std::string Name;  // the caption in the menu
    std::string Path;  // full path of the program the entry starts
    std::string Arg;   // the arguments passed to it
    bool operator==(const MenuItem&) const = default;
};

// The editor holds at most this many entries.
inline constexpr int MenuCapacity = 100;

// The stored menu. No "config.cfg", or an absent or empty "ITEMS", is an empty menu; a whole
// number with an optional sign counts entries (below 0 as 0, above MenuCapacity as
// MenuCapacity); any other text raises a type mismatch (13), so that a store that cannot be
// read is never overwritten. Absent keys read as empty texts.
std::vector<MenuItem> LoadCustomMenu(const App& app);

// The Lua function name of each entry, in list order: "MNU" and the name without blanks; every
// byte that is not an ASCII letter, digit or "_" becomes "_", and a name that would clash with
// an earlier entry's (itself or followed by "m") gets "_" and its entry number appended.
std::vector<std::string> MenuFunctionNames(const std::vector<MenuItem>& items);

// The whole text of "CST_Menu.lua": the nine header lines (the web site centred in line 5,
// `stamp` in line 8), the function blocks, then the menu lines; CR LF after every line.
std::string CustomMenuScript(const std::string& webSite, const std::string& stamp, const std::vector<MenuItem>& items);

// The current local date and time as header line 8 shows it (the user's locale, "%x %X").
std::string CustomMenuStamp();

// Writes both stores or neither, holding the settings file's lock from the first change until
// both are in place: the script to a temporary file beside "CST_Menu.lua", the new "config.cfg"
// likewise, a record of the section's old and new text beside "config.cfg", then both renamed
// into place and the record removed. Refuses a folder or a read-only file at "CST_Menu.lua" and
// a read-only "config.cfg" before anything is written. Raises on failure, leaving both files as
// they were and no temporary file behind. Shows nothing.
void SaveCustomMenu(const App& app, const std::vector<MenuItem>& items);

// Undoes a Save that was ended between its renames, so that the keys match the script on disk
// again; every run that reads the menu calls it first. Nothing to do costs one
// look at the folder. Raises when the settings file cannot be mended.
void RecoverCustomMenu(const App& app);

// The stored entry at position n (the number as given, blanks and all), read once an interrupted
// Save has been mended and while no Save runs.
MenuItem ReadCustomMenuEntry(const App& app, const std::string& n);

// Where a Save keeps its record while it runs.
std::string CustomMenuSaveRecordPath(const App& app);
