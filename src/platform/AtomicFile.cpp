#include "platform/AtomicFile.h"

#include "platform/RawIo.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

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

constexpr std::string_view TempMark = ".tmp-";
constexpr std::size_t RandomLength = 6;  // the letters and digits mkstemp puts in place of XXXXXX
constexpr std::time_t StaleAfterSeconds = 10 * 60;

// Keeps the temporary name within the usual 255-byte limit even for long target names.
std::string stemOf(const std::string& name) { return name.substr(0, 200); }

bool isAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isTemporaryOf(std::string_view entry, std::string_view stem) {
    if (entry.size() != stem.size() + TempMark.size() + RandomLength) return false;
    if (!entry.starts_with(stem) || entry.substr(stem.size(), TempMark.size()) != TempMark) return false;
    for (char c : entry.substr(stem.size() + TempMark.size()))
        if (!isAlnum(c)) return false;
    return true;
}

// Names in a folder that look like temporary files, each folder read once per run: a patch writes
// thousands of files into one folder, and reading it again for each would cost more than the copies.
class Leftovers {
public:
    std::vector<std::string> take(const std::string& folder, const std::string& stem) {
        // Known by name and identity: a relative name means another folder after a change of the
        // working folder, and a new folder may get the number of one that was removed.
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0) return {};
        std::lock_guard<std::mutex> guard(mutex_);
        auto [it, fresh] = byFolder_.try_emplace(FolderKey{folder, st.st_dev, st.st_ino});
        if (fresh) it->second = candidatesIn(folder);
        std::vector<std::string> mine;
        std::erase_if(it->second, [&](const std::string& entry) {
            if (!isTemporaryOf(entry, stem)) return false;
            mine.push_back(entry);
            return true;
        });
        return mine;
    }

private:
    static std::vector<std::string> candidatesIn(const std::string& folder) {
        std::vector<std::string> names;
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
        if (!dir) return names;
        while (dirent* entry = ::readdir(dir.get())) {
            std::string_view name = entry->d_name;
            if (name.size() > TempMark.size() + RandomLength &&
                name.substr(name.size() - RandomLength - TempMark.size(), TempMark.size()) == TempMark)
                names.emplace_back(name);
        }
        return names;
    }

    using FolderKey = std::tuple<std::string, dev_t, ino_t>;
    std::mutex mutex_;
    std::map<FolderKey, std::vector<std::string>> byFolder_;
};

void removeStaleTemporaries(const std::string& folder, const std::string& stem) {
    static Leftovers leftovers;
    const std::time_t now = std::time(nullptr);
    for (const std::string& entry : leftovers.take(folder, stem)) {
        std::string path = (folder == "/" ? folder : folder + "/") + entry;
        struct stat st;
        // Only what mkstemp makes, a regular file, and only once no writer can still be at work on it.
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > StaleAfterSeconds)
            ::unlink(path.c_str());
    }
}

}  // namespace

int createReplacementFile(const std::string& folder, const std::string& name, std::string& tempPath) {
    std::string stem = stemOf(name);
    removeStaleTemporaries(folder, stem);
    tempPath = (folder == "/" ? folder : folder + "/") + stem + std::string(TempMark) + std::string(RandomLength, 'X');
    return ::mkostemp(tempPath.data(), O_CLOEXEC);
}

StagedFile::StagedFile(const std::string& path, std::string_view bytes) : path_(path) {
    std::string name = paths::fileNameOf(path);
    if (name.empty() || paths::endsWithSeparator(path)) failure::raise(failure::PathFileAccessError);
    folder_ = paths::parentOf(path);
    if (folder_.empty()) folder_ = ".";

    // A replaced file keeps its mode; a link at the target is replaced, so its target's mode does not count.
    mode_t mode = 0644;
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 07777;

    int fd = createReplacementFile(folder_, name, temp_);
    if (fd < 0) {
        temp_.clear();
        raiseForErrno(errno);
    }

    int error = 0;
    if (!writeAll(fd, bytes)) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (!error && ::fchmod(fd, mode) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (error) {
        ::unlink(temp_.c_str());
        temp_.clear();
        raiseForErrno(error);
    }
}

StagedFile::~StagedFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void StagedFile::commit() {
    if (temp_.empty()) failure::raise(failure::PathFileAccessError);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        int error = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        raiseForErrno(error);
    }
    temp_.clear();
    flushFolder(folder_);
}

void writeFileAtomically(const std::string& path, std::string_view bytes) { StagedFile(path, bytes).commit(); }
