#pragma once

// The windowing system starts only when something is shown: modes that show nothing must run
// without a display. Every window and box calls this first. Qt aborts the process when it starts
// on no display, so the program asks App::displayAvailable before it loads this side at all.
namespace ui {
void ensureApplication();
bool applicationExists();
}  // namespace ui
