#pragma once
#include <string>

struct App;
struct Shared;

// The whole run: pack root, "Version.lua", command line, game folder, one mode, report, end.
// Ends the process through app.endProcess, with status 1 after a failure report and 0 otherwise;
// returns only where that returns (in tests). On the development road (InIDE) the composer
// window supplies the command line, and the process's own is ignored.
void Main(App& app, Shared& shared, const std::string& commandLine);

// Creates or replaces "Version.lua" in the pack root; raises on failure.
void WriteVersionLua(const App& app, const Shared& shared);

// Whether the run takes the development road (app.inIDE); the shipped program never does.
bool InIDE(const App& app);
