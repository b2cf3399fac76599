#pragma once
#include <cstdint>
#include <string>

// Fetches one resource over plain HTTP into a file.
class Downloader {
public:
    struct Result {
        bool ok = false;
        std::string reason;  // why it failed, in a few words ("HTTP 404", "connection cut short", ...)
    };

    virtual ~Downloader() = default;

    // Blocks until done. The bytes go to destination + ".part", created afresh (a leftover file
    // or link of that name is removed first, never written through), which is renamed over
    // destination only after a complete 2xx response; a link standing at destination is replaced,
    // not followed. On failure the partial file is removed and an existing destination is left as
    // it was. Redirects are followed.
    virtual Result download(const std::string& url, const std::string& destination) = 0;
};

// libcurl's blocking interface, bounded so that a download always ends: a connect timeout, a
// speed floor and a size ceiling.
class CurlDownloader : public Downloader {
public:
    struct Limits {
        // Slower than this many bytes a second, over the whole window, and the transfer is given up.
        long floorBytesPerSecond = 1024;
        long floorSeconds = 60;
        // Larger than this, announced or received, and the transfer is given up.
        std::int64_t ceilingBytes = std::int64_t(1) << 30;
    };

    CurlDownloader() = default;
    // Tests bring the limits within a test's reach.
    explicit CurlDownloader(Limits limits) : limits_(limits) {}

    Result download(const std::string& url, const std::string& destination) override;

private:
    Limits limits_;
};
