#pragma once

namespace display {

// Whether the windowing system has anything to show windows on: an X or Wayland display, or a
// platform named for Qt (the tests' offscreen one). Without any, Qt would abort the process.
bool available();

}  // namespace display
