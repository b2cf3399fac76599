#include "platform/Paths.h"

#include "platform/Ascii.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace paths {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }
bool isNativeSeparator(char c) { return c == Separator; }

bool entryExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}


// The first name (in byte order) inside the folder that equals `name` without regard to case;
// empty when the folder cannot be read or holds no such entry.
std::string findIgnoringCase(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir) return {};
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (ascii::sameName(candidate, name)) matches.push_back(std::move(candidate));
    }
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

// Trailing separators do not count when taking a path apart ("/a/b/" is "/a/b").
template <typename IsSeparator>
std::size_t lengthWithoutTrailingSeparators(const std::string& path, IsSeparator isSeparator) {
    std::size_t n = path.size();
    while (n > 1 && isSeparator(path[n - 1])) --n;
    return n;
}

template <typename IsSeparator>
std::string parentWith(const std::string& path, IsSeparator isSeparator) {
    std::size_t n = lengthWithoutTrailingSeparators(path, isSeparator);
    std::size_t cut = n;
    while (cut > 0 && !isSeparator(path[cut - 1])) --cut;
    if (cut == 0) return {};  // a bare name, or nothing at all
    if (cut == n) return {};  // the root has no parent
    std::size_t end = cut - 1;
    while (end > 0 && isSeparator(path[end - 1])) --end;
    if (end == 0) return std::string(1, path[0]);
    return path.substr(0, end);
}

template <typename IsSeparator>
std::string fileNameWith(const std::string& path, IsSeparator isSeparator) {
    std::size_t n = lengthWithoutTrailingSeparators(path, isSeparator);
    std::size_t start = n;
    while (start > 0 && !isSeparator(path[start - 1])) --start;
    return path.substr(start, n - start);
}

}  // namespace

std::string native(const std::string& windowsName) {
    std::string out = windowsName;
    std::replace(out.begin(), out.end(), '\\', Separator);
    return out;
}

std::string join(const std::string& base, const std::string& windowsName) { return base + native(windowsName); }

std::string resolve(const std::string& path) {
    if (path.empty() || entryExists(path)) return path;
    std::string wanted = native(path);
    if (entryExists(wanted)) return wanted;

    const bool absolute = wanted[0] == Separator;
    const bool trailing = wanted.size() > 1 && wanted.back() == Separator;

    std::vector<std::string> components;
    for (std::size_t start = 0; start <= wanted.size();) {
        std::size_t end = wanted.find(Separator, start);
        if (end == std::string::npos) end = wanted.size();
        if (end > start) components.push_back(wanted.substr(start, end - start));
        start = end + 1;
    }

    std::string result = absolute ? std::string(1, Separator) : std::string();
    auto append = [&](const std::string& component) {
        if (!result.empty() && result.back() != Separator) result += Separator;
        result += component;
    };

    std::size_t i = 0;
    for (; i < components.size(); ++i) {
        const std::string& component = components[i];
        std::string exact = result.empty() ? component
                            : (result.back() == Separator ? result + component : result + Separator + component);
        if (component == "." || component == ".." || entryExists(exact)) {
            append(component);
            continue;
        }
        std::string match = findIgnoringCase(result, component);
        if (match.empty()) break;
        append(match);
    }
    // Once a component matches nothing, the rest names something still to be made: keep it as given.
    for (; i < components.size(); ++i) append(components[i]);

    if (trailing && (result.empty() || result.back() != Separator)) result += Separator;
    return result;
}

std::string parentOf(const std::string& path) { return parentWith(path, isSeparator); }
std::string fileNameOf(const std::string& path) { return fileNameWith(path, isSeparator); }
std::string nativeParentOf(const std::string& path) { return parentWith(path, isNativeSeparator); }
std::string nativeFileNameOf(const std::string& path) { return fileNameWith(path, isNativeSeparator); }

bool endsWithSeparator(const std::string& path) { return !path.empty() && isSeparator(path.back()); }

}  // namespace paths
