#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "common/Text.h"
#include "setup/FrmCstmMenu.h"
#include "startup/Main.h"
#include "support/Pack.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/MenuHarness.h"
#include "support/core/StandIns.h"
#include "ui/Text.h"

namespace {

struct Entry {
    std::string name;
    std::string program;  // below the test's root
    std::string arguments;
    std::vector<std::string> received;
};

// The menu is made in the editor as a user makes it, saved, and run as the pack runs it: the
// editor extension runs the script (the harness), whatever runs its command lines on Linux maps
// the backslash to "/" and drops ".exe", and the built program starts each entry's program.
TEST(CustomMenuRoundTrip, EachEntryStartsItsOwnProgram) {
    const std::vector<Entry> entries = {
        {"Map Optimizer", "tools/map optimizer/optimize", "--level 3 \"C:\\My Maps\\x.w3x\"",
         {"--level", "3", "C:\\My Maps\\x.w3x"}},
        {"MapOptimizer", "tools/MapOptimizer/optimize", "", {}},
        {"Say \"Hi\"", "tools/say/say", "\"a \\\"quoted\\\" word\" -v", {"a \"quoted\" word", "-v"}},
    };
    TestApp t;
    t.forceGameFolder("game");
    const std::string log = t.root.file("programs.log");
    for (const Entry& e : entries) writeRecordingProgram(t.root.file(e.program), log);

    bool made = false;
    WindowDriver driver([&](QWidget* window) {
        auto* menu = dynamic_cast<FrmCstmMenu*>(window);
        if (!menu || made) return;
        made = true;
        for (const Entry& e : entries) {
            QTest::mouseClick(menu->BtnAdd, Qt::LeftButton);
            QTest::keyClicks(menu->TxtName, qs(e.name));
            t.dialogs.pickAnswers.push_back(t.root.file(e.program));
            QTest::mouseClick(menu->TxtPath, Qt::LeftButton);
            QTest::keyClicks(menu->TxtArg, qs(e.arguments));
            QTest::mouseClick(menu->BtnAddEdit, Qt::LeftButton);
        }
        QTest::mouseClick(menu->BtnSave, Qt::LeftButton);
    });
    Main(t.app, t.shared, "--cstmenu");
    ASSERT_TRUE(made);
    EXPECT_EQ(t.dialogs.infos(), std::vector<std::string>{"Vesk needs to be restarted to see the changes in the custom menu."});
    EXPECT_EQ(t.endedWith, 0);

    const MenuHarnessRun run = runMenuHarness(t.programFolder + "/CST_Menu.lua");
    ASSERT_TRUE(run.ok) << run.failure;
    ASSERT_EQ(run.entries.size(), entries.size());

    Pack pack;
    std::filesystem::copy_file(t.configPath(), pack.programFolder + "/config.cfg");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        EXPECT_EQ(run.entries[i].caption, entries[i].name + "...");
        ASSERT_EQ(run.entries[i].commands.size(), 1u);
        const std::string command = replaceAll(replaceAll(run.entries[i].commands[0], "\\", "/"), ".exe", "");
        const std::size_t blank = command.find(' ');
        EXPECT_EQ(pack.root.file("pack/" + command.substr(0, blank)), pack.exe);
        EXPECT_EQ(command.substr(blank + 1), "--command=" + std::to_string(i));
        EXPECT_EQ(pack.run({command.substr(blank + 1)}, false), 0) << pack.lastStderr;
        const auto runs = waitForRecordedRuns(log, i + 1);
        ASSERT_EQ(runs.size(), i + 1);
        EXPECT_EQ(runs[i].cwd, std::filesystem::path(t.root.file(entries[i].program)).parent_path().string());
        EXPECT_EQ(runs[i].args, entries[i].received);
    }
}

}  // namespace
