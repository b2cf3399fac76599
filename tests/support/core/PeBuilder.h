#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Small but well-formed Windows executables for tests: headers, a one-instruction code section
// and, when a version is given, a resource section holding a full version resource
// (fixed file information, a string table with "FileVersion" and the translation list).
// Without a version the image has no resource section at all.
using PeVersion = std::array<std::uint16_t, 4>;

std::string buildPeExecutable(bool pe32plus, std::optional<PeVersion> version);

// Writes such an image to a file (creating its folders) and returns the path.
std::string writePeExecutable(const std::string& path, std::optional<PeVersion> version, bool pe32plus = false);

// "a.b.c.d", as the version reader reports it.
std::string versionText(const PeVersion& version);
