#pragma once

class Dialogs;
class Downloader;
class PciNames;
class WindowRunner;

// What the windowing library hands the program: its boxes, its mode windows, its downloads and
// the names of the PCI ID database.
struct Windowing {
    Dialogs* dialogs;
    WindowRunner* windows;
    Downloader* downloader;
    PciNames* pciNames;
};

// The library's one exported entry.
extern "C" Windowing* corvane_windowing();
using WindowingEntry = Windowing* (*)();
inline constexpr const char* WindowingEntryName = "corvane_windowing";
