#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "support/LayoutCheck.h"
#include "support/LoadedWindows.h"
#include "ui/Dialogs.h"

namespace {

using Faults = std::vector<std::string>;

// Every window the program can show, one line each.
const std::pair<const char*, WindowLoader> windows[] = {
    {"FrmSetPath", loadSetPath},
    {"FrmLoading", loadLoading},
    {"FrmMulti compatible", [] { return loadMulti(true); }},
    {"FrmMulti not compatible", [] { return loadMulti(false); }},
    {"FrmPatcher", loadPatcher},
    {"FrmCstmMenu", loadCstmMenu},
    {"FrmAbout", loadAbout},
    {"FrmStatus", loadStatus},
    {"FrmOssik", loadOssik},
    {"FrmTMC", loadTMC},
    {"FrmTest", loadTest},
};

TEST(Layout, EveryWindowFitsItsTexts) {
    for (const auto& [name, load] : windows) {
        SCOPED_TRACE(name);
        LoadedWindow w = load();
        EXPECT_EQ(layoutFaults(w.shown()), Faults{});
    }
}

// The program's boxes, from the shortest message to the longest.
TEST(Layout, EveryBoxFitsItsTextAndTitle) {
    const std::string title = "Corvane - By Dunmarrow";
    struct Case {
        const char* what;
        bool question;
        std::string title;
        std::string text;
    };
    const Case cases[] = {
        {"missing path", false, title, "Missing path."},
        {"missing loader", false, title, "Quenlit.dll or Tandrel.exe is not in the app path..."},
        {"failure report", false, title,
         "Vesk 2.0.10 Error\r\nProduced by: Corvane\r\nDescription: Path not found: /home/warcraft-player/.wine/"
         "drive_c/Program Files (x86)/Warcraft III/Maps/Test\r\n\r\nYou will be redirected to Dunmarrow to report "
         "the issue..."},
        {"no game folder", false, title,
         "Dear user: despite all the efforts in getting your WC3 path,\r\nVesk has not found the right path. This "
         "program won't work as desired\r\nif you don't set properly this path. Please check your WC3 settings."
         "\r\n\r\nThanks for your undestanding."},
        {"patch offer", true, "Multisession Tool.",
         "The current version of WC3 is 65535.65535. This version is not compatible with the multiplayer emulation "
         "plugin. Do you wish to download 1.26 patch?\r\n[REMEMBER: this will close World Editor for the patching "
         "process.]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Faults faults{"the box was not shown"};
        QTimer::singleShot(0, [&faults] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            faults = layoutFaults(box);
            box->done(0);
        });
        QtDialogs dialogs;
        if (c.question) dialogs.askYesNo(nullptr, c.title, c.text);
        else dialogs.info(nullptr, c.title, c.text);
        EXPECT_EQ(faults, Faults{});
    }
}

}  // namespace
