#include "platform/ProfileFile.h"
#include "support/core/Processes.h"
#include "support/core/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using std::nullopt;
using std::optional;
using std::string;

TEST(ProfileFile, ReadsValuesAsTheSystemDoes) {
    const string v254(254, 'a'), v300(300, 'b');
    struct Case {
        const char* what;
        string text, section, key;
        optional<string> expected;
    } cases[] = {
        {"254 chars come back whole", "[s]\nk=" + v254, "s", "k", v254},
        {"255 chars are cut", "[s]\nk=" + v254 + "Z", "s", "k", v254},
        {"300 chars are cut", "[s]\nk=" + v300, "s", "k", v300.substr(0, 254)},
        {"missing section", "[s]\nk=1", "t", "k", nullopt},
        {"missing key", "[s]\nk=1", "s", "j", nullopt},
        {"present but empty", "[s]\nk=\nj=1", "s", "k", ""},
        {"blanks only", "[s]\r\nk= \t \r\n", "s", "k", ""},
        {"blanks trimmed", "[s]\nk = \t v w \t\n", "s", "k", "v w"},
        {"double quotes removed", "[s]\nk=\"a b\"", "s", "k", "a b"},
        {"single quotes removed", "[s]\nk= 'a b' ", "s", "k", "a b"},
        {"only one pair removed", "[s]\nk=''x''", "s", "k", "'x'"},
        {"unbalanced quotes kept", "[s]\nk=\"abc'", "s", "k", "\"abc'"},
        {"lone quote kept", "[s]\nk=\"", "s", "k", "\""},
        {"empty quotes", "[s]\nk=\"\"", "s", "k", ""},
        {"case-insensitive names", "[SeCtIoN]\r\nKeY=1\r\n", "section", "kEy", "1"},
        {"header blanks", "  [ s ] junk\n k =1", "S", "K", "1"},
        {"first section wins", "[s]\nk=1\n[S]\nk=2\nj=3", "s", "j", nullopt},
        {"first key wins", "[s]\nk=1\nK=2", "s", "k", "1"},
        {"line without equals", "[s]\nk\nk=2", "s", "k", "2"},
        {"equals in value", "[s]\nk=a=b", "s", "k", "a=b"},
        {"key before any section", "k=1\n[s]\n", "s", "k", nullopt},
        {"byte-order mark", "\xEF\xBB\xBF[s]\nk=1", "s", "k", "1"},
    };
    for (const auto& c : cases) EXPECT_EQ(profile::get(c.text, c.section, c.key), c.expected) << c.what;
}

