#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> expected;
};

const SplitCase splitCases[] = {
    {R"("a b" c)", {"a b", "c"}},
    {R"("abc" d e)", {"abc", "d", "e"}},
    {R"(a\\b)", {R"(a\\b)"}},
    {R"(a\\\b d"e f"g h)", {R"(a\\\b)", "de fg", "h"}},
    {R"(a\\\"b c d)", {R"(a\"b)", "c", "d"}},
    {R"(a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
    {R"(a\"b)", {R"(a"b)"}},
    {R"(a"b"" c d)", {R"(ab" c d)"}},
    {R"("")", {""}},
    {R"(""")", {"\""}},
    {R"(a "" b)", {"a", "", "b"}},
    {R"("C:\Program Files\" x)", {R"(C:\Program Files" x)"}},
    {R"(/select,"/games/My Maps\Test\a.w3x")", {R"(/select,/games/My Maps\Test\a.w3x)"}},
    {"  a \t b  ", {"a", "b"}},
    {"", {}},
    {" \t ", {}},
    {R"("unterminated run)", {"unterminated run"}},
    {R"(x.exe -o./Temp\ -aoa)", {"x.exe", R"(-o./Temp\)", "-aoa"}},
};

TEST(SplitWindowsCommandLine, FollowsTheRuntimeRules) {
    for (const auto& c : splitCases) EXPECT_EQ(splitWindowsCommandLine(c.text), c.expected) << "text: [" << c.text << "]";
}

}  // namespace
