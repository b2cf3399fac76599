#include "platform/FileSystem.h"

#include "platform/RawIo.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ExeVersion.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"

namespace fso {

namespace {

namespace fs = std::filesystem;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now so the caller sees a failing close.
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    std::string parent = paths::parentOf(path);
    return parent.empty() ? "." : parent;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The classic number for a failed call. A missing entry is "file not found" when the caller
// names a file whose folder exists, "path not found" otherwise.
[[noreturn]] void raiseForErrno(int error, const std::string& path, bool namesFile) {
    switch (error) {
        case ENOENT:
            if (namesFile && isDirectory(folderOf(path))) failure::raise(failure::FileNotFound);
            failure::raise(failure::PathNotFound);
        case ENOTDIR: failure::raise(failure::PathNotFound);
        case EACCES:
        case EPERM:
        case EROFS: failure::raise(failure::PermissionDenied);
        case EEXIST: failure::raise(failure::FileAlreadyExists);
        default: failure::raise(failure::PathFileAccessError);
    }
}

// A regular file at the path (links followed), else the classic failure for a missing file.
struct stat statRegularFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) raiseForErrno(errno, path, true);
    if (!S_ISREG(st.st_mode)) failure::raise(failure::FileNotFound);
    return st;
}

// The file opened for reading, else the classic failure; anything but a regular file is not found.
int openRegular(const std::string& path, struct stat* info = nullptr) {
    ReadResult result;
    int fd = openRegularFile(path, result, info);
    if (result == ReadResult::NotRegular) failure::raise(failure::FileNotFound);
    if (fd < 0) raiseForErrno(errno, path, true);
    return fd;
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && paths::endsWithSeparator(path)) path.pop_back();
    return path;
}

// Copies everything from one descriptor to another: in the kernel where it can, else in large blocks.
bool copyContent(int from, int to) {
    for (;;) {
        ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0) return true;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        return false;
    }
    // Where the kernel cannot copy between these files, carry on from the offsets it reached.
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!writeAll(to, std::string_view(buffer.data(), std::size_t(n)))) return false;
    }
}

// Copies the content, gives the copy the source's mode and closes it; the error number, 0 on success.
int fillAndClose(const Descriptor& in, Descriptor& out, mode_t mode) {
    int error = 0;
    if (!copyContent(in.get(), out.get())) error = errno ? errno : EIO;
    if (!error && ::fchmod(out.get(), mode & 07777) != 0) error = errno;
    if (out.close() != 0 && !error) error = errno;
    return error;
}

// Gives the owner full access to every folder of the tree (links are not followed), so a
// read-only folder can be emptied.
void makeFoldersWritable(const std::string& folder, int depth) {
    struct stat st;
    if (depth > 256 || ::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    if ((st.st_mode & S_IRWXU) != S_IRWXU) ::chmod(folder.c_str(), (st.st_mode & 07777) | S_IRWXU);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string child = folder + "/" + name;
        struct stat cs;
        if (::lstat(child.c_str(), &cs) == 0 && S_ISDIR(cs.st_mode)) makeFoldersWritable(child, depth + 1);
    }
}

}  // namespace

// A File's path is the one the system knows it by, so a backslash in it is part of a name.
std::string File::Name() const { return paths::nativeFileNameOf(path); }

std::uint64_t File::Size() const { return std::uint64_t(statRegularFile(paths::resolve(path)).st_size); }

std::string File::ParentFolder() const { return paths::nativeParentOf(path); }

std::string Folder::ParentFolder() const { return paths::nativeParentOf(path); }

std::vector<File> Folder::Files() const {
    std::string folder = withoutTrailingSeparators(paths::resolve(path));
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) raiseForErrno(errno, folder, false);
    std::string prefix = folder == "/" ? folder : folder + "/";
    std::vector<File> files;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string full = prefix + entry->d_name;
        struct stat st;
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(File{full});
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.path < b.path; });
    return files;
}

