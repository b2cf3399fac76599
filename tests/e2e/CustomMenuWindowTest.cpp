#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "common/BuildConfig.h"
#include "common/Text.h"
#include "common/App.h"
#include "platform/ProfileFile.h"
#include "setup/CustomMenu.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
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
    ASSERT_TRUE(x.waitForActive(*editor));
    shoot(x, "cstmenu-browsing");

    // From the list to "Add Entry...", pressed with Space: a mnemonic's click comes a moment
    // after its key, and the letters typed in between would land on the button.
    x.key("Tab");
    x.key("space");
    for (const char* key : {"n", "e", "w"}) x.key(key);
    shoot(x, "cstmenu-editing");
    x.key("Tab");
    const auto picker = x.waitForWindow(Picker);
    ASSERT_TRUE(picker);
    shoot(x, "cstmenu-picker");
    x.key("Escape");
    ASSERT_TRUE(x.waitForWindowGone(*picker));
    ASSERT_TRUE(x.waitForActive(*editor));
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

// An entry copied from another system names itself and its program in Latin-1, and its arguments
// hold every kind of byte that is not UTF-8 (overlong, a surrogate, past U+10FFFF, cut, stray)
// beside UTF-8 of every length: edited through the window, every byte not typed over stays.
TEST(CustomMenuWindow, BytesThatAreNotUtf8SurviveAnEdit) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    pack.forceGame();
    const std::vector<std::string> args = {"\xE9t\xE9", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82\xC3\xA9\x80",
                                           "a\xC3\xA9\xE2\x82\xAC\xF0\x90\x82\x80"};
    const std::string program = pack.root.file("tools/caf\xE9.sh"), config = pack.programFolder + "/config.cfg";
    writeRecordingProgram(program, pack.root.file("tool.log"));
    const profile::KeyValues stored = {{"MNU_NAME_0", "Caf\xE9X"}, {"MNU_PATH_0", program}, {"MNU_ARG_0", args[0] + " " + args[1] + " " + args[2]}};
    profile::write(config, "CSTMENU", {{"ITEMS", "1"}, {"MNU_NAME_0", "Caf\xE9"}, stored[1], stored[2]});

    XSession::Program corvane = x.start({pack.exe, "--cstmenu"}, {{"XDG_CONFIG_HOME", pack.root.file("config")}});
    const auto editor = x.waitForWindow(Editor);
    ASSERT_TRUE(editor && x.waitForActive(*editor));
    // Buttons are clicked at their centres (twips of the client area): a shortcut may come too early.
    const XSession::Geometry client = x.geometry(*editor);
    const auto click = [&](int left, int top) { x.click(client.x + left / 15, client.y + top / 15); };
    click(5640 + 2055 / 2, 1320 + 495 / 2);  // "&Edit Entry..."
    for (const char* key : {"End", "X"}) x.key(key);
    click(120 + 5760 + 1695 / 2, 5160 + 1440 + 375 / 2);  // "Add/Edit entry..." in the frame
    shoot(x, "cstmenu-latin1");
    x.key("Return");
    ASSERT_TRUE(x.waitForWindow(InfoTitle));
    x.key("Return");
    EXPECT_EQ(corvane.wait(20000), 0);

    for (const auto& [key, value] : stored) EXPECT_EQ(profile::read(config, "CSTMENU", key), value) << key;
    ASSERT_EQ(pack.run({"--command=0"}, false), 0) << pack.lastStderr;
    EXPECT_EQ(waitForRecordedRuns(pack.root.file("tool.log"), 1).at(0).args, args);
}

}  // namespace
