#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Initialisation files with the semantics of the system's profile functions: section and key
// names without regard to case, values trimmed of blanks and of one pair of enclosing quotes,
// read through a 255-character buffer.
namespace profile {

constexpr std::size_t BufferSize = 255;  // the terminating NUL included: 254 characters come back

// The value of a key in the text, or nothing when the section or key is missing.
std::optional<std::string> get(std::string_view text, const std::string& section, const std::string& key);

// The text with one key written (outer blanks as given, so a reader gets the value trimmed;
// protective quotes where a quote stands at either end): replaced in place, or appended at the end of its section,
// the section created at the end when missing. A null value deletes the key. Every other
// line keeps its place. Lines end with CR LF.
std::string set(std::string_view text, const std::string& section, const std::string& key,
                const std::optional<std::string>& value);

// Keys of one section and their values (a null value deletes the key), set in this order.
using KeyValues = std::vector<std::pair<std::string, std::optional<std::string>>>;

// The text with many keys of one section written, as one set() after another would write them,
// in one pass over the text.
std::string set(std::string_view text, const std::string& section, const KeyValues& keyValues);

// The lines of a section (its header and everything up to the next section), each ended with
// CR LF as every write leaves them; nothing when the text has no such section.
std::optional<std::string> sectionText(std::string_view text, const std::string& section);

// The text with that section's lines replaced by `lines` (as sectionText gives them): a missing
// section is appended, and nothing for `lines` removes the section.
std::string withSection(std::string_view text, const std::string& section, const std::optional<std::string>& lines);

// A file's text read once for a reader of many keys: each section is indexed the first time a
// key of it is asked for, so every further key costs no pass over the text.
class Snapshot {
public:
    explicit Snapshot(std::string text);
    // As get() on the text.
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    const std::string& text() const { return text_; }

private:
    using Keys = std::map<std::string, std::string>;
    std::string text_;
    mutable std::map<std::string, std::optional<Keys>> sections_;
};

// The file's text; an empty one when there is no regular file to read.
Snapshot readAll(const std::string& path);

// Whether a write may change the file: one that does not exist yet may be created; one that does
// only when the running user could open it for writing (the administrator only when it has a write bit).
bool mayReplace(const std::string& path);

// File forms. A read never creates the file; a write creates it and replaces it atomically,
// holding the lock beside it (FileLock) while it reads and writes. Anything at the path that is
// not a regular file reads as absent and is never written, and neither is a file that mayReplace
// refuses. A write that fails returns false.
std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key);
bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::optional<std::string>& value);

// Many keys in one read-modify-write under one lock and one replacement: a reader sees all of
// them or none. A write that fails returns false and leaves the file as it was.
bool write(const std::string& path, const std::string& section, const KeyValues& keyValues);

}  // namespace profile
