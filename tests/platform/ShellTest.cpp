#include <gtest/gtest.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/RuntimeFailure.h"
#include "platform/Shell.h"
#include "support/core/Processes.h"
#include "support/core/StandIns.h"
#include "support/core/TempDir.h"

namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "/usr/bin:/bin";
        savedCwd = fs::current_path();
        root = fs::canonical(tmp.path()).string();
        fs::create_directories(root + "/bin");
        fs::create_directories(root + "/empty");
    }
    void TearDown() override {
        ::setenv("PATH", savedPath.c_str(), 1);
        fs::current_path(savedCwd);
    }

    // The stand-ins in bin/ come first; the system folders stay for the tools the stand-ins use.
    void standInsFirstOnPath() { ::setenv("PATH", (root + "/bin:" + savedPath).c_str(), 1); }
    // Nothing at all can be found on the search path.
    void emptyPath() { ::setenv("PATH", (root + "/empty").c_str(), 1); }

    std::string recorder(const std::string& relative, const std::string& log, int exitCode = 0) {
        writeRecordingProgram(root + "/" + relative, root + "/" + log, exitCode);
        return root + "/" + relative;
    }
    std::vector<RecordedRun> runsOf(const std::string& log, std::size_t count = 1) {
        return waitForRecordedRuns(root + "/" + log, count);
    }

    TempDir tmp;
    std::string root;
    std::string savedPath;
    fs::path savedCwd;
    SystemShell shell;
};

TEST_F(ShellTest, DetachedStartHandsParametersOverAsLiteralArgumentsWithoutAShell) {
    recorder("game/run.sh", "game.log");
    fs::current_path(root);
    std::string parameters = R"x(one "two words" "say \"hi\"" ; "$(touch by-dollar)" `touch by-backquote` a\\b)x";

    EXPECT_EQ(shell.execute("open", "run.sh", parameters, root + "/game", 1), Shell::Started);

    auto runs = runsOf("game.log");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, root + "/game");
    std::vector<std::string> expected = {"one", "two words", "say \"hi\"", ";", "$(touch by-dollar)",
                                         "`touch", "by-backquote`", R"(a\\b)"};
    EXPECT_EQ(runs[0].args, expected);
    for (const char* made : {"by-dollar", "by-backquote"}) {
        EXPECT_FALSE(fs::exists(root + "/game/" + made)) << made;
        EXPECT_FALSE(fs::exists(root + "/" + made)) << made;
    }
}

TEST_F(ShellTest, DetachedStartLooksInTheDirectoryBeforeThePath) {
    recorder("dir/tool", "dir.log");
    recorder("dir/Mixed.SH", "dir.log");
    recorder("dir/Sub/inner", "dir.log");
    recorder("bin/tool", "path.log");
    recorder("bin/onpath", "path.log");
    standInsFirstOnPath();
    struct Case {
        const char* file;
        const char* directory;  // under the temporary folder
        int result;
        const char* log;  // where the run is recorded
    } cases[] = {
        {"tool", "dir", Shell::Started, "dir.log"},
        {"mixed.sh", "dir", Shell::Started, "dir.log"},
        {"sub\\INNER", "dir", Shell::Started, "dir.log"},
        {"onpath", "dir", Shell::Started, "path.log"},
        {"nothing-here", "dir", Shell::ErrorFileNotFound, nullptr},
        {"nosuch\\tool", "dir", Shell::ErrorPathNotFound, nullptr},
        {"tool", "missing", Shell::ErrorPathNotFound, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove(root + "/dir.log");
        fs::remove(root + "/path.log");
        EXPECT_EQ(shell.execute("open", c.file, "x", root + "/" + c.directory, 1), c.result);
        if (!c.log) continue;
        auto runs = runsOf(c.log);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args, std::vector<std::string>{"x"});
    }
}

TEST_F(ShellTest, WebAddressesDocumentsAndFoldersOpenThroughTheDesktopOpener) {
    recorder("bin/xdg-open", "open.log");
    tmp.write("dir/readme.txt", "plain text");
    tmp.write("My Maps/Test/map.w3x", "map");
    standInsFirstOnPath();
    struct Case {
        std::string file, parameters, opened;
    } cases[] = {
        {"http://example.invalid/page", "", "http://example.invalid/page"},
        {"HTTPS://Example.invalid/", "", "HTTPS://Example.invalid/"},
        {"mailto:someone@example.invalid", "", "mailto:someone@example.invalid"},
        {"ftp://example.invalid/file", "", "ftp://example.invalid/file"},
        {"readme.txt", "", root + "/dir/readme.txt"},
        {"explorer.exe", "/select," + root + "/My Maps\\Test\\map.w3x", root + "/My Maps/Test"},
        {"Explorer.EXE", "/SELECT,\"" + root + "/My Maps\\Test\\map.w3x\"", root + "/My Maps/Test"},
        {"explorer.exe", "\"" + root + "/My Maps\"", root + "/My Maps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.parameters);
        fs::remove(root + "/open.log");
        EXPECT_EQ(shell.execute("open", c.file, c.parameters, root + "/dir", 1), Shell::Started);
        auto runs = runsOf("open.log");
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args, std::vector<std::string>{c.opened});
    }
}

