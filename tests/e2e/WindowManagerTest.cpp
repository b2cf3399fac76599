#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "support/Pack.h"
#include "support/core/MapFile.h"
#include "support/core/PeBuilder.h"
#include "support/core/XSession.h"

namespace {

const std::string InfoTitle = "Corvane - By Dunmarrow";
const std::string MultiTitle = "Multisession Tool.";
const std::string PatcherTitle = "Warcraft III Version Patcher";

// The built program in a pack of its own whose stored game folder holds a "War3.exe" of the
// given version, run under openbox.
struct Session {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;

    explicit Session(const PeVersion& gameVersion) {
        writePeExecutable(pack.game + "/War3.exe", gameVersion);
        pack.forceGame();
    }
    XSession::Program start(const std::string& option) {
        return x.start({pack.exe, option}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                            {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    }
    // Where a window stands in the stack, bottom first; -1 when it is not managed.
    long stackPosition(unsigned long window) const {
        const auto stack = x.stacking();
        const auto at = std::find(stack.begin(), stack.end(), window);
        return at == stack.end() ? -1 : at - stack.begin();
    }
};

// The box a topmost window shows opens over it, owned by it, with the focus; Enter closes it.
TEST(WindowManager, BoxOfATopmostWindowOpensOverItAndTakesEnter) {
    Session run({1, 26, 0, 6401});  // no loader files beside the program
    XSession::Program corvane = run.start("--multisession");
    const auto multi = run.x.waitForWindow(MultiTitle);
    ASSERT_TRUE(multi);
    EXPECT_TRUE(run.x.hasState(*multi, "_NET_WM_STATE_ABOVE"));

    // "&Close and RUN" stands at 5400, 4800 twips, 1575 by 375.
    const XSession::Geometry window = run.x.geometry(*multi);
    run.x.click(window.x + 360 + 52, window.y + 320 + 12);
    const auto box = run.x.waitForWindow(InfoTitle);
    ASSERT_TRUE(box);
    EXPECT_EQ(run.x.transientFor(*box), multi);
    EXPECT_TRUE(run.x.hasState(*box, "_NET_WM_STATE_ABOVE"));
    EXPECT_GT(run.stackPosition(*box), run.stackPosition(*multi));
    EXPECT_EQ(run.x.activeWindow(), box);
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) run.x.screenshot(std::string(shots) + "/box-over-topmost.png");

    run.x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);
    EXPECT_FALSE(std::filesystem::exists(run.pack.programFolder + "/Config.txt"));
}

// The patch offer comes before its window is on the screen: it stands in the middle of the screen.
TEST(WindowManager, BoxOfAWindowNotShownYetIsCentredOnTheScreen) {
    Session run({1, 27, 0, 52240});
    XSession::Program corvane = run.start("--multisession");
    const auto box = run.x.waitForWindow(MultiTitle);
    ASSERT_TRUE(box);
    const XSession::Geometry g = run.x.geometry(*box);
    EXPECT_NEAR(g.x + g.width / 2, run.x.width() / 2, 16);
    EXPECT_NEAR(g.y + g.height / 2, run.x.height() / 2, 24);
    EXPECT_EQ(run.x.activeWindow(), box);
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) run.x.screenshot(std::string(shots) + "/offer-centred.png");

    // No: the window itself comes, its run button disabled; its close box ends the run.
    run.x.key("n");
    ASSERT_TRUE(run.x.waitForWindowGone(*box));
    const auto multi = run.x.waitForWindow(MultiTitle);
    ASSERT_TRUE(multi);
    run.x.key("alt+F4");
    EXPECT_EQ(corvane.wait(20000), 0);
}

// As on the system's own Yes/No box, only Yes or No answers a question: Escape and the close
// box leave it standing. Yes is the default; Enter and Space press the focused button.
TEST(WindowManager, YesNoQuestionHasNoCancel) {
    // The patch offer's Yes opens the patcher, its No the window itself; alt+F4 is openbox's
    // close, as from the title bar's close box.
    const std::pair<std::vector<std::string>, const std::string&> cases[] = {
        {{"Escape", "Return"}, PatcherTitle}, {{"alt+F4", "Return"}, PatcherTitle},
        {{"Tab", "space"}, MultiTitle},       {{"Tab", "Return"}, MultiTitle},
    };
    for (const auto& [keys, next] : cases) {
        SCOPED_TRACE(keys[0] + " " + keys[1]);
        Session run({1, 27, 0, 52240});
        XSession::Program corvane = run.start("--multisession");
        const auto box = run.x.waitForWindow(MultiTitle);
        ASSERT_TRUE(box && run.x.waitForActive(*box));
        for (const std::string& key : keys) run.x.key(key);
        ASSERT_TRUE(run.x.waitForWindowGone(*box));
        const auto shown = run.x.waitForWindow(next);
        EXPECT_TRUE(shown && shown != box);
    }
}

// Windows kept out of the taskbar say so from the moment they are mapped; the others do not.
TEST(WindowManager, OnlyTheWindowsMeantForItAreKeptOutOfTheTaskbar) {
    Session run({1, 26, 0, 6401});
    const std::string map = run.pack.root.write("maps/(4) Twisted Meadows.w3x", mapContent(4));
    const std::tuple<std::string, const char*, bool> cases[] = {
        {"--setwc3path", "Set Manually Warcraft III path...", true},
        {"--status=" + run.pack.game, "Vesk Status Info...", true},
        {"--cstmenu", "Vesk Application Quick Starter...", false},
        {"--setupmaptesting=" + map, "Test Map Configuration. (BETA)", false},
    };
    for (const auto& [option, title, skipsTaskbar] : cases) {
        SCOPED_TRACE(title);
        XSession::Program corvane = run.start(option);
        const auto window = run.x.waitForWindow(title);
        ASSERT_TRUE(window);
        EXPECT_EQ(run.x.hasState(*window, "_NET_WM_STATE_SKIP_TASKBAR"), skipsTaskbar);
        EXPECT_TRUE(run.x.hasState(*window, "_NET_WM_STATE_ABOVE"));  // Qt's own states stay
    }
}

}  // namespace