TEST(ProfileFile, WritesOnlyTheOneLine) {
    struct Case {
        const char* what;
        string before, section, key;
        optional<string> value;
        string after;
    } cases[] = {
        {"replace in place, comments kept", "; top\n[a]\nx=1\n; mid\ny=2\n\n[b]\nx=3\n", "a", "x", "9",
         "; top\r\n[a]\r\nx=9\r\n; mid\r\ny=2\r\n\r\n[b]\r\nx=3\r\n"},
        {"replace keeps the file's key", "[A]\r\n  Key = 1\r\n", "a", "KEY", "2", "[A]\r\n  Key=2\r\n"},
        {"append after last line of section", "[a]\r\nx=1\r\n\r\n\r\n[b]\r\ny=2\r\n", "A", "Zed", "3",
         "[a]\r\nx=1\r\nZed=3\r\n\r\n\r\n[b]\r\ny=2\r\n"},
        {"append to empty section", "[a]\r\n\r\n[b]\r\n", "a", "k", "v", "[a]\r\nk=v\r\n\r\n[b]\r\n"},
        {"new section at end", "[a]\nx=1", "b", "k", "v", "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        {"new section after blank end", "[a]\r\nx=1\r\n\r\n", "b", "k", "v", "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        {"new file", "", "b", "k", "v", "[b]\r\nk=v\r\n"},
        {"empty value is present", "[a]\r\n", "a", "k", "", "[a]\r\nk=\r\n"},
        {"null deletes only that line", "[a]\r\nx=1\r\nk=2\r\ny=3\r\n[b]\r\nk=4\r\n", "a", "K", nullopt,
         "[a]\r\nx=1\r\ny=3\r\n[b]\r\nk=4\r\n"},
        {"deleting a missing key changes nothing", "[a]\nx=1\n", "a", "k", nullopt, "[a]\nx=1\n"},
        {"deleting from a missing section changes nothing", "[a]\nk=1\n", "b", "k", nullopt, "[a]\nk=1\n"},
        {"line breaks stripped from names", "", "s\r\nx", "k\ny", "v", "[sx]\r\nky=v\r\n"},
        {"names cannot make headers or comments", "", "a]b", "[x]=;y", "v", "[ab]\r\nx];y=v\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(profile::set(c.before, c.section, c.key, c.value), c.after) << c.what;
}

TEST(ProfileFile, OuterBlanksStandAsWrittenAndQuotesAreProtected) {
    struct Case {
        string value, line, readBack;  // line: as the file must show it
    } cases[] = {
        {"/games/wc3 ", "k=/games/wc3 ", "/games/wc3"},  // a value that kept the blank before "--"
        {" x ", "k= x ", "x"},
        {"\tx", "k=\tx", "x"},
        {"  ", "k=  ", ""},
        {"", "k=", ""},
        {"\"abc\"", "k=\"\"abc\"\"", "\"abc\""},
        {"'abc'", "k=\"'abc'\"", "'abc'"},
        {"\"a", "k=\"\"a\"", "\"a"},
        {"a\"", "k=\"a\"\"", "a\""},
        {"\"", "k=\"\"\"", "\""},
        {" \"a b\" ", "k= \"\"a b\"\" ", "\"a b\""},  // blanks outside, quotes kept inside them
        {"a \"b\" c", "k=a \"b\" c", "a \"b\" c"},
        {"a=b", "k=a=b", "a=b"},
        {";x", "k=;x", ";x"},
        {" " + string(253, 'x'), "k= " + string(253, 'x'), string(253, 'x')},
        {"one\r\n[evil]\r\nk=1", "k=one  [evil]  k=1", "one  [evil]  k=1"},
        {"a\nk=1\n", "k=a k=1 ", "a k=1"},
    };
    const string base = "[s]\r\nk=old\r\nafter=2\r\n[evil]\r\n";
    for (const auto& c : cases) {
        string text = profile::set(base, "s", "k", c.value);
        EXPECT_EQ(text, "[s]\r\n" + c.line + "\r\nafter=2\r\n[evil]\r\n") << c.value;
        EXPECT_EQ(profile::get(text, "s", "k"), c.readBack) << text;
        EXPECT_EQ(profile::get(text, "evil", "k"), nullopt) << text;
    }
}

TEST(ProfileFile, FileReadsCreateNothingAndWritesCreateWhatIsNeeded) {
    TempDir dir;
    const string ini = dir.file("game.ini");

    EXPECT_EQ(profile::read(ini, "s", "k"), nullopt);
    EXPECT_FALSE(dir.exists("game.ini"));
    EXPECT_TRUE(profile::write(ini, "s", "k", nullopt));
    EXPECT_FALSE(dir.exists("game.ini"));
    EXPECT_FALSE(dir.exists("game.ini.lock"));  // a write that changes nothing takes no lock

    ASSERT_TRUE(profile::write(ini, "Options", "Name", "Corvane"));
    EXPECT_EQ(dir.read("game.ini"), "[Options]\r\nName=Corvane\r\n");

    dir.write("game.ini", "; keep me\n[Options]\nName=x\n\n[Other]\nA=1\n");
    ASSERT_TRUE(profile::write(ini, "options", "Size", "3"));
    ASSERT_TRUE(profile::write(ini, "OPTIONS", "name", " padded "));
    ASSERT_TRUE(profile::write(ini, "Other", "A", nullopt));
    EXPECT_EQ(dir.read("game.ini"), "; keep me\r\n[Options]\r\nName= padded \r\nSize=3\r\n\r\n[Other]\r\n");
    EXPECT_EQ(profile::read(ini, "Options", "Name"), "padded");

    EXPECT_FALSE(profile::write(dir.file("no/such/folder/x.ini"), "s", "k", "v"));
    EXPECT_FALSE(dir.exists("no"));
}

// Two runs writing keys into one settings file at once: each write reads the file again under
// the lock, so neither replaces the file with a copy that misses the other's keys.
TEST(ProfileFile, ConcurrentWritersLoseNoKey) {
    TempDir dir;
    const string ini = dir.file("config.cfg");
    ASSERT_TRUE(profile::write(ini, "FORCED_PATH", "PATH", "/games/wc3"));
    constexpr int Writers = 2, Keys = 50;
    EXPECT_EQ(failingChildren(Writers, [&](int w) {
                  for (int i = 0; i < Keys; ++i)
                      if (!profile::write(ini, "CSTMENU", "MNU_PATH_" + std::to_string(w * Keys + i), "tool" + std::to_string(i)))
                          return false;
                  return true;
              }),
              0);
    for (int n = 0; n < Writers * Keys; ++n)
        EXPECT_EQ(profile::read(ini, "CSTMENU", "MNU_PATH_" + std::to_string(n)), "tool" + std::to_string(n % Keys)) << n;
    EXPECT_EQ(profile::read(ini, "FORCED_PATH", "PATH"), "/games/wc3");
}

TEST(ProfileFile, ManyKeysGoInOneWriteOrNone) {
    TempDir dir;
    const string ini = dir.file("config.cfg");
    EXPECT_TRUE(profile::write(ini, "s", {{"a", nullopt}, {"b", nullopt}}));
    EXPECT_FALSE(dir.exists("config.cfg"));

    ASSERT_TRUE(profile::write(ini, "s", {{"ITEMS", "2"}, {"a", "\"x\""}, {"b", "1"}, {"b", nullopt}, {"c", ""}}));
    EXPECT_EQ(dir.read("config.cfg"), "[s]\r\nITEMS=2\r\na=\"\"x\"\"\r\nc=\r\n");

    dir.mkdir("folder.cfg");
    EXPECT_FALSE(profile::write(dir.file("folder.cfg"), "s", {{"a", "1"}}));
    EXPECT_FALSE(profile::write(dir.file("no/such/x.cfg"), "s", {{"a", "1"}}));
    EXPECT_FALSE(dir.exists("no"));
}

// A reader never sees some keys of a write without the others.
TEST(ProfileFile, ReadersSeeAWholeWriteOfManyKeys) {
    TempDir dir;
    const string ini = dir.file("config.cfg");
    constexpr int Keys = 20, Writes = 20;
    auto generation = [&](int g) {
        profile::KeyValues keys;
        for (int i = 0; i < Keys; ++i) keys.push_back({"K" + std::to_string(i), std::to_string(g)});
        return keys;
    };
    ASSERT_TRUE(profile::write(ini, "s", generation(0)));
    EXPECT_EQ(failingChildren(2, [&](int child) {
                  for (int g = 1; g <= Writes * 10; ++g) {
                      if (child == 0 && g <= Writes && !profile::write(ini, "s", generation(g))) return false;
                      if (child == 1) {
                          string text = readFile(ini);
                          for (int i = 1; i < Keys; ++i)
                              if (profile::get(text, "s", "K" + std::to_string(i)) != profile::get(text, "s", "K0")) return false;
                      }
                  }
                  return true;
              }),
              0);
    EXPECT_EQ(profile::read(ini, "s", "K19"), std::to_string(Writes));
}

// The system refuses to write a read-only file, even for the administrator: such a file is never
// replaced, by one key or by many.
TEST(ProfileFile, AFileTheUserCouldNotWriteIsNeverReplaced) {
    struct Case {
        const char* what;
        mode_t mode;
        bool asNobody;  // another user than the file's owner (needs root to become one)
        bool written;
    } cases[] = {
        {"read-only", 0444, false, false},
        {"writable", 0644, false, true},
        {"another user's", 0644, true, false},
        {"writable by everyone", 0666, true, true},
    };
    for (const Case& c : cases) {
        if (c.asNobody && ::geteuid() != 0) continue;
        SCOPED_TRACE(c.what);
        TempDir dir;
        ::chmod(dir.path().c_str(), 0777);
        const string ini = dir.write("config.cfg", "[s]\r\nk=old\r\n");
        ::chmod(ini.c_str(), c.mode);
        struct stat before;
        ::stat(ini.c_str(), &before);
        EXPECT_EQ(failingChildren(1,
                                  [&](int) {
                                      if (c.asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
                                      return profile::write(ini, "s", "k", "new") == c.written &&
                                             profile::write(ini, "s", {{"k", "new"}, {"j", "1"}}) == c.written;
                                  }),
                  0);
        struct stat after;
        ::stat(ini.c_str(), &after);
        if (!c.written) {
            EXPECT_EQ(after.st_ino, before.st_ino);
        }
        EXPECT_EQ(profile::read(ini, "s", "k"), c.written ? "new" : "old");
    }
}
