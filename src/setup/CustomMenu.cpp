#include "setup/CustomMenu.h"

#include <sys/stat.h>
#include <unistd.h>

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
#include "platform/FileLock.h"
#include "platform/ProfileFile.h"
#include "platform/RawIo.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "registry/RegistryManager.h"

namespace {

const char* const ConfigFile = "\\config.cfg";
const char* const Section = "CSTMENU";
const char* const ScriptName = "\\CST_Menu.lua";
const char* const SaveRecordSuffix = ".menu-save";

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

std::string configPath(const App& app) { return paths::join(app.programFolder, ConfigFile); }

// Beside "config.cfg" while a Save is between its renames: what section "CSTMENU" held before,
// what it holds after, and the script that goes with it.
struct SaveRecord {
    bool fileExisted = true;
    std::optional<std::string> sectionBefore;  // nothing: the file had no such section
    std::string sectionAfter;
    std::string scriptAfter;

    static constexpr std::string_view Magic = "Corvane menu save 1\n";

    // Lengths before the bytes, so that any bytes survive.
    std::string encode() const {
        std::string out(Magic);
        out += fileExisted ? "1\n" : "0\n";
        auto field = [&out](const std::optional<std::string>& bytes) {
            out += bytes ? std::to_string(bytes->size()) : std::string("-");
            out += '\n';
            if (bytes) out += *bytes;
        };
        field(sectionBefore);
        field(sectionAfter);
        field(scriptAfter);
        return out;
    }

