#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/Text.h"
#include "platform/RuntimeFailure.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "testing/FrmMulti.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace fs = std::filesystem;

namespace {

const PeVersion V126{1, 26, 0, 6401};
const std::string Remember = "\r\n[REMEMBER: this will close World Editor for the patching process.]";
const QColor Green(0, 153, 51);
const QColor Red(255, 0, 0);

std::string verdict(const std::string& version, bool compatible) {
    return "The current version of WC3 is " + version + ". This version is " + (compatible ? "" : "not ") +
           "compatible with the multiplayer emulation plugin.";
}

// A window over a game folder whose "War3.exe" carries the given version (none: no version resource).
struct Multi {
    TestApp t;
    std::string game;
    std::unique_ptr<FrmMulti> w;

    explicit Multi(std::optional<PeVersion> version = V126, const std::string& argValue = "-window") {
        ui::setFailureHandler([](const RuntimeFailure& f) { ADD_FAILURE() << f.number << " " << f.description; });
        game = t.makeGameFolder("game");
        writePeExecutable(game + "/War3.exe", version);
        t.shared.WC3Path = game;
        t.shared.ArgValue = argValue;
        w = std::make_unique<FrmMulti>(t.app, t.shared);
    }
    std::string warning() const { return ss(w->LblWarn->text()); }
    QColor warningColour() const { return w->LblWarn->palette().color(QPalette::WindowText); }
    std::string loaderLog() const { return t.programFolder + "/loader.log"; }
    std::string configFile() const { return t.programFolder + "/Config.txt"; }
    void installLoader(bool loader = true, bool library = true) {
        if (loader) writeRecordingProgram(t.programFolder + "/Tandrel.exe", loaderLog());
        if (library) writeFile(t.programFolder + "/Quenlit.dll", "library");
    }
};

TEST(FrmMulti, LoadFillsTheControls) {
    Multi m;
    m.w->load();
    EXPECT_EQ(ss(m.w->TxtSession->text()), "1");
    EXPECT_EQ(m.w->SesCount->minimum(), 1);
    EXPECT_EQ(m.w->SesCount->maximum(), 12);
    m.w->SesCount->setValue(7);
    EXPECT_EQ(ss(m.w->TxtSession->text()), "7");
    EXPECT_EQ(ss(m.w->TxtArg->text()), "-window");
    EXPECT_EQ(ss(m.w->Label4->text()),
              "How to use multiplayer testing:\r\n"
              "  1. Select 2 or more windows to open in the selection\r\n"
              "  2. Press 'CLOSE and RUN' Button.\r\n"
              "  3. In one of the Warcraft III opened sessions, select 'Local Area Network'\r\n"
              "  4. Select 'Create Game'\r\n"
              "  5. Select the game you want to play, set the Advanced options if needed, and click in 'Create game'\r\n"
              "  6. For each WC3 session remaining, select 'Local Area Network' and you will see the game created in "
              "the games list. Join to it.\r\n"
              "  7. In the initial session, start the game and have fun!!");
    EXPECT_TRUE(m.w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(m.w->BtnClose->isDefault());
}

struct GateCase {
    PeVersion version;
    std::string shown;
    bool compatible;
};

const GateCase gateCases[] = {
    {{1, 26, 0, 6401}, "1.26", true},
    {{9, 26, 0, 0}, "9.26", true},
    {{1, 27, 0, 52240}, "1.27", false},
    {{1, 260, 0, 0}, "1.260", false},
};

TEST(FrmMulti, VersionGateJudgesTheSecondPartAndAsksOnlyForOtherVersions) {
    for (const GateCase& c : gateCases) {
        SCOPED_TRACE(c.shown);
        Multi m(c.version);
        m.t.dialogs.yesNoAnswers = {false};
        m.w->load();
        EXPECT_FALSE(m.w->isUnloaded());
        EXPECT_EQ(m.warning(), verdict(c.shown, c.compatible));
        EXPECT_EQ(m.warningColour(), c.compatible ? Green : Red);
        EXPECT_EQ(m.w->BtnClose->isEnabled(), c.compatible);
        if (c.compatible) {
            EXPECT_TRUE(m.t.dialogs.shown.empty());
        } else {
            ASSERT_EQ(m.t.dialogs.shown.size(), 1u);
            EXPECT_EQ(m.t.dialogs.shown[0].kind, "yesno");
            EXPECT_EQ(m.t.dialogs.shown[0].title, "Multisession Tool.");
            EXPECT_EQ(m.t.dialogs.shown[0].text,
                      verdict(c.shown, false) + " Do you wish to download 1.26 patch?" + Remember);
        }
    }
}

TEST(FrmMulti, VersionRuleIsOnTheTextOfTheSecondPart) {
    struct Case {
        std::string text;
        bool compatible;
    };
    const Case cases[] = {{"1.26", true}, {"0.26.x", true}, {"1.026", false}, {"1.26 ", false}, {"1..26", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readGameVersion(c.text).compatible, c.compatible);
    }
    for (const std::string text : {"", "126"}) {
        SCOPED_TRACE(text);
        try {
            readGameVersion(text);
            ADD_FAILURE() << "a version without a second part must fail";
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.number, 9);
        }
    }
}

TEST(FrmMulti, WithoutTheGameExecutableTheWindowUnloadsItselfAndAsksNothing) {
    for (const bool noFolder : {false, true}) {
        SCOPED_TRACE(noFolder);
        Multi m;
        fs::remove(m.game + "/War3.exe");
        if (noFolder) m.t.shared.WC3Path = "";
        m.w->load();
        EXPECT_TRUE(m.w->isUnloaded());
        EXPECT_TRUE(m.t.dialogs.shown.empty());
    }
}

TEST(FrmMulti, ExecutableWithoutVersionFailsTheLoad) {
    Multi m(std::nullopt);
    try {
        m.w->load();
        ADD_FAILURE() << "the load must fail";
    } catch (const RuntimeFailure& f) {
        EXPECT_EQ(f.number, 9);
    }
}

TEST(FrmMulti, GateRunsAgainAfterThePatcher) {
    Multi m(PeVersion{1, 27, 0, 52240});
    m.t.dialogs.yesNoAnswers = {true};
    // Stands in for a patch install: the game turns 1.26 while the patcher is open.
    const std::string exe = m.game + "/War3.exe";
    WindowDriver driver([&](QWidget* w) {
        if (ss(w->windowTitle()) == "Multisession Tool.") return;
        writePeExecutable(exe, V126);
        w->close();
    });
    m.w->load();
    EXPECT_TRUE(driver.seen().contains("Warcraft III Version Patcher"));
    EXPECT_EQ(m.t.dialogs.shown.size(), 1u);
    EXPECT_EQ(m.warning(), verdict("1.26", true));
    EXPECT_EQ(m.warningColour(), Green);
    EXPECT_TRUE(m.w->BtnClose->isEnabled());
}

struct RunCase {
    std::string argValue;
    int sessions;
    const char* oldConfig;
};

const RunCase runCases[] = {
    {"-window", 3, nullptr},
    {"", 1, "an older, longer setting\r\n"},
    {"-window -opengl", 2, nullptr},
};

TEST(FrmMulti, RunWritesTheLoaderSettingAndStartsTheLoaderOncePerSession) {
    for (const RunCase& c : runCases) {
        SCOPED_TRACE(c.argValue);
        Multi m(V126, c.argValue);
        m.installLoader();
        if (c.oldConfig) writeFile(m.configFile(), c.oldConfig);
        m.w->load();
        m.w->SesCount->setValue(c.sessions);
        FrmMulti* w = m.w.get();
        QTimer::singleShot(0, w, [w] { QTest::mouseClick(w->BtnClose, Qt::LeftButton); });
        w->showModal();

        EXPECT_EQ(m.t.endedWith, 0);
        EXPECT_EQ(readFile(m.configFile()), m.game + "/war3.exe " + c.argValue);
        const auto runs = waitForRecordedRuns(m.loaderLog(), c.sessions);
        ASSERT_EQ(runs.size(), static_cast<std::size_t>(c.sessions));
        for (const RecordedRun& run : runs) {
            EXPECT_EQ(run.cwd, fs::canonical(m.t.programFolder).string());
            EXPECT_TRUE(run.args.empty());
        }
        EXPECT_TRUE(m.t.dialogs.shown.empty());
    }
}

TEST(FrmMulti, MissingLoaderFileIsReportedAndLeavesTheSettingAlone) {
    struct Case {
        bool loader;
        bool library;
        const char* oldConfig;
    };
    const Case cases[] = {{true, false, nullptr}, {false, true, "C:/old/war3.exe -window"}, {false, false, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.loader) + std::to_string(c.library));
        Multi m;
        m.installLoader(c.loader, c.library);
        if (c.oldConfig) writeFile(m.configFile(), c.oldConfig);
        m.w->load();
        m.w->BtnClose_Click();
        EXPECT_EQ(m.t.dialogs.infos(), std::vector<std::string>{"Quenlit.dll or Tandrel.exe is not in the app path..."});
        EXPECT_EQ(m.t.endedWith, 0);
        if (c.oldConfig) {
            EXPECT_EQ(readFile(m.configFile()), c.oldConfig);
        } else {
            EXPECT_FALSE(fs::exists(m.configFile()));
        }
        EXPECT_FALSE(fs::exists(m.loaderLog()));
    }
}

