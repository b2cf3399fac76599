#include "platform/Download.h"

// Written by the download helper.
Downloader::Result CurlDownloader::download(const std::string&, const std::string&) { return {false, "not built"}; }
