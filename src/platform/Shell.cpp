#include "platform/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/Ascii.h"
#include "platform/CommandLine.h"
#include "platform/ExeVersion.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace {

// Shell results beyond the named ones in Shell: the file is no program this system can run,
// or the system ran out of resources while starting it.
constexpr int ErrorBadFormat = 11;
constexpr int ErrorOutOfMemory = 8;

// ---- Looking at files -------------------------------------------------------------------

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isExecutableFile(const std::string& path) { return isRegularFile(path) && ::access(path.c_str(), X_OK) == 0; }

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (ascii::lower(text[i]) != ascii::lower(prefix[i])) return false;
    return true;
}

bool isWebAddress(const std::string& file) {
    for (const char* scheme : {"http://", "https://", "mailto:", "ftp://"})
        if (startsWithIgnoringCase(file, scheme)) return true;
    return false;
}

// The started program runs in another folder than ours, so the paths handed to it must not
// depend on our working folder.
std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::vector<char> buffer(PATH_MAX);
    if (!::getcwd(buffer.data(), buffer.size())) return path;
    return std::string(buffer.data()) + "/" + path;
}

// name relative to folder (or to our working folder when there is none).
std::string within(const std::string& folder, const std::string& name) {
    if (name.empty() || name[0] == '/' || folder.empty()) return name;
    return folder + "/" + name;
}

// Search-path lookup with the exact name, as the system's own exec would do it.
std::string findOnPath(const std::string& name) {
    const char* variable = std::getenv("PATH");
    std::string list = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            if (isExecutableFile(candidate)) return absolute(candidate);
        }
        start = end + 1;
    }
    return {};
}

// ---- Starting a process -----------------------------------------------------------------

// What the child reports through the close-on-exec pipe when it cannot get the program going.
enum class Stage : int { None, Fork, ChangeFolder, Exec };
struct StartFailure {
    Stage stage = Stage::None;
    int error = 0;
};

// Everything the child needs, built before fork: after fork only async-signal-safe calls are allowed.
struct Launch {
    std::vector<std::string> arguments;
    std::vector<char*> argv;
    std::string program;
    std::string folder;  // empty: keep ours
    int output = -1;     // a waited program's standard output and error; /dev/null when not set
    pid_t parent = ::getpid();

    Launch(std::string programPath, std::vector<std::string> args, std::string workingFolder)
        : arguments(std::move(args)), program(std::move(programPath)), folder(std::move(workingFolder)) {
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
    }
};

[[noreturn]] void reportAndExit(int pipeFd, Stage stage, int error) {
    StartFailure failure{stage, error};
    ssize_t ignored = ::write(pipeFd, &failure, sizeof failure);
    (void)ignored;
    ::_exit(127);
}

// Our descriptors (log files, sockets, the registry lock) are none of the started program's business.
void markInheritedDescriptorsCloseOnExec() {
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
    struct rlimit limit;
    long highest = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) highest = long(limit.rlim_cur);
    if (highest > 65536) highest = 65536;
    for (int fd = 3; fd < highest; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Ignored signals and a blocked mask survive exec; the started program should get a clean start.
void resetSignals() {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) {
        struct sigaction current;
        if (::sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            struct sigaction byDefault = {};
            byDefault.sa_handler = SIG_DFL;
            ::sigaction(sig, &byDefault, nullptr);
        }
    }
}

// Puts /dev/null, opened with these flags, on the descriptors.
void nullOnto(int flags, std::initializer_list<int> targets) {
    int devNull = ::open("/dev/null", flags);
    if (devNull < 0) return;
    for (int target : targets) ::dup2(devNull, target);
    if (devNull > STDERR_FILENO) ::close(devNull);
}

// A program we wait for reads nothing of ours, writes nothing into our output, and leads a group
// of its own that ends with us. The death signal covers even a kill we cannot catch; a parent
// that died before the child asked for it is gone already, and so the child goes too.
[[noreturn]] void becomeProgram(const Launch& launch, int pipeFd, bool detached) {
    resetSignals();
    if (!detached) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != launch.parent) ::_exit(127);
        ::setpgid(0, 0);
    }
    nullOnto(O_RDONLY, {STDIN_FILENO});
    if (!detached && launch.output >= 0) {
        ::dup2(launch.output, STDOUT_FILENO);
        ::dup2(launch.output, STDERR_FILENO);
    } else if (!detached) {
        nullOnto(O_WRONLY, {STDOUT_FILENO, STDERR_FILENO});
    }
    if (!launch.folder.empty() && ::chdir(launch.folder.c_str()) != 0) reportAndExit(pipeFd, Stage::ChangeFolder, errno);
    markInheritedDescriptorsCloseOnExec();
    ::execv(launch.program.c_str(), launch.argv.data());
    reportAndExit(pipeFd, Stage::Exec, errno);
}

