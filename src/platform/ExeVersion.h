#pragma once
#include <string>
#include <string_view>

// Reads the fixed file version from the version resource of a PE32 or PE32+ executable,
// as "major.minor.build.private". Every offset is checked: anything malformed, truncated or
// without a version resource gives the empty text.
std::string exeVersionFromBytes(std::string_view image);
// The same for a file; the empty text when it cannot be read.
std::string exeVersionOfFile(const std::string& path);

// Whether the file begins as Windows executables do ("MZ"). Only a regular file is looked at;
// when it cannot be read, openError (if given) receives errno, else 0.
bool isWindowsExecutable(const std::string& path, int* openError = nullptr);
