#include "platform/Display.h"

#include <cstdlib>
#include <dlfcn.h>

namespace display {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Qt takes the first of a ";" list, its options after ":".
std::string platformName(const std::string& setting) { return setting.substr(0, setting.find_first_of(";:")); }

// A real connection through the library Qt's X platform connects with; loaded only now, so a run
// that shows nothing never maps it. Without the library Qt could not start on X either.
bool xServerAnswers() {
    void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    if (!connect || !hasError) return false;
    // The connection stays open for the run, and the library mapped: an X server whose last
    // client leaves resets itself, and would refuse Qt's own connection that comes right after.
    void* connection = connect(nullptr, nullptr);  // the display DISPLAY names
    return connection && hasError(connection) == 0;
}

}  // namespace

bool available(std::string* unanswered) {
    const std::string platform = platformName(variable("QT_QPA_PLATFORM"));
    if (!platform.empty() && platform != "xcb") return true;
    const std::string x = variable("DISPLAY");
    if (x.empty()) return platform.empty() && !variable("WAYLAND_DISPLAY").empty();
    if (xServerAnswers()) return true;
    if (unanswered) *unanswered = x;
    return false;
}

}  // namespace display
