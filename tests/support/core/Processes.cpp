#include "support/core/Processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "support/core/XSession.h"

int failingChildren(int count, const std::function<bool(int)>& work) {
    std::vector<pid_t> children;
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        pid_t pid = ::fork();
        if (pid == 0) _exit(work(i) ? 0 : 1);
        if (pid < 0) ++failed;
        else children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
    }
    return failed;
}

bool waitUntilGone(const std::string& pid, int timeoutMs) {
    return eventually(
        [&pid] {
            std::ifstream stat("/proc/" + pid + "/stat");
            std::string line;
            // A zombie has ended: only whoever inherited it has yet to reap it.
            return !std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z";
        },
        timeoutMs);
}
