#include "platform/Registry.h"
#include "support/core/Processes.h"
#include "support/core/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using std::string;
namespace fs = std::filesystem;

namespace {

const string Header = "Windows Registry Editor Version 5.00\r\n\r\n";

RegValue sz(const string& text) { return {regtype::Sz, text + '\0'}; }

std::vector<string> filesStartingWith(const string& folder, const string& prefix) {
    std::vector<string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().starts_with(prefix)) names.push_back(e.path().string());
    return names;
}

}  // namespace

TEST(RegistryStore, EveryTypeRoundTripsThroughTheFile) {
    struct Case {
        string name;
        RegValue value;
        string line;  // as the file must show it
    } cases[] = {
        {"", sz("default"), "@=\"default\""},
        {"Sz", sz("hello"), "\"Sz\"=\"hello\""},
        {"EmptySz", sz(""), "\"EmptySz\"=\"\""},
        {"Escapes", sz("C:\\Games \"x\""), "\"Escapes\"=\"C:\\\\Games \\\"x\\\"\""},
        {"Na\"me\\x", sz("v"), "\"Na\\\"me\\\\x\"=\"v\""},
        {"SzNoNul", {regtype::Sz, "hi"}, "\"SzNoNul\"=hex(1):68,69"},
        {"SzInnerNul", {regtype::Sz, string("a\0b\0", 4)}, "\"SzInnerNul\"=hex(1):61,00,62,00"},
        {"SzBreak", {regtype::Sz, string("a\r\n\0", 4)}, "\"SzBreak\"=hex(1):61,0d,0a,00"},
        {"Expand", {regtype::ExpandSz, string("%P%\0", 4)}, "\"Expand\"=hex(2):25,50,25,00"},
        {"Bin", {regtype::Binary, "\x01\x02\xff"}, "\"Bin\"=hex:01,02,ff"},
        {"BinEmpty", {regtype::Binary, ""}, "\"BinEmpty\"=hex:"},
        {"Dword", {regtype::Dword, "\x78\x56\x34\x12"}, "\"Dword\"=dword:12345678"},
        {"DwordShort", {regtype::Dword, "\x01\x02\x03"}, "\"DwordShort\"=hex(4):01,02,03"},
        {"Multi", {regtype::MultiSz, string("a\0b\0\0", 5)}, "\"Multi\"=hex(7):61,00,62,00,00"},
        {"Type20", {0x20, "\xab"}, "\"Type20\"=hex(20):ab"},
        {"None", {regtype::None, ""}, "\"None\"=hex(0):"},
    };
    TempDir dir;
    const string file = dir.file("registry.reg");
    RegistryStore writer(file);
    for (const auto& c : cases) ASSERT_TRUE(writer.setValue(RegRoot::ClassesRoot, "Corvane.Map", c.name, c.value)) << c.name;

    const string text = dir.read("registry.reg");
    EXPECT_TRUE(text.starts_with(Header + "[HKEY_CLASSES_ROOT\\Corvane.Map]\r\n")) << text;
    RegistryStore reader(file);
    for (const auto& c : cases) {
        EXPECT_NE(text.find("\r\n" + c.line + "\r\n"), string::npos) << c.line << "\n" << text;
        EXPECT_EQ(reader.queryValue(RegRoot::ClassesRoot, "corvane.map", c.name), c.value) << c.name;
    }
}

