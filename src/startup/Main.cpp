#include "startup/Main.h"

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "common/Windows.h"
#include "gamepath/GetWC3Path.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RawIo.h"
#include "platform/Registry.h"
#include "platform/RuntimeFailure.h"
#include "platform/Shell.h"
#include "registry/FileAssociations.h"
#include "registry/RegistryManager.h"
#include "setup/CustomMenu.h"

namespace {

const char* const ConfigFile = "\\config.cfg";

// The exit status after a failure report, so that a script calling a mode can tell; messages
// such as "Missing arguments..." are not failures and end with 0.
constexpr int FailedStatus = 1;

// The first option split at every "=": part 0 is its name, part 1 its value.
struct FirstOption {
    std::vector<std::string> parts;

    const std::string& value() const { return partAt(parts, 1); }
    bool hasValue() const { return parts.size() >= 2; }
    bool hasExactlyOneEquals() const { return parts.size() == 2; }
};

// The value of an option that needs one, which becomes ArgValue; an empty one gets the message
// instead. Without "=" the value is read all the same, and that failure is reported.
bool takeValue(App& app, Shared& shared, const FirstOption& option, const char* message) {
    const std::string& value = option.value();
    if (value.empty()) {
        ShowInfo(app, message);
        return false;
    }
    shared.ArgValue = value;
    return true;
}

void loadMap(App& app, Shared& shared, const FirstOption& option) {
    if (!takeValue(app, shared, option, "Missing path.")) return;
    // The value keeps the blank before a following option; only the lookup trims it.
    shared.TargetFile = fso::GetFile(trimBlanks(shared.ArgValue));
    app.windows->run(WindowId::Loading, app, shared);
}

// Modes that are one window and nothing else.
template <WindowId Id>
void showWindow(App& app, Shared& shared, const FirstOption&) {
    app.windows->run(Id, app, shared);
}

// The status report shows both files of the custom menu, which must agree first.
void showStatus(App& app, Shared& shared, const FirstOption&) {
    RecoverCustomMenu(app);
    app.windows->run(WindowId::Status, app, shared);
}

void setupMapTesting(App& app, Shared& shared, const FirstOption& option) {
    if (takeValue(app, shared, option, "Invalid arguments.")) app.windows->run(WindowId::TestMapConfig, app, shared);
}

void multiSession(App& app, Shared& shared, const FirstOption& option) {
    shared.ArgValue = option.hasValue() ? option.value() : "-window";
    app.windows->run(WindowId::Multi, app, shared);
}

void runMenuCommand(App& app, Shared& shared, const FirstOption& option) {
    const MenuItem entry = ReadCustomMenuEntry(app, option.value());
    shared.TargetFile = fso::GetFile(entry.Path);
    ExecuteFile(app, "open", shared.TargetFile->Name(), entry.Arg, shared.TargetFile->ParentFolder(), 1, false);
}

void forceGamePath(App& app, Shared&, const FirstOption& option) {
    if (!option.hasExactlyOneEquals()) return;
    if (option.value() != ReadIniValue(app, "FORCED_PATH", "PATH", ConfigFile))
        WriteIniValue(app, "FORCED_PATH", "PATH", option.value(), ConfigFile);
}

void setFileAssociations(App& app, Shared& shared, const FirstOption& option) {
    if (!option.hasExactlyOneEquals()) return;
    bool restore;
    if (option.value() == "ON")
        restore = false;
    else if (option.value() == "OFF")
        restore = true;
    else
        return;
    // One lock and one write for the whole registration.
    RegistryStore::Batch batch(*app.registry);
    RegisterEditorFileType(app, shared, restore, "Scenario", ".w3m");
    RegisterPlayVerbs(app, restore, "Scenario");
    RegisterEditorFileType(app, shared, restore, "ScenarioEx", ".w3x");
    RegisterPlayVerbs(app, restore, "ScenarioEx");
    RegisterEditorFileType(app, shared, restore, "Campaign", ".w3n");
    RegisterPlayVerbs(app, restore, "Campaign");
    RegisterEditorFileType(app, shared, restore, "AIData", ".wai");
}

// Without a value, or with a value that holds "=", nothing runs; the path is taken untrimmed.
void compileScript(App& app, Shared& shared, const FirstOption& option) {
    if (!option.hasExactlyOneEquals()) return;
    shared.ArgValue = option.value();
    shared.TargetFile = fso::GetFile(shared.ArgValue);
    app.windows->run(WindowId::Ossik, app, shared);
}

using Action = void (*)(App&, Shared&, const FirstOption&);

struct Mode {
    const char* name;
    Action action;
};

// Compared in this order; the first name that matches runs.
const Mode Modes[] = {
    {"setupmaptesting", setupMapTesting},
    {"multisession", multiSession},
    {"loadmap", loadMap},
    {"about", showWindow<WindowId::About>},
    {"command", runMenuCommand},
    {"cstmenu", showWindow<WindowId::CstMenu>},
    {"status", showStatus},
    {"setwc3path", showWindow<WindowId::SetPath>},
    {"forcewc3path", forceGamePath},
    {"patcher", showWindow<WindowId::Patcher>},
    {"sfa", setFileAssociations},
    {"ossik", compileScript},
};

// The development road's command line: the composer's, which shows the game folder that is
// found without asking for one. The composer's close box hands over the empty text.
std::string composedCommandLine(App& app, Shared& shared) {
    shared.WC3Path = GetWC3Path(app, shared, false);
    return app.windows->composeCommandLine(app, shared);
}

void runMode(App& app, Shared& shared, const std::string& processCommandLine) {
    // The composed line is split and dispatched as the process's own would be.
    const std::string commandLine = InIDE(app) ? composedCommandLine(app, shared) : processCommandLine;
    shared.CmdArgs = splitAll(commandLine, "--");
    if (shared.CmdArgs.empty()) {
        ShowInfo(app, "Missing arguments...");
        return;
    }
    FirstOption option{splitAll(partAt(shared.CmdArgs, 1), "=")};
    shared.WC3Path = GetWC3Path(app, shared, true);
    std::string name = toLower(partAt(option.parts, 0));
    for (const Mode& mode : Modes) {
        if (name == mode.name) {
            mode.action(app, shared, option);
            return;
        }
    }
    ShowInfo(app, "Missing arguments...");
}

std::string reportOf(const App& app, const RuntimeFailure& failure) {
    return joinLines({"Vesk " + std::to_string(app.versionMajor) + "." + std::to_string(app.versionMinor) + "." +
                          std::to_string(app.versionRevision) + " Error",
                      "Produced by: " + failure.source, "Description: " + failure.description, "",
                      "You will be redirected to Dunmarrow to report the issue..."});
}

// The report, then the forum's reply page. Should the box itself fail (the windowing library
// cannot be loaded, say), the report still reaches the terminal.
void report(App& app, const RuntimeFailure& failure) {
    try {
        ShowInfo(app, reportOf(app, failure));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n(%s)\n", reportOf(app, failure).c_str(), error.what());
    }
    try {
        ExecuteFile(app, "open", WebAddress(app, ForumReplyPage), "", "", 1, false);
    } catch (...) {
    }
}

std::optional<RuntimeFailure> trapped(const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeFailure& failure) {
        return failure;
    } catch (const std::exception& error) {
        return RuntimeFailure(5, error.what());
    }
    return std::nullopt;
}

}  // namespace

