#pragma once
#include <string>

// Fetches one resource over plain HTTP into a file.
class Downloader {
public:
    struct Result {
        bool ok = false;
        std::string reason;  // why it failed, in a few words ("HTTP 404", "connection cut short", ...)
    };

    virtual ~Downloader() = default;

    // Blocks until done. The bytes go to destination + ".part", which is renamed to destination
    // only after a complete 2xx response; on failure the partial file is removed and an existing
    // destination is left as it was. Redirects are followed.
    virtual Result download(const std::string& url, const std::string& destination) = 0;
};

// libcurl's blocking interface: a connect timeout, and a stall timeout of 60 s without a byte.
class CurlDownloader : public Downloader {
public:
    Result download(const std::string& url, const std::string& destination) override;
};
