#pragma once
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

// File forms. A read never creates the file; a write creates it and replaces it atomically,
// holding the lock beside it (FileLock) while it reads and writes. Anything at the path that is
// not a regular file reads as absent and is never written. A write that fails returns false.
std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key);
bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::optional<std::string>& value);

// Keys of one section and their values (a null value deletes the key), set in this order.
using KeyValues = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Many keys in one read-modify-write under one lock and one replacement: a reader sees all of
// them or none. A write that fails returns false and leaves the file as it was.
bool write(const std::string& path, const std::string& section, const KeyValues& keyValues);

}  // namespace profile
