#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The file-system object services every part of the program uses. Failures are raised as
// RuntimeFailure with the classic numbers: 53 file not found, 76 path not found,
// 70 permission denied, 58 file already exists, 75 path/file access error.
namespace fso {

// A file that existed when it was looked up; its path is the resolved, full one.
struct File {
    std::string path;

    std::string Name() const;          // name with extension
    const std::string& Path() const { return path; }
    std::uint64_t Size() const;        // raises when the file has gone
    std::string ParentFolder() const;  // path of the containing folder
};

struct Folder {
    std::string path;

    const std::string& Path() const { return path; }
    std::string ParentFolder() const;
    // Regular files directly inside the folder, sorted by name; links and subfolders are left out.
    std::vector<File> Files() const;
};

// What stands at the path itself: a link is Other, whatever it points to (or not).
enum class Entry { None, RegularFile, Folder, Other };
Entry EntryAt(const std::string& path);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
File GetFile(const std::string& path);      // 53 when missing
Folder GetFolder(const std::string& path);  // 76 when missing
void CreateFolder(const std::string& path); // one level; 58 when it exists, 76 when the parent is missing

// Writes a whole text file (bytes as given) through a temporary file and a rename.
void WriteTextFile(const std::string& path, const std::string& text);
// The whole content of a file; 53 when missing or not a regular file (a pipe is never waited on).
std::string ReadAll(const std::string& path);

// Deletes a file, also a read-only one; 53 when missing.
void DeleteFile(const std::string& path);
// Deletes a folder with everything in it, read-only content included; 76 when missing.
void DeleteFolder(const std::string& path);

// Copies a file. A destination that ends with a separator names a folder and the copy keeps
// the file's name. With overwrite an existing file is replaced through a temporary file and
// a rename, never written through a link; a read-only destination fails with 70. A source that
// is not a regular file fails with 53.
void CopyFile(const std::string& source, const std::string& destination, bool overwrite = true);

// Moves a file to a name where nothing stands yet, never replacing anything nor writing through
// a link (58 when something stands there): within one file system it is renamed, across file
// systems copied with its mode and then deleted; a failed copy leaves no file. Both paths are
// taken exactly as given, without the case-insensitive lookup.
void MoveToNewFile(const std::string& source, const std::string& destination);

// Attributes set to 0: clears the read-only mark (the owner may write again).
void ClearAttributes(const std::string& path);

// Version resource of a Windows executable as "a.b.c.d"; the empty text when the file has
// none or is not a valid executable; 53 when the file is missing.
std::string GetFileVersion(const std::string& path);

// The full, normalised path ("." and ".." folded, relative paths taken from the working folder).
std::string GetAbsolutePathName(const std::string& path);

}  // namespace fso
