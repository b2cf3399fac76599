#pragma once
#include <string>

struct App;
struct Shared;

// The mode windows, as start-up and discovery name them.
enum class WindowId {
    SetPath,
    Loading,
    Multi,
    Patcher,
    CstMenu,
    About,
    Status,
    Ossik,
    TestMapConfig,
};

// Loads a window, shows it modally and unloads it. A window that unloaded itself while loading
// is not shown. A failure of the load procedure reaches the caller; a failure in an event
// procedure goes to app.reportFailure.
//
// The windowing system lives behind this seam so that modes that show nothing never load it:
// merely mapping the windowing libraries costs more than such a run is allowed to take.
class WindowRunner {
public:
    virtual ~WindowRunner() = default;
    virtual void run(WindowId id, App& app, Shared& shared) = 0;
    // The development program's command-line composer, the one window that hands something
    // back: loads it, shows it modally, unloads it and returns the line it composed (the empty
    // text when its close box ended it).
    virtual std::string composeCommandLine(App& app, Shared& shared) = 0;
};
