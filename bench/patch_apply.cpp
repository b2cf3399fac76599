// Times the patcher's whole apply (7-Zip extraction and installation) of one archive.
// Usage: patch_apply <program folder> <archive file name in Patches> <game folder>
// Prints "apply_ms=" with the milliseconds of the apply, not counting the fixed one-second pause
// after an installation, and "outcome=" with the outcome text.
#include <chrono>
#include <cstdio>
#include <string>

#include "common/App.h"
#include "common/Shared.h"
#include "platform/Download.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "setup/FrmPatcher.h"
#include "startup/ModeWindows.h"
#include "ui/Dialogs.h"

namespace {

class NoPause : public Clock {
public:
    void sleepMs(int) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <program folder> <archive> <game folder>\n", argv[0]);
        return 2;
    }
    QtDialogs dialogs;
    SystemShell shell;
    RegistryStore registry(std::string(argv[1]) + "/registry.reg");
    NoPause clock;
    ModeWindows windows;
    CurlDownloader downloader;
    App app;
    app.programFolder = argv[1];
    app.exeName = "Corvane";
    app.useServices(dialogs, shell, registry, clock, windows, downloader);
    app.endProcess = [](int code) { std::exit(code); };
    Shared shared;
    shared.WC3Path = argv[3];

    FrmPatcher patcher(app, shared);
    auto start = std::chrono::steady_clock::now();
    std::string outcome = patcher.ExtractAndInstallPatch(app.programFolder + "/Patches/" + argv[2], shared.WC3Path);
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // 7-Zip shares our output, so the figures carry names.
    std::printf("apply_ms=%.1f\noutcome=%s\n", elapsed, outcome.c_str());
    return 0;
}
