#include "platform/Download.h"
#include "platform/pci/LibPciNames.h"
#include "startup/ModeWindows.h"
#include "startup/Windowing.h"
#include "ui/Dialogs.h"

extern "C" __attribute__((visibility("default"))) Windowing* corvane_windowing() {
    static QtDialogs dialogs;
    static ModeWindows windows;
    static CurlDownloader downloader;
    static LibPciNames pciNames;
    static Windowing windowing{&dialogs, &windows, &downloader, &pciNames};
    return &windowing;
}
