#pragma once

class Dialogs;
class Downloader;
class PciNames;
class WindowRunner;

// The libraries the program loads beside itself the first time it needs them, each with one
// exported entry that hands out its service. Each keeps its own dependencies out of every run
// that does not use it: Qt for the boxes and windows, libcurl for the patcher's downloads,
// libpci for the status report's adapter name.

// The windowing library: its boxes and its mode windows.
struct Windowing {
    Dialogs* dialogs;
    WindowRunner* windows;
};
extern "C" Windowing* corvane_windowing();
inline constexpr const char* WindowingEntryName = "corvane_windowing";

// The download library.
extern "C" Downloader* corvane_download();
inline constexpr const char* DownloadEntryName = "corvane_download";

// The PCI ID database's names.
extern "C" PciNames* corvane_pci_names();
inline constexpr const char* PciNamesEntryName = "corvane_pci_names";
