#include "platform/ProfileFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unordered_map>
#include <vector>

#include "platform/Ascii.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/RawIo.h"

namespace profile {
namespace {

bool isQuote(char c) { return c == '"' || c == '\''; }

// Lines without their ends; a last line without an end still counts.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

// What a line means to the profile reader.
struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // raw text after '=' (keys only)
    std::size_t equals = 0;  // position of '=' in the line (keys only)
};

Line classify(std::string_view raw, bool first) {
    std::string_view s = raw;
    // A byte-order mark from a Windows editor must not hide the first section.
    if (first && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    std::string_view t = ascii::trimBlanks(s);
    Line line;
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        std::size_t close = inner.find(']');
        line.kind = Line::Section;
        line.name = ascii::trimBlanks(inner.substr(0, close));
        return line;
    }
    std::size_t eq = raw.find('=');
    if (eq == std::string_view::npos) return line;
    line.kind = Line::Key;
    line.equals = eq;
    line.name = ascii::trimBlanks(raw.substr(0, eq));
    if (first && line.name.substr(0, 3) == "\xEF\xBB\xBF") line.name = ascii::trimBlanks(line.name.substr(3));
    line.value = raw.substr(eq + 1);
    return line;
}

std::vector<Line> classifyAll(const std::vector<std::string_view>& lines) {
    std::vector<Line> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) out.push_back(classify(lines[i], i == 0));
    return out;
}

// Where a section sits: its header line and the line after its last one.
struct Range {
    std::size_t header = 0, end = 0;
};

std::optional<Range> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section || !ascii::sameName(lines[i].name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != Line::Section) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, Range range, std::string_view key) {
    for (std::size_t i = range.header + 1; i < range.end; ++i)
        if (lines[i].kind == Line::Key && ascii::sameName(lines[i].name, key)) return i;
    return std::nullopt;
}

std::string without(std::string_view name, std::string_view drop) {
    std::string out;
    for (char c : name)
        if (drop.find(c) == std::string_view::npos) out += c;
    return out;
}

// Names are cleaned so that no caller's text can make the written line mean something else:
// a line break would start a line of its own, a ']' would end the header early.
std::string cleanSectionName(std::string_view section) { return std::string(ascii::trimBlanks(without(section, "\r\n]"))); }

// For a key, '=' would move the split, and a leading ';' or '[' would turn the line into a
// comment or a section header.
std::string cleanKeyName(std::string_view key) {
    std::string k = without(key, "\r\n=");
    std::string_view v = ascii::trimBlanks(k);
    while (!v.empty() && (v.front() == ';' || v.front() == '[')) v = ascii::trimBlanks(v.substr(1));
    return std::string(v);
}

// The value as it must stand in the file so that get() returns it as the system's profile
// functions would: outer blanks stand as given and are trimmed on read, line breaks would start
// new lines (and so new keys), and a quote at either end keeps its place only inside a pair of
// protective quotes, since the reader strips one enclosing pair.
std::string encodeValue(const std::string& value) {
    std::string v = value;
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    std::string_view core = ascii::trimBlanks(v);
    if (core.empty() || !(isQuote(core.front()) || isQuote(core.back()))) return v;
    std::size_t lead = static_cast<std::size_t>(core.data() - v.data());
    return v.substr(0, lead) + '"' + std::string(core) + '"' + v.substr(lead + core.size());
}

// The value of a key line as the system's profile reader gives it back.
std::string valueOf(const Line& line) {
    std::string_view v = ascii::trimBlanks(line.value);
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    if (v.size() > BufferSize - 1) v = v.substr(0, BufferSize - 1);
    return std::string(v);
}

std::string loweredName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = ascii::lower(c);
    return out;
}

// One line of the section being edited; a deleted line stays as a hole, so that the positions
// of the other lines do not move.
struct BodyLine {
    std::string text;
    std::size_t equals = 0;
    bool live = true;
};

// A text taken apart once: its lines, what each means, and where the section asked for sits.
struct Parsed {
    std::vector<std::string_view> raw;
    std::vector<Line> lines;
    std::optional<Range> range;

    Parsed(std::string_view text, std::string_view section)
        : raw(splitLines(text)), lines(classifyAll(raw)), range(findSection(lines, section)) {}

    // The lines before the section (its header included when `withHeader`) and after it; the whole
    // text when there is no such section.
    std::size_t before(bool withHeader) const { return range ? range->header + (withHeader ? 1 : 0) : raw.size(); }
    std::size_t after() const { return range ? range->end : raw.size(); }
    bool endsWithText() const { return !raw.empty() && !ascii::trimBlanks(raw.back()).empty(); }
};

// Every line a write leaves ends with CR LF.
void addLine(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

}  // namespace

std::optional<std::string> get(std::string_view text, const std::string& section, const std::string& key) {
    const Parsed parsed(text, cleanSectionName(section));
    if (!parsed.range) return std::nullopt;
    auto at = findKey(parsed.lines, *parsed.range, cleanKeyName(key));
    if (!at) return std::nullopt;
    return valueOf(parsed.lines[*at]);
}

std::string set(std::string_view text, const std::string& section, const std::string& key,
                const std::optional<std::string>& value) {
    return set(text, section, KeyValues{{key, value}});
}

