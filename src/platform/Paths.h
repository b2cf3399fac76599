#pragma once
#include <string>

// Path handling for names the program writes the Windows way ("\config.cfg", "\Maps\Test\").
namespace paths {

constexpr char Separator = '/';

// The name with every backslash turned into the native separator.
std::string native(const std::string& windowsName);

// base followed by the name in native form; nothing is added or removed between them,
// so "\config.cfg" after a folder gives exactly one separator.
std::string join(const std::string& base, const std::string& windowsName);

// Game folders on Linux come in mixed case while the program names files as Windows does:
// the exact path when it exists, else each missing component matched without regard to case.
// Components that match nothing are kept as given, so the result names where a new file goes.
// Every lookup of a file, its check and its start alike, goes through here, so both find the
// same file: a name that stands as written is never read the Windows way.
std::string resolve(const std::string& path);

// The folder part and the last component of a path ("" when there is none).
std::string parentOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// The same for a path the system handed back, in which a backslash is part of a name.
std::string nativeParentOf(const std::string& path);
std::string nativeFileNameOf(const std::string& path);

// True when the text ends with a separator of either kind.
bool endsWithSeparator(const std::string& path);

}  // namespace paths