    static std::optional<SaveRecord> decode(std::string_view text) {
        if (!text.starts_with(Magic)) return std::nullopt;
        text.remove_prefix(Magic.size());
        auto line = [&text]() -> std::optional<std::string_view> {
            std::size_t end = text.find('\n');
            if (end == std::string_view::npos) return std::nullopt;
            std::string_view l = text.substr(0, end);
            text.remove_prefix(end + 1);
            return l;
        };
        auto field = [&](std::optional<std::string>& bytes) {
            std::optional<std::string_view> size = line();
            if (!size) return false;
            if (*size == "-") {
                bytes.reset();
                return true;
            }
            std::size_t n = 0;
            if (size->empty() || size->size() > 9 || size->find_first_not_of("0123456789") != std::string_view::npos)
                return false;
            for (char c : *size) n = n * 10 + std::size_t(c - '0');
            if (n > text.size()) return false;
            bytes = std::string(text.substr(0, n));
            text.remove_prefix(n);
            return true;
        };
        SaveRecord record;
        std::optional<std::string_view> existed = line();
        if (!existed || (*existed != "0" && *existed != "1")) return std::nullopt;
        record.fileExisted = *existed == "1";
        std::optional<std::string> after, script;
        if (!field(record.sectionBefore) || !field(after) || !field(script) || !after || !script || !text.empty())
            return std::nullopt;
        record.sectionAfter = *after;
        record.scriptAfter = *script;
        return record;
    }
};

bool blankText(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// A Save that did not reach its end is undone so that "config.cfg" and the script on disk agree
// again. The script is what the editor extension offered the user, so it decides: the settings
// are renamed in first, and when they are in without the new script the old keys come back.
// Keys that another run wrote meanwhile stay; a section that someone changed since is left alone.
void recoverHoldingLock(const App& app) {
    const std::string recordPath = CustomMenuSaveRecordPath(app);
    std::string recordText;
    if (readWholeFile(recordPath, recordText) == ReadResult::Missing) return;
    const std::optional<SaveRecord> record = SaveRecord::decode(recordText);
    if (record) {
        const std::string config = configPath(app);
        const std::string scriptPath = paths::resolve(paths::join(app.programFolder, ScriptName));
        std::string text, script;
        const ReadResult read = readWholeFile(config, text);
        if (read == ReadResult::Failed || read == ReadResult::NotRegular) failure::raise(failure::PathFileAccessError);
        const bool scriptIsNew = readWholeFile(scriptPath, script) == ReadResult::Ok && script == record->scriptAfter;
        const std::optional<std::string> section = profile::sectionText(text, Section);
        if (!scriptIsNew && section == record->sectionAfter && section != record->sectionBefore) {
            const std::string mended = profile::withSection(text, Section, record->sectionBefore);
            if (!profile::mayReplace(config)) failure::raise(failure::PermissionDenied);
            // A file that the Save created goes again when nothing else has been written into it.
            if (!record->fileExisted && blankText(mended))
                ::unlink(config.c_str());
            else
                writeFileAtomically(config, mended);
        }
    }
    ::unlink(recordPath.c_str());
}

}  // namespace

std::vector<MenuItem> LoadCustomMenu(const App& app) {
    // One read of the file for every key: a settings file may be megabytes long.
    const profile::Snapshot file = ReadIniFile(app, ConfigFile);
    auto value = [&file](const std::string& name) { return file.get(Section, name).value_or(""); };
    std::optional<int> count = entryCount(value("ITEMS"));
    if (!count) failure::raise(failure::TypeMismatch);
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < static_cast<std::size_t>(*count); ++i)
        items.push_back({value(key("MNU_NAME_", i)), value(key("MNU_PATH_", i)), value(key("MNU_ARG_", i))});
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

std::string CustomMenuSaveRecordPath(const App& app) { return configPath(app) + SaveRecordSuffix; }

void RecoverCustomMenu(const App& app) {
    // The usual case costs one look at the folder.
    struct stat st;
    if (::lstat(CustomMenuSaveRecordPath(app).c_str(), &st) != 0) return;
    FileLock lock(configPath(app));
    if (!lock.held()) failure::raise(failure::PathFileAccessError);
    recoverHoldingLock(app);
}

MenuItem ReadCustomMenuEntry(const App& app, const std::string& n) {
    // Under the lock, so that a Save running now is either wholly before or wholly after the read.
    FileLock lock(configPath(app));
    if (lock.held()) recoverHoldingLock(app);
    const profile::Snapshot file = ReadIniFile(app, ConfigFile);
    auto value = [&](const char* prefix) { return file.get(Section, prefix + n).value_or(""); };
    return {value("MNU_NAME_"), value("MNU_PATH_"), value("MNU_ARG_")};
}

void SaveCustomMenu(const App& app, const std::vector<MenuItem>& items) {
    const std::string config = configPath(app);
    const std::string scriptPath = paths::resolve(paths::join(app.programFolder, ScriptName));
    // Everything that would refuse is checked before anything is written, the lock file
    // included: once "config.cfg" holds the new keys, the script must follow.
    refuseUnreplaceable(scriptPath);
    struct stat st;
    if (::stat(config.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) failure::raise(failure::PathFileAccessError);
    if (!profile::mayReplace(config)) failure::raise(failure::PermissionDenied);

    // Held from before the first change until both files are in place: two Saves never
    // interleave, and the later one wins both files.
    FileLock lock(config);
    if (lock.held()) recoverHoldingLock(app);
    std::string before;
    const ReadResult read = readWholeFile(config, before);
    if (read == ReadResult::Failed || read == ReadResult::NotRegular) failure::raise(failure::PathFileAccessError);

    profile::KeyValues keys = {{"ITEMS", std::to_string(items.size())}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        keys.push_back({key("MNU_NAME_", i), items[i].Name});
        keys.push_back({key("MNU_PATH_", i), items[i].Path});
        keys.push_back({key("MNU_ARG_", i), items[i].Arg});
    }
    const std::string after = profile::set(before, Section, keys);
    const std::string scriptText = CustomMenuScript(app.webSite, CustomMenuStamp(), items);
    StagedFile script(scriptPath, scriptText);
    if (!lock.held()) failure::raise(failure::PathFileAccessError);
    if (after == before) {
        script.commit();
        return;
    }

    // The two renames below are two steps; the record lets the next reader of the menu undo the
    // first when a kill comes between them.
    StagedFile settings(config, after);
    SaveRecord record{read == ReadResult::Ok, profile::sectionText(before, Section),
                      profile::sectionText(after, Section).value_or(""), scriptText};
    const std::string recordPath = CustomMenuSaveRecordPath(app);
    writeFileAtomically(recordPath, record.encode());
    settings.commit();
    script.commit();
    ::unlink(recordPath.c_str());
}
