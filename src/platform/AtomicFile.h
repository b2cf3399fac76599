#pragma once
#include <string>
#include <string_view>

// Stored files are never half-written: the bytes go to a temporary file in the same folder,
// which is flushed and renamed over the target. Raises RuntimeFailure when that fails; the
// target is then unchanged. A link at the target is replaced, not followed.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// The same in two steps, for a caller that must write something else between them: the
// constructor writes and flushes the whole temporary file, commit() renames it over the target.
// Dropped without a commit (or after a failed one), the temporary file is removed. Both steps
// raise RuntimeFailure; the target stays unchanged until the commit succeeds.
class StagedFile {
public:
    StagedFile(const std::string& path, std::string_view bytes);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void commit();

private:
    std::string path_, folder_, temp_;
};

// The temporary file that is to replace the file `name` in `folder`: "<name>.tmp-XXXXXX" beside
// it, created empty and open for writing. Returns its descriptor and sets `tempPath`; -1 with
// errno set on failure. A run killed mid-write leaves such files behind, so the ones of this
// pattern for the same target are removed first once they are older than ten minutes.
int createReplacementFile(const std::string& folder, const std::string& name, std::string& tempPath);
