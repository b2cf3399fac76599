#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ProfileFile.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

// Both programs of one build in a pack of their own, the game folder stored, under openbox.
struct Session {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;

    Session() { pack.forceGame(); }
    XSession::Program start(const std::string& program, const std::string& argument) {
        return x.start({program, argument}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                             {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    }
    std::string storedGame() { return *profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH"); }
    void shoot(const std::string& name) {
        if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/" + name + ".png");
    }
};

// A developer starts Corvane-dev with an option it takes no notice of, composes "&Load Map"
// with "-window" alone for a map picked by typing its path, and tests it: the game starts on
// the test copy as the map's own "Play Windowed" verb would start it.
TEST(DevelopmentRoadWindow, ComposedLoadMapStartsTheGame) {
    Session run;
    const std::string map = run.pack.root.write("maps/a b.w3x", "map");
    XSession::Program corvane = run.start(run.pack.addDevelopmentProgram(), "--forcewc3path=/elsewhere");
    const auto composer = run.x.waitForWindow("Test tool");
    ASSERT_TRUE(composer && run.x.waitForActive(*composer));
    run.shoot("devroad-composer");
    run.x.key("alt+l");
    // "-opengl" stands at 1440, 5400 twips, 855 by 255.
    const XSession::Geometry g = run.x.geometry(*composer);
    run.x.click(g.x + 96 + 20, g.y + 360 + 8);
    run.x.key("alt+o");
    const auto picker = run.x.waitForWindow("Open File...");
    ASSERT_TRUE(picker && run.x.waitForActive(*picker));
    run.x.type(map);
    run.x.key("Return");
    ASSERT_TRUE(run.x.waitForWindowGone(*picker) && run.x.waitForActive(*composer));
    run.shoot("devroad-composed");
    run.x.key("alt+t");

    // The game arguments as the composed line hands them over, blank and all.
    const auto loading = run.x.waitForWindow("Loading: a b.w3x with -window ...");
    ASSERT_TRUE(loading && run.x.waitForActive(*loading));
    run.x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);
    const auto games = waitForRecordedRuns(run.pack.root.file("war3.log"), 1);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].args, (std::vector<std::string>{"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}));
    EXPECT_EQ(readFile(run.pack.game + "/Maps/Test/testmap_2.0.w3x"), "map");
    EXPECT_EQ(run.storedGame(), run.pack.game);
}

// The shipped program of the same build reads its command line: it shows the about box, not
// the composer, and stores a forced game folder showing nothing.
TEST(DevelopmentRoadWindow, ShippedProgramReadsItsCommandLine) {
    Session run;
    XSession::Program about = run.start(run.pack.exe, "--about");
    ASSERT_TRUE(run.x.waitForWindow("About Vesk..."));
    EXPECT_FALSE(run.x.waitForWindow("Test tool", 300));
    run.x.key("alt+F4");
    EXPECT_EQ(about.wait(20000), 0);
    EXPECT_EQ(run.start(run.pack.exe, "--forcewc3path=/elsewhere").wait(20000), 0);
    EXPECT_EQ(run.storedGame(), "/elsewhere");
}

}  // namespace
