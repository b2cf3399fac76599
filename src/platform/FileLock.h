#pragma once
#include <string>

// An exclusive advisory lock held for a read-modify-write of a stored file. It lives on a file of
// its own beside the guarded one ("<file>.lock"), because the guarded file is replaced by a rename
// and a lock on it would go with the old file. Waits until the lock is free; closing releases it.
class FileLock {
public:
    explicit FileLock(const std::string& guardedPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked (a missing or read-only folder).
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