struct StartOutcome {
    StartFailure failure;
    pid_t pid = -1;
};

void reap(pid_t pid, int* status) {
    while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
}

// Starts the program and tells truthfully whether exec succeeded: the pipe closes on exec,
// or carries the reason when the child gives up. A detached start goes through a short-lived
// middle process in a new session, so the program is nobody's child of ours and outlives us.
StartOutcome start(const Launch& launch, bool detached) {
    StartOutcome result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.failure = {Stage::Fork, errno};
        return result;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        result.failure = {Stage::Fork, errno};
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        if (detached) {
            ::setsid();
            pid_t grandchild = ::fork();
            if (grandchild < 0) reportAndExit(fds[1], Stage::Fork, errno);
            if (grandchild > 0) ::_exit(0);
        }
        becomeProgram(launch, fds[1], detached);
    }
    // Set from both sides, so the group exists before anyone signals it.
    if (!detached) ::setpgid(pid, pid);
    ::close(fds[1]);
    StartFailure reported;
    std::size_t got = 0;
    while (got < sizeof reported) {
        ssize_t n = ::read(fds[0], reinterpret_cast<char*>(&reported) + got, sizeof reported - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    ::close(fds[0]);
    if (got == sizeof reported) result.failure = reported;
    if (detached || result.failure.stage != Stage::None) reap(pid, nullptr);
    else result.pid = pid;
    return result;
}

// ---- Waiting for a program ----------------------------------------------------------------

// The signals that end us while we wait: each ends the waited program's group first.
constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction endingBefore[std::size(EndingSignals)];
volatile sig_atomic_t waitedGroup = 0;

extern "C" void endWaitedGroupFirst(int sig) {
    if (waitedGroup > 0) ::kill(-pid_t(waitedGroup), SIGKILL);
    for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
        if (EndingSignals[i] == sig) ::sigaction(sig, &endingBefore[i], nullptr);
    // Blocked until this handler returns, then delivered as it would have been without us.
    ::raise(sig);
}

sigset_t endingSignals() {
    sigset_t set;
    ::sigemptyset(&set);
    for (int sig : EndingSignals) ::sigaddset(&set, sig);
    return set;
}

// From before the start until the wait is over. The ending signals are held until the program's
// group is known; a signal we ignore stays ignored, and every handler is back as it was after.
class WaitedGroupEndsWithUs {
public:
    WaitedGroupEndsWithUs() {
        sigset_t ending = endingSignals();
        ::sigprocmask(SIG_BLOCK, &ending, &maskBefore_);
    }
    WaitedGroupEndsWithUs(const WaitedGroupEndsWithUs&) = delete;
    WaitedGroupEndsWithUs& operator=(const WaitedGroupEndsWithUs&) = delete;

    void follow(pid_t group) {
        waitedGroup = group;
        for (std::size_t i = 0; i < std::size(EndingSignals); ++i) {
            ::sigaction(EndingSignals[i], nullptr, &endingBefore[i]);
            if (!(endingBefore[i].sa_flags & SA_SIGINFO) && endingBefore[i].sa_handler == SIG_IGN) continue;
            struct sigaction ours = {};
            ours.sa_handler = endWaitedGroupFirst;
            ::sigemptyset(&ours.sa_mask);
            ::sigaction(EndingSignals[i], &ours, nullptr);
            installed_[i] = true;
        }
        ::sigprocmask(SIG_SETMASK, &maskBefore_, nullptr);
    }

    ~WaitedGroupEndsWithUs() {
        sigset_t ending = endingSignals();
        ::sigprocmask(SIG_BLOCK, &ending, nullptr);
        waitedGroup = 0;
        for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
            if (installed_[i]) ::sigaction(EndingSignals[i], &endingBefore[i], nullptr);
        ::sigprocmask(SIG_SETMASK, &maskBefore_, nullptr);
    }

private:
    sigset_t maskBefore_;
    bool installed_[std::size(EndingSignals)] = {};
};

// A program that could not be started, as the waiting runs raise it.
[[noreturn]] void raiseNotStarted(const StartFailure& why) {
    failure::raise((why.error == EACCES || why.error == EPERM) ? failure::PermissionDenied : failure::FileNotFound);
}

int shellResultOf(const StartFailure& failure) {
    switch (failure.stage) {
        case Stage::None: return Shell::Started;
        case Stage::ChangeFolder:
            return (failure.error == EACCES || failure.error == EPERM) ? Shell::ErrorAccessDenied : Shell::ErrorPathNotFound;
        case Stage::Exec:
            switch (failure.error) {
                case ENOENT: return Shell::ErrorFileNotFound;
                case ENOTDIR: return Shell::ErrorPathNotFound;
                case EACCES:
                case EPERM: return Shell::ErrorAccessDenied;
                case ENOEXEC: return ErrorBadFormat;
                default: return ErrorOutOfMemory;
            }
        case Stage::Fork: break;
    }
    return ErrorOutOfMemory;
}

// A start's result, and what the shell says when it failed.
struct Attempt {
    int result = Shell::Started;
    std::string why;
};

std::string whyNotStarted(const std::string& name, const StartFailure& failure, const std::string& folder) {
    const bool denied = failure.error == EACCES || failure.error == EPERM;
    if (failure.stage == Stage::ChangeFolder)
        return name + " cannot be started in " + folder + (denied ? ": permission denied." : ": that folder does not exist.");
    if (failure.stage == Stage::Exec && failure.error == ENOEXEC) return name + " is not a program this system can run.";
    if (denied) return name + " cannot be started: permission denied.";
    return name + " cannot be started: " + std::strerror(failure.error) + ".";
}

Attempt startDetached(const std::string& program, std::vector<std::string> arguments, const std::string& folder,
                      const std::string& name) {
    const StartFailure failure = start(Launch(program, std::move(arguments), folder), true).failure;
    const int result = shellResultOf(failure);
    if (result > 32) return {result, {}};
    return {result, whyNotStarted(name, failure, folder)};
}

// Documents, folders and web addresses go to the desktop's opener.
Attempt openWithDesktop(const std::string& target, const std::string& folder, const std::string& name) {
    std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return {Shell::ErrorNoAssociation, name + " cannot be opened: there is no xdg-open to open it with."};
    return startDetached(opener, {opener, target}, isDirectory(folder) ? folder : std::string(), "xdg-open");
}

// Without the Windows file manager, "explorer.exe /select,<file>" becomes the desktop's file
// manager on the folder holding the file, and "explorer.exe <folder>" that folder.
Attempt openInFileManager(const std::string& parameters, const std::string& folder) {
    std::vector<std::string> args = splitWindowsCommandLine(parameters);
    const std::string select = "/select,";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!startsWithIgnoringCase(args[i], select)) continue;
        // The file manager takes the rest of its command line as the path, so a game folder
        // with blanks in its name arrives unquoted and in pieces.
        std::string selected = args[i].substr(select.size());
        for (std::size_t j = i + 1; j < args.size(); ++j) selected += " " + args[j];
        std::string file = paths::resolve(within(folder, selected));
        std::string parent = paths::nativeParentOf(file);
        if (parent.empty()) parent = folder.empty() ? "." : folder;
        return openWithDesktop(absolute(parent), folder, "The folder " + parent);
    }
    std::string target = args.empty() ? (folder.empty() ? "." : folder)
                                      : paths::resolve(within(folder, args[0]));
    return openWithDesktop(absolute(target), folder, "The folder " + target);
}

