#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "common/BuildConfig.h"
#include "common/Text.h"
#include "common/App.h"
#include "setup/CustomMenu.h"
#include "support/Pack.h"
#include "support/core/XSession.h"

namespace {

const std::string Editor = "Vesk Application Quick Starter...";
const std::string Picker = "Select the program of the entry...";
const std::string InfoTitle = "Corvane - By Dunmarrow";

void shoot(const XSession& x, const std::string& name) {
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/" + name + ".png");
}

// A user opens the editor on a stored menu, starts an entry and leaves it (the picker that Tab
// opens, closed, does not come back), then saves with Enter and confirms the closing message.
TEST(CustomMenuWindow, SavedWithTheKeyboard) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    pack.forceGame();
    const std::vector<MenuItem> menu = {{"Map Optimizer", "/opt/map optimizer/optimize", "--all \"My Maps\""},
                                        {"Object Editor", "/opt/oee/oee", ""}};
    App app;
    app.programFolder = pack.programFolder;
    SaveCustomMenu(app, menu);
    const std::string config = pack.programFolder + "/config.cfg";
    const std::string stored = readFile(config);

    XSession::Program corvane = x.start({pack.exe, "--cstmenu"}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                                                  {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    const auto editor = x.waitForWindow(Editor);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(x.hasState(*editor, "_NET_WM_STATE_ABOVE"));
    ASSERT_TRUE(eventually([&] { return x.activeWindow() == editor; }));
    shoot(x, "cstmenu-browsing");

    x.key("alt+a");
    for (const char* key : {"n", "e", "w"}) x.key(key);
    shoot(x, "cstmenu-editing");
    x.key("Tab");
    const auto picker = x.waitForWindow(Picker);
    ASSERT_TRUE(picker);
    shoot(x, "cstmenu-picker");
    x.key("Escape");
    ASSERT_TRUE(x.waitForWindowGone(*picker));
    ASSERT_TRUE(eventually([&] { return x.activeWindow() == editor; }));
    // From the path to Cancel; a picker opened again would take these keys and the save never come.
    for (const char* key : {"Tab", "Tab", "Return"}) x.key(key);

    x.key("Return");
    const auto saved = x.waitForWindow(InfoTitle);
    ASSERT_TRUE(saved);
    shoot(x, "cstmenu-saved");
    x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);

    EXPECT_EQ(readFile(config), stored);
    const std::string script = readFile(pack.programFolder + "/CST_Menu.lua");
    // Line 8 holds the time of the save.
    const std::vector<std::string> lines = splitAll(script, "\r\n");
    ASSERT_GT(lines.size(), 7u);
    ASSERT_EQ(lines[7].rfind("--   ", 0), 0u);
    const std::string stamp = lines[7].substr(5);
    EXPECT_EQ(script, CustomMenuScript(CORVANE_WEB_SITE, stamp, menu));
}

}  // namespace
