#pragma once
#include <functional>
#include <memory>
#include <string>

#include "support/TestApp.h"
#include "ui/Form.h"

// A window of the program as a run loads it, over a TestApp of its own, holding the longest
// texts it can show: long version numbers, a game folder as deep as they come, the longer of
// every pair of alternative captions. Shared by the suites that look at every window.
struct LoadedWindow {
    std::unique_ptr<TestApp> t = std::make_unique<TestApp>();
    std::unique_ptr<Form> window;
    std::string game;  // the game folder

    // Shows the window without a modal loop, for checks that need it laid out and focusable.
    Form* shown();
};

using WindowLoader = std::function<LoadedWindow()>;

// "Set Manually Warcraft III path..." after a pick whose folder lacks one game file.
LoadedWindow loadSetPath();
// "Loading: ..." for a long map name.
LoadedWindow loadLoading();
// "Multisession Tool." at twelve sessions; compatible or not (the patch offer declined).
LoadedWindow loadMulti(bool compatible);
// "Warcraft III Version Patcher" with no archive downloaded and the longest outcome it reports.
LoadedWindow loadPatcher();
// "Vesk Application Quick Starter..." browsing a stored menu whose first entry, selected, has
// the longest name and path that its row and fields show whole.
LoadedWindow loadCstmMenu();
// "About Vesk..." with 7-Zip and both sibling tools at the longest versions they can carry.
LoadedWindow loadAbout();
// "Vesk Status Info..." with every file of the report present.
LoadedWindow loadStatus();
// "Test Map Configuration. (BETA)" for a map of twelve players, the speed at 25 and the last row
// on a custom AI whose path is the longest its label shows whole.
LoadedWindow loadTMC();
// "Ossik Compiler - ..." after a compiler run that failed without a log (the longest status
// line), over a script of a megabyte whose path the box shows whole.
LoadedWindow loadOssik();
// "Test tool" on "&Load Map" with both game arguments, for a picked map whose path is as long as
// the composed line, the longest any option composes for it, allows for Text1 to show it whole.
LoadedWindow loadTest();
