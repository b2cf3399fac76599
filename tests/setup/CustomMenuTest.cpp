#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <signal.h>
#include <sys/wait.h>

#include "common/Text.h"
#include "platform/RuntimeFailure.h"
#include "setup/CustomMenu.h"
#include "support/TestApp.h"
#include "support/core/Failures.h"
#include "support/core/MenuHarness.h"
#include "support/core/Processes.h"

namespace {

using Items = std::vector<MenuItem>;

const std::string Stamp = "12/09/26 07:27:07";
const std::string Site = "www.dunmarrow.example";
const std::string Header =
    "--==============================\r\n"
    "--|   Automated menu script    |\r\n"
    "--|     made by Vesk 2.0       |\r\n"
    "--|  For bug reporting visit:  |\r\n"
    "--|   www.dunmarrow.example    |\r\n"
    "--==============================\r\n"
    "--   Last update:\r\n"
    "--   12/09/26 07:27:07\r\n"
    "--==============================\r\n";

Items named(const std::vector<std::string>& names) {
    Items items;
    for (const std::string& n : names) items.push_back({n, "/tools/" + n, "-x"});
    return items;
}

std::string command(std::size_t i) { return "keldwyn\\Corvane.exe --command=" + std::to_string(i); }

// Writes the script to a file, checks that Lua accepts it and runs it through the harness.
MenuHarnessRun runScript(const TempDir& dir, const std::string& script) {
    std::string path = dir.write("CST_Menu.lua", script);
    EXPECT_TRUE(luaCompiles(path));
    return runMenuHarness(path);
}

// Each entry shows its name + "..." and runs "--command=" with its own position.
void expectEveryEntryRunsItsOwnCommand(const MenuHarnessRun& run, const Items& items) {
    ASSERT_TRUE(run.ok) << run.failure;
    ASSERT_EQ(run.entries.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(run.entries[i].caption, items[i].Name + "...") << i;
        EXPECT_EQ(run.entries[i].commands, std::vector<std::string>{command(i)}) << i;
    }
}

std::vector<std::string> linesOf(const std::string& text) { return splitAll(text, "\r\n"); }

// ---- The script ----

TEST(CustomMenuScript, EmptyAndTwoEntryMenusAreExactly) {
    EXPECT_EQ(CustomMenuScript(Site, Stamp, {}), Header);
    EXPECT_EQ(CustomMenuScript(Site, Stamp, named({"Map Optimizer", "Tool"})),
              Header +
                  "\r\n"
                  "function MNUMapOptimizer()\r\n"
                  "  Modrune.runprocess(\"keldwyn\\\\Corvane.exe --command=0\")\r\n"
                  "end\r\n"
                  "\r\n"
                  "\r\n"
                  "function MNUTool()\r\n"
                  "  Modrune.runprocess(\"keldwyn\\\\Corvane.exe --command=1\")\r\n"
                  "end\r\n"
                  "\r\n"
                  "MNUMapOptimizerm = MenuEntry:New(veskm,\"Map Optimizer...\",MNUMapOptimizer)\r\n"
                  "MNUToolm = MenuEntry:New(veskm,\"Tool...\",MNUTool)\r\n");
}

TEST(CustomMenuScript, WebSiteIsCentredInHeaderLineFive) {
    struct Case {
        std::string site, line;
    } cases[] = {
        {"www.x.example", "--|       www.x.example        |"},
        {"http://www.dunmarrow.example", "--|http://www.dunmarrow.example|"},  // exactly 28
        {"", "--|                            |"},
        {"http://www.dunmarrow.example/forum", "--| http://www.dunmarrow.example/forum |"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = linesOf(CustomMenuScript(c.site, Stamp, {}));
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[4], c.line) << c.site;
        for (int i : {1, 2, 3}) EXPECT_EQ(lines[i].size(), 32u) << i;
    }
}

// Valid and unique names keep "MNU" + the name without blanks; the rest become valid, unique names.
TEST(CustomMenuScript, FunctionNamesAreValidAndUnique) {
    struct Case {
        std::vector<std::string> names, functions;
    } cases[] = {
        {{"Map Optimizer", "Tool_2"}, {"MNUMapOptimizer", "MNUTool_2"}},
        {{"Foo", "F oo"}, {"MNUFoo", "MNUFoo_1"}},
        {{"A", "Am"}, {"MNUA", "MNUAm_1"}},
        {{"Am", "A"}, {"MNUAm", "MNUA_1"}},
        {{"A", "A", "A_1"}, {"MNUA", "MNUA_1", "MNUA_1_2"}},
        {{""}, {"MNU"}},
        {{" "}, {"MNU"}},
        {{"Map-Optimizer"}, {"MNUMap_Optimizer"}},
        {{"Tool (beta)"}, {"MNUTool_beta_"}},
        {{"a\"b", "x\ty", "Caf\xC3\xA9"}, {"MNUa_b", "MNUx_y", "MNUCaf__"}},
        {{"Tool", "Tool-", "Tool_"}, {"MNUTool", "MNUTool_", "MNUTool__2"}},
    };
    for (const Case& c : cases) EXPECT_EQ(MenuFunctionNames(named(c.names)), c.functions) << c.names[0];
}

// Captions hold the name as typed; names that would end a string, a comment or a block, or break a
// line, stay captions, and Lua accepts the script.
TEST(CustomMenuScript, CaptionsAreLuaStringsOfTheNameAsTyped) {
    struct Case {
        std::string name, literal;
    } cases[] = {
        {"say \"hi\"", "\"say \\\"hi\\\"...\""},
        {"C:\\tools", "\"C:\\\\tools...\""},
        {"a\tb", "\"a\\009b...\""},
        {"del\x7f", "\"del\\127...\""},
        {std::string("\x01") + "2", "\"\\0012...\""},  // a digit after an escape stays a digit
        {"Caf\xC3\xA9 \xE2\x98\x95", "\"Caf\xC3\xA9 \xE2\x98\x95...\""},
        {"", "\"...\""},
        {std::string("a\0b", 3), "\"a\\000b...\""},
        {"a\rb", "\"a\\013b...\""},
        {"\")os.exit(1)--", "\"\\\")os.exit(1)--...\""},
        {"]]", "\"]]...\""},
        {"--[[", "\"--[[...\""},
        {"end", "\"end...\""},
        {"Foo", "\"Foo...\""},
        {"F oo", "\"F oo...\""},
        {"A", "\"A...\""},
        {"Am", "\"Am...\""},
    };
    Items items;
    for (const Case& c : cases) items.push_back({c.name, "", ""});
    std::string script = CustomMenuScript(Site, Stamp, items);
    std::vector<std::string> lines = linesOf(script);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& line = lines[lines.size() - items.size() - 1 + i];
        EXPECT_NE(line.find("New(veskm," + cases[i].literal + ","), std::string::npos) << line;
    }
    TempDir dir;
    expectEveryEntryRunsItsOwnCommand(runScript(dir, script), items);
}

