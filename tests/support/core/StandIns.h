#pragma once
#include <optional>
#include <string>
#include <vector>

// Stand-in programs written by the tests: each run appends a record of its working folder and
// its arguments to a log file, and exits with the given code.
// `beforeExit` is shell text run after the record is written.
void writeRecordingProgram(const std::string& path, const std::string& logPath, int exitCode = 0,
                           const std::string& beforeExit = "");

// A stand-in "java" for the script compiler: records its runs as above, writes `compilerLog`
// (when given) to the file its "-log=" argument names, runs `beforeExit` and exits with the given code.
void writeCompilerStandIn(const std::string& path, const std::string& logPath, int exitCode,
                          const std::optional<std::string>& compilerLog, const std::string& beforeExit = "");

// The compiler's folder "Scrivel/Tavi" under a pack root: the archive (a placeholder unless its
// bytes are given) and the two script libraries it is handed. Returns the folder.
std::string writeCompilerFolder(const std::string& packRoot, const std::string& archive = "placeholder");

struct RecordedRun {
    std::string cwd;
    std::vector<std::string> args;
};

// The runs recorded so far (an absent log gives none).
std::vector<RecordedRun> readRecordedRuns(const std::string& logPath);

// Waits up to the time limit for at least `count` recorded runs; detached starts finish on their own time.
std::vector<RecordedRun> waitForRecordedRuns(const std::string& logPath, std::size_t count, int timeoutMs = 10000);
