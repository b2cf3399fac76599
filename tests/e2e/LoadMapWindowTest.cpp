#include <gtest/gtest.h>

#include "support/Pack.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

// The game is a Windows program and there is no wine: after the countdown the box says so over
// the countdown window, which then hides as it always does, and the run ends.
TEST(LoadMapWindow, AGameThatCannotStartIsSaidAfterTheCountdown) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    pack.forceGame();
    writePeExecutable(pack.game + "/War3.exe", {});
    const std::string map = pack.root.write("maps/Arena.w3x", "map bytes");
    XSession::Program corvane = x.start({pack.exe, "--loadmap=" + map, "--arguments=-window"},
                                        {{"XDG_CONFIG_HOME", pack.root.file("config")}, {"PATH", pack.root.file("bin")}});
    const auto loading = x.waitForWindow("Loading: Arena.w3x with -window...");
    ASSERT_TRUE(loading);
    const auto box = x.waitForWindow("War3.exe");
    ASSERT_TRUE(box);
    EXPECT_EQ(x.transientFor(*box), loading);
    EXPECT_EQ(readFile(pack.game + "/Maps/Test/testmap_2.0.w3x"), "map bytes");
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/loadmap-no-wine.png");
    ASSERT_TRUE(x.activate(*box));
    x.key("Return");
    EXPECT_TRUE(x.waitForWindowGone(*loading));
    EXPECT_EQ(corvane.wait(20000), 0);
    EXPECT_EQ(waitForRecordedRuns(pack.openLog, 1).size(), 1u);
}

}  // namespace
