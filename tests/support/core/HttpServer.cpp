#include "support/core/HttpServer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Waits up to the limit for the child to end; false when it is still running.
bool reap(pid_t pid, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    for (;;) {
        pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    if (reap(pid, std::chrono::seconds(5))) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Reads the first line the server prints, within the time limit.
std::string readLine(int fd, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    std::string line;
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) throw std::runtime_error("no port reported in time");
        pollfd p{fd, POLLIN, 0};
        int n = ::poll(&p, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error("poll failed");
        if (n == 0) continue;
        char buffer[64];
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw std::runtime_error("it ended before reporting its port");
        line.append(buffer, static_cast<size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

}  // namespace

HttpServer::HttpServer(const std::string& folder) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string script = std::string(CORVANE_TEST_SUPPORT_DIR) + "/http_server.py";
    std::string python = "python3";
    char* argv[] = {python.data(), script.data(), const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "python3", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        throw std::runtime_error("cannot start python3 for the HTTP server");
    }

    std::string problem;
    try {
        std::string line = readLine(out[0], std::chrono::seconds(10));
        port_ = std::stoi(line);
        if (port_ <= 0) problem = "it reported \"" + line + "\" as its port";
    } catch (const std::exception& e) {
        problem = e.what();
    }
    ::close(out[0]);
    if (!problem.empty()) {
        stop(pid);
        throw std::runtime_error("the HTTP server did not start: " + problem);
    }
    pid_ = pid;
}

HttpServer::~HttpServer() {
    if (pid_ > 0) stop(pid_);
}

std::string HttpServer::base() const { return "http://127.0.0.1:" + std::to_string(port_); }
