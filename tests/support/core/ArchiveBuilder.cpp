#include "support/core/ArchiveBuilder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>

extern char** environ;

int runProgramIn(const std::string& folder, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string buildZip(const std::string& zipPath, const std::string& folder) {
    // 7-Zip expands the wildcard itself; no shell is involved.
    if (runProgramIn(folder, {"7za", "a", "-tzip", zipPath, "*"}) != 0)
        throw std::runtime_error("7za could not build " + zipPath);
    return zipPath;
}

std::string buildRawZip(const std::string& zipPath, const std::vector<RawZipEntry>& entries) {
    // The name is set after construction, so zipfile keeps it as given; a link entry carries
    // the Unix link mode and its target as content.
    const std::string script =
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    for kind, name, data in zip(sys.argv[2::3], sys.argv[3::3], sys.argv[4::3]):\n"
        "        info = zipfile.ZipInfo('entry')\n"
        "        info.filename = name\n"
        "        if kind == 'link':\n"
        "            info.create_system = 3\n"
        "            info.external_attr = 0o120777 << 16\n"
        "        z.writestr(info, data)\n";
    std::vector<std::string> args = {"python3", "-c", script, zipPath};
    for (const RawZipEntry& e : entries) {
        args.push_back(e.link ? "link" : "file");
        args.push_back(e.name);
        args.push_back(e.content);
    }
    if (runProgramIn(".", args) != 0) throw std::runtime_error("python3 could not build " + zipPath);
    return zipPath;
}
