#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    // The same under another folder, say on another file system.
    explicit TempDir(const std::string& base);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string file(const std::string& relative) const;
    // Writes a file (creating its folders); with executable it gets the run bits.
    std::string write(const std::string& relative, const std::string& content, bool executable = false) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    std::string mkdir(const std::string& relative) const;

private:
    std::string path_;
};

// Reads and writes whole files by absolute path.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content, bool executable = false);
// A text file's bytes as the system's own editors write it: UTF-16LE after a byte-order mark.
std::string utf16File(std::u16string_view text);

// Every entry below a folder (hidden ones too, links not followed) with its mode and content,
// by path relative to the folder: two equal snapshots are byte-identical trees.
std::map<std::string, std::string> snapshot(const std::string& folder);

// The names directly inside a folder.
std::set<std::string> namesIn(const std::string& folder);
