#include "support/core/XSession.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void nap() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (auto& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

// Starts argv[0] (looked up on PATH) with the environment; standard output goes to `out` when
// given, standard error to `err` when given, both to /dev/null otherwise; `in` is its input when given.
int spawn(std::vector<std::string> argv, std::vector<std::string> env, int out = -1, int err = -1, int in = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    else posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (err >= 0) posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    else posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args = pointers(argv);
    std::vector<char*> envp = pointers(env);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return text;
        text.append(buffer, static_cast<size_t>(got));
    }
}

// The window numbers xprop prints after "window id #", in order.
std::vector<unsigned long> windowIds(const std::string& text) {
    std::vector<unsigned long> ids;
    const auto hash = text.find('#');
    if (hash == std::string::npos) return ids;
    std::istringstream in(text.substr(hash + 1));
    std::string word;
    while (in >> word) ids.push_back(std::stoul(word, nullptr, 16));
    return ids;
}

std::string regexEscaped(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

}  // namespace

XSession::Program::~Program() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    if (wait(5000)) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

std::optional<int> XSession::Program::wait(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (Clock::now() >= deadline) return std::nullopt;
        nap();
    }
}

std::string XSession::unheldDisplay() {
    // Xvfb -displayfd takes the lowest free numbers; other runs of this search start elsewhere.
    for (int n = 600 + ::getpid() % 300;; ++n) {
        const std::string display = ":" + std::to_string(n);
        if (::access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) continue;
        if (Program(spawn({"xdpyinfo", "-display", display}, {})).wait(20000).value_or(0) != 0) return display;
    }
}

XSession::XSession(Options options) : options_(options) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    ::fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    const int log = ::open(home_.file("Xvfb.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    // Xvfb writes the display number it took into the pipe once it accepts clients.
    server_.emplace(spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                           "-noreset"},
                          environment({}), -1, log));
    ::close(pipeFds[1]);
    if (log >= 0) ::close(log);
    pollfd p{pipeFds[0], POLLIN, 0};
    const bool ready = ::poll(&p, 1, 20000) > 0;
    const std::string number = ready ? readAll(pipeFds[0]) : "";
    ::close(pipeFds[0]);
    if (number.empty() || number[0] < '0' || number[0] > '9')
        throw std::runtime_error("Xvfb did not report a display; see " + home_.file("Xvfb.log"));
    display_ = ":" + number.substr(0, number.find('\n'));

    if (!options.windowManager) return;
    windowManager_.emplace(spawn({"openbox", "--sm-disable"}, environment({})));
    // The manager announces itself on the root window once it manages windows.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") == std::string::npos) {
        if (Clock::now() >= deadline) throw std::runtime_error("openbox did not start on " + display_);
        nap();
    }
}

XSession::~XSession() {
    windowManager_.reset();
    server_.reset();
}

std::vector<std::string> XSession::environment(const std::map<std::string, std::string>& extra) const {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const auto eq = entry.find('=');
        if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    env.erase("WAYLAND_DISPLAY");
    if (!display_.empty()) env["DISPLAY"] = display_;
    env["QT_QPA_PLATFORM"] = "xcb";
    // Whatever the programs keep about themselves stays in the session's folder.
    env["HOME"] = home_.path();
    env["XDG_CONFIG_HOME"] = home_.file("config");
    env["XDG_CACHE_HOME"] = home_.file("cache");
    for (const auto& [name, value] : extra) env[name] = value;
    std::vector<std::string> out;
    for (const auto& [name, value] : env) out.push_back(name + "=" + value);
    return out;
}

XSession::Program XSession::start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                                  int input) const {
    return Program(spawn(argv, environment(env), -1, STDERR_FILENO, input));
}

std::string XSession::run(const std::vector<std::string>& argv) const {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    Program client(spawn(argv, environment({}), out[1]));
    ::close(out[1]);
    std::string text = readAll(out[0]);
    ::close(out[0]);
    client.wait(20000);
    return text;
}

std::vector<unsigned long> XSession::windows(const std::string& title) const {
    std::istringstream found(run({"xdotool", "search", "--onlyvisible", "--name", "^" + regexEscaped(title) + "$"}));
    std::vector<unsigned long> ids;
    for (unsigned long id; found >> id;) ids.push_back(id);
    return ids;
}

std::optional<unsigned long> XSession::waitForWindow(const std::string& title, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto ids = windows(title); !ids.empty()) return ids.front();
        if (Clock::now() >= deadline) return std::nullopt;
        nap();
    }
}

bool XSession::waitForWindowGone(unsigned long window, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // A window that is gone altogether has no map state to print.
    while (run({"xwininfo", "-id", std::to_string(window)}).find("IsViewable") != std::string::npos) {
        if (Clock::now() >= deadline) return false;
        nap();
    }
    return true;
}

std::string XSession::property(unsigned long window, const std::string& name) const {
    const std::string text = run({"xprop", "-id", std::to_string(window), name});
    return text.find("not found") == std::string::npos ? text : std::string();
}

std::optional<unsigned long> XSession::transientFor(unsigned long window) const {
    const auto ids = windowIds(property(window, "WM_TRANSIENT_FOR"));
    if (ids.empty()) return std::nullopt;
    return ids.front();
}

bool XSession::hasState(unsigned long window, const std::string& state) const {
    const std::string states = property(window, "_NET_WM_STATE");
    return std::regex_search(states, std::regex("[ ,]" + state + "(,|\\s|$)"));
}

std::vector<unsigned long> XSession::stacking() const {
    return windowIds(run({"xprop", "-root", "_NET_CLIENT_LIST_STACKING"}));
}

std::optional<unsigned long> XSession::activeWindow() const {
    std::istringstream id(run({"xdotool", "getactivewindow"}));
    unsigned long window = 0;
    if (id >> window) return window;
    return std::nullopt;
}

bool XSession::waitForActive(unsigned long window, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (activeWindow() != window) {
        if (Clock::now() >= deadline) return false;
        nap();
    }
    return true;
}

bool XSession::activate(unsigned long window) const {
    run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
    return waitForActive(window);
}

XSession::Geometry XSession::geometry(unsigned long window) const {
    const std::string text = run({"xwininfo", "-id", std::to_string(window)});
    auto number = [&text](const std::string& label) {
        std::smatch m;
        return std::regex_search(text, m, std::regex(label + ":\\s+(-?\\d+)")) ? std::stoi(m[1]) : 0;
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height")};
}

void XSession::key(const std::string& keys) const { run({"xdotool", "key", keys}); }

void XSession::type(const std::string& text) const { run({"xdotool", "type", text}); }

void XSession::click(int x, int y) const {
    run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
}

void XSession::screenshot(const std::string& pngPath) const { run({"import", "-window", "root", pngPath}); }

bool eventually(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        nap();
    }
    return true;
}
