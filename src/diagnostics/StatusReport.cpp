#include "diagnostics/StatusReport.h"

#include <exception>
#include <functional>
#include <optional>
#include <vector>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Text.h"
#include "diagnostics/HardwareDetection.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "registry/RegistryManager.h"

namespace {

std::string BoolToYesNo(bool value) { return value ? "YES" : "NO"; }

class Report {
public:
    // One step: its text is added whole, or not at all when building it fails.
    void add(const std::function<std::string()>& step) {
        try {
            text_ += step();
        } catch (const std::exception&) {
        }
    }
    std::string text() const { return text_; }

private:
    std::string text_;
};

// The passed game folder: the text after the first "=" of the first option, up to the next "=";
// nothing when the option has no "=".
std::optional<std::string> passedFolder(const Shared& shared) {
    if (shared.CmdArgs.size() < 2) return std::nullopt;
    const std::vector<std::string> parts = splitAll(shared.CmdArgs[1], "=");
    if (parts.size() < 2) return std::nullopt;
    return parts[1];
}

// A file's whole text between its markers, under its label.
std::string textBlock(const std::string& label, const std::string& path) {
    return std::string(CRLF) + label + CRLF + CRLF + "=== TEXT START ===" + CRLF + fso::ReadAll(path) + CRLF +
           "==== TEXT END ====" + CRLF;
}

}  // namespace

std::string BuildStatusReport(const App& app, const Shared& shared) {
    // The program's own files, in whatever letter case they are spelt.
    auto own = [&app](const char* name) { return paths::resolve(paths::join(app.programFolder, name)); };
    Report report;

    report.add([&] {
        return std::string("Operative System:") + CRLF + " - Windows Version: " + GetWindowsVersionName(app) + CRLF +
               " - 32 or 64 Bits: ";
    });
    // A 64-bit build never runs under WOW64, yet its system is a 64-bit one.
    report.add([&] { return std::string(IsWow64(app) || app.systemInfo->is64BitProcess() ? "64 Bits" : "32 Bits"); });
    report.add([] { return std::string(CRLF) + CRLF + "Video Card Information:" + CRLF; });

    std::vector<std::string> info;
    if (GetDisplayAdapterInfo(app, info)) {
        for (int i = 0; i < 4; ++i) report.add([&] { return " - " + info[i] + CRLF; });
    } else {
        report.add([&] { return " - " + info[0] + CRLF + "   (Please check if you have issues with your video drivers)"; });
    }

    report.add([&] {
        return std::string(CRLF) + "Warcraft III Current Settings:" + CRLF + " - WC3 Path: " + shared.WC3Path + CRLF +
               " - War3.exe location: ";
    });
    const std::string game = paths::join(shared.WC3Path, "\\war3.exe");
    if (fso::FileExists(game)) {
        report.add([&] {
            const std::string found = paths::resolve(game);
            return found + CRLF + " - War3.exe version: " + fso::GetFileVersion(found);
        });
    } else {
        report.add([] { return std::string("No file found!!! Please Check your WC3 installation..."); });
    }

    if (const std::optional<std::string> passed = passedFolder(shared)) {
        report.add([&] { return std::string(CRLF) + " - Vesk WC3 Path: " + *passed + CRLF + std::string(17, ' '); });
        // Two empty texts are no match: without a game folder there is nothing to confirm.
        const bool match = !shared.WC3Path.empty() && *passed == shared.WC3Path;
        report.add([&] {
            return std::string(match ? "(Perfect match: Vesk read correctly WC3 path)"
                                     : "(Warning: Vesk has not detected properly WC3 Path)");
        });
    }

    report.add([&] {
        const bool forced = ReadIniValue(app, "FORCED_PATH", "FORCED", "\\config.cfg") == "TRUE";
        return std::string(CRLF) + " - Path was forced? " + BoolToYesNo(forced);
    });

    report.add([&] {
        return std::string(CRLF) + CRLF + "Vesk Information:" + CRLF + " - Version: " + std::to_string(app.versionMajor) +
               "." + std::to_string(app.versionMinor) + "." + std::to_string(app.versionRevision) + CRLF +
               " - Keldwyn Folder: " + fso::GetAbsolutePathName(app.programFolder) + CRLF + " - Multi Loader Status:" +
               CRLF + "   > Executable: " + BoolToYesNo(fso::FileExists(own("\\Tandrel.exe"))) + CRLF +
               "   > Library DLL: " + BoolToYesNo(fso::FileExists(own("\\Quenlit.dll"))) + CRLF +
               "   > Config File: " + BoolToYesNo(fso::FileExists(own("\\Config.txt")));
    });
    if (fso::FileExists(own("\\Config.txt")))
        report.add([&] { return std::string(CRLF) + "   > Current Config Text: " + fso::ReadAll(own("\\Config.txt")); });

    report.add([&] {
        return std::string(CRLF) + " - Custom Menu Settings:" + CRLF +
               "   > Config file: " + BoolToYesNo(fso::FileExists(own("\\config.cfg")));
    });
    report.add([&] { return std::string(CRLF) + "   > LUA Menu: " + BoolToYesNo(fso::FileExists(own("\\CST_Menu.lua"))); });
    if (fso::FileExists(own("\\config.cfg")))
        report.add([&] { return textBlock("   > Current Config Text: ", own("\\config.cfg")); });
    if (fso::FileExists(own("\\CST_Menu.lua")))
        report.add([&] { return textBlock("   > Current LUA Menu code: ", own("\\CST_Menu.lua")); });

    return report.text();
}

std::string WithForumMarkup(const std::string& report, const std::string& dateTime) {
    return std::string("[b]Vesk Status[/b]") + CRLF + "[i]" + dateTime + "[/i]" + CRLF + "[code]" + report + "[/code]";
}