TEST(RegistryStore, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
    TempDir dir;
    RegistryStore store(dir.file("r.reg"));
    ASSERT_TRUE(store.setValue(RegRoot::CurrentUser, "Software\\Keldwyn\\Corvane", "Path", sz("one")));
    ASSERT_TRUE(store.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\\\keldwyn\\CORVANE\\", "PATH", sz("two")));
    ASSERT_TRUE(store.createKey(RegRoot::CurrentUser, "software\\KELDWYN\\Extra"));

    EXPECT_EQ(RegistryStore(dir.file("r.reg")).queryValue(RegRoot::CurrentUser, "software\\keldwyn\\corvane", "path"), sz("two"));
    EXPECT_EQ(dir.read("r.reg"), Header +
                                     "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Keldwyn]\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Keldwyn\\Corvane]\r\n\"Path\"=\"two\"\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Keldwyn\\Extra]\r\n\r\n");
    struct Case {
        RegRoot root;
        string key;
        bool exists;
    } cases[] = {
        {RegRoot::CurrentUser, "SOFTWARE\\KELDWYN\\", true}, {RegRoot::CurrentUser, "software\\keldwyn\\extra", true},
        {RegRoot::CurrentUser, "Software\\Keld", false},     {RegRoot::LocalMachine, "Software", false},
        {RegRoot::CurrentUser, "Software\\Keldwyn\\Corvane\\Path", false},
    };
    for (const auto& c : cases) EXPECT_EQ(store.keyExists(c.root, c.key), c.exists) << c.key;
}

TEST(RegistryStore, DeleteKeyGoesLeavesFirst) {
    TempDir dir;
    RegistryStore store(dir.file("r.reg"));
    ASSERT_TRUE(store.setValue(RegRoot::ClassesRoot, "A\\B\\C", "v", sz("x")));
    struct Step {
        string key;
        bool result;
    } steps[] = {{"A", false}, {"A\\B", false}, {"a\\b\\c\\", true}, {"A\\B\\C", false},
                 {"A\\B", true}, {"A", true},   {"", false},        {"A", false}};
    for (const auto& s : steps) EXPECT_EQ(store.deleteKey(RegRoot::ClassesRoot, s.key), s.result) << s.key;
    EXPECT_EQ(dir.read("r.reg"), Header);
    ASSERT_TRUE(store.createKey(RegRoot::ClassesRoot, "A\\B\\C"));
    EXPECT_EQ(store.queryValue(RegRoot::ClassesRoot, "A\\B\\C", "v"), std::nullopt);  // values went with the key
}

TEST(RegistryStore, ReadsCreateNothing) {
    TempDir dir;
    RegistryStore store(dir.file("config/corvane/registry.reg"));
    EXPECT_FALSE(store.keyExists(RegRoot::CurrentUser, "Software"));
    EXPECT_EQ(store.queryValue(RegRoot::CurrentUser, "Software", "x"), std::nullopt);
    EXPECT_FALSE(store.deleteKey(RegRoot::CurrentUser, "Software"));
    EXPECT_FALSE(dir.exists("config/corvane/registry.reg"));
    EXPECT_FALSE(dir.exists("config/corvane/registry.reg.lock"));

    dir.write("blocked", "a file where a folder should be");
    EXPECT_FALSE(RegistryStore(dir.file("blocked/registry.reg")).createKey(RegRoot::CurrentUser, "X"));
}

TEST(RegistryStore, BrokenFilesAreReadAsEmptyAndMovedAsideBeforeAWrite) {
    const string broken[] = {
        "garbage\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE\\X]\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n\"v\"=\"before any key\"\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"v\"=\"open\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"v\"=dword:xyz\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"v\"=hex:123\r\n",
        utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n") + "\n",
        // A lone surrogate has no bytes: a rewrite would change it.
        utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"v\"=\"\xD800\"\r\n"),
    };
    TempDir dir;
    const string file = dir.file("registry.reg");
    RegistryStore store(file);
    for (std::size_t i = 0; i < std::size(broken); ++i) {
        writeFile(file, broken[i]);
        EXPECT_FALSE(store.keyExists(RegRoot::Users, "X")) << i;
        EXPECT_FALSE(store.deleteKey(RegRoot::Users, "X")) << i;
        EXPECT_EQ(readFile(file), broken[i]) << "a failed update must leave the file alone";

        ASSERT_TRUE(store.setValue(RegRoot::Users, "Y", "n", sz(std::to_string(i))));
        EXPECT_EQ(RegistryStore(file).queryValue(RegRoot::Users, "Y", "n"), sz(std::to_string(i)));
        const auto aside = filesStartingWith(dir.path(), "registry.reg.broken-");
        ASSERT_EQ(aside.size(), i + 1) << "no older copy may be overwritten";
        bool kept = false;
        for (const auto& p : aside) kept = kept || readFile(p) == broken[i];
        EXPECT_TRUE(kept) << i;
    }
}

