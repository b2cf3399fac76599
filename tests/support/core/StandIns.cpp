#include "support/core/StandIns.h"

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "support/core/TempDir.h"

void writeRecordingProgram(const std::string& path, const std::string& logPath, int exitCode,
                           const std::string& beforeExit) {
    // The record is gathered first and appended in one write, so a reader never sees half a run,
    // and no side file comes and goes beside the log while a test looks at the folder.
    std::string script =
        "#!/bin/sh\n"
        "rec=$(printf 'cwd=%s\\n' \"$(pwd -P)\"; for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; printf -- '---')\n"
        "printf '%s\\n' \"$rec\" >> \"" + logPath + "\"\n" +
        beforeExit +
        "exit " + std::to_string(exitCode) + "\n";
    writeFile(path, script, true);
}

void writeCompilerStandIn(const std::string& path, const std::string& logPath, int exitCode,
                          const std::optional<std::string>& compilerLog, const std::string& beforeExit) {
    std::string writeLog;
    if (compilerLog) {
        // Kept beside the program, so the log's bytes need no quoting in the script.
        const std::string content = path + ".log-content";
        writeFile(content, *compilerLog);
        writeLog = "for a in \"$@\"; do case \"$a\" in -log=*) cat \"" + content + "\" > \"${a#-log=}\";; esac; done\n";
    }
    writeRecordingProgram(path, logPath, exitCode, writeLog + beforeExit);
}

std::string writeCompilerFolder(const std::string& packRoot, const std::string& archive) {
    const std::string folder = packRoot + "/Scrivel/Tavi";
    writeFile(folder + "/ossikc-jar-with-dependencies.jar", archive);
    writeFile(folder + "/common.j", "// common natives\n");
    writeFile(folder + "/Blizzard.j", "// Blizzard functions\n");
    return folder;
}

std::vector<RecordedRun> readRecordedRuns(const std::string& logPath) {
    std::vector<RecordedRun> runs;
    if (!std::filesystem::exists(logPath)) return runs;
    std::istringstream in(readFile(logPath));
    std::string line;
    RecordedRun current;
    while (std::getline(in, line)) {
        if (line == "---") {
            runs.push_back(current);
            current = {};
        } else if (line.rfind("cwd=", 0) == 0) {
            current.cwd = line.substr(4);
        } else if (line.rfind("arg=", 0) == 0) {
            current.args.push_back(line.substr(4));
        } else if (!current.args.empty()) {
            current.args.back() += "\n" + line;  // an argument that held a line break
        }
    }
    return runs;
}

std::vector<RecordedRun> waitForRecordedRuns(const std::string& logPath, std::size_t count, int timeoutMs) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto runs = readRecordedRuns(logPath);
        if (runs.size() >= count || std::chrono::steady_clock::now() > until) return runs;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
