// Linked into every test executable. Leak checks stay on for our code; the font and windowing
// libraries keep caches for the life of the process, which the leak checker would report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Core\n"
           "leak:libQt6Widgets\n"
           "leak:libglib-2.0\n"
           "leak:libdbus-1\n";
}
