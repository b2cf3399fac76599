#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/RuntimeFailure.h"
#include "support/core/Failures.h"
#include "support/core/Processes.h"
#include "support/core/TempDir.h"
#include "testing/TestMapSettings.h"

namespace fs = std::filesystem;

namespace {

std::string bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

// The map's first line decides the count, whatever comes after its carriage return.
TEST(MapPlayerCount, IsTheFourthByteBeforeTheFirstCarriageReturn) {
    const std::string longLine = std::string(65534, 'x') + bytes({9, 'a', 'b', 'c'});  // past one read
    const struct {
        const char* what;
        std::string content;
        int code;
    } cases[] = {
        {"a count byte in a longer line", bytes({0x61, 0x62, 0x63, 0x04, 0x64, 0x65, 0x66}) + "\r\nrest", 4},
        {"a line of exactly four bytes and no CR", bytes({0x0C, 0x58, 0x59, 0x5A}), 12},
        {"a line feed is an ordinary byte", bytes({0x0A, 0x61, 0x62, 0x63}) + "\r", 10},
        {"line feeds before a late CR", bytes({0x6C, 0x0A, 0x6D, 0x0A, 0x05, 0x78, 0x79, 0x7A}) + "\r\x07xyz\r", 5},
        {"no CR at all", "HM3W" + bytes({0, 0, 0x03, 0x61, 0x62, 0x63}), 3},
        {"NUL is an ordinary byte", bytes({0x07, 0, 0, 0}) + "\r", 7},
        {"code 0 as it is", bytes({0, 'a', 'b', 'c'}) + "\r", 0},
        {"code 200 as it is", bytes({200, 'a', 'b', 'c'}) + "\r\n", 200},
        {"the last four bytes split over two reads", longLine + "\r" + bytes({1, 2, 3, 4}), 9},
        {"a CR just after the first read", std::string(65532, 'x') + bytes({11, 'a', 'b', 'c'}) + "\r", 11},
        {"no CR past the first read", std::string(200000, 'y') + bytes({6, 'a', 'b', 'c'}), 6},
    };
    TempDir d;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MapPlayerCountCode(d.write("map.w3x", c.content)), c.code);
    }
}

// Windows finds a file whatever the letter case and drops trailing blanks; the exact name wins.
TEST(MapPlayerCount, FindsTheMapAsWindowsWould) {
    TempDir d;
    d.write("Maps/Arena.w3x", bytes({4, 'a', 'b', 'c'}));
    d.write("Maps/Duel.w3x ", bytes({2, 'a', 'b', 'c'}));
    d.write("Maps/Duel.w3x", bytes({8, 'a', 'b', 'c'}));
    const struct {
        std::string given;
        int code;
    } cases[] = {
        {"Maps/Arena.w3x", 4},
        {"maps/ARENA.W3X", 4},
        {"Maps/Arena.w3x ", 4},
        {"MAPS/arena.w3x   ", 4},
        {"Maps/Duel.w3x ", 2},
        {"Maps/Duel.w3x  ", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("[" + c.given + "]");
        EXPECT_EQ(MapPlayerCountCode(d.file(c.given)), c.code);
    }
}

TEST(MapPlayerCount, FailsAsTheClassicFileReadDid) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        int number;
        const char* text;
    } cases[] = {
        {"an empty file", [](const std::string& p) { writeFile(p, ""); }, 62, "Input past end of file"},
        {"a CR first", [](const std::string& p) { writeFile(p, "\r\n\x04" "abc"); }, 5, "Invalid procedure call or argument"},
        {"three bytes", [](const std::string& p) { writeFile(p, "\x04" "ab"); }, 5, "Invalid procedure call or argument"},
        {"three bytes before the CR", [](const std::string& p) { writeFile(p, "\x04" "ab\rcdef"); }, 5, "Invalid procedure call or argument"},
        {"nothing there", [](const std::string&) {}, 53, "File not found"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, 75, "Path/File access error"},
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, 75, "Path/File access error"},
        {"a link to a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, 75, "Path/File access error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        c.make(d.file("map.w3x"));
        auto f = failureRaisedBy([&] { MapPlayerCountCode(d.file("map.w3x")); });
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->number, c.number);
        EXPECT_EQ(f->description, c.text);
    }
}

TEST(MapPlayerCount, UnreadableMapIsPermissionDenied) {
    TempDir d;
    const std::string map = d.write("map.w3x", "\x04" "abc");
    ASSERT_EQ(::chmod(map.c_str(), 0), 0);
    ASSERT_EQ(::chmod(d.path().c_str(), 0755), 0);
    // Root reads any file: the read is made by a child that gives up root first.
    EXPECT_EQ(failingChildren(1,
                              [&](int) {
                                  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
                                  auto f = failureRaisedBy([&] { MapPlayerCountCode(map); });
                                  return f && f->number == 70;
                              }),
              0);
}

