#pragma once
#include <string>
#include <string_view>
#include <sys/stat.h>

// Whole-file reads and full writes that raise nothing, for the stores that must tell a missing
// file from one they could not read.
enum class ReadResult { Ok, Missing, NotRegular, Failed };

// The one way this program opens a file for reading. The open does not block, so a pipe, a
// device or a socket at the path cannot hang a run; only a regular file (links followed) is
// accepted, and its descriptor is made blocking again. Returns the descriptor, or -1 with
// `result` telling why: Missing, NotRegular (a folder, pipe, device or socket), or Failed with
// errno kept. `info`, when given, receives the file's status.
int openRegularFile(const std::string& path, ReadResult& result, struct stat* info = nullptr);

// The whole content of a regular file.
ReadResult readWholeFile(const std::string& path, std::string& out);

// Appends what is left on the descriptor, at most `limit` bytes; false on a failed read (errno set).
bool readRest(int fd, std::string& out, std::size_t limit = std::string::npos);

// Writes every byte, retrying short writes and interruptions; false on failure (errno set).
bool writeAll(int fd, std::string_view bytes);
