#include <gtest/gtest.h>

#include "support/EnterCheck.h"
#include "support/LoadedWindows.h"
#include "support/core/StandIns.h"

namespace {

struct EnterCase {
    const char* window;
    WindowLoader load;
    const char* defaultButton;  // "" for a window without one
    std::size_t launches;       // games the presses start (each with a file manager beside it)
    std::size_t pages = 0;      // web pages the presses open
};

// Every window the program can show, one line each.
const EnterCase cases[] = {
    {"FrmSetPath", loadSetPath, "", 0},
    {"FrmLoading", loadLoading, "BtnTrigger", 3},
    {"FrmMulti compatible", [] { return loadMulti(true); }, "BtnClose", 0},
    {"FrmMulti not compatible", [] { return loadMulti(false); }, "BtnClose", 0},
    {"FrmPatcher", loadPatcher, "BtnApply", 0},
    {"FrmCstmMenu", loadCstmMenu, "BtnSave", 0},
    {"FrmAbout", loadAbout, "Command1", 0},
    {"FrmStatus", loadStatus, "BtnCopy", 0, 3},
    {"FrmOssik", loadOssik, "", 0},
    {"FrmTMC", loadTMC, "", 0},
    {"FrmTest", loadTest, "", 0},
};

TEST(Enter, PressesTheFocusedButtonOrTheWindowsOwnDefaultOrNothing) {
    for (const EnterCase& c : cases) {
        SCOPED_TRACE(c.window);
        LoadedWindow w = c.load();
        // A picker, opened by its button or by the focus reaching its field, is cancelled.
        for (int i = 0; i < 2; ++i) w.t->dialogs.pickAnswers.push_back(std::nullopt);
        EXPECT_EQ(enterFaults(w.shown(), c.defaultButton), std::vector<std::string>{});
        // The started programs outlive the presses; they finish before their folder goes.
        EXPECT_EQ(waitForRecordedRuns(w.game + "/war3.log", c.launches).size(), c.launches);
        EXPECT_EQ(waitForRecordedRuns(w.t->openLog, c.launches + c.pages).size(), c.launches + c.pages);
    }
}

}  // namespace
