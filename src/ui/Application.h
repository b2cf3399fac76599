#pragma once

// The windowing system starts only when something is shown: modes that show nothing must run
// without a display. Every window and box calls this first.
namespace ui {
void ensureApplication();
bool applicationExists();
}  // namespace ui
