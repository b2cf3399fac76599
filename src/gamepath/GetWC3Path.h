#pragma once
#include <string>

struct App;
struct Shared;

// True when the candidate is a game folder: "war3.mpq" exists in it. An empty candidate never is.
bool IsGameFolder(const std::string& candidate);

// The game's install folder: the forced folder of the settings file, then four registry values;
// the first that is a game folder, exactly as read. When none is and showWarning is set, the
// manual game-folder window is shown, the forced folder read again, and a warning shown when
// that fails too; without a display, one line on standard error takes the place of both. The
// empty text when nothing was found.
std::string GetWC3Path(App& app, Shared& shared, bool showWarning);
