#include "platform/Registry.h"

#include "platform/Ascii.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/RawIo.h"
#include "platform/RuntimeFailure.h"
#include "platform/Utf16.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view Signature = "Windows Registry Editor Version 5.00";

constexpr RegRoot AllRoots[] = {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::Users,
                                RegRoot::CurrentConfig};

// A key below a root: its path components in the case they were first written with.
struct Key {
    RegRoot root;
    std::vector<std::string> path;
    std::vector<std::pair<std::string, RegValue>> values;  // in the order written
};

// "Software\\X\\" and "\\Software\\\\X" name the same key.
std::vector<std::string> splitPath(std::string_view subKey) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos) end = subKey.size();
        if (end > start) parts.emplace_back(subKey.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Names the file cannot carry: a line break (or NUL) would split the line it is written on.
bool storableName(std::string_view name) { return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

// The keys of the store, found through an index of their case-folded paths: a store may hold tens
// of thousands of keys, and a run looks some up hundreds of times.
class Hive {
public:
    Key* find(RegRoot root, const std::vector<std::string>& path) {
        auto it = index_.find(folded(root, path));
        return it == index_.end() || it->second.at == None ? nullptr : &*keys_[it->second.at];
    }
    const Key* find(RegRoot root, const std::vector<std::string>& path) const {
        return const_cast<Hive*>(this)->find(root, path);
    }

    bool hasSubkeys(RegRoot root, const std::vector<std::string>& path) const {
        auto it = index_.find(folded(root, path));
        return it != index_.end() && it->second.children > 0;
    }

    bool exists(RegRoot root, const std::vector<std::string>& path) const {
        return path.empty() || find(root, path) || hasSubkeys(root, path);
    }

    // The key with every missing key on its way; `created` tells whether anything was added.
    // A new key below existing ones takes their spelling for the shared part of its path.
    Key& ensure(RegRoot root, const std::vector<std::string>& path, bool& created) {
        std::string name = folded(root, {});
        if (path.empty()) {  // the root's own key
            Slot& slot = index_[name];
            if (slot.at == None) slot.at = create(root, {}, created);
            return *keys_[slot.at];
        }
        std::size_t reached = None;
        for (const std::string& part : path) {
            std::string parent = name;
            appendFolded(name, part);
            Slot& slot = index_[name];
            if (slot.at == None) {
                std::vector<std::string> spelled = reached == None ? std::vector<std::string>{} : keys_[reached]->path;
                spelled.push_back(part);
                slot.at = create(root, std::move(spelled), created);
                ++index_[parent].children;
            }
            reached = slot.at;
        }
        return *keys_[reached];
    }

    // Removes a key that has no subkeys; false when it is missing or still has some.
    bool remove(RegRoot root, const std::vector<std::string>& path) {
        if (path.empty()) return false;
        auto it = index_.find(folded(root, path));
        if (it == index_.end() || it->second.at == None || it->second.children > 0) return false;
        keys_[it->second.at].reset();
        index_.erase(it);
        --index_[folded(root, std::vector<std::string>(path.begin(), path.end() - 1))].children;
        return true;
    }

    // Every key in file order, then in order of creation.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (const auto& key : keys_)
            if (key) visit(*key);
    }

private:
    static constexpr std::size_t None = std::size_t(-1);

    struct Slot {
        std::size_t at = None;     // in keys_; None while only subkeys name the path (a root's own key)
        std::size_t children = 0;  // direct subkeys
    };

    // Components hold no backslash, so it separates them; the root goes first.
    static void appendFolded(std::string& name, std::string_view part) {
        name += '\\';
        for (char c : part) name += ascii::lower(c);
    }
    static std::string folded(RegRoot root, const std::vector<std::string>& path) {
        std::string name(1, char('0' + static_cast<int>(root)));
        for (const std::string& part : path) appendFolded(name, part);
        return name;
    }

    std::size_t create(RegRoot root, std::vector<std::string> path, bool& created) {
        keys_.emplace_back(Key{root, std::move(path), {}});
        created = true;
        return keys_.size() - 1;
    }

    std::vector<std::optional<Key>> keys_;  // a deleted key leaves a gap, so positions stay valid
    std::unordered_map<std::string, Slot> index_;
};

// ---- reading the export format -------------------------------------------------------------

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted text starting at s[pos] == '"'; `\\` and `\"` stand for themselves.
// Leaves pos after the closing quote.
std::optional<std::string> parseQuoted(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\') {
            if (++i >= s.size()) return std::nullopt;
            c = s[i];
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<std::string> parseHexBytes(std::string_view s) {
    std::string out;
    s = ascii::trimBlanks(s);
    if (s.empty()) return out;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = s.find(',', start);
        std::string_view item = ascii::trimBlanks(s.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.empty() || item.size() > 2) {
            // a hand-edited list may end with a comma
            if (item.empty() && comma == std::string_view::npos && !out.empty()) return out;
            return std::nullopt;
        }
        int v = 0;
        for (char c : item) {
            int d = hexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + d;
        }
        out += static_cast<char>(v);
        if (comma == std::string_view::npos) return out;
        start = comma + 1;
    }
}

std::optional<RegValue> parseData(std::string_view s) {
    s = ascii::trimBlanks(s);
    if (!s.empty() && s.front() == '"') {
        std::size_t pos = 0;
        auto text = parseQuoted(s, pos);
        if (!text || !ascii::trimBlanks(s.substr(pos)).empty()) return std::nullopt;
        return RegValue{regtype::Sz, *text + '\0'};
    }
    if (s.starts_with("dword:")) {
        std::string_view digits = s.substr(6);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        std::uint32_t v = 0;
        for (char c : digits) {
            int d = hexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return RegValue{regtype::Dword, data};
    }
    if (s.starts_with("hex:")) {
        auto bytes = parseHexBytes(s.substr(4));
        if (!bytes) return std::nullopt;
        return RegValue{regtype::Binary, *bytes};
    }
    if (s.starts_with("hex(")) {
        std::size_t close = s.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) return std::nullopt;
        std::uint32_t type = 0;
        for (char c : s.substr(4, close - 4)) {
            int d = hexDigit(c);
            if (d < 0) return std::nullopt;
            type = type * 16 + static_cast<std::uint32_t>(d);
        }
        auto bytes = parseHexBytes(s.substr(close + 2));
        if (!bytes) return std::nullopt;
        return RegValue{type, *bytes};
    }
    return std::nullopt;
}

// Logical lines: ends of either kind, a trailing backslash joins the next line (whose
// leading blanks are dropped).
std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string pending;
    bool continuing = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (continuing) line = ascii::trimBlanks(line);
        if (!line.empty() && line.back() == '\\' && line.front() != ';' && line.front() != '[') {
            pending += line.substr(0, line.size() - 1);
            continuing = true;
            continue;
        }
        pending += line;
        lines.push_back(std::move(pending));
        pending.clear();
        continuing = false;
    }
    if (continuing) lines.push_back(std::move(pending));
    return lines;
}

