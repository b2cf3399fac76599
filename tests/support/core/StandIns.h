#pragma once
#include <string>
#include <vector>

// Stand-in programs written by the tests: each run appends a record of its working folder and
// its arguments to a log file, and exits with the given code.
void writeRecordingProgram(const std::string& path, const std::string& logPath, int exitCode = 0);

struct RecordedRun {
    std::string cwd;
    std::vector<std::string> args;
};

// The runs recorded so far (an absent log gives none).
std::vector<RecordedRun> readRecordedRuns(const std::string& logPath);

// Waits up to the time limit for at least `count` recorded runs; detached starts finish on their own time.
std::vector<RecordedRun> waitForRecordedRuns(const std::string& logPath, std::size_t count, int timeoutMs = 10000);
