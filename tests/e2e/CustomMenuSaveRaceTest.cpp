#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/App.h"
#include "platform/ProfileFile.h"
#include "setup/CustomMenu.h"
#include "support/Pack.h"
#include "support/core/MenuHarness.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string Editor = "Vesk Application Quick Starter...";
const std::string InfoTitle = "Corvane - By Dunmarrow";

// A pack whose menu offers Alpha, then Beta; each program records its runs in a log of its own.
struct MenuPack {
    Pack pack;
    App app;
    std::map<std::string, std::string> logs;  // caption -> log

    MenuPack() {
        pack.forceGame();
        app.programFolder = pack.programFolder;
        std::vector<MenuItem> menu;
        for (const std::string name : {"Alpha", "Beta"}) {
            logs[name + "..."] = pack.root.file(name + ".log");
            writeRecordingProgram(pack.root.file("tools/" + name), logs[name + "..."]);
            menu.push_back({name, pack.root.file("tools/" + name), ""});
        }
        SaveCustomMenu(app, menu);
    }

    std::string config() const { return pack.programFolder + "/config.cfg"; }
    std::map<std::string, std::string> env() const {
        return {{"XDG_CONFIG_HOME", pack.root.file("config")}, {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}};
    }

    // What the user would see and get: the script's captions are the stored names of positions 0
    // to ITEMS-1, and --command=0 starts the program of the script's first entry.
    void expectTheFilesAgree() {
        EXPECT_EQ(pack.run({"--command=0"}, false), 0) << pack.lastStderr;
        const MenuHarnessRun run = runMenuHarness(pack.programFolder + "/CST_Menu.lua");
        ASSERT_TRUE(run.ok) << run.failure;
        const int items = std::stoi(profile::read(config(), "CSTMENU", "ITEMS").value_or("-1"));
        ASSERT_EQ(int(run.entries.size()), items);
        for (int i = 0; i < items; ++i)
            EXPECT_EQ(run.entries[i].caption, profile::read(config(), "CSTMENU", "MNU_NAME_" + std::to_string(i)).value() + "...");
        ASSERT_GE(items, 1);
        EXPECT_EQ(waitForRecordedRuns(logs[run.entries[0].caption], 1).size(), 1u) << run.entries[0].caption;
        struct stat st;
        EXPECT_NE(::lstat(CustomMenuSaveRecordPath(app).c_str(), &st), 0);
    }
};

// A Save killed at each of its renames: in a fresh pack the version file's comes first, then
// the record's, the settings' and the script's. The next run that reads the menu mends whatever half is in place.
TEST(CustomMenuSaveRace, KilledSaveIsMendedByTheNextRun) {
    struct Case {
        int rename;
        bool recordLeft, settingsNew;
    } cases[] = {{2, false, false}, {3, true, false}, {4, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rename);
        XSession x;
        MenuPack m;
        const std::string oldScript = readFile(m.pack.programFolder + "/CST_Menu.lua");
        const std::string kill = "rename,renameat,renameat2:signal=KILL:when=" + std::to_string(c.rename);
        XSession::Program corvane = x.start({"strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=rename,renameat,renameat2",
                                             "-e", "inject=" + kill, m.pack.exe, "--cstmenu"},
                                            m.env());
        ASSERT_TRUE(x.waitForWindow(Editor));
        // Alpha one down, then Save: the new menu is Beta, Alpha.
        x.key("alt+o");
        x.key("alt+s");
        EXPECT_EQ(corvane.wait(20000), 128 + SIGKILL);

        struct stat st;
        EXPECT_EQ(::lstat(CustomMenuSaveRecordPath(m.app).c_str(), &st) == 0, c.recordLeft);
        EXPECT_EQ(profile::read(m.config(), "CSTMENU", "MNU_NAME_0"), c.settingsNew ? "Beta" : "Alpha");
        EXPECT_EQ(readFile(m.pack.programFolder + "/CST_Menu.lua"), oldScript);
        // Another run writes its key before the menu is read again; the mending keeps it.
        ASSERT_EQ(m.pack.run({"--forcewc3path=/elsewhere"}, false), 0);
        m.expectTheFilesAgree();
        EXPECT_EQ(profile::read(m.config(), "FORCED_PATH", "PATH"), "/elsewhere");
    }
}

// Two editors open on the same menu, each saving its own change: the later Save wins both files.
TEST(CustomMenuSaveRace, TwoEditorsSavingAtOnce) {
    XSession x{XSession::Options{.windowManager = true}};
    MenuPack m;
    XSession::Program first = x.start({m.pack.exe, "--cstmenu"}, m.env());
    const auto a = x.waitForWindow(Editor);
    ASSERT_TRUE(a);
    XSession::Program second = x.start({m.pack.exe, "--cstmenu"}, m.env());
    std::optional<unsigned long> b;
    ASSERT_TRUE(eventually([&] {
        for (unsigned long id : x.windows(Editor))
            if (id != *a) b = id;
        return b.has_value();
    }));
    // A moves Alpha down, B deletes Alpha; then each saves.
    ASSERT_TRUE(x.activate(*a));
    x.key("alt+o");
    ASSERT_TRUE(x.activate(*b));
    x.key("alt+d");
    ASSERT_TRUE(x.waitForWindow(Editor + " - Delete Item..."));
    x.key("Return");
    // Each box is waited for: one that comes up late would take the keys meant for the other editor.
    std::size_t saved = 0;
    for (unsigned long editor : {*a, *b}) {
        ASSERT_TRUE(x.activate(editor));
        x.key("alt+s");
        ++saved;
        ASSERT_TRUE(eventually([&] { return x.windows(InfoTitle).size() == saved; }));
    }
    for (int box = 0; box < 2; ++box) {
        const auto shown = x.waitForWindow(InfoTitle);
        ASSERT_TRUE(shown);
        ASSERT_TRUE(x.activate(*shown));
        x.key("Return");
        ASSERT_TRUE(x.waitForWindowGone(*shown));
    }
    EXPECT_EQ(first.wait(20000), 0);
    EXPECT_EQ(second.wait(20000), 0);
    m.expectTheFilesAgree();
    EXPECT_EQ(profile::read(m.config(), "CSTMENU", "ITEMS"), "1");
}

}  // namespace
