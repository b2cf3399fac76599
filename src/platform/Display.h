#pragma once
#include <string>

namespace display {

// Whether the windowing system has something to show windows on; without it Qt would abort the
// process. A platform named for Qt other than X (the tests' offscreen one) is taken at its word,
// and so is a Wayland display; an X display must answer a connection, or Qt aborts on it as on
// none. When the X display that DISPLAY names does not answer, `unanswered` receives its name.
bool available(std::string* unanswered = nullptr);

}  // namespace display
