#pragma once
#include <string>
#include <vector>

#include "support/core/TempDir.h"

// The built program copied into a pack layout of its own, with a game folder, a registry
// store and a recording xdg-open, all under one temporary folder; it runs as a process.
struct Pack {
    TempDir root;
    std::string programFolder;
    std::string exe;
    std::string game;
    std::string openLog;

    // The pack root is <root>/<packName>.
    explicit Pack(const std::string& packName = "pack");

    // Stores the game folder as the forced one, so discovery finds it.
    void forceGame();
    // Copies the development program of the same build beside the program; returns its path.
    std::string addDevelopmentProgram();

    // Runs the program with the given arguments and returns its exit status (-2 when it had to
    // be killed after the time limit). withDisplay adds the offscreen platform; without it no
    // display of any kind is set but `display`. The run's standard error lands in lastStderr.
    int run(const std::vector<std::string>& args, bool withDisplay, int timeoutMs = 45000);
    std::string lastStderr;
    std::string display;  // DISPLAY for the runs, when given
    std::string path;     // PATH for the runs; when empty, the pack's bin folder before the test's own
};
