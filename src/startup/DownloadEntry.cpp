#include "platform/Download.h"
#include "startup/Windowing.h"

extern "C" __attribute__((visibility("default"))) Downloader* corvane_download() {
    static CurlDownloader downloader;
    return &downloader;
}
