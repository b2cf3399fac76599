#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/Paths.h"
#include "support/core/TempDir.h"

TEST(Paths, JoinsWindowsNamesWithTheNativeSeparator) {
    struct Case {
        const char* base;
        const char* name;
        const char* expected;
    } cases[] = {
        {"/games/wc3", "\\config.cfg", "/games/wc3/config.cfg"},
        {"/games/wc3", "\\Maps\\Test\\", "/games/wc3/Maps/Test/"},
        {"/games/wc3/", "war3.exe", "/games/wc3/war3.exe"},
        {"", "\\a\\b", "/a/b"},
        {"/x", "", "/x"},
        {"/x", "/already/native", "/x/already/native"},
    };
    for (const Case& c : cases) EXPECT_EQ(paths::join(c.base, c.name), c.expected) << c.base << " + " << c.name;
}

TEST(Paths, TakesPathsApart) {
    struct Case {
        const char* path;
        const char* parent;
        const char* name;
        bool trailing;
    } cases[] = {
        {"/a/b.txt", "/a", "b.txt", false},
        {"/a/b/", "/a", "b", true},
        {"/a", "/", "a", false},
        {"/", "", "", true},
        {"a", "", "a", false},
        {"a/b", "a", "b", false},
        {"C:\\Games\\war3.exe", "C:\\Games", "war3.exe", false},
        {"/mixed\\sep/x.w3x", "/mixed\\sep", "x.w3x", false},
        {"/a//b", "/a", "b", false},
        {"Maps\\", "", "Maps", true},
        {"", "", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(paths::parentOf(c.path), c.parent) << c.path;
        EXPECT_EQ(paths::fileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(paths::endsWithSeparator(c.path), c.trailing) << c.path;
    }
}

TEST(Paths, ResolvesMixedCaseNamesPerComponent) {
    TempDir dir;
    dir.write("Game/War3.mpq", "mpq");
    dir.write("Game/Maps/Test/Arena.w3x", "map");
    dir.write("Game/maps.txt", "list");
    dir.write("Dup/ABC", "upper");
    dir.write("Dup/abc", "lower");
    const std::string root = dir.path() + "/";

    struct Case {
        std::string asked;
        std::string expected;
    } cases[] = {
        {"Game/War3.mpq", "Game/War3.mpq"},
        {"game/war3.MPQ", "Game/War3.mpq"},
        {"GAME/MAPS/test/arena.W3X", "Game/Maps/Test/Arena.w3x"},
        {"game/maps/test/new.w3x", "Game/Maps/Test/new.w3x"},                 // the new file keeps its name
        {"game/Missing/war3.mpq", "Game/Missing/war3.mpq"},                   // after a miss nothing is matched
        {"game/maps/", "Game/Maps/"},
        {"game\\maps\\test\\ARENA.w3x", "Game/Maps/Test/Arena.w3x"},
        {"dup/Abc", "Dup/ABC"},                                               // the first in byte order
        {"dup/abc", "Dup/abc"},                                               // an exact name wins
        {"game/./maps/../WAR3.mpq", "Game/./Maps/../War3.mpq"},
    };
    for (const Case& c : cases) EXPECT_EQ(paths::resolve(root + c.asked), root + c.expected) << c.asked;

    // Relative paths are matched from the working folder and stay relative.
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (const Case& c : cases) EXPECT_EQ(paths::resolve(c.asked), c.expected) << "relative " << c.asked;
    ASSERT_EQ(chdir(previous), 0);
}
