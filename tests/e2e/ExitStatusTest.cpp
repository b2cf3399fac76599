#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/ProfileFile.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

// Runs without any display, as a script would call the program.
namespace {

const char* const ReportHead = "Vesk 2.0.10 Error";

std::size_t linesOf(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// A script can tell a failure from everything else: 1 after the failure report, 0 after a
// message or a mode that did its work.
TEST(CorvaneExitStatus, OneAfterAFailureReportAndZeroOtherwise) {
    const struct Case {
        std::vector<std::string> args;
        int status;
        const char* stderrHolds;  // also tells whether the forum page opens: only after the report
    } cases[] = {
        {{"text", "without", "options"}, 1, "Description: Subscript out of range"},
        {{"--loadmap"}, 1, "Description: Subscript out of range"},
        {{"--command=4"}, 1, "Description: File not found"},  // entry 4 has no stored path
        {{"--setwc3path"}, 1, "Description: No display to show a window on"},
        {{}, 0, "Missing arguments..."},
        {{"--checkupdates"}, 0, "Missing arguments..."},
        {{"--loadmap="}, 0, "Missing path."},
        {{"--sfa=ON"}, 0, ""},
        {{"--forcewc3path=/elsewhere"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(empty)" : c.args[0]);
        Pack pack;
        pack.forceGame();

        EXPECT_EQ(pack.run(c.args, false), c.status);

        EXPECT_NE(pack.lastStderr.find(c.stderrHolds), std::string::npos) << pack.lastStderr;
        const bool reported = pack.lastStderr.find(ReportHead) != std::string::npos;
        EXPECT_EQ(reported, c.status == 1) << pack.lastStderr;
        EXPECT_EQ(waitForRecordedRuns(pack.openLog, reported ? 1 : 0, reported ? 10000 : 0).size(), reported ? 1u : 0u);
    }
}

// A stored game folder that has gone wrong is mended from a script: without a display the
// search does without its manual window, says so in one line, and the mode runs.
TEST(CorvaneExitStatus, WrongStoredGameFolderIsMendedWithoutADisplay) {
    Pack pack;
    const std::string config = pack.programFolder + "/config.cfg";

    EXPECT_EQ(pack.run({"--forcewc3path=/nonexistent"}, false), 0);
    EXPECT_EQ(profile::read(config, "FORCED_PATH", "PATH"), "/nonexistent");

    EXPECT_EQ(pack.run({"--forcewc3path=" + pack.game}, false), 0);
    EXPECT_EQ(profile::read(config, "FORCED_PATH", "PATH"), pack.game);
    EXPECT_EQ(linesOf(pack.lastStderr), 1u) << pack.lastStderr;
    EXPECT_NE(pack.lastStderr.find("no game folder found"), std::string::npos) << pack.lastStderr;

    // Found now: nothing more to say.
    EXPECT_EQ(pack.run({"--sfa=ON"}, false), 0);
    EXPECT_EQ(pack.lastStderr, "");
    EXPECT_TRUE(readRecordedRuns(pack.openLog).empty());
}

// A DISPLAY gone stale (ssh, sudo, cron) counts as none: with no stored game folder each run
// names the display once, none aborts, and the stored folder is mended all the same.
TEST(CorvaneExitStatus, ADisplayThatDoesNotAnswerCountsAsNone) {
    const std::string display = XSession::unheldDisplay(), named = "cannot open display \"" + display + "\"";
    const std::tuple<std::string, int, const char*> cases[] = {
        {"--forcewc3path=/mended", 0, "no game folder found"},
        {"--sfa=ON", 0, "no game folder found"},
        {"--bogus", 0, "Missing arguments..."},
        {"--about", 1, "Description: No display to show a window on"},
    };
    for (const auto& [option, status, stderrHolds] : cases) {
        SCOPED_TRACE(option);
        Pack pack;
        pack.display = display;
        EXPECT_EQ(pack.run({option}, false), status);
        const std::string& errors = pack.lastStderr;
        EXPECT_TRUE(errors.find(named) != std::string::npos && errors.find(named) == errors.rfind(named)) << errors;
        EXPECT_NE(errors.find(stderrHolds), std::string::npos) << errors;
        EXPECT_EQ(profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH").value_or(""),
                  option == "--forcewc3path=/mended" ? "/mended" : "");
    }
}

}  // namespace
