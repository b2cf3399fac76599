#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/BuildConfig.h"
#include "support/Pack.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string About = "About Vesk...";

// A user opens the about box from the pack, clicks the link to the web site and closes the box
// with Enter.
TEST(AboutWindow, LinkOpensTheHomePageAndEnterCloses) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    pack.forceGame();
    writeFile(pack.programFolder + "/7za.exe", readFile(std::string(CORVANE_SOURCE_DIR) + "/pack/7za.exe"), true);
    writePeExecutable(pack.root.file("pack/Lathewise/Lathewise.dll"), PeVersion{3, 1, 0, 27});

    XSession::Program corvane =
        x.start({pack.exe, "--about"}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                        {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    const auto about = x.waitForWindow(About);
    ASSERT_TRUE(about);
    EXPECT_TRUE(x.hasState(*about, "_NET_WM_STATE_ABOVE"));

    // The link stands at 120, 5400 twips, 5655 by 255, its text centred.
    const XSession::Geometry window = x.geometry(*about);
    x.click(window.x + 8 + 188, window.y + 360 + 8);
    const auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{std::string(CORVANE_WEB_SITE) + "/"});
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/about.png");

    x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);
    EXPECT_EQ(readRecordedRuns(pack.openLog).size(), 1u);
}

}  // namespace
