#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeFailure.h"
#include "support/TestApp.h"
#include "support/core/StandIns.h"
#include "testing/FrmLoading.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace fs = std::filesystem;

namespace {

const std::string OwnNameCaption =
    "Load the map with the original name, changed the spaces by \"_\". (recommended for replay sharing). "
    "Remember: if the map name is too long (including path) this map could not start. New map name: ";
const std::string MapBytes = std::string("HM3W\0\0\0\0map body", 17);

// A loaded launcher over a game folder and a map file outside it.
struct Launcher {
    TestApp t;
    std::string game;
    std::string map;
    std::unique_ptr<FrmLoading> w;

    explicit Launcher(const std::string& mapRelative = "src/My Map.w3x",
                      std::vector<std::string> cmdArgs = {"", "loadmap=x ", "arguments=-window"},
                      const std::string& gameRelative = "game") {
        ui::setFailureHandler([](const RuntimeFailure& f) { ADD_FAILURE() << f.number << " " << f.description; });
        game = t.makeGameFolder(gameRelative);
        map = t.root.write(mapRelative, MapBytes);
        t.shared.WC3Path = game;
        t.shared.CmdArgs = std::move(cmdArgs);
        t.shared.TargetFile = fso::GetFile(map);
        w = std::make_unique<FrmLoading>(t.app, t.shared);
    }
    std::string text(const char* name) const {
        if (auto* label = w->findChild<QLabel*>(name)) return ss(label->text());
        return ss(w->findChild<QAbstractButton*>(name)->text());
    }
    std::vector<RecordedRun> gameRuns(std::size_t n = 1) { return waitForRecordedRuns(game + "/war3.log", n); }
    std::vector<RecordedRun> openRuns(std::size_t n = 1) { return waitForRecordedRuns(t.openLog, n); }
};

struct NameCase {
    std::string file;
    std::string testName;
    std::string ownName;
};

const NameCase nameCases[] = {
    {"My Map.w3x", "testmap_2.0.w3x", "My_Map.w3x"},
    {"mymap", "testmap_2.0.mymap", "mymap"},
    {"a.b.w3m", "testmap_2.0.w3m", "a.b.w3m"},
    {"trail.", "testmap_2.0.", "trail."},
};

TEST(FrmLoading, LoadNamesTheTestCopyFromTheVersionAndTheExtension) {
    for (const NameCase& c : nameCases) {
        SCOPED_TRACE(c.file);
        Launcher l("src/" + c.file);
        l.w->load();
        EXPECT_EQ(ss(l.w->windowTitle()), "Loading: " + c.file + " with -window...");
        EXPECT_EQ(l.w->TestMapName, c.testName);
        EXPECT_EQ(l.text("LoadOption(0)"), "Load the map with the name '" + c.testName + "'");
        EXPECT_EQ(l.text("LoadOption(1)"), OwnNameCaption + c.ownName);
        EXPECT_EQ(l.text("LblInfo"), "Note: By default, the map will be saved as: " + c.testName + "\r\n in: " +
                                         l.game + "/Maps/Test/.\r\nWe don't suggest to use this loading procedure to "
                                         "save a game replay, because the replay will use the temporary map name.");
        EXPECT_EQ(l.text("LblTimer"), "The map will start in 10 seconds...");
        EXPECT_TRUE(l.w->LoadOption[0]->isChecked());
        EXPECT_TRUE(l.w->BtnTrigger->isDefault());
    }
}

struct ArgsCase {
    std::vector<std::string> cmdArgs;
    std::string gameArgs;
};

const ArgsCase argsCases[] = {
    {{"", "loadmap=x"}, ""},
    {{"", "loadmap=x ", "arguments=-window"}, "-window"},
    {{"", "loadmap=x ", "arguments=-window -a=b"}, "-window -a"},
    {{"", "loadmap=x ", "arguments=-window ", "other=-opengl"}, ""},
};

TEST(FrmLoading, GameArgumentsComeFromTheSecondOptionOnly) {
    for (const ArgsCase& c : argsCases) {
        SCOPED_TRACE(c.cmdArgs.size());
        Launcher l("src/My Map.w3x", c.cmdArgs);
        l.w->load();
        EXPECT_EQ(l.w->GameArgs, c.gameArgs);
        EXPECT_EQ(ss(l.w->windowTitle()), "Loading: My Map.w3x with " + c.gameArgs + "...");
    }
    Launcher l("src/My Map.w3x", {"", "loadmap=x ", "window"});
    try {
        l.w->load();
        ADD_FAILURE() << "a second option without \"=\" must fail the load";
    } catch (const RuntimeFailure& f) {
        EXPECT_EQ(f.number, 9);
    }
}

TEST(FrmLoading, CountsDownOncePerTickAndLaunchesOnTheTenth) {
    Launcher l;
    l.w->load();
    l.w->show();
    EXPECT_TRUE(l.w->Cleaner->isActive());
    for (int left = 9; left >= 1; --left) {
        l.w->Cleaner_Timer();
        EXPECT_EQ(l.text("LblTimer"),
                  "The map will start in " + std::to_string(left) + (left == 1 ? " second..." : " seconds..."));
    }
    EXPECT_TRUE(readRecordedRuns(l.game + "/war3.log").empty());
    l.w->Cleaner_Timer();
    EXPECT_EQ(l.text("LblTimer"), "The map will start in 0 seconds...");
    EXPECT_EQ(l.gameRuns().size(), 1u);
    EXPECT_EQ(l.openRuns().size(), 1u);
    EXPECT_FALSE(l.w->Cleaner->isActive());
    EXPECT_TRUE(l.w->isHidden());
}

struct LaunchCase {
    const char* what;
    std::string gameFolder;
    std::string mapFile;
    int option;
    std::vector<std::string> cmdArgs;
    std::string mapsFolder;  // how the game folder spells "Maps"
    bool testFolderExists;
    std::string copyName;
    std::vector<std::string> gameArgs;
};

const std::vector<std::string> withWindow = {"", "loadmap=x ", "arguments=-window"};

const LaunchCase launchCases[] = {
    {"default name", "game", "My Map.w3x", 0, withWindow, "Maps", false, "testmap_2.0.w3x",
     {"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}},
    {"own name", "game", "My Map.w3x", 1, withWindow, "Maps", false, "My_Map.w3x",
     {"-window", "-loadfile", "Maps\\Test\\My_Map.w3x"}},
    {"no game arguments", "game", "My Map.w3x", 0, {"", "loadmap=x"}, "Maps", false, "testmap_2.0.w3x",
     {"-loadfile", "Maps\\Test\\testmap_2.0.w3x"}},
    {"lower-case maps folder", "game", "My Map.w3x", 0, withWindow, "maps", false, "testmap_2.0.w3x",
     {"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}},
    {"existing test folder and copy", "game", "My Map.w3x", 0, withWindow, "Maps", true, "testmap_2.0.w3x",
     {"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}},
    {"quote in the extension", "game", "a.w\"x", 0, withWindow, "Maps", false, "testmap_2.0.w\"x",
     {"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w\"x"}},
    {"hostile own name", "game", "it's \"q\" ;$(touch pwned) `touch pwned`.w3x", 1, withWindow, "Maps", false,
     "it's_\"q\"_;$(touch_pwned)_`touch_pwned`.w3x",
     {"-window", "-loadfile", "Maps\\Test\\it's_\"q\"_;$(touch_pwned)_`touch_pwned`.w3x"}},
    {"blanks in the game folder", "War  craft III", "My Map.w3x", 0, withWindow, "Maps", false, "testmap_2.0.w3x",
     {"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}},
};

bool anyPwned(const std::string& root) {
    if (fs::exists(fs::current_path() / "pwned")) return true;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().filename().string().rfind("pwned", 0) == 0) return true;
    return false;
}

TEST(FrmLoading, LaunchCopiesTheMapAndStartsTheGameAndTheFileManagerOnIt) {
    for (const LaunchCase& c : launchCases) {
        SCOPED_TRACE(c.what);
        // The map lies in a folder whose name a shell would act on.
        Launcher l("src/we ird \"q\" ;$(touch pwned) `touch pwned2`/" + c.mapFile, c.cmdArgs, c.gameFolder);
        if (c.mapsFolder != "Maps") fs::rename(l.game + "/Maps", l.game + "/" + c.mapsFolder);
        const std::string testFolder = l.game + "/" + c.mapsFolder + "/Test";
        if (c.testFolderExists) {
            writeFile(testFolder + "/" + c.copyName, "old copy, longer than the map is");
            writeFile(testFolder + "/keep.txt", "keep");
        }
        l.w->load();
        l.w->show();
        l.w->LoadOption[c.option]->setChecked(true);
        l.w->BtnTrigger_Click();

        EXPECT_EQ(readFile(testFolder + "/" + c.copyName), MapBytes);
        EXPECT_EQ(readFile(l.map), MapBytes);
        if (c.testFolderExists) {
            EXPECT_EQ(readFile(testFolder + "/keep.txt"), "keep");
        }
        auto runs = l.gameRuns();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cwd, fs::canonical(l.game).string());
        EXPECT_EQ(runs[0].args, c.gameArgs);
        auto opened = l.openRuns();
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].args, std::vector<std::string>{testFolder});
        EXPECT_FALSE(l.w->Cleaner->isActive());
        EXPECT_TRUE(l.w->isHidden());
        EXPECT_FALSE(anyPwned(l.t.root.path()));
    }
}

TEST(FrmLoading, CopyOntoItselfKeepsTheMapAndStillStartsTheGame) {
    struct Case {
        const char* what;
        bool hardLink;
    };
    for (const Case c : {Case{"same path", false}, Case{"second name", true}}) {
        SCOPED_TRACE(c.what);
        Launcher l;
        const std::string copy = l.t.root.write("game/Maps/Test/testmap_2.0.w3x", MapBytes);
        if (c.hardLink) {
            fs::remove(l.map);
            fs::create_hard_link(copy, l.map);
        } else {
            l.t.shared.TargetFile = fso::GetFile(copy);
        }
        l.w->load();
        l.w->BtnTrigger_Click();
        EXPECT_EQ(readFile(copy), MapBytes);
        auto runs = l.gameRuns();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args, (std::vector<std::string>{"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}));
        EXPECT_EQ(l.openRuns().size(), 1u);
    }
}

TEST(FrmLoading, FailedLaunchStartsNothing) {
    struct Case {
        const char* what;
        bool removeMaps;
        bool readOnlyCopy;
        int number;
    };
    const Case cases[] = {
        {"no Maps folder", true, false, 76},
        {"read-only copy", false, true, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Launcher l;
        if (c.removeMaps) fs::remove_all(l.game + "/Maps");
        if (c.readOnlyCopy) {
            std::string copy = l.t.root.write("game/Maps/Test/testmap_2.0.w3x", "old");
            fs::permissions(copy, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
        l.w->load();
        try {
            l.w->BtnTrigger_Click();
            ADD_FAILURE() << "the launch must fail";
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.number, c.number);
        }
        EXPECT_FALSE(fs::exists(l.game + "/war3.log"));
        EXPECT_FALSE(fs::exists(l.t.openLog));
        EXPECT_FALSE(l.w->Cleaner->isActive());
    }
}

TEST(FrmLoading, ModalShowEndsWithTheLaunch) {
    struct Case {
        const char* what;
        bool enter;
    };
    for (const Case c : {Case{"click", false}, Case{"Enter on an option", true}}) {
        SCOPED_TRACE(c.what);
        Launcher l;
        l.w->load();
        FrmLoading* w = l.w.get();
        QTimer::singleShot(0, w, [w, c] {
            if (c.enter) {
                w->LoadOption[1]->setFocus();
                QTest::keyClick(w->LoadOption[1], Qt::Key_Return);
            } else {
                QTest::mouseClick(w->BtnTrigger, Qt::LeftButton);
            }
        });
        w->showModal();
        EXPECT_TRUE(fs::exists(l.game + "/Maps/Test/testmap_2.0.w3x"));
        EXPECT_EQ(l.gameRuns().size(), 1u);
        EXPECT_EQ(l.openRuns().size(), 1u);
    }
}

struct QuoteCase {
    std::string argument;
    bool unchanged;
};

const QuoteCase quoteCases[] = {
    {"Maps\\Test\\testmap_2.0.w3x", true},
    {"back\\slash\\", true},
    {"with blank", false},
    {"tab\there", false},
    {"w\"x", false},
    {"a\\\"b", false},
    {"ends in backslash \\", false},
    {"\\\\\"\"\\", false},
    {"", false},
};

TEST(FrmLoading, QuotedArgumentsSplitBackIntoThemselves) {
    for (const QuoteCase& c : quoteCases) {
        SCOPED_TRACE(c.argument);
        const std::string quoted = quoteWindowsArgument(c.argument);
        if (c.unchanged) {
            EXPECT_EQ(quoted, c.argument);
        }
        EXPECT_EQ(splitWindowsCommandLine("-window -loadfile " + quoted + " tail"),
                  (std::vector<std::string>{"-window", "-loadfile", c.argument, "tail"}));
        // Quoted in any case, also behind an option's "=".
        const std::string always = quoteWindowsArgument(c.argument, true);
        EXPECT_EQ(always.front(), '"');
        EXPECT_EQ(splitWindowsCommandLine("-result=" + always + " tail"),
                  (std::vector<std::string>{"-result=" + c.argument, "tail"}));
    }
}

}  // namespace
