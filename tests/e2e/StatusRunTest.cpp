#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/App.h"
#include "common/BuildConfig.h"
#include "common/Shared.h"
#include "diagnostics/StatusReport.h"
#include "platform/SystemInfo.h"
#include "platform/pci/LibPciNames.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string Title = "Vesk Status Info...";

// The report as the run builds it over this machine's own facts.
std::string reportOf(const Pack& pack, const std::string& firstOption) {
    LibPciNames names;
    SystemInfo::Options machine;
    machine.pciNames = &names;
    SystemInfo facts(machine);
    App app;
    app.programFolder = pack.programFolder;
    app.systemInfo = &facts;
    Shared shared;
    shared.CmdArgs = {"", firstOption};
    shared.WC3Path = pack.game;
    return BuildStatusReport(app, shared);
}

// The built program under openbox: Enter, with the focus where the window puts it, copies the
// report in the forum's mark-up and opens the reply page; the clipboard holds it, CR LF and all,
// while the window stays open.
TEST(StatusRun, EnterCopiesTheMarkedUpReportWhileTheWindowIsOpen) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack;
    pack.forceGame();
    XSession::Program corvane =
        x.start({pack.exe, "--status=" + pack.game}, {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                                      {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    const auto window = x.waitForWindow(Title);
    ASSERT_TRUE(window);
    EXPECT_TRUE(x.hasState(*window, "_NET_WM_STATE_ABOVE"));
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/status.png");

    x.key("Return");
    std::string copied;
    for (int i = 0; i < 200 && copied.rfind("[b]", 0) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        copied = x.run({"xclip", "-o", "-selection", "clipboard"});
    }
    const std::string head = "[b]Vesk Status[/b]\r\n[i]";
    const std::string tail = "[/i]\r\n[code]" + reportOf(pack, "status=" + pack.game) + "[/code]";
    ASSERT_GT(copied.size(), head.size() + tail.size()) << copied;
    EXPECT_EQ(copied.substr(0, head.size()), head);
    EXPECT_EQ(copied.substr(copied.size() - tail.size()), tail);
    EXPECT_EQ(copied.substr(head.size(), copied.size() - head.size() - tail.size()).find_first_of("\r\n[]"),
              std::string::npos);  // the date and time, on one line
    EXPECT_NE(copied.find("(Perfect match: Vesk read correctly WC3 path)"), std::string::npos);

    const auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{CORVANE_WEB_SITE "/index.php?action=post;topic=4263.0"});
    EXPECT_EQ(x.waitForWindow(Title, 1000), window);

    // "Clo&se" stands at 5760, 5640 twips, 1455 by 495.
    const XSession::Geometry g = x.geometry(*window);
    x.click(g.x + 384 + 48, g.y + 376 + 16);
    EXPECT_EQ(corvane.wait(20000), 0);
}

}  // namespace