// The harness that the script tests rely on refuses what the editor extension would not run.
TEST(MenuHarness, RefusesScriptsThatReachBeyondTheMenu) {
    struct Case {
        const char* what;
        std::string script, failure;
    } cases[] = {
        {"another global", "os.exit(0)", "undefined global os"},
        {"a provided global replaced", "veskm = 1", "provided global veskm"},
        {"a function defined twice", "function MNUA() end\nfunction MNUA() end", "second definition"},
        {"a command while loading", "Modrune.runprocess('x')", "while the script loads"},
        {"another field", "Modrune.exec('x')", "Modrune.exec"},
        {"another menu", "function MNUA() end\nMNUAm = MenuEntry:New({}, 'A...', MNUA)", "another menu"},
        {"not Lua", "function (", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        MenuHarnessRun run = runMenuHarness(dir.write("bad.lua", c.script));
        EXPECT_FALSE(run.ok) << c.what;
        EXPECT_NE(run.failure.find(c.failure), std::string::npos) << c.what << ": " << run.failure;
    }
}

// ---- The store ----

struct CustomMenuStore : ::testing::Test {
    TestApp t;
    std::string config() const { return readFile(t.configPath()); }
    std::string script() const { return readFile(t.programFolder + "/CST_Menu.lua"); }
};

TEST_F(CustomMenuStore, LoadsWhatItemsCounts) {
    auto entries = [](int from, int to) {
        std::string text;
        for (int i = from; i < to; ++i)
            text += "MNU_NAME_" + std::to_string(i) + "=n" + std::to_string(i) + "\r\nMNU_PATH_" + std::to_string(i) +
                    "=p" + std::to_string(i) + "\r\nMNU_ARG_" + std::to_string(i) + "=a" + std::to_string(i) + "\r\n";
        return text;
    };
    auto entry = [](int i) { return MenuItem{"n" + std::to_string(i), "p" + std::to_string(i), "a" + std::to_string(i)}; };
    const std::string three = entries(0, 3);
    Items hundred;
    for (int i = 0; i < MenuCapacity; ++i) hundred.push_back(entry(i));
    struct Case {
        const char* what;
        std::optional<std::string> config;
        Items expected;
        int failure = 0;
    } cases[] = {
        {"no config.cfg", std::nullopt, {}},
        {"game folder only", "[FORCED_PATH]\r\nPATH=/games/wc3\r\n", {}},
        {"no ITEMS", "[CSTMENU]\r\n" + three, {}},
        {"empty ITEMS", "[CSTMENU]\r\nITEMS=\r\n" + three, {}},
        {"2", "[CSTMENU]\r\nITEMS=2\r\n" + three, {entry(0), entry(1)}},
        {"3, entry 1 missing", "[CSTMENU]\r\nITEMS=3\r\n" + entries(0, 1) + entries(2, 3), {entry(0), {}, entry(2)}},
        {"+2 with blanks", "[CSTMENU]\r\nITEMS= +2 \r\n" + three, {entry(0), entry(1)}},
        {"-1", "[CSTMENU]\r\nITEMS=-1\r\n" + three, {}},
        {"150", "[CSTMENU]\r\nITEMS=150\r\n" + entries(0, 150), hundred},
        {"huge", "[CSTMENU]\r\nITEMS=99999999999999999999\r\n", Items(MenuCapacity)},
        {"abc", "[CSTMENU]\r\nITEMS=abc\r\n" + three, {}, failure::TypeMismatch},
        {"2.5", "[CSTMENU]\r\nITEMS=2.5\r\n" + three, {}, failure::TypeMismatch},
        {"a lone sign", "[CSTMENU]\r\nITEMS=-\r\n", {}, failure::TypeMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(t.configPath().c_str());
        if (c.config) writeFile(t.configPath(), *c.config);
        auto before = snapshot(t.programFolder);
        Items loaded;
        EXPECT_EQ(failureOf([&] { loaded = LoadCustomMenu(t.app); }), c.failure);
        EXPECT_EQ(loaded, c.expected);
        EXPECT_EQ(snapshot(t.programFolder), before);
    }
}

TEST_F(CustomMenuStore, SavingFewerEntriesKeepsTheLaterKeysAndOtherSections) {
    writeFile(t.configPath(), "[FORCED_PATH]\r\nPATH=/games/wc3\r\n");
    SaveCustomMenu(t.app, named({"a", "b", "c", "d", "e"}));
    Items three = {{"x y", "/bin/x", "--go"}, {"", "", ""}, {"z", "/bin/z", ""}};
    SaveCustomMenu(t.app, three);
    EXPECT_EQ(config(),
              "[FORCED_PATH]\r\nPATH=/games/wc3\r\n\r\n[CSTMENU]\r\nITEMS=3\r\n"
              "MNU_NAME_0=x y\r\nMNU_PATH_0=/bin/x\r\nMNU_ARG_0=--go\r\n"
              "MNU_NAME_1=\r\nMNU_PATH_1=\r\nMNU_ARG_1=\r\n"
              "MNU_NAME_2=z\r\nMNU_PATH_2=/bin/z\r\nMNU_ARG_2=\r\n"
              "MNU_NAME_3=d\r\nMNU_PATH_3=/tools/d\r\nMNU_ARG_3=-x\r\n"
              "MNU_NAME_4=e\r\nMNU_PATH_4=/tools/e\r\nMNU_ARG_4=-x\r\n");
    EXPECT_EQ(LoadCustomMenu(t.app), three);
    expectEveryEntryRunsItsOwnCommand(runMenuHarness(t.programFolder + "/CST_Menu.lua"), three);
    EXPECT_EQ(namesIn(t.programFolder), (std::set<std::string>{"config.cfg", "config.cfg.lock", "CST_Menu.lua"}));
}

TEST_F(CustomMenuStore, SavingTwiceChangesAtMostTheStamp) {
    Items items = named({"one", "two"});
    SaveCustomMenu(t.app, items);
    std::string firstConfig = config(), firstScript = script();
    SaveCustomMenu(t.app, items);
    EXPECT_EQ(config(), firstConfig);
    std::vector<std::string> a = linesOf(firstScript), b = linesOf(script());
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i != 7) {
            EXPECT_EQ(a[i], b[i]) << i;
        }
    }
    EXPECT_EQ(a[7].substr(0, 5), "--   ");
    EXPECT_NE(a[4].find(t.app.webSite), std::string::npos);
}

