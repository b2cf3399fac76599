#pragma once
#include <string>

struct App;
struct Shared;

// The whole run: pack root, "Version.lua", command line, game folder, one mode, report, end.
// Ends the process through app.endProcess, with status 1 after a failure report and 0 otherwise;
// returns only where that returns (in tests).
void Main(App& app, Shared& shared, const std::string& commandLine);

// Creates or replaces "Version.lua" in the pack root; raises on failure.
void WriteVersionLua(const App& app, const Shared& shared);

// The built program never runs inside its development environment.
bool InIDE();