struct Located {
    std::string path;
    bool found = false;
    bool folderPartMissing = false;
};

bool hasFolderPart(const std::string& name) { return name.find_first_of("/\\") != std::string::npos; }

// A name with a folder part is taken relative to the working folder; a bare name is looked for
// there first, then on the search path. The lookup is the one that checked the file before
// (paths::resolve), so the name as written comes first and the start finds what the check found.
Located locate(const std::string& file, const std::string& folder, bool foldersToo) {
    Located result;
    if (file.empty()) return result;
    std::string candidate = paths::resolve(within(folder, file));
    if (isRegularFile(candidate) || (foldersToo && isDirectory(candidate))) {
        result.path = absolute(candidate);
        result.found = true;
    } else if (hasFolderPart(file)) {
        std::string parent = paths::nativeParentOf(candidate);
        result.folderPartMissing = !parent.empty() && !isDirectory(parent);
    } else {
        result.path = findOnPath(file);
        result.found = !result.path.empty();
    }
    return result;
}

std::vector<std::string> withProgramFirst(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return args;
}

// The shell's open, with what it says when it cannot.
Attempt openFile(const std::string& file, const std::string& parameters, const std::string& directory) {
    if (isWebAddress(file)) return openWithDesktop(file, std::string(), file);

    std::string folder = directory.empty() ? std::string() : paths::resolve(directory);
    Located target = locate(file, folder, true);
    if (!target.found && ascii::sameName(file, "explorer.exe")) return openInFileManager(parameters, folder);
    if (!folder.empty() && !isDirectory(folder))
        return {Shell::ErrorPathNotFound, file + " cannot be started in " + folder + ": that folder does not exist."};
    if (!target.found) {
        if (target.folderPartMissing) return {Shell::ErrorPathNotFound, file + " was not found: its folder does not exist."};
        return {Shell::ErrorFileNotFound, file + " was not found" + (folder.empty() ? std::string() : " in " + folder) + "."};
    }

    const std::string name = paths::nativeFileNameOf(target.path);
    if (isDirectory(target.path)) return openWithDesktop(target.path, folder, "The folder " + target.path);
    int openError = 0;
    if (isWindowsExecutable(target.path, &openError)) {
        std::string wine = findOnPath("wine");
        if (wine.empty()) return {Shell::ErrorNoAssociation, name + " is a Windows program; install wine to start it."};
        return startDetached(wine, withProgramFirst(wine, withProgramFirst(target.path, splitWindowsCommandLine(parameters))),
                             folder, name);
    }
    if (::access(target.path.c_str(), X_OK) == 0)
        return startDetached(target.path, withProgramFirst(target.path, splitWindowsCommandLine(parameters)), folder, name);
    if (openError == EACCES || openError == EPERM) return {Shell::ErrorAccessDenied, name + " cannot be opened: permission denied."};
    Attempt opened = openWithDesktop(target.path, folder, name);
    if (opened.result == Shell::ErrorNoAssociation) opened.why = name + " is not a program, and there is no xdg-open to open it with.";
    return opened;
}

}  // namespace

