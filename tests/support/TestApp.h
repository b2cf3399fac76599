#pragma once
#include <optional>
#include <string>

#include "common/App.h"
#include "common/Shared.h"
#include "platform/Download.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "startup/ModeWindows.h"
#include "support/FakeDialogs.h"
#include "support/core/TempDir.h"

class InstantClock : public Clock {
public:
    int slept = 0;
    void sleepMs(int milliseconds) override { slept += milliseconds; }
};

// A run's App and Shared over a temporary pack layout:
//   <root>/pack/keldwyn      the program's folder
//   <root>/registry.reg      the registry store
//   <root>/bin/xdg-open      a recorder put first on PATH, so web pages and folders open nowhere
//   <root>/machine           the root the machine's facts are read under (empty: no os-release, no
//                            display adapter), on a 64-bit "Linux 6.1.0-18-amd64"
// Dialogs are scripted; the shell, the registry and the windows are the real ones.
struct TestApp {
    TempDir root;
    std::string packFolder;
    std::string programFolder;
    std::string openLog;  // what xdg-open was asked to open
    FakeDialogs dialogs;
    SystemShell shell;
    RegistryStore registry;
    InstantClock clock;
    ModeWindows windows;
    CurlDownloader downloader;
    SystemInfo systemInfo;
    App app;
    Shared shared;
    std::optional<int> endedWith;  // the status of the first endProcess, which the real one would not survive

    TestApp();
    ~TestApp();

    // A game folder with "war3.mpq" (and optionally "War3x.mpq", "War3Patch.mpq") and a
    // recording "War3.exe" whose log is <folder>/war3.log.
    std::string makeGameFolder(const std::string& relative, bool withExpansion = true, bool withPatch = true);
    // A game folder stored as the forced one in "config.cfg", so discovery finds it without a window.
    std::string forceGameFolder(const std::string& relative);
    // The pack's "7za.exe" (which runs the system's 7za) in the program's folder.
    void install7za();
    // The settings file's path and whole text ("" when absent).
    std::string configPath() const { return programFolder + "/config.cfg"; }

private:
    std::string savedPath_;
};
