#include <gtest/gtest.h>

#include <cstdlib>

#include "common/BuildConfig.h"
#include "support/Pack.h"
#include "support/core/MapFile.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string Caption = "Test Map Configuration. (BETA)";
const std::string ReplyPage = CORVANE_WEB_SITE "/index.php?action=post;topic=4263.0";

void shoot(const XSession& x, const std::string& name) {
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/" + name + ".png");
}

// The built program in a pack of its own, under openbox, on a map whose first line ends with
// the given bytes; "Version.lua" holds what every run writes, so nothing else may change.
struct Session {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    std::string map;

    explicit Session(const std::string& mapBytes) {
        pack.forceGame();
        pack.root.write("pack/Version.lua", "VeskVersionTxt = \"Vesk version 2.0.10\"\r\n");
        map = pack.root.write("maps/(4) Twisted Meadows.w3x", mapBytes);
    }
    XSession::Program start() {
        return x.start({pack.exe, "--setupmaptesting=" + map}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                                                {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    }
};

// A user opens the configuration of a 4-player map from the editor and saves: nothing warns
// before, the run ends with 0, and not a file has changed.
TEST(TestMapConfigWindow, SaveEndsTheRunAndChangesNothing) {
    Session run(mapContent(4));
    const auto before = snapshot(run.pack.root.path());
    XSession::Program corvane = run.start();
    const auto window = run.x.waitForWindow(Caption);
    ASSERT_TRUE(window);
    EXPECT_FALSE(run.x.waitForWindow("Warning", 300));
    EXPECT_TRUE(run.x.hasState(*window, "_NET_WM_STATE_ABOVE"));
    shoot(run.x, "tmc-4-players");

    // Save stands at 7320, 7320 twips, 3255 by 950.
    const XSession::Geometry g = run.x.geometry(*window);
    run.x.click(g.x + 488 + 108, g.y + 488 + 31);
    EXPECT_EQ(corvane.wait(20000), 0);
    EXPECT_EQ(snapshot(run.pack.root.path()), before);
}

// A count byte of 0 is warned of before the window shows; the window then holds twelve rows,
// and its close box ends the run.
TEST(TestMapConfigWindow, DamagedCountIsWarnedOfFirst) {
    Session run(mapContent(0));
    XSession::Program corvane = run.start();
    const auto warning = run.x.waitForWindow("Warning");
    ASSERT_TRUE(warning);
    EXPECT_FALSE(run.x.waitForWindow(Caption, 300));
    shoot(run.x, "tmc-warning");
    run.x.key("Return");
    const auto window = run.x.waitForWindow(Caption);
    ASSERT_TRUE(window);
    shoot(run.x, "tmc-12-players");
    run.x.key("alt+F4");
    EXPECT_EQ(corvane.wait(20000), 0);
    EXPECT_TRUE(readRecordedRuns(run.pack.openLog).empty());
}

// An empty map ends in the failure report and the forum's reply page; the window never shows.
TEST(TestMapConfigWindow, EmptyMapEndsInTheReport) {
    Session run("");
    XSession::Program corvane = run.start();
    const auto report = run.x.waitForWindow("Corvane - By Dunmarrow");
    ASSERT_TRUE(report);
    shoot(run.x, "tmc-report");
    run.x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 1);
    EXPECT_FALSE(run.x.waitForWindow(Caption, 300));
    const auto opened = waitForRecordedRuns(run.pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{ReplyPage});
}

// From a script without any display, the report reaches the terminal.
TEST(TestMapConfigWindow, WithoutADisplayTheReportGoesToTheTerminal) {
    Pack pack;
    pack.forceGame();
    const std::string map = pack.root.write("maps/Twisted Meadows.w3x", mapContent(4));
    EXPECT_EQ(pack.run({"--setupmaptesting=" + map}, false), 1);
    EXPECT_NE(pack.lastStderr.find("Vesk 2.0.10 Error\nProduced by: Corvane\nDescription: No display"), std::string::npos)
        << pack.lastStderr;
    EXPECT_EQ(waitForRecordedRuns(pack.openLog, 1).size(), 1u);
}

}  // namespace