TEST(RegistryStore, ReadsHandWrittenFiles) {
    TempDir dir;
    dir.write("r.reg",
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
              "\n"
              "; written by hand\n"
              "[hkey_local_machine\\Software\\Hand]\n"
              "@=\"default\"\n"
              "\"Path\"=\"C:\\\\Games\\\\\"\n"
              "\"Bin\"=hex:01,02,\\\n"
              "  03,04\n"
              "\"Multi\"=hex(7):61,00,\\\r\n"
              "    00,00\r\n"
              "\"Num\" = dword:0000002A\n"
              "\"Esc\\\"aped\\\\\"=\"v\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Other]\n");
    struct Case {
        RegRoot root;
        string key, name;
        RegValue value;
    } cases[] = {
        {RegRoot::LocalMachine, "Software\\Hand", "", sz("default")},
        {RegRoot::LocalMachine, "Software\\Hand", "Path", sz("C:\\Games\\")},
        {RegRoot::LocalMachine, "Software\\Hand", "Bin", {regtype::Binary, "\x01\x02\x03\x04"}},
        {RegRoot::LocalMachine, "Software\\Hand", "Multi", {regtype::MultiSz, string("a\0\0\0", 4)}},
        {RegRoot::LocalMachine, "Software\\Hand", "Num", {regtype::Dword, string("\x2a\0\0\0", 4)}},
        {RegRoot::LocalMachine, "Software\\Hand", "esc\"APED\\", sz("v")},
    };
    RegistryStore store(dir.file("r.reg"));
    // After one rewrite by the store everything must still read the same.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& c : cases) EXPECT_EQ(store.queryValue(c.root, c.key, c.name), c.value) << pass << " " << c.name;
        EXPECT_TRUE(store.keyExists(RegRoot::CurrentUser, "Other"));
        EXPECT_TRUE(store.keyExists(RegRoot::LocalMachine, "Software"));
        ASSERT_TRUE(store.createKey(RegRoot::Users, "New"));
    }
    EXPECT_TRUE(filesStartingWith(dir.path(), "r.reg.broken-").empty());
}

TEST(RegistryStore, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const string file = dir.file("registry.reg");
    constexpr int Writers = 2, Values = 50;
    EXPECT_EQ(failingChildren(Writers, [&](int w) {
                  RegistryStore store(file);
                  for (int i = 0; i < Values; ++i)
                      if (!store.setValue(RegRoot::CurrentUser, "Software\\Race", "w" + std::to_string(w) + "_" + std::to_string(i), sz("x")))
                          return false;
                  return true;
              }),
              0);
    RegistryStore store(file);
    for (int w = 0; w < Writers; ++w)
        for (int i = 0; i < Values; ++i)
            EXPECT_EQ(store.queryValue(RegRoot::CurrentUser, "Software\\Race", "w" + std::to_string(w) + "_" + std::to_string(i)), sz("x"));
}

