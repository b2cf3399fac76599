#include "support/Pack.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/ProfileFile.h"
#include "support/core/StandIns.h"

extern char** environ;

Pack::Pack(const std::string& packName)
    : programFolder(root.mkdir(packName + "/keldwyn")),
      exe(programFolder + "/Corvane"),
      game(root.mkdir("Warcraft III")),
      openLog(root.file("xdg-open.log")) {
    std::filesystem::copy_file(CORVANE_EXE, exe);
    for (const char* library : {CORVANE_WINDOWING_SO, CORVANE_DOWNLOAD_SO, CORVANE_PCI_NAMES_SO})
        std::filesystem::copy_file(library, programFolder + "/" + std::filesystem::path(library).filename().string());
    root.write("Warcraft III/war3.mpq", "mpq");
    root.mkdir("Warcraft III/Maps");
    writeRecordingProgram(game + "/War3.exe", root.file("war3.log"));
    writeRecordingProgram(root.file("bin/xdg-open"), openLog);
}

void Pack::forceGame() { profile::write(programFolder + "/config.cfg", "FORCED_PATH", "PATH", game); }

std::string Pack::addDevelopmentProgram() {
    const std::string dev = programFolder + "/Corvane-dev";
    std::filesystem::copy_file(CORVANE_DEV_EXE, dev);
    return dev;
}

int Pack::run(const std::vector<std::string>& args, bool withDisplay, int timeoutMs) {
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
    if (!display.empty()) env["DISPLAY"] = display;
    env["XDG_CONFIG_HOME"] = root.file("config");
    env["PATH"] = path.empty() ? root.file("bin") + ":" + env["PATH"] : path;

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

    const std::string errors = root.file("stderr.log");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;

    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    int result;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) != 0) {
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result = -2;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    lastStderr = readFile(errors);
    return result;
}
