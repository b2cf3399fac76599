#pragma once
#include <string>
#include <string_view>

// Stored files are never half-written: the bytes go to a temporary file in the same folder,
// which is flushed and renamed over the target. Raises RuntimeFailure when that fails; the
// target is then unchanged. A link at the target is replaced, not followed.
void writeFileAtomically(const std::string& path, std::string_view bytes);
