#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/core/StandIns.h"
#include "support/core/TempDir.h"

extern char** environ;

namespace {

// The built program copied into a pack layout of its own, with a game folder, a registry
// store and a recording xdg-open, all under one temporary folder.
struct Pack {
    TempDir root;
    std::string programFolder = root.mkdir("pack/keldwyn");
    std::string exe = programFolder + "/Corvane";
    std::string game;
    std::string openLog = root.file("xdg-open.log");

    Pack() {
        std::filesystem::copy_file(CORVANE_EXE, exe);
        std::filesystem::copy_file(CORVANE_WINDOWING_SO, programFolder + "/corvane-windowing.so");
        game = root.mkdir("Warcraft III");
        root.write("Warcraft III/war3.mpq", "mpq");
        root.mkdir("Warcraft III/Maps");
        writeRecordingProgram(game + "/War3.exe", root.file("war3.log"));
        writeRecordingProgram(root.file("bin/xdg-open"), openLog);
    }

    void forceGame() { profile::write(programFolder + "/config.cfg", "FORCED_PATH", "PATH", game); }

    // Runs the program with the given arguments; withDisplay adds the offscreen platform,
    // without it no display of any kind is set.
    int run(const std::vector<std::string>& args, bool withDisplay, int timeoutMs = 45000) {
        std::map<std::string, std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry(*e);
            auto eq = entry.find('=');
            env[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        env.erase("DISPLAY");
        env.erase("WAYLAND_DISPLAY");
        env.erase("QT_QPA_PLATFORM");
        if (withDisplay) env["QT_QPA_PLATFORM"] = "offscreen";
        env["XDG_CONFIG_HOME"] = root.file("config");
        env["PATH"] = root.file("bin") + ":" + env["PATH"];

        std::vector<std::string> envText;
        for (auto& [k, v] : env) envText.push_back(k + "=" + v);
        std::vector<char*> envp;
        for (auto& s : envText) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<std::string> argText{exe};
        argText.insert(argText.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& s : argText) argv.push_back(s.data());
        argv.push_back(nullptr);

        pid_t pid;
        if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST(CorvaneRun, LoadMapStartsTheGameOnATestCopyAfterTheCountdown) {
    Pack pack;
    pack.forceGame();
    std::string map = pack.root.write("my maps/Twisted Meadows.w3x", "map bytes");

    ASSERT_EQ(pack.run({"--loadmap=" + map, "--arguments=-window"}, true), 0);

    EXPECT_EQ(readFile(pack.game + "/Maps/Test/testmap_2.0.w3x"), "map bytes");
    auto runs = waitForRecordedRuns(pack.root.file("war3.log"), 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, pack.game);
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"-window", "-loadfile", "Maps/Test/testmap_2.0.w3x"}));
    auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{pack.game + "/Maps/Test"});
    EXPECT_EQ(readFile(pack.root.file("pack/Version.lua")), "VeskVersionTxt = \"Vesk version 2.0.10\"\r\n");
}

TEST(CorvaneRun, ModesThatShowNothingRunWithoutADisplay) {
    Pack pack;
    // The game is found through the registry; the forced folder then takes over.
    RegistryStore registry(pack.root.file("config/corvane/registry.reg"));
    registry.setValue(RegRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III", "InstallPathX",
                      RegValue{regtype::Sz, pack.game + std::string(1, '\0')});
    std::string other = pack.root.mkdir("other copy");
    ASSERT_EQ(pack.run({"--forcewc3path=" + other}, false), 0);
    EXPECT_EQ(profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH"), other);

    pack.forceGame();
    ASSERT_EQ(pack.run({"--sfa=ON"}, false), 0);
    auto open = registry.queryValue(RegRoot::ClassesRoot, "Warcraft III ScenarioEx File\\shell\\open\\command", "");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->data, "\"" + pack.root.file("pack") + "/Vesk WE.exe\" -loadfile %L" + std::string(1, '\0'));
}

TEST(CorvaneRun, CommandStartsTheStoredProgramInItsFolder) {
    Pack pack;
    pack.forceGame();
    std::string tool = pack.root.file("tools/lint");
    writeRecordingProgram(tool, pack.root.file("tool.log"));
    profile::write(pack.programFolder + "/config.cfg", "CSTMENU", "MNU_PATH_3", tool);
    profile::write(pack.programFolder + "/config.cfg", "CSTMENU", "MNU_ARG_3", "--strict \"a b\"");

    ASSERT_EQ(pack.run({"--command=3"}, false), 0);

    auto runs = waitForRecordedRuns(pack.root.file("tool.log"), 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, pack.root.file("tools"));
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--strict", "a b"}));
}

}  // namespace

namespace {

// A window is due (no game folder anywhere) but there is no display: the run ends with the
// report on the terminal instead of aborting, and still opens the forum page.
TEST(CorvaneRun, WindowWithoutADisplayEndsInTheReport) {
    Pack pack;
    EXPECT_EQ(pack.run({"--setwc3path"}, false), 0);
    auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args[0].find("/index.php?action=post;topic=4263.0") != std::string::npos, true);
}

}  // namespace
