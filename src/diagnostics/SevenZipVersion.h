#pragma once
#include <string>

class Shell;

// The version number of a 7-Zip banner: on the first line that holds "7-Zip", the first word
// made of numbers joined by "." ("16.02" in "7-Zip (a) [64] 16.02 : Copyright ..."); the empty
// text when that line has none, or no line holds "7-Zip".
std::string SevenZipBannerVersion(const std::string& output);

// The version of the 7-Zip console program at this path. A Windows executable gives its file
// version; the pack's stand-in on Linux, a script that runs the system's 7-Zip, carries none, so
// it is run without arguments and its banner read (it is ended if it takes too long). Missing,
// not a regular file, or not runnable: the empty text.
std::string SevenZipVersion(Shell& shell, const std::string& path);
