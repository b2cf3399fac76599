#include "platform/ProfileFile.h"

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

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}


}  // namespace

std::optional<std::string> get(std::string_view text, const std::string& section, const std::string& key) {
    std::vector<Line> lines = classifyAll(splitLines(text));
    auto range = findSection(lines, cleanSectionName(section));
    if (!range) return std::nullopt;
    auto at = findKey(lines, *range, cleanKeyName(key));
    if (!at) return std::nullopt;
    std::string_view v = ascii::trimBlanks(lines[*at].value);
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    if (v.size() > BufferSize - 1) v = v.substr(0, BufferSize - 1);
    return std::string(v);
}

// A replaced line keeps the key as the file spells it (and its indentation); an appended
// line carries the key as the caller wrote it.
std::string set(std::string_view text, const std::string& section, const std::string& key,
                const std::optional<std::string>& value) {
    std::vector<std::string_view> raw = splitLines(text);
    std::vector<Line> lines = classifyAll(raw);
    const std::string sectionName = cleanSectionName(section);
    const std::string keyName = cleanKeyName(key);

    auto range = findSection(lines, sectionName);
    std::optional<std::size_t> at;
    if (range) at = findKey(lines, *range, keyName);
    if (!value && !at) return std::string(text);  // nothing to delete

    std::vector<std::string> out(raw.begin(), raw.end());
    if (!value) {
        out.erase(out.begin() + static_cast<std::ptrdiff_t>(*at));
    } else if (at) {
        std::string_view prefix = raw[*at].substr(0, lines[*at].equals);
        while (!prefix.empty() && ascii::isBlank(prefix.back())) prefix.remove_suffix(1);
        out[*at] = std::string(prefix) + "=" + encodeValue(*value);
    } else if (range) {
        // After the section's last non-blank line, so blank separators stay between sections.
        std::size_t pos = range->header + 1;
        for (std::size_t i = range->header + 1; i < range->end; ++i)
            if (!ascii::trimBlanks(raw[i]).empty()) pos = i + 1;
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(pos), keyName + "=" + encodeValue(*value));
    } else {
        if (!out.empty() && !ascii::trimBlanks(out.back()).empty()) out.emplace_back();
        out.push_back("[" + sectionName + "]");
        out.push_back(keyName + "=" + encodeValue(*value));
    }
    return joinCrLf(out);
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
            std::string updated = text;
            for (const auto& [key, value] : keyValues) updated = set(updated, section, key, value);
            // Deleting from a missing file leaves it missing.
            if (updated == text) return true;
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
