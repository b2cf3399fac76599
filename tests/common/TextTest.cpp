#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/RuntimeFailure.h"

namespace {

struct SplitCase {
    const char* text;
    const char* delimiter;
    std::vector<std::string> parts;
};

// The split that the command line and every option go through.
TEST(Text, SplitAtEveryDelimiter) {
    const SplitCase cases[] = {
        {"", "--", {}},
        {"abc", "--", {"abc"}},
        {"--", "--", {"", ""}},
        {" --loadmap=a b --arguments=-window", "--", {" ", "loadmap=a b ", "arguments=-window"}},
        {"a---b", "--", {"a", "-b"}},
        {"loadmap=", "=", {"loadmap", ""}},
        {"arguments=-window -a=b", "=", {"arguments", "-window -a", "b"}},
        {"==", "=", {"", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(splitAll(c.text, c.delimiter), c.parts);
    }
}

TEST(Text, MissingPartIsSubscriptOutOfRange) {
    try {
        partAt(splitAll("loadmap", "="), 1);
        FAIL() << "no failure";
    } catch (const RuntimeFailure& f) {
        EXPECT_EQ(f.number, 9);
        EXPECT_EQ(f.description, "Subscript out of range");
        EXPECT_EQ(f.source, "Corvane");
    }
}

TEST(Text, TrimTakesOnlyBlanks) {
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(replaceAll("My Map  x.w3x", " ", "_"), "My_Map__x.w3x");
    EXPECT_EQ(toLower("LoadMap=C:\\A"), "loadmap=c:\\a");
}

}  // namespace
