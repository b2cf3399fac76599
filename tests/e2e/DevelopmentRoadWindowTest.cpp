#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ProfileFile.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string Composer = "Test tool";

void shoot(const XSession& x, const std::string& name) {
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/" + name + ".png");
}

// The built programs in a pack of their own, with the game folder stored, under openbox.
struct Session {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;

    Session() { pack.forceGame(); }
    XSession::Program start(const std::string& program, const std::string& argument) {
        return x.start({program, argument}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                             {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    }
    std::string storedGame() {
        return profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH").value_or("");
    }
};

// A developer starts Corvane-dev with an option it takes no notice of, composes "&Load Map"
// with "-window" alone for a map picked by typing its path, and tests it: the game starts on
// the test copy exactly as the map's own "Play Windowed" verb would start it.
TEST(DevelopmentRoadWindow, ComposedLoadMapStartsTheGame) {
    Session run;
    const std::string map = run.pack.root.write("maps/a b.w3x", "map");
    XSession::Program corvane = run.start(run.pack.addDevelopmentProgram(), "--forcewc3path=/elsewhere");
    const auto composer = run.x.waitForWindow(Composer);
    ASSERT_TRUE(composer);
    ASSERT_TRUE(run.x.waitForActive(*composer));
    shoot(run.x, "devroad-composer");

    run.x.key("alt+l");
    // "-opengl" stands at 1440, 5400 twips in the window, 855 by 255.
    const XSession::Geometry g = run.x.geometry(*composer);
    run.x.click(g.x + 96 + 20, g.y + 360 + 8);
    run.x.key("alt+o");
    const auto picker = run.x.waitForWindow("Open File...");
    ASSERT_TRUE(picker);
    ASSERT_TRUE(run.x.waitForActive(*picker));
    shoot(run.x, "devroad-picker");
    run.x.type(map);
    run.x.key("Return");
    ASSERT_TRUE(run.x.waitForWindowGone(*picker));
    ASSERT_TRUE(run.x.waitForActive(*composer));
    shoot(run.x, "devroad-composed");
    run.x.key("alt+t");

    // The game arguments as the composed line handed them over, blank and all.
    const auto loading = run.x.waitForWindow("Loading: a b.w3x with -window ...");
    ASSERT_TRUE(loading);
    ASSERT_TRUE(run.x.waitForActive(*loading));
    run.x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);

    const auto games = waitForRecordedRuns(run.pack.root.file("war3.log"), 1);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].cwd, run.pack.game);
    EXPECT_EQ(games[0].args, (std::vector<std::string>{"-window", "-loadfile", "Maps/Test/testmap_2.0.w3x"}));
    EXPECT_EQ(readFile(run.pack.game + "/Maps/Test/testmap_2.0.w3x"), "map");
    EXPECT_EQ(run.storedGame(), run.pack.game);
}

// The shipped program of the same build reads its command line: it shows the about box, never
// the composer, and stores a forced game folder without showing anything.
TEST(DevelopmentRoadWindow, ShippedProgramReadsItsCommandLine) {
    Session run;
    XSession::Program about = run.start(run.pack.exe, "--about");
    const auto box = run.x.waitForWindow("About Vesk...");
    ASSERT_TRUE(box);
    EXPECT_FALSE(run.x.waitForWindow(Composer, 300));
    run.x.key("alt+F4");
    EXPECT_EQ(about.wait(20000), 0);

    XSession::Program forcing = run.start(run.pack.exe, "--forcewc3path=/elsewhere");
    EXPECT_EQ(forcing.wait(20000), 0);
    EXPECT_EQ(run.storedGame(), "/elsewhere");
}

}  // namespace