std::optional<Hive> parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    Hive hive;
    Key* current = nullptr;
    bool signed_ = false;
    for (const std::string& raw : logicalLines(text)) {
        std::string_view line = ascii::trimBlanks(raw);
        if (line.empty() || line.front() == ';') continue;
        if (!signed_) {
            if (line != Signature) return std::nullopt;
            signed_ = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return std::nullopt;
            std::string_view full = line.substr(1, line.size() - 2);
            std::size_t sep = full.find('\\');
            std::string_view rootText = full.substr(0, sep);
            std::optional<RegRoot> root;
            for (RegRoot r : AllRoots)
                if (ascii::sameName(rootText, rootName(r))) root = r;
            if (!root) return std::nullopt;  // also a "[-key]" removal, which this store never writes
            bool created = false;
            current = &hive.ensure(*root, splitPath(sep == std::string_view::npos ? "" : full.substr(sep + 1)), created);
            continue;
        }
        if (!current) return std::nullopt;
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto quoted = parseQuoted(line, pos);
            if (!quoted) return std::nullopt;
            name = std::move(*quoted);
        }
        while (pos < line.size() && ascii::isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') return std::nullopt;
        auto value = parseData(line.substr(pos + 1));
        if (!value) return std::nullopt;
        auto& values = current->values;
        auto it = values.begin();
        while (it != values.end() && !ascii::sameName(it->first, name)) ++it;
        if (it != values.end()) it->second = std::move(*value);
        else values.emplace_back(std::move(name), std::move(*value));
    }
    return hive;
}

// ---- writing the export format -------------------------------------------------------------

std::string escaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

