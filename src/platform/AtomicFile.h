#pragma once
#include <string>
#include <string_view>

// Stored files are never half-written: the bytes go to a temporary file in the same folder,
// which is flushed and renamed over the target. Raises RuntimeFailure when that fails; the
// target is then unchanged. A link at the target is replaced, not followed.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// The temporary file that is to replace the file `name` in `folder`: "<name>.tmp-XXXXXX" beside
// it, created empty and open for writing. Returns its descriptor and sets `tempPath`; -1 with
// errno set on failure. A run killed mid-write leaves such files behind, so the ones of this
// pattern for the same target are removed first once they are older than ten minutes.
int createReplacementFile(const std::string& folder, const std::string& name, std::string& tempPath);