TEST(RegistryStore, DefaultPathFollowsTheConfigFolder) {
    struct Case {
        const char* xdg;  // nullptr: unset
        string expected;
    } cases[] = {
        {"/cfg", "/cfg/corvane/registry.reg"},
        {"", "/home/tester/.config/corvane/registry.reg"},
        {nullptr, "/home/tester/.config/corvane/registry.reg"},
    };
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
    setenv("HOME", "/home/tester", 1);
    for (const auto& c : cases) {
        if (c.xdg) setenv("XDG_CONFIG_HOME", c.xdg, 1);
        else unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(RegistryStore::defaultPath(), c.expected);
    }
    if (oldXdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}

TEST(RegistryStore, BatchWritesOnceAtItsEndAndHoldsOffOtherWriters) {
    TempDir dir;
    const string file = dir.file("registry.reg");
    RegistryStore store(file);
    ASSERT_TRUE(store.setValue(RegRoot::CurrentUser, "Software\\Before", "v", sz("old")));
    pid_t child = -1;
    {
        RegistryStore::Batch batch(store);
        ASSERT_TRUE(store.setValue(RegRoot::ClassesRoot, ".w3m", "", sz("type")));
        ASSERT_TRUE(store.deleteKey(RegRoot::CurrentUser, "Software\\Before"));
        // Reads see the batch; the file does not yet.
        EXPECT_EQ(store.queryValue(RegRoot::ClassesRoot, ".w3m", ""), sz("type"));
        EXPECT_FALSE(store.keyExists(RegRoot::CurrentUser, "Software\\Before"));
        EXPECT_TRUE(RegistryStore(file).keyExists(RegRoot::CurrentUser, "Software\\Before"));

        // Another run writing now must wait for the batch, and its write must survive it.
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A separate run shares no descriptor with us: the lock would otherwise be inherited.
            for (int fd = 3; fd < 1024; ++fd) close(fd);
            RegistryStore other(file);
            _exit(other.setValue(RegRoot::CurrentUser, "Software\\Other", "v", sz("theirs")) ? 0 : 1);
        }
        usleep(200 * 1000);
        EXPECT_FALSE(RegistryStore(file).keyExists(RegRoot::CurrentUser, "Software\\Other"));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    RegistryStore reread(file);
    EXPECT_EQ(reread.queryValue(RegRoot::ClassesRoot, ".w3m", ""), sz("type"));
    EXPECT_FALSE(reread.keyExists(RegRoot::CurrentUser, "Software\\Before"));
    EXPECT_EQ(reread.queryValue(RegRoot::CurrentUser, "Software\\Other", "v"), sz("theirs"));
}

// Keys are found through an index: it must follow every deletion and re-creation exactly as the
// file does, within a batch and across re-reads.
TEST(RegistryStore, LookupsFollowDeletionsAndRecreations) {
    struct Step {
        const char* op;  // "create", "delete"
        string key;
        bool result;
    } steps[] = {
        {"create", "A\\B\\C", true}, {"create", "A\\D", true},    {"delete", "A\\B", false}, {"delete", "a\\b\\c", true},
        {"delete", "A", false},      {"delete", "a\\B", true},    {"create", "a\\b\\E", true}, {"delete", "A\\D", true},
        {"delete", "A", false},      {"delete", "A\\B\\E", true}, {"delete", "A\\B", true},  {"create", "A\\B", true},
    };
    const string expected = Header +
                            "[HKEY_USERS\\A]\r\n\r\n"
                            "[HKEY_USERS\\A\\B]\r\n\r\n";
    for (bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "in one batch" : "one write each");
        TempDir dir;
        RegistryStore store(dir.file("r.reg"));
        {
            std::optional<RegistryStore::Batch> batch;
            if (batched) batch.emplace(store);
            for (const Step& s : steps) {
                bool done = string(s.op) == "create" ? store.createKey(RegRoot::Users, s.key) : store.deleteKey(RegRoot::Users, s.key);
                EXPECT_EQ(done, s.result) << s.op << " " << s.key;
            }
            for (const char* gone : {"A\\B\\C", "A\\D", "A\\B\\E"}) EXPECT_FALSE(store.keyExists(RegRoot::Users, gone)) << gone;
        }
        EXPECT_EQ(dir.read("r.reg"), expected);
        EXPECT_TRUE(RegistryStore(dir.file("r.reg")).keyExists(RegRoot::Users, "a\\b"));
    }
}

TEST(RegistryStore, ANestedBatchLeavesTheWriteToTheOuterOne) {
    TempDir dir;
    const string file = dir.file("r.reg");
    RegistryStore store(file);
    {
        RegistryStore::Batch outer(store);
        { RegistryStore::Batch inner(store); ASSERT_TRUE(store.createKey(RegRoot::Users, "Inner")); }
        EXPECT_FALSE(dir.exists("r.reg"));
        ASSERT_TRUE(store.createKey(RegRoot::Users, "Outer"));
        EXPECT_FALSE(dir.exists("r.reg"));
    }
    EXPECT_EQ(readFile(file), Header + "[HKEY_USERS\\Inner]\r\n\r\n[HKEY_USERS\\Outer]\r\n\r\n");
}