std::string hexList(std::string_view data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        if (i) out += ',';
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string formatData(const RegValue& v) {
    if (v.type == regtype::Sz && !v.data.empty() && v.data.back() == '\0') {
        std::string_view text(v.data.data(), v.data.size() - 1);
        if (text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos) return '"' + escaped(text) + '"';
    }
    if (v.type == regtype::Dword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(v.data[i]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        return buf;
    }
    if (v.type == regtype::Binary) return "hex:" + hexList(v.data);
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
    return buf + hexList(v.data);
}

std::string format(const Hive& hive) {
    std::string out(Signature);
    out += "\r\n\r\n";
    hive.forEach([&](const Key& k) {
        out += '[';
        out += rootName(k.root);
        for (const std::string& part : k.path) out += '\\' + part;
        out += "]\r\n";
        for (const auto& [name, value] : k.values) {
            out += name.empty() ? std::string("@") : '"' + escaped(name) + '"';
            out += '=' + formatData(value) + "\r\n";
        }
        out += "\r\n";
    });
    return out;
}

// ---- the file --------------------------------------------------------------------------------

// The system's registry editor writes its files in UTF-16LE after a byte-order mark; this store,
// like hand-written files, in plain bytes. A write keeps the form the file was read in.
enum class Encoding { Bytes, Utf16Le };

constexpr std::string_view Utf16Mark = "\xFF\xFE";

// The file's text as the store's bytes. A UTF-16 file must come back unit for unit from those bytes
// (`utf16`), or a write would change what it holds beyond the update: it reads as unparseable then.
std::optional<std::string> decoded(std::string_view file, Encoding& encoding) {
    encoding = Encoding::Bytes;
    if (!file.starts_with(Utf16Mark)) return std::string(file);
    file.remove_prefix(Utf16Mark.size());
    if (file.size() % 2 != 0) return std::nullopt;
    std::u16string units(file.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(file[2 * i]) |
                                         static_cast<unsigned char>(file[2 * i + 1]) << 8);
    std::string text = utf16::toBytes(units);
    if (utf16::fromBytes(text) != units) return std::nullopt;
    encoding = Encoding::Utf16Le;
    return text;
}

std::string encoded(const std::string& text, Encoding encoding) {
    if (encoding == Encoding::Bytes) return text;
    std::string file(Utf16Mark);
    for (char16_t unit : utf16::fromBytes(text)) {
        file += static_cast<char>(unit & 0xFF);
        file += static_cast<char>(unit >> 8);
    }
    return file;
}

// The file parsed, with the form it was written in; nothing when it cannot be understood.
std::optional<Hive> parseFile(std::string_view file, Encoding& encoding) {
    const std::optional<std::string> text = decoded(file, encoding);
    return text ? parse(*text) : std::nullopt;
}

// The file as read; something other than a regular file at its name is a failure of the run, and
// is left where it is: waiting on a pipe would hang every mode, and replacing it would hide it.
ReadResult readStore(const std::string& path, std::string& text) {
    ReadResult r = readWholeFile(path, text);
    if (r == ReadResult::NotRegular)
        throw RuntimeFailure(failure::PathFileAccessError, "Path/File access error: " + path + " is not a regular file");
    return r;
}

// What the store holds right now: a missing or unreadable-as-registry file is empty.
Hive load(const std::string& path) {
    std::string file;
    if (readStore(path, file) != ReadResult::Ok) return {};
    Encoding encoding = Encoding::Bytes;
    auto hive = parseFile(file, encoding);
    return hive ? std::move(*hive) : Hive{};
}

bool pathTaken(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0 || errno != ENOENT;
}

// Keeps the bytes of a file we could not understand: the user may want them back.
bool moveAside(const std::string& path) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".broken-" + stamp;
    std::string target = base;
    for (int n = 1; pathTaken(target); ++n) {
        if (n > 1000) return false;
        target = base + "-" + std::to_string(n);
    }
    return ::rename(path.c_str(), target.c_str()) == 0;
}

// The store's content as read under the lock; `broken` when the file could not be parsed.
struct Loaded {
    Hive hive;
    bool broken = false;
    Encoding encoding = Encoding::Bytes;
};

// Creates the folder, takes the lock and reads the file; nothing when any of that fails. Raises
// when the file is not a regular one.
std::optional<Loaded> loadLocked(const std::string& path, std::unique_ptr<FileLock>& lock) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) return std::nullopt;
    }
    lock = std::make_unique<FileLock>(path);
    if (!lock->held()) return std::nullopt;
    std::string file;
    ReadResult r = readStore(path, file);
    if (r == ReadResult::Failed) return std::nullopt;
    Encoding encoding = Encoding::Bytes;
    std::optional<Hive> hive = r == ReadResult::Ok ? parseFile(file, encoding) : Hive{};
    if (!hive) return Loaded{Hive{}, true};
    return Loaded{std::move(*hive), false, encoding};
}

// Replaces the file with the hive; a file we could not parse is kept aside first.
bool store(const std::string& path, const Loaded& loaded) {
    if (loaded.broken && !moveAside(path)) return false;
    writeFileAtomically(path, encoded(format(loaded.hive), loaded.encoding));
    return true;
}

}  // namespace

