#pragma once

class Dialogs;
class WindowRunner;

// What the windowing library hands the program: its boxes and its mode windows.
struct Windowing {
    Dialogs* dialogs;
    WindowRunner* windows;
};

// The library's one exported entry.
extern "C" Windowing* corvane_windowing();
using WindowingEntry = Windowing* (*)();
inline constexpr const char* WindowingEntryName = "corvane_windowing";
