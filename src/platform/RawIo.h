#pragma once
#include <string>
#include <string_view>

// Whole-file reads and full writes that raise nothing, for the stores that must tell a missing
// file from one they could not read.
enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& path, std::string& out);

// Writes every byte, retrying short writes and interruptions; false on failure (errno set).
bool writeAll(int fd, std::string_view bytes);
