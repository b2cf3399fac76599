#include "setup/CustomMenu.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <iomanip>
#include <locale>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "common/App.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "registry/RegistryManager.h"

namespace {

const char* const ConfigFile = "\\config.cfg";
const char* const Section = "CSTMENU";
const char* const ScriptName = "\\CST_Menu.lua";

// "ITEMS" as a count of entries; nullopt for a text that is no whole number.
std::optional<int> entryCount(const std::string& text) {
    if (text.empty()) return 0;
    std::size_t at = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size()) return std::nullopt;
    int count = 0;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c < '0' || c > '9') return std::nullopt;
        // Past the capacity the exact number no longer matters, and must not overflow.
        if (count <= MenuCapacity) count = count * 10 + (c - '0');
    }
    if (negative) return 0;
    return count > MenuCapacity ? MenuCapacity : count;
}

std::string key(const char* prefix, std::size_t i) { return prefix + std::to_string(i); }

bool isNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A Lua string literal that gives back the bytes exactly; control bytes are written as three
// decimal digits, so a digit that follows cannot join the escape.
std::string luaString(const std::string& bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (b < 32 || b == 127) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03u", b);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A text centred in the 28 characters between "--|" and "|", the odd blank on the right; a
// longer text is kept whole with one blank on each side.
std::string centred(const std::string& text) {
    constexpr std::size_t Width = 28;
    if (text.size() > Width) return " " + text + " ";
    std::size_t left = (Width - text.size()) / 2;
    return std::string(left, ' ') + text + std::string(Width - text.size() - left, ' ');
}

// Windows refuses to replace a folder or a read-only file.
void refuseUnreplaceable(const std::string& path) {
    struct stat existing;
    if (::lstat(path.c_str(), &existing) != 0) return;
    if (S_ISDIR(existing.st_mode)) failure::raise(failure::PathFileAccessError);
    if (S_ISREG(existing.st_mode) && !(existing.st_mode & S_IWUSR)) failure::raise(failure::PermissionDenied);
}

}  // namespace

std::vector<MenuItem> LoadCustomMenu(const App& app) {
    std::optional<int> count = entryCount(ReadIniValue(app, Section, "ITEMS", ConfigFile));
    if (!count) failure::raise(failure::TypeMismatch);
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < static_cast<std::size_t>(*count); ++i)
        items.push_back({ReadIniValue(app, Section, key("MNU_NAME_", i), ConfigFile),
                         ReadIniValue(app, Section, key("MNU_PATH_", i), ConfigFile),
                         ReadIniValue(app, Section, key("MNU_ARG_", i), ConfigFile)});
    return items;
}

std::vector<std::string> MenuFunctionNames(const std::vector<MenuItem>& items) {
    std::vector<std::string> names;
    // Every global an earlier entry defines: its function and its menu entry.
    std::set<std::string> taken;
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string f = "MNU";
        for (char c : items[i].Name)
            if (c != ' ') f += isNameByte(c) ? c : '_';
        while (taken.count(f) || taken.count(f + "m")) f += "_" + std::to_string(i);
        taken.insert(f);
        taken.insert(f + "m");
        names.push_back(f);
    }
    return names;
}

std::string CustomMenuScript(const std::string& webSite, const std::string& stamp, const std::vector<MenuItem>& items) {
    const std::string rule = "--" + std::string(30, '=');
    std::vector<std::string> lines = {rule,
                                      "--|   Automated menu script    |",
                                      "--|     made by Vesk 2.0       |",
                                      "--|  For bug reporting visit:  |",
                                      "--|" + centred(webSite) + "|",
                                      rule,
                                      "--   Last update:",
                                      "--   " + stamp,
                                      rule};
    std::vector<std::string> functions = MenuFunctionNames(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        // The editor extension relies on this exact command line.
        lines.insert(lines.end(), {"", "function " + functions[i] + "()",
                                   "  Modrune.runprocess(\"keldwyn\\\\Corvane.exe --command=" + std::to_string(i) + "\")",
                                   "end", ""});
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        lines.push_back(functions[i] + "m = MenuEntry:New(veskm," + luaString(items[i].Name + "...") + "," + functions[i] +
                        ")");
    return joinLines(lines) + CRLF;
}

std::string CustomMenuStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::ostringstream out;
    try {
        out.imbue(std::locale(""));
    } catch (const std::runtime_error&) {
        // A locale named in the environment but not installed: the classic form.
    }
    out << std::put_time(&local, "%x %X");
    return out.str();
}

void SaveCustomMenu(const App& app, const std::vector<MenuItem>& items) {
    const std::string scriptPath = paths::resolve(paths::join(app.programFolder, ScriptName));
    // Checked before anything is written: once "config.cfg" holds the new keys, the script must follow.
    refuseUnreplaceable(scriptPath);
    StagedFile script(scriptPath, CustomMenuScript(app.webSite, CustomMenuStamp(), items));

    profile::KeyValues keys = {{"ITEMS", std::to_string(items.size())}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        keys.push_back({key("MNU_NAME_", i), items[i].Name});
        keys.push_back({key("MNU_PATH_", i), items[i].Path});
        keys.push_back({key("MNU_ARG_", i), items[i].Arg});
    }
    if (!WriteIniValues(app, Section, keys, ConfigFile)) failure::raise(failure::PathFileAccessError);
    script.commit();
}
