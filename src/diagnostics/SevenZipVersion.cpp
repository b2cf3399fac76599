#include "diagnostics/SevenZipVersion.h"

#include <cctype>
#include <sstream>

#include "platform/ExeVersion.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "platform/Shell.h"

namespace {

// 7-Zip prints its banner at once; this leaves ample room for a slow start on a loaded machine
// while the about box still comes up when the program hangs.
constexpr int BannerTimeoutMs = 5000;
// The banner and the usage text that follows it are a few kilobytes.
constexpr std::size_t BannerMaxBytes = 64 * 1024;

// "16.02", "9.20", "4.65.1": numbers joined by single dots.
bool isVersionNumber(const std::string& word) {
    bool digitBefore = false;
    bool dotSeen = false;
    for (char c : word) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
            dotSeen = true;
        } else {
            return false;
        }
    }
    return dotSeen && digitBefore;
}

}  // namespace

std::string SevenZipBannerVersion(const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("7-Zip") == std::string::npos) continue;
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (isVersionNumber(word)) return word;
        return {};
    }
    return {};
}

std::string SevenZipVersion(Shell& shell, const std::string& path) {
    const std::string program = paths::resolve(path);
    if (!fso::FileExists(program)) return {};
    if (isWindowsExecutable(program)) return exeVersionOfFile(program);
    try {
        return SevenZipBannerVersion(shell.capture(program, {}, BannerTimeoutMs, BannerMaxBytes).text);
    } catch (const RuntimeFailure&) {
        // A file that cannot be run names no version.
        return {};
    }
}