void WriteVersionLua(const App& app, const Shared& shared) {
    const std::string path = paths::join(shared.PackFolder, "\\Version.lua");
    const std::string line = "VeskVersionTxt = \"Vesk version " + std::to_string(app.versionMajor) + "." +
                             std::to_string(app.versionMinor) + "." + std::to_string(app.versionRevision) + "\"" + CRLF;
    // A file that already holds exactly this line is the file a rewrite would leave; rewriting it
    // would cost a flush to disk at every start of every mode.
    struct stat st;
    std::string held;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && readWholeFile(path, held) == ReadResult::Ok &&
        held == line)
        return;
    fso::WriteTextFile(path, line);
}

bool InIDE(const App& app) { return app.inIDE; }

void Main(App& app, Shared& shared, const std::string& commandLine) {
    // A failure in an event procedure of a shown window gets the same report and ends the run.
    app.reportFailure = [&app](const RuntimeFailure& failure) {
        report(app, failure);
        app.endProcess(FailedStatus);
    };
    // As the system's shell does, ours says what it cannot start; the callers only start.
    app.shell->sayCannotStart = [&app](const std::string& title, const std::string& message) {
        SayCannotStart(app, title, message);
    };

    // Finding the pack root and writing "Version.lua" come before the trap; their failures are
    // reported the same way.
    std::optional<RuntimeFailure> pending = trapped([&] {
        std::string programFolder = fso::GetFolder(app.programFolder).Path();
        if (paths::parentOf(programFolder) == programFolder) failure::raise(failure::PathNotFound);
        shared.PackFolder = fso::GetFolder(paths::parentOf(programFolder)).Path();
        WriteVersionLua(app, shared);
    });
    if (!pending) pending = trapped([&] { runMode(app, shared, commandLine); });

    if (pending) report(app, *pending);
    shared.TargetFile.reset();
    shared.PackFolder.clear();
    app.endProcess(pending ? FailedStatus : 0);
}