struct RegistryStore::Pending {
    std::unique_ptr<FileLock> lock;
    std::optional<Loaded> loaded;  // nothing when the lock or the read failed
    bool changed = false;
};

namespace {

// Read-modify-write under the lock. `change` edits the hive and tells whether it succeeded
// and whether anything changed; nothing is written when nothing changed. Within a batch the
// change goes to the batch's hive, written when the batch ends. Only a store that is not a
// regular file raises.
template <typename Change>
bool update(const std::string& path, RegistryStore::Pending* pending, Change change) {
    bool changed = false;
    if (pending) {
        if (!pending->loaded || !change(pending->loaded->hive, changed)) return false;
        pending->changed = pending->changed || changed;
        return true;
    }
    std::unique_ptr<FileLock> lock;
    std::optional<Loaded> loaded = loadLocked(path, lock);
    if (!loaded || !change(loaded->hive, changed)) return false;
    try {
        return !changed || store(path, *loaded);
    } catch (...) {
        return false;
    }
}

// What reads see: the batch's hive inside a batch, else the file as it is now.
template <typename Read>
auto readHive(const std::string& path, const RegistryStore::Pending* pending, Read read) {
    if (pending && pending->loaded) return read(pending->loaded->hive);
    const Hive hive = load(path);
    return read(hive);
}

}  // namespace

const char* rootName(RegRoot root) {
    switch (root) {
        case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
        case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
        case RegRoot::Users: return "HKEY_USERS";
        case RegRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    }
    return "HKEY_CURRENT_USER";
}

RegistryStore::RegistryStore(std::string filePath) : path_(std::move(filePath)) {}

RegistryStore::~RegistryStore() = default;

RegistryStore::Batch::Batch(RegistryStore& store) : store_(store) {
    if (store_.pending_) return;  // already inside one: the outer batch writes
    auto pending = std::make_unique<Pending>();
    pending->loaded = loadLocked(store_.path_, pending->lock);
    store_.pending_ = std::move(pending);
    owner_ = true;
}

RegistryStore::Batch::~Batch() {
    if (!owner_) return;
    try {
        if (store_.pending_->changed && store_.pending_->loaded) store(store_.path_, *store_.pending_->loaded);
    } catch (...) {
    }
    store_.pending_.reset();
}

std::string RegistryStore::defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return std::string(config) + "/corvane/registry.reg";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    return home + "/.config/corvane/registry.reg";
}

bool RegistryStore::keyExists(RegRoot root, const std::string& subKey) const {
    return readHive(path_, pending_.get(), [&](const Hive& hive) { return hive.exists(root, splitPath(subKey)); });
}

std::optional<RegValue> RegistryStore::queryValue(RegRoot root, const std::string& subKey, const std::string& name) const {
    return readHive(path_, pending_.get(), [&](const Hive& hive) -> std::optional<RegValue> {
        const Key* key = hive.find(root, splitPath(subKey));
        if (!key) return std::nullopt;
        for (const auto& [n, v] : key->values)
            if (ascii::sameName(n, name)) return v;
        return std::nullopt;
    });
}

bool RegistryStore::createKey(RegRoot root, const std::string& subKey) {
    auto path = splitPath(subKey);
    for (const std::string& part : path)
        if (!storableName(part)) return false;
    return update(path_, pending_.get(), [&](Hive& hive, bool& changed) {
        hive.ensure(root, path, changed);
        return true;
    });
}

bool RegistryStore::setValue(RegRoot root, const std::string& subKey, const std::string& name, const RegValue& value) {
    auto path = splitPath(subKey);
    for (const std::string& part : path)
        if (!storableName(part)) return false;
    if (!storableName(name)) return false;
    return update(path_, pending_.get(), [&](Hive& hive, bool& changed) {
        Key& key = hive.ensure(root, path, changed);
        for (auto& [n, v] : key.values) {
            if (!ascii::sameName(n, name)) continue;
            if (!(v == value)) {
                v = value;
                changed = true;
            }
            return true;
        }
        key.values.emplace_back(name, value);
        changed = true;
        return true;
    });
}

bool RegistryStore::deleteKey(RegRoot root, const std::string& subKey) {
    auto path = splitPath(subKey);
    if (path.empty()) return false;  // a root stays
    // Nothing to delete: answer without creating the folder or the lock.
    if (!readHive(path_, pending_.get(), [&](const Hive& hive) { return hive.find(root, path) != nullptr; })) return false;
    return update(path_, pending_.get(), [&](Hive& hive, bool& changed) {
        changed = hive.remove(root, path);
        return changed;
    });
}
