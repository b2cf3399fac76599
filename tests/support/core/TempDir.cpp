#include "support/core/TempDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& base) {
    std::string pattern = (fs::path(base) / "corvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only; give the owner write access back so removal succeeds.
    for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) break;
        if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& relative) const { return path_ + "/" + relative; }

std::string TempDir::write(const std::string& relative, const std::string& content, bool executable) const {
    std::string p = file(relative);
    writeFile(p, content, executable);
    return p;
}

std::string TempDir::read(const std::string& relative) const { return readFile(file(relative)); }

bool TempDir::exists(const std::string& relative) const { return fs::exists(file(relative)); }

std::string TempDir::mkdir(const std::string& relative) const {
    std::string p = file(relative);
    fs::create_directories(p);
    return p;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content, bool executable) {
    fs::create_directories(fs::path(path).parent_path());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("cannot write " + path);
        out << content;
    }
    if (executable) fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
}

std::string utf16File(std::u16string_view text) {
    std::string file = "\xFF\xFE";
    for (char16_t u : text) file += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return file;
}

std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        std::string state = std::to_string(int(e.symlink_status().permissions())) + ":";
        if (e.is_symlink()) state += "link " + fs::read_symlink(e.path()).string();
        else if (e.is_directory()) state += "folder";
        else state += readFile(e.path().string());
        entries[fs::relative(e.path(), folder).string()] = state;
    }
    return entries;
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}
