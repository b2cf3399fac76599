#include "platform/RawIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes a descriptor that is not handed out, keeping the errno that explains why.
int refuse(int fd, ReadResult why, ReadResult& result) {
    int error = errno;
    ::close(fd);
    errno = error;
    result = why;
    return -1;
}

}  // namespace

int openRegularFile(const std::string& path, ReadResult& result, struct stat* info) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result = (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) return refuse(fd, ReadResult::Failed, result);
    if (!S_ISREG(st.st_mode)) return refuse(fd, ReadResult::NotRegular, result);
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return refuse(fd, ReadResult::Failed, result);
    if (info) *info = st;
    result = ReadResult::Ok;
    return fd;
}

bool readRest(int fd, std::string& out, std::size_t limit) {
    char buf[65536];
    std::size_t got = 0;
    while (got < limit) {
        std::size_t want = limit - got < sizeof buf ? limit - got : sizeof buf;
        ssize_t n = ::read(fd, buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        got += static_cast<std::size_t>(n);
    }
    return true;
}

ReadResult readWholeFile(const std::string& path, std::string& out) {
    ReadResult result;
    struct stat st;
    int fd = openRegularFile(path, result, &st);
    if (fd < 0) return result;
    out.clear();
    out.reserve(static_cast<std::size_t>(st.st_size));
    bool ok = readRest(fd, out);
    int error = errno;
    ::close(fd);
    errno = error;
    return ok ? ReadResult::Ok : ReadResult::Failed;
}

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}
