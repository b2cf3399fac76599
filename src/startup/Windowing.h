#pragma once

class Dialogs;
class Downloader;
class WindowRunner;

// What the windowing library hands the program: its boxes, its mode windows and its downloads.
struct Windowing {
    Dialogs* dialogs;
    WindowRunner* windows;
    Downloader* downloader;
};

// The library's one exported entry.
extern "C" Windowing* corvane_windowing();
using WindowingEntry = Windowing* (*)();
inline constexpr const char* WindowingEntryName = "corvane_windowing";
