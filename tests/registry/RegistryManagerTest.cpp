#include <gtest/gtest.h>

#include <filesystem>

#include "registry/RegistryManager.h"
#include "support/TestApp.h"

namespace {

const std::string Key = "Software\\Test\\Values";

struct TypeCase {
    const char* what;
    RegValue stored;
    std::string read;
};

TEST(RegistryManager, ValueTypesReadAsTheirText) {
    const TypeCase cases[] = {
        {"text with its NUL", {regtype::Sz, std::string("C:\\Games\\WC3\0", 13)}, "C:\\Games\\WC3"},
        {"text without NUL", {regtype::Sz, "no terminator"}, "no terminator"},
        {"text cut at first NUL", {regtype::Sz, std::string("ab\0cd\0", 6)}, "ab"},
        {"empty text", {regtype::Sz, std::string("\0", 1)}, ""},
        {"binary 00 01", {regtype::Binary, std::string("\x00\x01", 2)}, "256"},
        {"binary FF FF", {regtype::Binary, std::string("\xff\xff", 2)}, "-1"},
        {"binary one byte", {regtype::Binary, std::string("\x05", 1)}, "5"},
        {"binary one high byte", {regtype::Binary, std::string("\xff", 1)}, "255"},
        {"binary empty", {regtype::Binary, ""}, "0"},
        {"binary four bytes", {regtype::Binary, std::string("\x01\x00\x00\x00", 4)}, ""},
        {"dword", {regtype::Dword, std::string("\x05\x00\x00\x00", 4)}, ""},
        {"expandable text", {regtype::ExpandSz, std::string("%WINDIR%\0", 9)}, ""},
        {"multi text", {regtype::MultiSz, std::string("a\0b\0\0", 5)}, ""},
    };
    TestApp t;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(t.registry.setValue(RegRoot::LocalMachine, Key, c.what, c.stored));
        // Through a fresh store, so the value has made the round trip through the file.
        RegistryStore reread(t.registry.filePath());
        App app = t.app;
        app.registry = &reread;
        EXPECT_EQ(ReadRegKeyValue(app, RegRoot::LocalMachine, Key, c.what), c.read);
    }
}

TEST(RegistryManager, ReadsOfMissingKeysCreateNothing) {
    TestApp t;
    EXPECT_EQ(ReadRegKeyValue(t.app, RegRoot::CurrentUser, "Software\\Nothing\\Here", "InstallPath"), "");
    EXPECT_FALSE(std::filesystem::exists(t.registry.filePath()));
    EXPECT_FALSE(t.registry.keyExists(RegRoot::CurrentUser, "Software\\Nothing"));
}

TEST(RegistryManager, WriteCreatesTheWholePathAsText) {
    TestApp t;
    WriteRegKeyValue(t.app, RegRoot::ClassesRoot, "A\\B\\C", "", "data");
    EXPECT_TRUE(t.registry.keyExists(RegRoot::ClassesRoot, "A"));
    EXPECT_TRUE(t.registry.keyExists(RegRoot::ClassesRoot, "A\\B"));
    EXPECT_EQ(t.registry.queryValue(RegRoot::ClassesRoot, "a\\b\\c", ""), (RegValue{regtype::Sz, std::string("data\0", 5)}));
}

TEST(RegistryManager, SettingsFileIsTheOneInTheProgramFolder) {
    TestApp t;
    EXPECT_EQ(ReadIniValue(t.app, "FORCED_PATH", "PATH", "\\config.cfg"), "");
    EXPECT_FALSE(std::filesystem::exists(t.configPath()));

    WriteIniValue(t.app, "FORCED_PATH", "PATH", "/games/wc3", "\\config.cfg");
    WriteIniValue(t.app, "FORCED_PATH", "FORCED", "", "\\config.cfg");
    EXPECT_EQ(readFile(t.configPath()), "[FORCED_PATH]\r\nPATH=/games/wc3\r\nFORCED=\r\n");
    EXPECT_EQ(ReadIniValue(t.app, "forced_path", "path", "\\config.cfg"), "/games/wc3");

    WriteIniValue(t.app, "FORCED_PATH", "PATH", std::nullopt, "\\config.cfg");
    EXPECT_EQ(readFile(t.configPath()), "[FORCED_PATH]\r\nFORCED=\r\n");
}

}  // namespace
