#include "support/TestApp.h"

#include <QApplication>
#include <QWidget>
#include <cstdlib>

#include "support/core/StandIns.h"

TestApp::TestApp() : registry(root.file("registry.reg")) {
    packFolder = root.mkdir("pack");
    programFolder = root.mkdir("pack/keldwyn");
    openLog = root.file("xdg-open.log");
    writeRecordingProgram(root.file("bin/xdg-open"), openLog);
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (root.file("bin") + ":" + savedPath_).c_str(), 1);

    app.programFolder = programFolder;
    app.exeName = "Corvane";
    app.webSite = "http://127.0.0.1:9";
    app.useServices(dialogs, shell, registry, clock, windows, downloader);
    SystemInfo::Options machine;
    machine.root = root.mkdir("machine");
    machine.kernel = [] { return std::optional<KernelFacts>(KernelFacts{"Linux", "6.1.0-18-amd64", "x86_64"}); };
    machine.processBits = 64;
    systemInfo = SystemInfo(machine);
    app.systemInfo = &systemInfo;
    app.endProcess = [this](int code) {
        // The first end is the one that counts: the real process would be gone by the next.
        if (!endedWith) endedWith = code;
        // The process would be gone: close every window so a modal show returns.
        if (QApplication::instance())
            for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    };
}

TestApp::~TestApp() { setenv("PATH", savedPath_.c_str(), 1); }

std::string TestApp::makeGameFolder(const std::string& relative, bool withExpansion, bool withPatch) {
    std::string folder = root.mkdir(relative);
    root.write(relative + "/war3.mpq", "mpq");
    if (withExpansion) root.write(relative + "/War3x.mpq", "mpq");
    if (withPatch) root.write(relative + "/War3Patch.mpq", "mpq");
    root.mkdir(relative + "/Maps");
    writeRecordingProgram(folder + "/War3.exe", folder + "/war3.log");
    return folder;
}

std::string TestApp::forceGameFolder(const std::string& relative) {
    std::string folder = makeGameFolder(relative);
    writeFile(configPath(), "[FORCED_PATH]\r\nPATH=" + folder + "\r\n");
    return folder;
}

void TestApp::install7za() {
    writeFile(programFolder + "/7za.exe", readFile(std::string(CORVANE_SOURCE_DIR) + "/pack/7za.exe"), true);
}
