#include "platform/AtomicFile.h"

#include "platform/RawIo.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"

namespace {

[[noreturn]] void raiseForErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: failure::raise(failure::PathNotFound);
        case EACCES:
        case EPERM:
        case EROFS: failure::raise(failure::PermissionDenied);
        default: failure::raise(failure::PathFileAccessError);
    }
}


// Makes the rename itself survive a crash; a folder that cannot be flushed changes nothing for the caller.
void flushFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string name = paths::fileNameOf(path);
    if (name.empty() || paths::endsWithSeparator(path)) failure::raise(failure::PathFileAccessError);
    std::string folder = paths::parentOf(path);
    if (folder.empty()) folder = ".";

    // A replaced file keeps its mode; a link at the target is replaced, so its target's mode does not count.
    mode_t mode = 0644;
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 07777;

    // Keep the temporary name within the usual 255-byte limit even for long target names.
    std::string stem = name.substr(0, 200);
    std::string temp = (folder == "/" ? folder : folder + "/") + stem + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) raiseForErrno(errno);

    int error = 0;
    if (!writeAll(fd, bytes)) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (!error && ::fchmod(fd, mode) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        raiseForErrno(error);
    }
    flushFolder(folder);
}