long peakResidentKiB() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(MapPlayerCount, HugeMapWithoutCarriageReturnIsNotHeldInMemory) {
    TempDir d;
    const std::string map = d.file("huge.w3x");
    writeFile(map, "");
    ASSERT_EQ(::truncate(map.c_str(), off_t(1) << 30), 0);
    const long before = peakResidentKiB();
    EXPECT_EQ(MapPlayerCountCode(map), 0);
    EXPECT_LT(peakResidentKiB() - before, 64 * 1024);
}

struct RecordCase {
    const char* what;
    TestSettings settings;
    std::string expected;  // the whole record, or its first bytes when `prefixOnly`
    bool prefixOnly = false;
};

const std::string Tail = std::string(11, '\0') + "\x14" + std::string(7, '\0') + "\x40";

TEST(TestSettingsRecord, LaysOutTheFields) {
    const RecordCase cases[] = {
        {"no switches, speed 1", {false, false, 1, "m", 4}, bytes({1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}), true},
        {"fog of war, speed 25", {true, false, 25, "m", 4}, bytes({1, 0, 0, 0, 1, 0, 0, 0, 25, 0, 0, 0}), true},
        {"victory/defeat, speed 7", {false, true, 7, "m", 4}, bytes({1, 0, 0, 0, 2, 0, 0, 0, 7, 0, 0, 0}), true},
        {"both switches, speed 25", {true, true, 25, "m", 4}, bytes({1, 0, 0, 0, 3, 0, 0, 0, 0x19, 0, 0, 0}), true},
        {"a 4-player map as loaded", {false, true, 1, "C:\\Maps\\Arena.w3x ", 4},
         bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}) + "C:\\Maps\\Arena.w3x " + bytes({0, 4}) + Tail},
        {"one player", {false, true, 1, "a", 1}, bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}) + "a" + bytes({0, 1}) + Tail},
        {"twelve players", {false, true, 1, "a", 12}, bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}) + "a" + bytes({0, 12}) + Tail},
        {"nobody playing", {false, true, 1, "a", 0}, bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}) + "a" + bytes({0, 0}) + Tail},
        {"an emptied map name", {false, true, 1, "", 4}, bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 4}) + Tail},
        {"a name counted in bytes", {false, true, 1, "\xC3\xA9", 4},
         bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xC3, 0xA9, 0, 4}) + Tail},
        {"a name that is not UTF-8 kept as it is", {false, true, 1, "\xE9\xFF", 2},
         bytes({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xE9, 0xFF, 0, 2}) + Tail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string record = TestSettingsRecord(c.settings);
        if (c.prefixOnly) {
            EXPECT_EQ(record.size(), 35u);
            EXPECT_EQ(record.substr(0, 12), c.expected);
        } else {
            EXPECT_EQ(record.size(), 34 + c.settings.mapName.size());
            EXPECT_EQ(record, c.expected);
        }
    }
}

// What the speed box takes for a number, and the whole speed it gives.
TEST(SpeedNumber, ReadsPlainDecimalsOnly) {
    const struct {
        const char* text;
        std::optional<double> number;
        double rounded;  // when a number
    } cases[] = {
        {"30", 30, 30},
        {"1e9", 1e9, 1e9},
        {"abc", std::nullopt, 0},
        {"", std::nullopt, 0},
        {"0", 0, 0},
        {"-3", -3, -3},
        {"0.4", 0.4, 0},
        {" 7 ", 7, 7},
        {"\t7", 7, 7},
        {"+6.5", 6.5, 6},
        {"6.5", 6.5, 6},
        {"7.5", 7.5, 8},
        {"-2.5", -2.5, -2},
        {"24.5", 24.5, 24},
        {".5", 0.5, 0},
        {"2.5E+1", 25, 25},
        {"1e999", HUGE_VAL, HUGE_VAL},
        {"0x10", std::nullopt, 0},
        {"1,5", std::nullopt, 0},
        {"inf", std::nullopt, 0},
        {"nan", std::nullopt, 0},
        {"1e", std::nullopt, 0},
        {"7a", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("[") + c.text + "]");
        const std::optional<double> number = SpeedNumber(c.text);
        EXPECT_EQ(number, c.number);
        if (number && c.number) {
            EXPECT_EQ(RoundHalfEven(*number), c.rounded);
        }
    }
}

}  // namespace
