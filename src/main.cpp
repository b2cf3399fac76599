#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

#include "common/App.h"
#include "common/BuildConfig.h"
#include "common/Shared.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "startup/LazyWindowing.h"
#include "startup/Main.h"
#include "startup/Windowing.h"

namespace {

class SystemClock : public Clock {
public:
    void sleepMs(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

// Where the executable file really is: the program's folder is that file's folder.
std::string executablePath(const char* fallback) {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return fallback;
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe = executablePath(argv[0]);

    std::string programFolder = paths::parentOf(exe);
    WindowingLibrary windowing(paths::join(programFolder, "\\" CORVANE_WINDOWING_LIBRARY), WindowingEntryName);
    DownloadLibrary downloads(paths::join(programFolder, "\\" CORVANE_DOWNLOAD_LIBRARY), DownloadEntryName);
    PciNamesLibrary pci(paths::join(programFolder, "\\" CORVANE_PCI_NAMES_LIBRARY), PciNamesEntryName);
    LazyDialogs dialogs(windowing);
    LazyWindows windows(windowing);
    LazyDownloader downloader(downloads);
    SystemShell shell;
    RegistryStore registry(RegistryStore::defaultPath());
    SystemClock clock;
    LazyPciNames pciNames(pci);
    SystemInfo::Options machine;
    machine.pciNames = &pciNames;
    SystemInfo systemInfo(machine);

    App app;
    app.programFolder = programFolder;
    app.exeName = paths::fileNameOf(exe);
    app.webSite = CORVANE_WEB_SITE;
    app.probeDisplay = [] {
        std::string unanswered;
        const bool available = display::available(&unanswered);
        if (!unanswered.empty()) std::fprintf(stderr, "Corvane: cannot open display \"%s\"\n", unanswered.c_str());
        return available;
    };
#ifdef CORVANE_IN_IDE
    // The development program: its command line comes from the composer window.
    app.inIDE = true;
#endif
    app.useServices(dialogs, shell, registry, clock, windows, downloader);
    app.systemInfo = &systemInfo;
    // The run ends here and now, windows and all, as the classic End did.
    app.endProcess = [](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
    };

    // The command line as one text: the arguments joined by single blanks.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }

    Shared shared;
    Main(app, shared, commandLine);
    return 0;
}
