#include "platform/Download.h"

#include <curl/curl.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/RawIo.h"

namespace {

constexpr const char* cutShort = "the connection was cut short";

// libcurl wants one global initialisation before any handle; a local static makes it thread-safe.
bool curlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

std::string cannotWrite(const std::string& path, int error) { return "cannot write " + path + ": " + strerror(error); }

// "1 GiB", "2 MiB", "1536 bytes": the limits read as they were set.
std::string sizeText(std::int64_t bytes) {
    const std::pair<std::int64_t, const char*> units[] = {{std::int64_t(1) << 30, "GiB"}, {1 << 20, "MiB"}, {1 << 10, "KiB"}};
    for (const auto& [unit, name] : units)
        if (bytes >= unit && bytes % unit == 0) return std::to_string(bytes / unit) + " " + name;
    return std::to_string(bytes) + " bytes";
}

std::string tooLarge(const CurlDownloader::Limits& limits) {
    return "the file is larger than " + sizeText(limits.ceilingBytes);
}

std::string tooSlow(const CurlDownloader::Limits& limits) {
    return "the transfer ran slower than " + std::to_string(limits.floorBytesPerSecond) + " bytes/s for " +
           std::to_string(limits.floorSeconds) + " s";
}

struct Sink {
    int fd = -1;
    curl_off_t written = 0;
    curl_off_t ceiling = 0;
    int error = 0;          // errno of a failed write; the transfer is then aborted
    bool overflow = false;  // the body grew past the ceiling; the transfer is then aborted
};

size_t writeToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    // curl checks the ceiling against an announced length only; a body without one, or one
    // longer than announced, is stopped here before it can fill the disk.
    if (static_cast<curl_off_t>(bytes) > sink->ceiling - sink->written) {
        sink->overflow = true;
        return 0;
    }
    if (!writeAll(sink->fd, std::string_view(data, bytes))) {
        sink->error = errno;
        return 0;  // any short count makes curl stop with CURLE_WRITE_ERROR
    }
    sink->written += static_cast<curl_off_t>(bytes);
    return bytes;
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// Runs the transfer into the open file; an empty reason means a complete 2xx body arrived.
std::string transfer(const std::string& url, Sink& sink, const std::string& part, const CurlDownloader::Limits& limits) {
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) return curl_easy_strerror(CURLE_FAILED_INIT);
    CURL* h = curl.get();

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    // Only web addresses: a file:// or other scheme, directly or through a redirect, is refused.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
    // A trickle would keep the window frozen for ever, and an endless body would fill the disk.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, limits.floorBytesPerSecond);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, limits.floorSeconds);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.ceilingBytes));
    // The status is checked below, so the reason can name it.
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToSink);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    CURLcode rc = curl_easy_perform(h);
    if (sink.error) return cannotWrite(part, sink.error);
    if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED) return tooLarge(limits);
    if (rc == CURLE_PARTIAL_FILE) return cutShort;
    if (rc == CURLE_OPERATION_TIMEDOUT) {
        // No overall timeout is set: once connected, only the speed floor times a transfer out.
        curl_off_t connected = 0;
        curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connected);
        if (connected > 0) return tooSlow(limits);
    }
    if (rc != CURLE_OK) return curl_easy_strerror(rc);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return "HTTP " + std::to_string(status);

    // -1 when the server announced no length; then the closed connection is the only end mark.
    curl_off_t announced = -1;
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced >= 0 && announced != sink.written) return cutShort;
    return {};
}

Downloader::Result fetch(const std::string& url, const std::string& destination, const CurlDownloader::Limits& limits) {
    if (!curlReady()) return {false, curl_easy_strerror(CURLE_FAILED_INIT)};

    const std::string part = destination + ".part";
    // A leftover of an earlier run, file or link, is removed, and the new file created afresh:
    // nothing is ever written through a link someone left at this name. Should another one
    // appear in between, the exclusive create fails instead of following it.
    ::unlink(part.c_str());
    Sink sink;
    sink.ceiling = static_cast<curl_off_t>(limits.ceilingBytes);
    sink.fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (sink.fd < 0) return {false, cannotWrite(part, errno)};

    std::string reason;
    try {
        reason = transfer(url, sink, part, limits);
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (reason.empty() && ::fsync(sink.fd) != 0) reason = cannotWrite(part, errno);
    if (::close(sink.fd) != 0 && reason.empty()) reason = cannotWrite(part, errno);
    // rename replaces whatever stands at the destination, a link included, and follows nothing.
    if (reason.empty() && ::rename(part.c_str(), destination.c_str()) != 0) reason = cannotWrite(destination, errno);
    if (!reason.empty()) {
        ::unlink(part.c_str());
        return {false, reason};
    }
    return {true, {}};
}

}  // namespace

Downloader::Result CurlDownloader::download(const std::string& url, const std::string& destination) {
    // Callers get a reason, never an exception: only memory exhaustion could throw here.
    try {
        return fetch(url, destination, limits_);
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
}
