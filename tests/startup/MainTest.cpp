#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>

#include "common/Text.h"
#include "platform/ProfileFile.h"
#include "startup/Main.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/StandIns.h"

namespace {

std::string reportFor(const std::string& description) {
    return joinLines({"Vesk 2.0.10 Error", "Produced by: Corvane", "Description: " + description, "",
                      "You will be redirected to Dunmarrow to report the issue..."});
}

const char* const ReplyPage = "http://127.0.0.1:9/index.php?action=post;topic=4263.0";

struct GrammarCase {
    const char* commandLine;
    std::vector<std::string> infos;  // boxes shown, in order
    bool opensReplyPage;
};

// Outcomes of the command-line grammar with a game folder found on the forced path.
TEST(MainGrammar, MessagesAndFailuresOfTheFirstOption) {
    const GrammarCase cases[] = {
        {"", {"Missing arguments..."}, false},
        {"--checkupdates", {"Missing arguments..."}, false},
        {"--CheckUpdates", {"Missing arguments..."}, false},
        {"--loadmap=", {"Missing path."}, false},
        {"--setupmaptesting=", {"Invalid arguments."}, false},
        {"--setupmaptesting", {reportFor("Subscript out of range")}, true},
        {"--SETUPMAPTESTING=/no-such-map.w3x", {reportFor("File not found")}, true},
        {"--LOADMAP= --arguments=-window", {reportFor("File not found")}, true},  // one blank is not empty
        {"--loadmap", {reportFor("Subscript out of range")}, true},
        {"--command", {reportFor("Subscript out of range")}, true},
        {"--", {reportFor("Subscript out of range")}, true},
        {"no options at all", {reportFor("Subscript out of range")}, true},
        {"--command=7", {reportFor("File not found")}, true},
        {"--sfa", {}, false},
        {"--sfa=on", {}, false},
        {"--sfa=ON --x", {}, false},
        {"--sfa=ON=x", {}, false},
        {"--forcewc3path", {}, false},
        {"--forcewc3path --x", {"Missing arguments..."}, false},  // the name keeps its blank
        {"--sfa=ON", {}, false},
        {"--ossik", {}, false},
        {"--ossik=war3map.j=x", {}, false},
        {"--ossik=/no-such-war3map.j", {reportFor("File not found")}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        TestApp t;
        t.forceGameFolder("game");
        Main(t.app, t.shared, c.commandLine);
        EXPECT_EQ(t.endedWith, c.opensReplyPage ? 1 : 0);  // 1 exactly after the failure report
        EXPECT_EQ(t.dialogs.infos(), c.infos);
        auto opened = waitForRecordedRuns(t.openLog, c.opensReplyPage ? 1 : 0, 5000);
        ASSERT_EQ(opened.size(), c.opensReplyPage ? 1u : 0u);
        if (c.opensReplyPage) {
            EXPECT_EQ(opened[0].args, std::vector<std::string>{ReplyPage});
        }
    }
}

TEST(MainGrammar, EmptyCommandLineDoesNotLookForTheGameFolder) {
    TestApp t;  // no game folder anywhere: a lookup would show the manual window
    WindowDriver driver;
    Main(t.app, t.shared, "");
    EXPECT_TRUE(driver.seen().isEmpty());
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{"Missing arguments..."});
}

TEST(MainGrammar, LoadMapValueKeepsItsBlankAndLaterOptionsStay) {
    TestApp t;
    t.forceGameFolder("game");
    std::string map = t.root.mkdir("maps") + "/missing map.w3x";
    Main(t.app, t.shared, "--loadmap=" + map + " --arguments=-window");
    EXPECT_EQ(t.shared.ArgValue, map + " ");
    ASSERT_EQ(t.shared.CmdArgs.size(), 3u);
    EXPECT_EQ(t.shared.CmdArgs[0], "");
    EXPECT_EQ(t.shared.CmdArgs[1], "loadmap=" + map + " ");
    EXPECT_EQ(t.shared.CmdArgs[2], "arguments=-window");
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{reportFor("File not found")});
}

TEST(MainGrammar, ValueHoldingDashesIsCutIntoTwoOptions) {
    TestApp t;
    t.forceGameFolder("game");
    Main(t.app, t.shared, "--forcewc3path=/games/old--copy/wc3");
    EXPECT_EQ(profile::read(t.configPath(), "FORCED_PATH", "PATH"), "/games/old");
}

TEST(MainVersionFile, WrittenAtEveryStartEvenWhenTheModeFails) {
    TestApp t;
    t.forceGameFolder("game");
    writeFile(t.packFolder + "/Version.lua", "old content that is longer than the new line\r\n");
    Main(t.app, t.shared, "--loadmap");
    EXPECT_EQ(readFile(t.packFolder + "/Version.lua"), "VeskVersionTxt = \"Vesk version 2.0.10\"\r\n");
    EXPECT_EQ(t.shared.PackFolder, "");  // released at the end
}

TEST(MainVersionFile, ProgramFolderWithoutParentIsReported) {
    TestApp t;
    t.app.programFolder = "/";
    Main(t.app, t.shared, "--sfa=ON");
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{reportFor("Path not found")});
    EXPECT_EQ(t.endedWith, 1);
}

TEST(MainForcedPath, WritesOnlyWhenTheValueDiffers) {
    TestApp t;
    std::string game = t.forceGameFolder("game");
    std::string before = readFile(t.configPath());

    Main(t.app, t.shared, "--forcewc3path=" + game);
    EXPECT_EQ(readFile(t.configPath()), before);

    TestApp u;
    u.forceGameFolder("game");
    Main(u.app, u.shared, "--forcewc3path=/elsewhere/wc3");
    EXPECT_EQ(profile::read(u.configPath(), "FORCED_PATH", "PATH"), "/elsewhere/wc3");
    EXPECT_EQ(profile::read(u.configPath(), "FORCED_PATH", "FORCED"), std::nullopt);
    EXPECT_TRUE(u.dialogs.shown.empty());
}

