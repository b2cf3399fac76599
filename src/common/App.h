#pragma once
#include <functional>
#include <optional>
#include <string>

#include "common/BuildConfig.h"

class Dialogs;
class Shell;
class RegistryStore;
class WindowRunner;
class Downloader;
class SystemInfo;
struct RuntimeFailure;

// Pauses the one thread; a service so tests need not wait.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int milliseconds) = 0;
};

// What the platform gives a run. Tests build their own with fakes where a real service would
// block (modal boxes) or leave the machine (the web site), and real services elsewhere.
struct App {
    std::string programFolder;  // the folder that holds the executable, no trailing separator
    std::string exeName;        // the executable's own file name
    int versionMajor = CORVANE_VERSION_MAJOR;
    int versionMinor = CORVANE_VERSION_MINOR;
    int versionRevision = CORVANE_VERSION_REVISION;
    std::string webSite;        // base address of the project's web site, no trailing "/"
    // Whether windows and boxes can be shown. Without a display, information boxes go to
    // standard error, the game-folder search does without its manual window and a window mode
    // ends in the failure report. Asked the first time something would be shown, and only once:
    // the question may cost a connection to the display server, which a run that shows nothing
    // must not pay. Without a probe (the tests' own App) the answer is yes.
    std::function<bool()> probeDisplay;
    bool displayAvailable() {
        if (!displayAnswer_) displayAnswer_ = !probeDisplay || probeDisplay();
        return *displayAnswer_;
    }
    std::optional<bool> displayAnswer_;
    // Whether the run takes the development road: the command line comes from the composer
    // window instead of the process. Only the development program (Corvane-dev) and tests set it.
    bool inIDE = false;

    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    RegistryStore* registry = nullptr;
    Clock* clock = nullptr;
    WindowRunner* windows = nullptr;
    Downloader* downloader = nullptr;
    // The machine's facts for the status report.
    SystemInfo* systemInfo = nullptr;

    // Ends the process at once. The real one does not return; a test's records the code and
    // closes the windows, so the code after the call must not rely on it not returning.
    std::function<void(int)> endProcess;

    // Every entry point (the program, the tests, the benchmark) chooses its own services.
    void useServices(Dialogs& dialogs_, Shell& shell_, RegistryStore& registry_, Clock& clock_, WindowRunner& windows_,
                     Downloader& downloader_) {
        dialogs = &dialogs_;
        shell = &shell_;
        registry = &registry_;
        clock = &clock_;
        windows = &windows_;
        downloader = &downloader_;
    }

    // The program's failure report for failures raised in event procedures of shown windows;
    // start-up sets it.
    std::function<void(const RuntimeFailure&)> reportFailure;
};