TEST_F(CustomMenuStore, ValuesComeBackAsSaved) {
    Items items = {{"\"quoted\"", "'C:\\Program Files\\x.exe'", "a=b;c"},
                   {"; not a comment", "=", "\"-x\" \"y z\""},
                   {"[CSTMENU]", "x]", "ITEMS=0"}};
    SaveCustomMenu(t.app, items);
    EXPECT_EQ(LoadCustomMenu(t.app), items);
}

// Either both files are written or neither, and nothing is left behind.
TEST_F(CustomMenuStore, FailedSavesChangeNothing) {
    const std::string folder = t.programFolder;
    struct Case {
        const char* what;
        std::function<void()> arrange;
        int failure;
        bool dropRoot = false;  // root writes into any folder
    } cases[] = {
        {"a folder named config.cfg", [&] {
             ::unlink(t.configPath().c_str());
             t.root.mkdir("pack/keldwyn/config.cfg/inside");
         }, failure::PathFileAccessError},
        {"a folder at CST_Menu.lua", [&] {
             ::unlink((folder + "/CST_Menu.lua").c_str());
             t.root.mkdir("pack/keldwyn/CST_Menu.lua");
         }, failure::PathFileAccessError},
        {"a read-only CST_Menu.lua", [&] { ::chmod((folder + "/CST_Menu.lua").c_str(), 0444); }, failure::PermissionDenied},
        {"a read-only config.cfg", [&] { ::chmod(t.configPath().c_str(), 0444); }, failure::PermissionDenied},
        {"a read-only program folder", [&] { ::chmod(folder.c_str(), 0555); }, failure::PermissionDenied, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder);
        t.root.mkdir("pack/keldwyn");
        SaveCustomMenu(t.app, named({"old", "older"}));
        c.arrange();
        auto before = snapshot(folder);
        // In a child process of its own, which may give up root's rights first.
        ::chmod(t.root.path().c_str(), 0755);
        ::chmod(t.packFolder.c_str(), 0755);
        EXPECT_EQ(failingChildren(1,
                                  [&](int) {
                                      if (c.dropRoot && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                                          return false;
                                      return failureOf([&] { SaveCustomMenu(t.app, named({"new"})); }) == c.failure;
                                  }),
                  0);
        EXPECT_EQ(snapshot(folder), before);
        ::chmod(folder.c_str(), 0755);
    }
}

// The script on disk is exactly what the stored menu generates (with the script's own stamp).
::testing::AssertionResult filesAgree(const TestApp& t) {
    const std::string script = readFile(t.programFolder + "/CST_Menu.lua");
    const std::vector<std::string> lines = linesOf(script);
    if (lines.size() < 8) return ::testing::AssertionFailure() << "no script";
    const std::string expected = CustomMenuScript(t.app.webSite, lines[7].substr(5), LoadCustomMenu(t.app));
    if (script != expected) return ::testing::AssertionFailure() << script << "\n-- against --\n" << expected;
    return ::testing::AssertionSuccess();
}

// Saves killed at random moments, and Saves of two runs at once: whatever the next reader of the
// menu finds, the two files agree once it has looked.
TEST_F(CustomMenuStore, KilledAndConcurrentSavesLeaveFilesThatAgree) {
    const std::vector<Items> menus = {named({"a", "b", "c"}), named({"x"}), named({"p", "q"})};
    SaveCustomMenu(t.app, menus[0]);
    std::srand(12345);
    for (int round = 0; round < 40; ++round) {
        pid_t saver = ::fork();
        if (saver == 0) {
            for (int i = 0;; ++i) SaveCustomMenu(t.app, menus[std::size_t(i) % menus.size()]);
        }
        ::usleep(useconds_t(std::rand() % 20000));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        RecoverCustomMenu(t.app);
        ASSERT_TRUE(filesAgree(t)) << round;
    }
    EXPECT_EQ(failingChildren(2,
                              [&](int child) {
                                  for (int i = 0; i < 30; ++i) SaveCustomMenu(t.app, menus[std::size_t(child + 1)]);
                                  return true;
                              }),
              0);
    EXPECT_TRUE(filesAgree(t));
}

}  // namespace