int SystemShell::execute(const std::string& /*operation*/, const std::string& file, const std::string& parameters,
                         const std::string& directory, int /*showCmd*/) {
    // Every caller asks for "open", and the show command has no meaning for a started program here.
    const Attempt attempt = openFile(file, parameters, directory);
    // Said once a run: a loader started for each of twelve instances fails twelve times alike.
    if (attempt.result <= 32 && sayCannotStart && said_.insert(attempt.why).second) {
        const std::string title = isWebAddress(file) ? file : paths::fileNameOf(file);
        sayCannotStart(title, attempt.why);
    }
    return attempt.result;
}

void SystemShell::setCurrentDirectory(const std::string& directory) {
    std::string folder = paths::resolve(directory);
    if (folder.empty()) failure::raise(failure::PathNotFound);
    if (::chdir(folder.c_str()) != 0) failure::raise(errno == EACCES ? failure::PermissionDenied : failure::PathNotFound);
}

// The waited program leaves no output anywhere: the compiler writes its log file itself, and
// 7-Zip's exit code says all. A child killed by a signal gives 128 + the signal number, as
// shells report it.
int SystemShell::runAndWait(const std::string& command) {
    std::vector<std::string> args = splitWindowsCommandLine(command);
    Located located = locate(args.empty() ? std::string() : args[0], std::string(), false);
    if (!located.found) failure::raise(failure::FileNotFound);
    const std::string program = located.path;
    args[0] = program;

    std::string executable = program;
    int openError = 0;
    if (isWindowsExecutable(program, &openError)) {
        // Without wine the system may still know how to run it, so it is tried directly then.
        std::string wine = findOnPath("wine");
        if (!wine.empty()) {
            executable = wine;
            args = withProgramFirst(wine, std::move(args));
        }
    }

    WaitedGroupEndsWithUs endsWithUs;
    StartOutcome started = start(Launch(executable, std::move(args), std::string()), false);
    if (started.failure.stage != Stage::None) raiseNotStarted(started.failure);
    endsWithUs.follow(started.pid);
    int status = 0;
    reap(started.pid, &status);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return status;
}

Shell::Output SystemShell::capture(const std::string& program, const std::vector<std::string>& arguments,
                                   int timeoutMs, std::size_t maxBytes) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto msLeft = [&deadline] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? int(std::min<long long>(left, INT_MAX)) : 0;
    };

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) raiseNotStarted({Stage::Fork, errno});
    Launch launch(absolute(program), withProgramFirst(program, arguments), std::string());
    launch.output = pipeFds[1];
    WaitedGroupEndsWithUs endsWithUs;
    StartOutcome started = start(launch, false);
    ::close(pipeFds[1]);
    if (started.failure.stage != Stage::None) {
        ::close(pipeFds[0]);
        raiseNotStarted(started.failure);
    }
    endsWithUs.follow(started.pid);

    // Until everything it started has let go of the output, the limits have passed, or the bytes are full.
    Output result;
    bool endOfOutput = false;
    while (result.text.size() < maxBytes) {
        struct pollfd ready = {pipeFds[0], POLLIN, 0};
        int polled = ::poll(&ready, 1, msLeft());
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) break;
        char buffer[4096];
        ssize_t n = ::read(pipeFds[0], buffer, std::min(sizeof buffer, maxBytes - result.text.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            endOfOutput = n == 0;
            break;
        }
        result.text.append(buffer, std::size_t(n));
    }
    ::close(pipeFds[0]);

    // Closing the output usually means it has ended; a moment more is allowed within the limit.
    int status = 0;
    pid_t ended = 0;
    while (endOfOutput && (ended = ::waitpid(started.pid, &status, WNOHANG)) == 0 && msLeft() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    result.finished = ended == started.pid;
    if (!result.finished) {
        ::kill(-started.pid, SIGKILL);
        reap(started.pid, nullptr);
    }
    return result;
}