TEST_F(ShellTest, WindowsExecutableRunsThroughWineInItsDirectory) {
    tmp.write("game/War3.exe", "MZ\x90\x00 not really a program");
    recorder("bin/wine", "wine.log");
    standInsFirstOnPath();

    EXPECT_EQ(shell.execute("open", "war3.exe", R"(-window -loadfile "Maps\Test\a b.w3x")", root + "/game", 1),
              Shell::Started);

    auto runs = runsOf("wine.log");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, root + "/game");
    std::vector<std::string> expected = {root + "/game/War3.exe", "-window", "-loadfile", R"(Maps\Test\a b.w3x)"};
    EXPECT_EQ(runs[0].args, expected);
}

// As the system's shell does, the stand-in says what it cannot start and why, once a run for
// each reason; the caller only gets the result.
TEST_F(ShellTest, WhatCannotBeStartedIsSaidOnce) {
    tmp.write("dir/War3.exe", "MZ");
    tmp.write("dir/readme.txt", "plain text");
    recorder("dir/run.sh", "run.log");
    emptyPath();
    std::vector<std::pair<std::string, std::string>> said;
    shell.sayCannotStart = [&](const std::string& title, const std::string& message) { said.push_back({title, message}); };
    struct Case {
        const char* file;
        int result;
        std::string title, message;  // nothing said when empty
    } cases[] = {
        {"War3.exe", Shell::ErrorNoAssociation, "War3.exe", "War3.exe is a Windows program; install wine to start it."},
        {"readme.txt", Shell::ErrorNoAssociation, "readme.txt", "readme.txt is not a program, and there is no xdg-open to open it with."},
        {"http://example.invalid/", Shell::ErrorNoAssociation, "http://example.invalid/",
         "http://example.invalid/ cannot be opened: there is no xdg-open to open it with."},
        {"ghost.exe", Shell::ErrorFileNotFound, "ghost.exe", "ghost.exe was not found in " + root + "/dir."},
        {"war3.exe", Shell::ErrorNoAssociation, "", ""},
        {"run.sh", Shell::Started, "", ""},
    };
    for (const Case& c : cases) {
        said.clear();
        EXPECT_EQ(shell.execute("open", c.file, "", root + "/dir", 1), c.result) << c.file;
        EXPECT_EQ(said, (c.message.empty() ? decltype(said){} : decltype(said){{c.title, c.message}})) << c.file;
    }
}

TEST_F(ShellTest, DetachedProgramOutlivesTheCallAndIsNoChildOfOurs) {
    std::string late = recorder("bin/late-recorder", "late.log");
    tmp.write("slow", "#!/bin/sh\nsleep 1\nexec \"" + late + "\" \"$@\"\n", true);

    EXPECT_EQ(shell.execute("open", root + "/slow", "done", "", 1), Shell::Started);
    EXPECT_TRUE(readRecordedRuns(root + "/late.log").empty());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    auto runs = runsOf("late.log");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args, std::vector<std::string>{"done"});
}

TEST_F(ShellTest, StartedProgramsGetNoneOfOurDescriptors) {
    // The checker notes whether descriptor 57 reached it and what its input, output and error are.
    tmp.write("check", "#!/bin/sh\n"
                       "if [ -e /proc/self/fd/57 ]; then r=leaked; else r=clean; fi\n"
                       "printf '%s %s %s %s\\n' \"$r\" $(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2) > \"$1.part\"\n"
                       "mv \"$1.part\" \"$1\"\n"
                       "[ \"$r\" = clean ]\n",
              true);
    int fd = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(fd, 57), 57);  // dup2 gives a descriptor without close-on-exec
    ::close(fd);

    EXPECT_EQ(shell.runAndWait("\"" + root + "/check\" \"" + root + "/waited\""), 0);
    EXPECT_EQ(shell.execute("open", root + "/check", "\"" + root + "/detached\"", "", 1), Shell::Started);
    for (int i = 0; i < 500 && !tmp.exists("detached"); ++i) ::usleep(20000);
    ::close(57);

    EXPECT_EQ(tmp.read("waited"), "clean /dev/null /dev/null /dev/null\n");
    ASSERT_TRUE(tmp.exists("detached"));
    EXPECT_EQ(tmp.read("detached").substr(0, 16), "clean /dev/null ");
}

