#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/core/StandIns.h"
#include "support/core/TempDir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool isPipe(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// The built program in a pack layout of its own, run without a display, its standard error kept.
// Returns false when it had not ended after the limit (it is killed then).
bool runsToItsEnd(const TempDir& root, const std::vector<std::string>& args, int limitMs) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" || name == "XDG_CONFIG_HOME") continue;
        if (name == "PATH") entry = "PATH=" + root.file("bin") + ":" + entry.substr(5);
        env.push_back(entry);
    }
    env.push_back("XDG_CONFIG_HOME=" + root.file("config"));
    std::vector<std::string> argText{root.file("pack/keldwyn/Corvane")};
    argText.insert(argText.end(), args.begin(), args.end());
    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> out;
        for (auto& t : texts) out.push_back(t.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argv = pointers(argText), envp = pointers(env);
    const std::string errors = root.file("stderr.txt");

    pid_t pid = fork();
    if (pid == 0) {
        int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, 2);
        ::execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    pollfd ended{pidfd, POLLIN, 0};
    bool done = ::poll(&ended, 1, limitMs) == 1;
    if (!done) ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(pidfd);
    return done;
}

}  // namespace

// A pipe where a store should be hangs nothing: a settings file that is not a file reads as
// absent and is never written; a registry file that is not a file ends the run in the report,
// which names it. Neither is moved or replaced.
TEST(StoreNotAFileRun, EveryRunEndsAndLeavesThePipeInPlace) {
    struct Case {
        const char* what;
        bool configPipe, registryPipe;
        std::string option;  // "<game>" stands for the game folder
        bool reportNamesRegistry;
    } cases[] = {
        {"settings pipe, forced folder written", true, false, "--forcewc3path=<game>", false},
        {"settings pipe, associations", true, false, "--sfa=ON", false},
        {"registry pipe, associations", false, true, "--sfa=ON", true},
        {"registry pipe, game folder searched", false, true, "--forcewc3path=<game>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir root;
        const std::string program = root.mkdir("pack/keldwyn");
        fs::copy_file(CORVANE_EXE, program + "/Corvane");
        fs::copy_file(CORVANE_WINDOWING_SO, program + "/corvane-windowing.so");
        const std::string game = root.mkdir("Warcraft III");
        root.write("Warcraft III/war3.mpq", "mpq");
        writeRecordingProgram(root.file("bin/xdg-open"), root.file("xdg-open.log"));
        const std::string config = program + "/config.cfg", registry = root.file("config/corvane/registry.reg");
        root.mkdir("config/corvane");

        // Where the settings file is a pipe, the registry names the game; and the other way round.
        if (c.configPipe) {
            ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
            RegistryStore(registry).setValue(RegRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III",
                                             "InstallPathX", RegValue{regtype::Sz, game + '\0'});
        }
        if (c.registryPipe) ASSERT_EQ(::mkfifo(registry.c_str(), 0644), 0);
        if (c.registryPipe && c.option == "--sfa=ON") profile::write(config, "FORCED_PATH", "PATH", game);

        std::string option = c.option;
        if (auto at = option.find("<game>"); at != std::string::npos) option.replace(at, 6, game);
        EXPECT_TRUE(runsToItsEnd(root, {option}, 2000));

        EXPECT_EQ(isPipe(config), c.configPipe);
        EXPECT_EQ(isPipe(registry), c.registryPipe);
        const std::string errors = root.read("stderr.txt");
        EXPECT_EQ(errors.find(registry) != std::string::npos, c.reportNamesRegistry) << errors;
        for (const auto& entry : fs::directory_iterator(root.file("config/corvane")))
            EXPECT_EQ(entry.path().filename().string().find(".broken-"), std::string::npos) << entry.path();
    }
}
