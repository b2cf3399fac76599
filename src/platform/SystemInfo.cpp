#include "platform/SystemInfo.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Paths.h"
#include "platform/RawIo.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A value of os-release as the shell would read it: double quotes with backslash escapes,
// single quotes taken literally, or a bare word.
std::string unquoted(std::string_view value) {
    value = trimmed(value);
    if (value.empty()) return {};
    const char quote = value.front();
    if (quote != '"' && quote != '\'') return std::string(value);
    std::string out;
    for (std::size_t i = 1; i < value.size() && value[i] != quote; ++i) {
        if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
        out += value[i];
    }
    return out;
}

std::string prettyNameIn(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const std::string_view key = "PRETTY_NAME=";
        if (line.substr(0, key.size()) == key) return unquoted(line.substr(key.size()));
    }
    return {};
}

// The whole of a small file, trimmed; "" when it cannot be read.
std::string attribute(const std::string& path) {
    std::string text;
    if (readWholeFile(path, text) != ReadResult::Ok) return {};
    return std::string(trimmed(text));
}

// A 16-bit PCI id as sysfs writes it ("0x8086").
std::optional<unsigned> pciId(const std::string& path) {
    const std::string text = attribute(path);
    if (text.size() < 3 || text.size() > 6 || text.compare(0, 2, "0x") != 0) return std::nullopt;
    if (text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos) return std::nullopt;
    return unsigned(std::stoul(text.substr(2), nullptr, 16));
}

std::optional<std::string> realPath(const std::string& path) {
    std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), ::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

// "card<N>" entries by their number, lowest first.
std::vector<std::string> cardsIn(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return {};
    std::vector<std::pair<unsigned long, std::string>> cards;
    while (dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        const std::string digits = name.substr(std::min<std::size_t>(4, name.size()));
        if (name.compare(0, 4, "card") != 0 || digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        cards.emplace_back(std::stoul(digits), name);
    }
    std::sort(cards.begin(), cards.end());
    std::vector<std::string> names;
    for (auto& card : cards) names.push_back(std::move(card.second));
    return names;
}

}  // namespace

std::optional<KernelFacts> systemKernel() {
    struct utsname facts;
    if (::uname(&facts) != 0) return std::nullopt;
    return KernelFacts{facts.sysname, facts.release, facts.machine};
}

std::string SystemInfo::prettyName() const {
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::string text;
        if (readWholeFile(options_.root + file, text) == ReadResult::Ok) return prettyNameIn(text);
    }
    return {};
}

Wow64Answer SystemInfo::wow64() const {
    const std::optional<KernelFacts> kernel = options_.kernel();
    if (!kernel) return {};
    // The machine's name tells a 64-bit kernel ("x86_64", "aarch64", "s390x"...).
    const bool kernel64 = kernel->machine.find("64") != std::string::npos || kernel->machine == "s390x";
    return {true, !is64BitProcess() && kernel64 ? 1u : 0u};
}

std::optional<DisplayAdapter> SystemInfo::displayAdapter() const {
    const std::string drm = options_.root + "/sys/class/drm";
    // Paths are shown as the machine knows them, without the root they were read under.
    const std::string root = options_.root.empty() ? std::string() : realPath(options_.root).value_or(options_.root);
    for (const std::string& card : cardsIn(drm)) {
        const std::string device = drm + "/" + card + "/device";
        const std::optional<std::string> real = realPath(device);
        if (!real) continue;

        DisplayAdapter adapter;
        adapter.name = card;
        const bool underRoot = !root.empty() && real->compare(0, root.size(), root) == 0 && (*real)[root.size()] == '/';
        adapter.key = underRoot ? real->substr(root.size()) : *real;
        const std::optional<unsigned> vendor = pciId(device + "/vendor");
        const std::optional<unsigned> model = pciId(device + "/device");
        if (vendor && model) {
            char id[32];
            std::snprintf(id, sizeof id, "PCI\\VEN_%04X&DEV_%04X", *vendor, *model);
            adapter.id = id;
            if (options_.pciNames) adapter.description = options_.pciNames->name(*vendor, *model);
        } else {
            adapter.id = attribute(device + "/modalias");
        }
        if (adapter.description.empty())
            if (const std::optional<std::string> driver = realPath(device + "/driver"))
                adapter.description = paths::fileNameOf(*driver);
        return adapter;
    }
    return std::nullopt;
}
