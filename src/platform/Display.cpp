#include "platform/Display.h"

#include <cstdlib>

namespace display {

namespace {
bool set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}
}  // namespace

bool available() { return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM"); }

}  // namespace display
