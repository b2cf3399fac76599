#pragma once
#include <string>

struct App;
struct Shared;

// Binds a map type to the pack's editor (Restore false) or hands it back to the game's own
// editor (Restore true).
void RegisterEditorFileType(const App& app, const Shared& shared, bool restore, const std::string& typeName,
                            const std::string& extension);

// Writes the three Play verbs of a map type (Restore false) or removes them (Restore true).
void RegisterPlayVerbs(const App& app, bool restore, const std::string& typeName);
