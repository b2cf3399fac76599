#include "registry/FileAssociations.h"

#include "common/App.h"
#include "common/Shared.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "registry/RegistryManager.h"

namespace {

struct PlayVerb {
    const char* key;
    const char* caption;
    const char* arguments;
};

constexpr PlayVerb PlayVerbs[] = {
    {"shell\\fullscreen", "Play Fullscreen", " --loadmap=%L"},
    {"shell\\windowed", "Play Windowed", " --loadmap=%L --arguments=-window"},
    {"shell\\opengl", "Play With OpenGL (Windowed)", " --loadmap=%L --arguments=-window -opengl"},
};

// Executable paths are quoted so a folder with blanks reaches the shell whole; "%L" stays bare
// because start-up takes everything after "--loadmap=" up to the next option as the map path.
std::string quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

void RegisterEditorFileType(const App& app, const Shared& shared, bool restore, const std::string& typeName,
                            const std::string& extension) {
    std::string editor = restore ? paths::join(shared.WC3Path, "\\World Editor.exe")
                                 : paths::join(shared.PackFolder, "\\Vesk WE.exe");
    std::string progId = "Warcraft III " + typeName + " File";
    UnregisterFileType(app, extension, progId);
    RegisterFileType(app, extension, quoted(editor) + " -loadfile %L", progId);
}

void RegisterPlayVerbs(const App& app, bool restore, const std::string& typeName) {
    std::string base = "WorldEdit." + typeName + "\\";
    if (restore) {
        for (const PlayVerb& verb : PlayVerbs) {
            app.registry->deleteKey(RegRoot::ClassesRoot, base + verb.key + "\\command");
            app.registry->deleteKey(RegRoot::ClassesRoot, base + verb.key);
        }
        return;
    }
    std::string program = quoted(paths::join(app.programFolder, "\\Corvane.exe"));
    for (const PlayVerb& verb : PlayVerbs) {
        WriteRegKeyValue(app, RegRoot::ClassesRoot, base + verb.key, "", verb.caption);
        WriteRegKeyValue(app, RegRoot::ClassesRoot, base + verb.key + "\\command", "", program + verb.arguments);
    }
}