// The session count sits at tab index 2, right after its text box.
TEST(FrmMulti, SessionCountMovesWithTheArrowKeysOnceTabReachesIt) {
    Multi m;
    m.w->load();
    m.w->show();
    m.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m.w.get()));
    m.w->TxtSession->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m.w->TxtSession, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m.w->SesCount);
    // As on the classic desktop: left and up lower the count, right and down raise it.
    for (const auto& [key, shown] : {std::pair{Qt::Key_Right, "2"}, {Qt::Key_Down, "3"}, {Qt::Key_Left, "2"},
                                     {Qt::Key_Up, "1"}, {Qt::Key_Left, "1"}, {Qt::Key_End, "12"}, {Qt::Key_Right, "12"},
                                     {Qt::Key_Home, "1"}}) {
        QTest::keyClick(m.w->SesCount, key);
        EXPECT_EQ(ss(m.w->TxtSession->text()), shown);
    }
}

TEST(FrmMulti, ImageClickOpensTheForumTopic) {
    Multi m;
    m.w->load();
    m.w->show();
    QTest::mouseClick(m.w->Image1, Qt::LeftButton);
    const auto opened = waitForRecordedRuns(m.t.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{"http://127.0.0.1:9/index.php?topic=4263.0"});
}

}  // namespace
