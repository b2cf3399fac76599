#pragma once
#include <string>
#include <vector>

// Zip archives for tests, made by real programs.

// Runs a program found on PATH with the arguments in the folder and waits for it; its output is
// discarded. Returns its exit code (-1 when it could not start or did not exit).
int runProgramIn(const std::string& folder, const std::vector<std::string>& args);

// Packs everything in the folder (subfolders included) with the system's 7-Zip; returns the zip's path.
std::string buildZip(const std::string& zipPath, const std::string& folder);

// An entry stored exactly as named, "../x" and "/x" included; a link entry holds its target.
struct RawZipEntry {
    std::string name;
    std::string content;
    bool link = false;
};

// Writes such entries with python3's zipfile module, which 7-Zip would never produce itself.
std::string buildRawZip(const std::string& zipPath, const std::vector<RawZipEntry>& entries);