TEST_F(ShellTest, RunAndWaitReturnsTheExitCode) {
    for (int code : {0, 1, 2, 7, 255}) {
        SCOPED_TRACE(code);
        fs::remove(root + "/codes.log");
        std::string program = recorder("with blank/exit" + std::to_string(code), "codes.log", code);
        EXPECT_EQ(shell.runAndWait("\"" + program + "\" a \"b c\""), code);
        auto runs = readRecordedRuns(root + "/codes.log");
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args, (std::vector<std::string>{"a", "b c"}));
    }
}

TEST_F(ShellTest, RunAndWaitFindsProgramsFromTheWorkingFolderItLeavesSet) {
    recorder("work/Tool", "work.log");
    recorder("work/Sub/inner", "work.log");
    recorder("work/a\\b", "exact.log");
    recorder("work/a/b", "work.log");
    recorder("bin/tool", "path.log");
    recorder("bin/onpath", "path.log");
    tmp.write("work/7za.exe", "MZ windows program");
    recorder("bin/wine", "wine.log");
    standInsFirstOnPath();
    shell.setCurrentDirectory(root + "/WORK");
    struct Case {
        const char* command;
        const char* log;
        std::vector<std::string> args;
    } cases[] = {
        {"tool x", "work.log", {"x"}},
        {"sub\\inner x", "work.log", {"x"}},
        {"./Sub/inner x", "work.log", {"x"}},
        {"a\\b x", "exact.log", {"x"}},  // the name as written, though a/b exists too
        {"onpath x", "path.log", {"x"}},
        {R"(7za.exe x ./Patches\a.7z -aoa)", "wine.log", {root + "/work/7za.exe", "x", R"(./Patches\a.7z)", "-aoa"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        fs::remove(root + "/" + c.log);
        EXPECT_EQ(shell.runAndWait(c.command), 0);
        auto runs = readRecordedRuns(root + "/" + c.log);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cwd, root + "/work");
        EXPECT_EQ(runs[0].args, c.args);
        EXPECT_EQ(fs::current_path().string(), root + "/work");
    }
}

TEST_F(ShellTest, FailuresToStartAreRaised) {
    tmp.write("work/notes.txt", "not a program");
    emptyPath();
    shell.setCurrentDirectory(root + "/work");
    struct Case {
        const char* command;
        int number;
    } cases[] = {
        {"no-such-program", failure::FileNotFound},
        {"missing\\program x", failure::FileNotFound},
        {"", failure::FileNotFound},
        {"notes.txt", failure::PermissionDenied},
    };
    for (const auto& c : cases) {
        try {
            shell.runAndWait(c.command);
            ADD_FAILURE() << "no failure for [" << c.command << "]";
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.number, c.number) << c.command;
        }
    }
    try {
        shell.setCurrentDirectory(root + "/no-such-folder");
        ADD_FAILURE() << "no failure for a missing folder";
    } catch (const RuntimeFailure& f) {
        EXPECT_EQ(f.number, failure::PathNotFound);
    }
    EXPECT_EQ(fs::current_path().string(), root + "/work");
}

TEST_F(ShellTest, CaptureCollectsOutputAndErrorWithoutAShell) {
    tmp.write("tools/talk", "#!/bin/sh\nprintf 'out %s|' \"$@\"; echo ' err' >&2; cat; exit 3\n", true);
    tmp.write("tools/endless", "#!/bin/sh\nexec yes banner\n", true);
    struct Case {
        const char* program;
        std::vector<std::string> args;
        std::size_t maxBytes;
        std::string text;
        bool finished;
    } cases[] = {
        // Arguments arrive literally, the input is empty (cat ends at once), the exit code does not matter.
        {"tools/talk", {"a b", "$(touch x)", "\"q\""}, 1000, "out a b|out $(touch x)|out \"q\"| err\n", true},
        {"tools/talk", {}, 1000, "out | err\n", true},
        {"tools/endless", {}, 20, "banner\nbanner\nbanner", false},
    };
    fs::current_path(root);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        Shell::Output output = shell.capture(c.program, c.args, 20000, c.maxBytes);
        EXPECT_EQ(output.text, c.text);
        EXPECT_EQ(output.finished, c.finished);
    }
    EXPECT_FALSE(fs::exists(root + "/x"));
    EXPECT_FALSE(fs::exists(root + "/tools/x"));
}

// A program that outlasts its time is ended with everything it started; what it wrote stays.
TEST_F(ShellTest, CaptureEndsAProgramThatRunsTooLongWithItsChildren) {
    std::string program =
        tmp.write("tools/hang", "#!/bin/sh\necho banner\nsleep 600 &\necho $! > \"$1\"\nwait\n", true);
    Shell::Output output = shell.capture(program, {root + "/sleeper"}, 2000, 1000);
    EXPECT_EQ(output.text, "banner\n");
    EXPECT_FALSE(output.finished);
    const std::string sleeper = tmp.read("sleeper").substr(0, tmp.read("sleeper").find('\n'));
    ASSERT_FALSE(sleeper.empty());
    EXPECT_TRUE(waitUntilGone(sleeper));
}

}  // namespace
