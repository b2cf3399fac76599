#include "gamepath/GetWC3Path.h"

#include <cstdio>
#include <functional>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "common/Windows.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "registry/RegistryManager.h"

namespace {

const std::string GameKey = "Software\\Blizzard Entertainment\\Warcraft III\\";
// A sibling tool of the pack records the game folder it was installed for.
const std::string SiblingToolKey = "Software\\Thornquill";

std::string forcedPath(const App& app) { return ReadIniValue(app, "FORCED_PATH", "PATH", "\\config.cfg"); }

}  // namespace

bool IsGameFolder(const std::string& candidate) {
    // An empty candidate would be looked for at the root of the file system.
    return !candidate.empty() && fso::FileExists(paths::join(candidate, "\\war3.mpq"));
}

std::string GetWC3Path(App& app, Shared& shared, bool showWarning) {
    // The user's own choice first, then what the game's installers recorded; read one at a time,
    // so nothing is read past the first that passes.
    const std::function<std::string()> candidates[] = {
        [&] { return forcedPath(app); },
        [&] { return ReadRegKeyValue(app, RegRoot::CurrentUser, GameKey, "InstallPathX"); },
        [&] { return ReadRegKeyValue(app, RegRoot::LocalMachine, GameKey, "InstallPath"); },
        [&] { return ReadRegKeyValue(app, RegRoot::LocalMachine, GameKey, "InstallPathX"); },
        [&] { return ReadRegKeyValue(app, RegRoot::LocalMachine, SiblingToolKey, "InstallPath"); },
    };
    for (const auto& read : candidates) {
        std::string candidate = read();
        // Returned exactly as stored: callers add one separator before every name.
        if (IsGameFolder(candidate)) return candidate;
    }
    if (!showWarning) return "";
    // The manual window needs a display. Without one, the modes that show nothing must still
    // run, "forcewc3path" above all, which is how a wrong stored folder gets mended.
    if (!app.displayAvailable()) {
        std::fputs("Corvane: no game folder found, and no display to ask for one; going on without it.\n", stderr);
        return "";
    }

    // The window hands its result back only through the settings file.
    app.windows->run(WindowId::SetPath, app, shared);

    std::string chosen = forcedPath(app);
    if (IsGameFolder(chosen)) return chosen;

    ShowInfo(app, joinLines({"Dear user: despite all the efforts in getting your WC3 path,",
                             "Vesk has not found the right path. This program won't work as desired",
                             "if you don't set properly this path. Please check your WC3 settings.", "",
                             "Thanks for your undestanding."}));
    return "";
}