Entry EntryAt(const std::string& path) {
    struct stat st;
    if (::lstat(paths::resolve(path).c_str(), &st) != 0) return Entry::None;
    if (S_ISREG(st.st_mode)) return Entry::RegularFile;
    return S_ISDIR(st.st_mode) ? Entry::Folder : Entry::Other;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(paths::resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) { return isDirectory(paths::resolve(path)); }

File GetFile(const std::string& path) {
    std::string resolved = paths::resolve(path);
    statRegularFile(resolved);
    return File{GetAbsolutePathName(resolved)};
}

Folder GetFolder(const std::string& path) {
    std::string resolved = paths::resolve(path);
    if (!isDirectory(resolved)) failure::raise(failure::PathNotFound);
    return Folder{GetAbsolutePathName(resolved)};
}

void CreateFolder(const std::string& path) {
    std::string resolved = paths::resolve(path);
    if (::mkdir(resolved.c_str(), 0777) != 0) raiseForErrno(errno, resolved, false);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    writeFileAtomically(paths::resolve(path), text);
}

std::string ReadAll(const std::string& path) {
    std::string resolved = paths::resolve(path);
    if (isDirectory(resolved)) failure::raise(failure::PathFileAccessError);
    Descriptor fd(openRegular(resolved));
    std::string content;
    if (!readRest(fd.get(), content)) raiseForErrno(errno, resolved, true);
    return content;
}

void DeleteFile(const std::string& path) {
    std::string resolved = paths::resolve(path);
    struct stat st;
    if (::lstat(resolved.c_str(), &st) != 0) raiseForErrno(errno, resolved, true);
    if (S_ISDIR(st.st_mode)) failure::raise(failure::FileNotFound);
    // Only the folder's permission matters for removal, so a read-only file goes as any other;
    // a link is removed itself, its target stays.
    if (::unlink(resolved.c_str()) != 0) raiseForErrno(errno, resolved, true);
}

void DeleteFolder(const std::string& path) {
    std::string resolved = withoutTrailingSeparators(paths::resolve(path));
    struct stat st;
    if (::lstat(resolved.c_str(), &st) != 0) raiseForErrno(errno, resolved, false);
    if (S_ISLNK(st.st_mode)) {
        // A link to a folder goes as a link: nothing outside it is touched.
        if (!isDirectory(resolved)) failure::raise(failure::PathNotFound);
        if (::unlink(resolved.c_str()) != 0) raiseForErrno(errno, resolved, false);
        return;
    }
    if (!S_ISDIR(st.st_mode)) failure::raise(failure::PathNotFound);
    makeFoldersWritable(resolved, 0);
    std::error_code ec;
    fs::remove_all(resolved, ec);
    if (ec) raiseForErrno(ec.value(), resolved, false);
}

void CopyFile(const std::string& source, const std::string& destination, bool overwrite) {
    std::string from = paths::resolve(source);
    struct stat sourceStat;
    Descriptor in(openRegular(from, &sourceStat));

    std::string target;
    std::string folder;
    if (paths::endsWithSeparator(destination)) {
        folder = withoutTrailingSeparators(paths::resolve(destination));
        target = paths::resolve((folder == "/" ? folder : folder + "/") + paths::fileNameOf(from));
    } else {
        target = paths::resolve(destination);
        folder = folderOf(target);
    }
    if (!isDirectory(folder)) failure::raise(failure::PathNotFound);

    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) {
        if (!overwrite) failure::raise(failure::FileAlreadyExists);
        if (S_ISDIR(existing.st_mode)) failure::raise(failure::PathFileAccessError);
        // Windows refuses to replace a read-only file; callers clear its attributes first.
        if (S_ISREG(existing.st_mode) && !(existing.st_mode & S_IWUSR)) failure::raise(failure::PermissionDenied);
        // Copying a file onto itself (also through a link or a second name) must not empty it.
        struct stat followed;
        if (::stat(target.c_str(), &followed) == 0 && followed.st_dev == sourceStat.st_dev &&
            followed.st_ino == sourceStat.st_ino)
            return;
    }

    std::string temp;
    Descriptor out(createReplacementFile(folder, paths::fileNameOf(target), temp));
    if (out.get() < 0) raiseForErrno(errno, temp, false);

    // Not flushed to disk, as the system's own copy does not: the rename alone keeps a reader from
    // ever seeing half a copy, and a flush per file would double the time of installing a patch.
    int error = fillAndClose(in, out, sourceStat.st_mode);
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        raiseForErrno(error, target, false);
    }
}

void MoveToNewFile(const std::string& source, const std::string& destination) {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) return;
    // Across file systems, or where the file system cannot rename without replacing: copy.
    if (errno != EXDEV && errno != EINVAL) raiseForErrno(errno, destination, false);
    struct stat sourceStat;
    Descriptor in(openRegular(source, &sourceStat));
    Descriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) raiseForErrno(errno, destination, false);
    if (int error = fillAndClose(in, out, sourceStat.st_mode)) {
        ::unlink(destination.c_str());
        raiseForErrno(error, destination, false);
    }
    if (::unlink(source.c_str()) != 0) raiseForErrno(errno, source, true);
}

void ClearAttributes(const std::string& path) {
    std::string resolved = paths::resolve(path);
    struct stat st;
    if (::stat(resolved.c_str(), &st) != 0) raiseForErrno(errno, resolved, true);
    mode_t wanted = (st.st_mode & 07777) | S_IRUSR | S_IWUSR;
    if (wanted != (st.st_mode & 07777) && ::chmod(resolved.c_str(), wanted) != 0) raiseForErrno(errno, resolved, true);
}

std::string GetFileVersion(const std::string& path) {
    std::string resolved = paths::resolve(path);
    statRegularFile(resolved);
    return exeVersionOfFile(resolved);
}

std::string GetAbsolutePathName(const std::string& path) {
    std::string resolved = paths::resolve(path);
    if (resolved.empty()) resolved = ".";
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(resolved), ec);
    if (ec) raiseForErrno(ec.value(), resolved, false);
    std::string normal = absolute.lexically_normal().string();
    // Only '/' separates here: a backslash the lookup kept is part of a name.
    while (normal.size() > 1 && normal.back() == paths::Separator) normal.pop_back();
    return normal;
}

}  // namespace fso