TEST(MainCommand, StartsTheStoredProgramWithItsArgumentsInItsFolder) {
    TestApp t;
    t.forceGameFolder("game");
    std::string tool = t.root.file("tools/my tool/run-me");
    std::string log = t.root.file("tool.log");
    writeRecordingProgram(tool, log);
    profile::write(t.configPath(), "CSTMENU", "MNU_PATH_0", tool);
    profile::write(t.configPath(), "CSTMENU", "MNU_ARG_0", "-x \"two words\" $(touch pwned)");

    Main(t.app, t.shared, "--command=0");

    auto runs = waitForRecordedRuns(log, 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, t.root.file("tools/my tool"));
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"-x", "two words", "$(touch", "pwned)"}));
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_FALSE(t.root.exists("tools/my tool/pwned"));
}

// The file the check found is the one started, from its own folder: the name as written first,
// else read the Windows way without regard to case.
TEST(MainCommand, StartsTheFileItChecked) {
    for (auto [stored, started] : {std::pair{"progs/a\\b.sh", "progs/a\\b.sh"}, {"PROGS\\C.SH", "progs/c.sh"}}) {
        SCOPED_TRACE(stored);
        TestApp t;
        t.forceGameFolder("game");
        writeRecordingProgram(t.root.file(started), t.root.file("started.log"));
        writeRecordingProgram(t.root.file("progs/a/b.sh"), t.root.file("other.log"));
        profile::write(t.configPath(), "CSTMENU", "MNU_PATH_0", t.root.file(stored));
        Main(t.app, t.shared, "--command=0");
        auto runs = waitForRecordedRuns(t.root.file("started.log"), 1);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cwd, t.root.file("progs"));
        EXPECT_TRUE(readRecordedRuns(t.root.file("other.log")).empty());
    }
}

TEST(MainGamePath, SetWc3PathShowsTheWindowTwiceWhenNothingIsFound) {
    TestApp t;
    WindowDriver driver;
    Main(t.app, t.shared, "--setwc3path");
    // First from discovery, then as the mode itself; the driver closes each showing once.
    EXPECT_EQ(driver.seen(), (QStringList{"Set Manually Warcraft III path...", "Set Manually Warcraft III path..."}));
    ASSERT_EQ(t.dialogs.infos().size(), 1u);
    EXPECT_EQ(t.dialogs.infos()[0].rfind("Dear user: despite all the efforts", 0), 0u);
    EXPECT_EQ(t.shared.WC3Path, "");
}

}  // namespace

namespace {

// A failure raised by a shown window's button ends in the same report and ends the run.
TEST(MainEventFailure, LaunchWithoutMapsFolderIsReported) {
    TestApp t;
    std::string game = t.forceGameFolder("game");
    std::filesystem::remove_all(game + "/Maps");
    std::string map = t.root.write("m.w3x", "map");
    WindowDriver driver([](QWidget* w) {
        if (auto* play = w->findChild<QPushButton*>("BtnTrigger")) play->click();
    });

    Main(t.app, t.shared, "--loadmap=" + map);

    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{reportFor("Path not found")});
    EXPECT_EQ(t.endedWith, 1);
    EXPECT_EQ(waitForRecordedRuns(t.openLog, 1).size(), 1u);
    EXPECT_TRUE(readRecordedRuns(game + "/war3.log").empty());
}

}  // namespace

namespace {

// The option's value reaches the multi-instance window; without a game executable the window
// unloads itself while loading and the run simply ends.
TEST(MainMultiSession, ValueOrWindowedByDefault) {
    const std::pair<const char*, const char*> cases[] = {
        {"--multisession", "-window"},
        {"--MultiSession=", ""},
        {"--multisession=-window -opengl", "-window -opengl"},
        {"--multisession=-window -opengl --x", "-window -opengl "},
    };
    for (const auto& [commandLine, argValue] : cases) {
        SCOPED_TRACE(commandLine);
        TestApp t;
        std::string game = t.forceGameFolder("game");
        std::filesystem::remove(game + "/War3.exe");
        WindowDriver driver;
        Main(t.app, t.shared, commandLine);
        EXPECT_EQ(t.shared.ArgValue, argValue);
        EXPECT_TRUE(driver.seen().isEmpty());
        EXPECT_TRUE(t.dialogs.shown.empty());
        EXPECT_EQ(t.endedWith, 0);
    }
}

// A game executable without a version ends the patcher's load in the report: the window is never shown.
TEST(MainPatcher, LoadFailureIsReportedBeforeTheWindowShows) {
    TestApp t;
    t.forceGameFolder("game");
    WindowDriver driver;
    Main(t.app, t.shared, "--patcher");
    EXPECT_TRUE(driver.seen().isEmpty());
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{reportFor("Subscript out of range")});
}

// Without "java" the compiler cannot start: the load fails, the window never shows.
TEST(MainOssik, NoJavaEndsInTheReport) {
    TestApp t;
    t.forceGameFolder("game");
    writeCompilerFolder(t.packFolder);
    const std::string script = t.root.write("maps/war3map.j", "function x\n");
    // Only the test's own programs: the recording browser, no runtime.
    setenv("PATH", t.root.file("bin").c_str(), 1);
    WindowDriver driver;
    Main(t.app, t.shared, "--ossik=" + script);
    EXPECT_TRUE(driver.seen().isEmpty());
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{reportFor("File not found")});
    EXPECT_EQ(t.endedWith, 1);
}

}  // namespace