// The file is parsed once and copied once, however many keys change: a settings file may be
// megabytes long. A replaced line keeps the key as the file spells it (and its indentation); an
// appended line carries the key as the caller wrote it.
std::string set(std::string_view text, const std::string& section, const KeyValues& keyValues) {
    const std::string sectionName = cleanSectionName(section);
    const Parsed parsed(text, sectionName);
    const std::vector<std::string_view>& raw = parsed.raw;
    const std::vector<Line>& lines = parsed.lines;
    const std::optional<Range>& range = parsed.range;

    std::vector<BodyLine> body;
    std::unordered_map<std::string, std::size_t> keyAt;  // live keys by lowered name: the first line of each
    std::size_t insertAt = 0;  // after the last non-blank line, so blank separators stay between sections
    if (range) {
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            body.push_back({std::string(raw[i]), lines[i].equals});
            if (lines[i].kind == Line::Key) keyAt.try_emplace(loweredName(lines[i].name), body.size() - 1);
            if (!ascii::trimBlanks(raw[i]).empty()) insertAt = body.size();
        }
    }

    bool changed = false;
    for (const auto& [key, value] : keyValues) {
        const std::string keyName = cleanKeyName(key);
        const std::string lowered = loweredName(keyName);
        auto at = keyAt.find(lowered);
        if (!value) {
            if (at == keyAt.end()) continue;
            body[at->second].live = false;
            keyAt.erase(at);
            while (insertAt > 0 && (!body[insertAt - 1].live || ascii::trimBlanks(body[insertAt - 1].text).empty()))
                --insertAt;
        } else if (at != keyAt.end()) {
            BodyLine& line = body[at->second];
            std::string_view prefix = std::string_view(line.text).substr(0, line.equals);
            while (!prefix.empty() && ascii::isBlank(prefix.back())) prefix.remove_suffix(1);
            line.text = std::string(prefix) + "=" + encodeValue(*value);
            line.equals = prefix.size();
        } else {
            // Only blank lines and holes lie after the insertion point, so no key's position moves.
            body.insert(body.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        BodyLine{keyName + "=" + encodeValue(*value), keyName.size()});
            keyAt.emplace(lowered, insertAt);
            ++insertAt;
        }
        changed = true;
    }
    if (!changed) return std::string(text);  // nothing to delete

    std::string out;
    out.reserve(text.size() + 1024);
    for (std::size_t i = 0; i < parsed.before(true); ++i) addLine(out, raw[i]);
    if (!range) {
        if (parsed.endsWithText()) addLine(out, "");
        addLine(out, "[" + sectionName + "]");
    }
    for (const BodyLine& l : body)
        if (l.live) addLine(out, l.text);
    for (std::size_t i = parsed.after(); i < raw.size(); ++i) addLine(out, raw[i]);
    return out;
}

std::optional<std::string> sectionText(std::string_view text, const std::string& section) {
    const Parsed parsed(text, cleanSectionName(section));
    if (!parsed.range) return std::nullopt;
    std::string out;
    for (std::size_t i = parsed.before(false); i < parsed.after(); ++i) addLine(out, parsed.raw[i]);
    return out;
}

std::string withSection(std::string_view text, const std::string& section, const std::optional<std::string>& lines) {
    const Parsed parsed(text, cleanSectionName(section));
    if (!parsed.range && !lines) return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < parsed.before(false); ++i) addLine(out, parsed.raw[i]);
    if (lines) {
        if (!parsed.range && parsed.endsWithText()) addLine(out, "");
        for (std::string_view l : splitLines(*lines)) addLine(out, l);
    }
    for (std::size_t i = parsed.after(); i < parsed.raw.size(); ++i) addLine(out, parsed.raw[i]);
    return out;
}

Snapshot::Snapshot(std::string text) : text_(std::move(text)) {}

std::optional<std::string> Snapshot::get(const std::string& section, const std::string& key) const {
    const std::string sectionName = loweredName(cleanSectionName(section));
    auto known = sections_.find(sectionName);
    if (known == sections_.end()) {
        // Each section is indexed the first time it is asked for: one pass over the text.
        std::optional<Keys> keys;
        const Parsed parsed(text_, sectionName);
        if (parsed.range) {
            keys.emplace();
            for (std::size_t i = parsed.before(true); i < parsed.after(); ++i)
                if (parsed.lines[i].kind == Line::Key) keys->try_emplace(loweredName(parsed.lines[i].name), valueOf(parsed.lines[i]));
        }
        known = sections_.emplace(sectionName, std::move(keys)).first;
    }
    if (!known->second) return std::nullopt;
    auto value = known->second->find(loweredName(cleanKeyName(key)));
    if (value == known->second->end()) return std::nullopt;
    return value->second;
}

Snapshot readAll(const std::string& path) {
    std::string text;
    if (readWholeFile(path, text) != ReadResult::Ok) text.clear();
    return Snapshot(std::move(text));
}

bool mayReplace(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISREG(st.st_mode)) return false;
    // The system refuses to write a read-only file for every user, administrators included.
    if (::geteuid() == 0) return (st.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key) {
    std::string text;
    if (readWholeFile(path, text) != ReadResult::Ok) return std::nullopt;
    return get(text, section, key);
}

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::optional<std::string>& value) {
    return write(path, section, KeyValues{{key, value}});
}

bool write(const std::string& path, const std::string& section, const KeyValues& keyValues) {
    try {
        // A write that changes nothing takes no lock; one that does reads the file again under the
        // lock, so no key that another run wrote in between is lost.
        std::optional<FileLock> lock;
        for (;;) {
            std::string text;
            ReadResult r = readWholeFile(path, text);
            // Never replace what could not be read, nor anything that is not a regular file.
            if (r == ReadResult::Failed || r == ReadResult::NotRegular) return false;
            std::string updated = set(text, section, keyValues);
            // Deleting from a missing file leaves it missing.
            if (updated == text) return true;
            if (!mayReplace(path)) return false;
            if (lock) {
                writeFileAtomically(path, updated);
                return true;
            }
            lock.emplace(path);
            if (!lock->held()) return false;
        }
    } catch (...) {
        return false;
    }
}

}  // namespace profile
