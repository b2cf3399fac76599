#include "support/LoadedWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "devtools/FrmTest.h"
#include "diagnostics/FrmAbout.h"
#include "diagnostics/FrmOssik.h"
#include "diagnostics/FrmStatus.h"
#include "gamepath/FrmSetPath.h"
#include "platform/FileSystem.h"
#include "setup/FrmCstmMenu.h"
#include "setup/FrmPatcher.h"
#include "support/core/MapFile.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "testing/FrmLoading.h"
#include "testing/FrmMulti.h"
#include "testing/FrmTMC.h"

namespace {
// Version parts are 16-bit numbers: 65535 is as long as they get.
constexpr PeVersion Longest{65535, 65535, 65535, 65535};
constexpr PeVersion LongestCompatible{65535, 26, 65535, 65535};

LoadedWindow overGame(std::optional<PeVersion> version) {
    LoadedWindow w;
    w.game = w.t->makeGameFolder("home/warcraft-player/.wine/drive_c/Program Files (x86)/Warcraft III");
    if (version) writePeExecutable(w.game + "/War3.exe", *version);
    w.t->shared.WC3Path = w.game;
    return w;
}
}  // namespace

Form* LoadedWindow::shown() {
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    return window.get();
}

LoadedWindow loadSetPath() {
    LoadedWindow w = overGame(std::nullopt);
    std::string folder = w.t->makeGameFolder("games/Warcraft III Frozen Throne", true, false);
    w.t->shared.CmdArgs = {"", "setwc3path=" + w.game};
    auto* window = new FrmSetPath(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    w.t->dialogs.pickAnswers.push_back(folder + "/war3.exe");
    window->BtnBrowse_Click();
    return w;
}

LoadedWindow loadLoading() {
    LoadedWindow w = overGame(std::nullopt);
    const std::string map = w.t->root.write("maps/(12) Frozen Throne Twisted Meadows v1.2.w3x", "map");
    w.t->shared.CmdArgs = {"", "loadmap=" + map + " ", "arguments=-window -opengl"};
    w.t->shared.TargetFile = fso::GetFile(map);
    auto* window = new FrmLoading(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadMulti(bool compatible) {
    LoadedWindow w = overGame(compatible ? LongestCompatible : Longest);
    w.t->shared.ArgValue = "-window";
    if (!compatible) w.t->dialogs.yesNoAnswers.push_back(false);
    auto* window = new FrmMulti(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    window->SesCount->setValue(12);
    return w;
}

LoadedWindow loadPatcher() {
    LoadedWindow w = overGame(Longest);
    // Set-aside files without their list: the load names their folder in the status line, the
    // longest single outcome the line reports.
    writeFile(w.game + "/.corvane-replaced-AbC123/0", "original");
    auto* window = new FrmPatcher(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadCstmMenu() {
    LoadedWindow w = overGame(std::nullopt);
    const std::vector<MenuItem> menu = {
        {"World Editor Unlimited - Map Optimizer 5.0 (all maps)", "/home/warcraft-player/tools/Map Optimizer/wc3mapoptimizer",
         "--compress --tweaks \"Default Tweaks.cfg\""},
        {"Object Editor Extension", "/opt/oee/oee", ""},
        {"<New Item...>", "", ""},
    };
    SaveCustomMenu(w.t->app, menu);
    auto* window = new FrmCstmMenu(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadAbout() {
    LoadedWindow w = overGame(std::nullopt);
    w.t->shared.PackFolder = w.t->packFolder;
    writePeExecutable(w.t->programFolder + "/7za.exe", Longest);
    writePeExecutable(w.t->packFolder + "/Lathewise/Lathewise.dll", Longest);
    writePeExecutable(w.t->packFolder + "/murl/murl.dll", Longest);
    auto* window = new FrmAbout(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadStatus() {
    LoadedWindow w = overGame(Longest);
    w.t->shared.CmdArgs = {"", "status=" + w.game};
    for (const char* file : {"Tandrel.exe", "Quenlit.dll", "Config.txt", "config.cfg", "CST_Menu.lua"})
        writeFile(w.t->programFolder + "/" + file, "x");
    auto* window = new FrmStatus(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadOssik() {
    LoadedWindow w = overGame(std::nullopt);
    writeCompilerFolder(w.t->packFolder);
    // Exit codes run to three digits.
    writeCompilerStandIn(w.t->root.file("bin/java"), w.t->root.file("java.log"), 255, std::nullopt);
    const std::string script =
        w.t->root.write("maps/Frozen Throne Twisted Meadows/war3map.j", std::string(1048576, 'x'));
    w.t->shared.PackFolder = w.t->packFolder;
    w.t->shared.TargetFile = fso::GetFile(script);
    auto* window = new FrmOssik(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    return w;
}

LoadedWindow loadTMC() {
    LoadedWindow w = overGame(std::nullopt);
    w.t->shared.ArgValue = w.t->root.write("maps/(12) Frozen Throne Twisted Meadows v1.2.w3x", mapContent(12));
    auto* window = new FrmTMC(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    window->GSpeed->setText(QStringLiteral("25"));
    window->AI[11]->setCurrentIndex(1);
    w.t->dialogs.pickAnswers.push_back("/opt/wc3/ai/Insane AI v2.ai");
    window->Sett_Click(11);
    return w;
}

LoadedWindow loadTest() {
    LoadedWindow w = overGame(std::nullopt);
    auto* window = new FrmTest(w.t->app, w.t->shared);
    w.window.reset(window);
    window->load();
    w.t->dialogs.pickAnswers.push_back("/srv/maps/Isles.w3x");
    window->Command1_Click();
    window->Option[3]->setChecked(true);
    return w;
}
