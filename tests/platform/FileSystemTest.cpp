#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeFailure.h"
#include "support/core/Failures.h"
#include "support/core/PeBuilder.h"
#include "support/core/TempDir.h"

namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return st.st_mode;
}

void setMode(const std::string& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path; }

bool isLink(const std::string& path) { return S_ISLNK(modeOf(path)); }

struct stat lstatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A scratch folder in memory, which is another file system than the usual temporary folder.
class MemoryDir {
public:
    MemoryDir() {
        std::string pattern = "/dev/shm/corvane-test-XXXXXX";
        if (fs::is_directory("/dev/shm") && ::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~MemoryDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Names left in a folder that look like our temporary files.
std::vector<std::string> temporariesIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(entry.path());
    return found;
}

bool runningAsRoot() { return ::geteuid() == 0; }

// Bytes a text editor would mangle: zeros, CR LF, high bytes.
const std::string MapBytes = std::string("HM3W\0\0\0\0\r\n\xFF\xFE map\n", 18);

}  // namespace

TEST(FileSystem, CopiesFiles) {
    struct Case {
        const char* what;
        std::function<void(TempDir&)> prepare;
        std::string source, destination;
        bool overwrite;
        int failure;
        std::string copyAt;  // where the copy must be when it succeeds
    } cases[] = {
        {"to a new name", nullptr, "src/Arena.w3x", "dest/Copy.w3x", true, 0, "dest/Copy.w3x"},
        {"over an existing file", [](TempDir& d) { d.write("dest/Arena.w3x", "old"); },
         "src/Arena.w3x", "dest/Arena.w3x", true, 0, "dest/Arena.w3x"},
        {"into a folder named with '/'", nullptr, "src/Arena.w3x", "dest/", true, 0, "dest/Arena.w3x"},
        {"into a folder named with '\\'", nullptr, "src/Arena.w3x", "dest\\", true, 0, "dest/Arena.w3x"},
        {"into a folder in other letter case", nullptr, "SRC/arena.W3X", "DEST/", true, 0, "dest/Arena.w3x"},
        {"over a file in other letter case", [](TempDir& d) { d.write("dest/ARENA.w3x", "old"); },
         "src/Arena.w3x", "dest/arena.w3x", true, 0, "dest/ARENA.w3x"},
        {"existing without overwrite", [](TempDir& d) { d.write("dest/Arena.w3x", "old"); },
         "src/Arena.w3x", "dest/Arena.w3x", false, 58, ""},
        {"over a read-only file",
         [](TempDir& d) { d.write("dest/Arena.w3x", "old"); setMode(d.file("dest/Arena.w3x"), 0444); },
         "src/Arena.w3x", "dest/Arena.w3x", true, 70, ""},
        {"over a folder", [](TempDir& d) { d.mkdir("dest/Arena.w3x"); }, "src/Arena.w3x", "dest/Arena.w3x", true, 75, ""},
        {"missing source", nullptr, "src/Nothing.w3x", "dest/Copy.w3x", true, 53, ""},
        {"into a missing folder", nullptr, "src/Arena.w3x", "nowhere/", true, 76, ""},
        {"to a name in a missing folder", nullptr, "src/Arena.w3x", "nowhere/Copy.w3x", true, 76, ""},
    };
    for (const Case& c : cases) {
        TempDir d;
        d.write("src/Arena.w3x", MapBytes);
        d.mkdir("dest");
        if (c.prepare) c.prepare(d);
        std::string before = d.exists("dest/Arena.w3x") && !fs::is_directory(d.file("dest/Arena.w3x"))
                                 ? d.read("dest/Arena.w3x") : "";

        EXPECT_EQ(failureOf([&] { fso::CopyFile(d.file(c.source), d.file(c.destination), c.overwrite); }), c.failure)
            << c.what;
        if (c.failure == 0) {
            EXPECT_EQ(d.read(c.copyAt), MapBytes) << c.what;
        } else if (!before.empty()) {
            EXPECT_EQ(d.read("dest/Arena.w3x"), before) << c.what << ": the refused target changed";
        }
        EXPECT_EQ(d.read("src/Arena.w3x"), MapBytes) << c.what;
        EXPECT_TRUE(temporariesIn(d.file("dest")).empty()) << c.what;
    }
}

TEST(FileSystem, CopyNeverWritesThroughLinksOrOntoItself) {
    struct Case {
        const char* what;
        // Prepares the folder and gives the destination to copy "game/War3.mpq" to.
        std::function<std::string(TempDir&)> prepare;
        const char* onDisk;  // the entry that destination names
    } cases[] = {
        {"the same path", [](TempDir& d) { return d.file("game/War3.mpq"); }, "game/War3.mpq"},
        {"the same file in other letter case", [](TempDir& d) { return d.file("GAME/war3.MPQ"); }, "game/War3.mpq"},
        {"a second name of the file",
         [](TempDir& d) {
             fs::create_hard_link(d.file("game/War3.mpq"), d.file("game/Hard.mpq"));
             return d.file("game/Hard.mpq");
         },
         "game/Hard.mpq"},
        {"a link to the file",
         [](TempDir& d) {
             fs::create_symlink(d.file("game/War3.mpq"), d.file("game/Link.mpq"));
             return d.file("game/Link.mpq");
         },
         "game/Link.mpq"},
    };
    for (const Case& c : cases) {
        TempDir d;
        d.write("game/War3.mpq", MapBytes);
        std::string destination = c.prepare(d);
        const struct stat before = lstatOf(d.file(c.onDisk));
        EXPECT_EQ(failureOf([&] { fso::CopyFile(d.file("game/War3.mpq"), destination, true); }), 0) << c.what;
        EXPECT_EQ(d.read("game/War3.mpq"), MapBytes) << c.what;
        // Nothing was replaced: the second name and the link still lead to the one file.
        const struct stat after = lstatOf(d.file(c.onDisk));
        EXPECT_EQ(after.st_ino, before.st_ino) << c.what;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
    }

    // A link at the destination is replaced by the copy; what it pointed to is left alone.
    TempDir d;
    d.write("src/new.cfg", "new");
    d.write("elsewhere/victim.cfg", "precious");
    d.mkdir("dest");
    fs::create_symlink(d.file("elsewhere/victim.cfg"), d.file("dest/config.cfg"));
    fso::CopyFile(d.file("src/new.cfg"), d.file("dest/config.cfg"), true);
    EXPECT_FALSE(isLink(d.file("dest/config.cfg")));
    EXPECT_EQ(d.read("dest/config.cfg"), "new");
    EXPECT_EQ(d.read("elsewhere/victim.cfg"), "precious");
}

TEST(FileSystem, CopyKeepsLargeContentAndPermissionBits) {
    TempDir d;
    // Larger than any single transfer block, with an odd size and position-dependent bytes.
    std::string big(3 * 1024 * 1024 + 4099, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = char((i * 131 + i / 4096) & 0xFF);
    d.write("src/big.mpq", big);
    setMode(d.file("src/big.mpq"), 0750);
    d.mkdir("dest");
    fso::CopyFile(d.file("src/big.mpq"), d.file("dest/"), true);
    EXPECT_TRUE(d.read("dest/big.mpq") == big);
    EXPECT_EQ(modeOf(d.file("dest/big.mpq")) & 07777, 0750u);

    // Between file systems the kernel may refuse to copy by itself; the content must still arrive whole.
    MemoryDir memory;
    if (!memory.path().empty()) {
        writeFile(memory.path() + "/big.mpq", big);
        fso::CopyFile(memory.path() + "/big.mpq", d.file("dest/from-memory.mpq"), true);
        EXPECT_TRUE(d.read("dest/from-memory.mpq") == big);
        fso::CopyFile(d.file("src/big.mpq"), memory.path() + "/", true);
        EXPECT_TRUE(readFile(memory.path() + "/big.mpq") == big);
    }

    // A read-only source gives a read-only copy, which only a cleared copy can replace.
    setMode(d.file("src/big.mpq"), 0444);
    d.write("src/small.mpq", "small");
    fso::CopyFile(d.file("src/big.mpq"), d.file("dest/ro.mpq"), true);
    EXPECT_EQ(modeOf(d.file("dest/ro.mpq")) & 07777, 0444u);
    EXPECT_EQ(failureOf([&] { fso::CopyFile(d.file("src/small.mpq"), d.file("dest/ro.mpq"), true); }), 70);
    fso::ClearAttributes(d.file("dest/ro.mpq"));
    fso::CopyFile(d.file("src/small.mpq"), d.file("dest/ro.mpq"), true);
    EXPECT_EQ(d.read("dest/ro.mpq"), "small");
}

TEST(FileSystem, MovesOnlyToANameWhereNothingStands) {
    struct Case {
        const char* what;
        std::function<void(TempDir&)> prepare;  // what stands around "game/War3.mpq"
        int failure;
    } cases[] = {
        {"nothing", [](TempDir&) {}, 0},
        {"only another letter case", [](TempDir& d) { d.write("game/WAR3.MPQ", "other"); }, 0},
        {"a file", [](TempDir& d) { d.write("game/War3.mpq", "other"); }, 58},
        {"a link",
         [](TempDir& d) {
             d.write("elsewhere/victim", "other");
             fs::create_symlink(d.file("elsewhere/victim"), d.file("game/War3.mpq"));
         },
         58},
    };
    // Renamed within one file system, copied from another.
    MemoryDir memory;
    for (const bool across : {false, true}) {
        if (across && memory.path().empty()) continue;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (across ? ", across file systems" : ""));
            TempDir d;
            d.mkdir("game");
            c.prepare(d);
            const std::string source = across ? memory.path() + "/unpacked.mpq" : d.file("unpacked.mpq");
            writeFile(source, MapBytes);
            setMode(source, 0640);
            EXPECT_EQ(failureOf([&] { fso::MoveToNewFile(source, d.file("game/War3.mpq")); }), c.failure);
            EXPECT_EQ(fs::exists(source), c.failure != 0);
            for (const char* other : {"game/WAR3.MPQ", "elsewhere/victim"}) {
                if (d.exists(other)) {
                    EXPECT_EQ(d.read(other), "other");
                }
            }
            if (c.failure) continue;
            EXPECT_EQ(d.read("game/War3.mpq"), MapBytes);
            EXPECT_EQ(modeOf(d.file("game/War3.mpq")) & 07777, 0640u);
        }
    }
}

TEST(FileSystem, DeletesFilesAndFolders) {
    TempDir d;
    d.write("game/ReadOnly.txt", "x");
    setMode(d.file("game/ReadOnly.txt"), 0444);
    d.write("outside/keep.txt", "keep");
    fs::create_symlink(d.file("outside/keep.txt"), d.file("game/link.txt"));
    d.mkdir("game/folder");

    struct FileCase {
        const char* what;
        std::string path;
        int failure;
    } files[] = {
        {"a read-only file, named in other letter case", d.file("GAME/readonly.TXT"), 0},
        {"a link", d.file("game/link.txt"), 0},
        {"a missing file", d.file("game/none.txt"), 53},
        {"a file in a missing folder", d.file("nowhere/none.txt"), 76},
        {"a folder", d.file("game/folder"), 53},
    };
    for (const FileCase& c : files) EXPECT_EQ(failureOf([&] { fso::DeleteFile(c.path); }), c.failure) << c.what;
    EXPECT_FALSE(d.exists("game/ReadOnly.txt"));
    EXPECT_FALSE(isLink(d.file("game/link.txt")));
    EXPECT_EQ(d.read("outside/keep.txt"), "keep");

    // A tree with read-only folders and files, and a link leading out of it.
    d.write("tree/a/b/deep.txt", "deep");
    d.write("tree/a/ro.txt", "ro");
    setMode(d.file("tree/a/ro.txt"), 0444);
    setMode(d.file("tree/a/b"), 0555);
    setMode(d.file("tree/a"), 0555);
    fs::create_directory_symlink(d.file("outside"), d.file("tree/out"));
    struct FolderCase {
        const char* what;
        std::string path;
        int failure;
    } folders[] = {
        {"a read-only tree, named in other letter case", d.file("TREE/"), 0},
        {"a missing folder", d.file("nowhere"), 76},
        {"a file", d.file("outside/keep.txt"), 76},
    };
    for (const FolderCase& c : folders) EXPECT_EQ(failureOf([&] { fso::DeleteFolder(c.path); }), c.failure) << c.what;
    EXPECT_FALSE(d.exists("tree"));
    EXPECT_EQ(d.read("outside/keep.txt"), "keep");
}

TEST(FileSystem, ListsOnlyRegularFilesOfAFolder) {
    TempDir d;
    d.write("maps/b.w3x", "b");
    d.write("maps/A.w3m", "a");
    d.write("maps/sub/inner.w3x", "inner");
    d.write("other.w3x", "o");
    fs::create_symlink(d.file("other.w3x"), d.file("maps/link.w3x"));
    fs::create_symlink(d.file("gone.w3x"), d.file("maps/dangling.w3x"));
    fs::create_directory_symlink(d.file("maps/sub"), d.file("maps/sublink"));

    std::vector<std::string> names;
    for (const fso::File& f : fso::GetFolder(d.file("Maps")).Files()) {
        names.push_back(f.Name());
        EXPECT_EQ(f.ParentFolder(), d.file("maps"));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.w3m", "b.w3x"}));
    EXPECT_EQ(failureOf([&] { fso::Folder{d.file("missing")}.Files(); }), 76);
}

TEST(FileSystem, TellsFilesFromFolders) {
    TempDir d;
    d.write("Game/War3.exe", "exe");
    d.mkdir("Game/Maps");
    fs::create_symlink(d.file("Game/War3.exe"), d.file("Game/exe-link"));
    fs::create_directory_symlink(d.file("Game/Maps"), d.file("Game/maps-link"));
    fs::create_symlink(d.file("Game/gone"), d.file("Game/dangling"));

    struct Case {
        const char* name;
        bool file, folder;
    } cases[] = {
        {"Game/War3.exe", true, false}, {"game/WAR3.EXE", true, false}, {"Game/Maps", false, true},
        {"GAME/maps/", false, true},    {"Game/exe-link", true, false}, {"Game/maps-link", false, true},
        {"Game/dangling", false, false}, {"Game/none", false, false},   {"none/War3.exe", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fso::FileExists(d.file(c.name)), c.file) << c.name;
        EXPECT_EQ(fso::FolderExists(d.file(c.name)), c.folder) << c.name;
    }
}

TEST(FileSystem, RaisesTheClassicNumbers) {
    TempDir d;
    d.write("game/war3.cfg", "cfg");
    d.mkdir("game/Maps");
    struct Case {
        const char* what;
        std::function<void()> call;
        int failure;
    } cases[] = {
        {"GetFile of a missing file", [&] { fso::GetFile(d.file("game/none")); }, 53},
        {"GetFile of a folder", [&] { fso::GetFile(d.file("game/Maps")); }, 53},
        {"GetFolder of a missing folder", [&] { fso::GetFolder(d.file("game/none")); }, 76},
        {"GetFolder of a file", [&] { fso::GetFolder(d.file("game/war3.cfg")); }, 76},
        {"CreateFolder of an existing one", [&] { fso::CreateFolder(d.file("game/maps")); }, 58},
        {"CreateFolder in a missing folder", [&] { fso::CreateFolder(d.file("none/new")); }, 76},
        {"ReadAll of a missing file", [&] { fso::ReadAll(d.file("game/none")); }, 53},
        {"ReadAll in a missing folder", [&] { fso::ReadAll(d.file("none/war3.cfg")); }, 76},
        {"ClearAttributes of a missing file", [&] { fso::ClearAttributes(d.file("game/none")); }, 53},
        {"GetFileVersion of a missing file", [&] { fso::GetFileVersion(d.file("game/war3.exe")); }, 53},
        {"Size of a file that has gone", [&] { fso::File{d.file("game/gone")}.Size(); }, 53},
    };
    for (const Case& c : cases) EXPECT_EQ(failureOf(c.call), c.failure) << c.what;
}

TEST(FileSystem, FindsFilesAndTheirDetails) {
    TempDir d;
    d.write("Game/Save/Arena.w3z", MapBytes);
    writePeExecutable(d.file("Game/War3.exe"), PeVersion{1, 26, 0, 6401});

    fso::File file = fso::GetFile(d.file("game/save/ARENA.w3z"));
    EXPECT_EQ(file.Path(), d.file("Game/Save/Arena.w3z"));
    EXPECT_EQ(file.Name(), "Arena.w3z");
    EXPECT_EQ(file.ParentFolder(), d.file("Game/Save"));
    EXPECT_EQ(file.Size(), MapBytes.size());
    EXPECT_EQ(fso::ReadAll(d.file("GAME/save/arena.W3Z")), MapBytes);
    EXPECT_EQ(fso::GetFolder(d.file("game/save/")).Path(), d.file("Game/Save"));
    EXPECT_EQ(fso::GetFileVersion(d.file("game/war3.exe")), "1.26.0.6401");
    EXPECT_EQ(fso::GetFileVersion(d.file("Game/Save/Arena.w3z")), "");

    fso::CreateFolder(d.file("game/New"));
    EXPECT_TRUE(fs::is_directory(d.file("Game/New")));
}

TEST(FileSystem, MakesAbsolutePaths) {
    TempDir d;
    d.mkdir("Game/Maps");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(d.file("Game").c_str()), 0);
    struct Case {
        std::string path, expected;
    } cases[] = {
        {"/", "/"},
        {"/a/./b/../c/", "/a/c"},
        {"//x//y", "/x/y"},
        {"maps", d.file("Game/Maps")},
        {"./Maps/../Maps/Test/", d.file("Game/Maps/Test")},
        {"..", d.path()},
        {"", d.file("Game")},
        {"\\Maps\\new.w3x", "/Maps/new.w3x"},
    };
    for (const Case& c : cases) EXPECT_EQ(fso::GetAbsolutePathName(c.path), c.expected) << c.path;
    ASSERT_EQ(chdir(previous), 0);
}

TEST(FileSystem, WritesFilesWholeOrNotAtAll) {
    TempDir d;
    // New files and replaced ones get the bytes exactly; a replaced file keeps its mode.
    fso::WriteTextFile(d.file("new.lua"), "a\r\nb\r\n");
    EXPECT_EQ(d.read("new.lua"), "a\r\nb\r\n");
    EXPECT_EQ(modeOf(d.file("new.lua")) & 07777, 0644u);
    d.write("Private.cfg", "old");
    setMode(d.file("Private.cfg"), 0600);
    fso::WriteTextFile(d.file("private.CFG"), MapBytes);
    EXPECT_EQ(d.read("Private.cfg"), MapBytes);
    EXPECT_EQ(modeOf(d.file("Private.cfg")) & 07777, 0600u);

    // A link at the target is replaced, never written through.
    d.write("victim.txt", "precious");
    fs::create_symlink(d.file("victim.txt"), d.file("link.cfg"));
    writeFileAtomically(d.file("link.cfg"), "new");
    EXPECT_FALSE(isLink(d.file("link.cfg")));
    EXPECT_EQ(d.read("link.cfg"), "new");
    EXPECT_EQ(d.read("victim.txt"), "precious");

    d.mkdir("busy/settings.cfg");
    d.write("plain", "a file where a folder belongs");
    d.mkdir("locked");
    struct Case {
        const char* what;
        std::string path, folder;
        int failure;
        bool needsPermissionChecks;
    } cases[] = {
        {"a folder at the target", d.file("busy/settings.cfg"), d.file("busy"), 75, false},
        {"a missing folder", d.file("none/settings.cfg"), d.path(), 76, false},
        {"a file where the folder should be", d.file("plain/settings.cfg"), d.path(), 76, false},
        {"a read-only folder", d.file("locked/settings.cfg"), d.file("locked"), 70, true},
    };
    for (const Case& c : cases) {
        if (c.needsPermissionChecks && runningAsRoot()) continue;  // root writes anywhere
        if (c.needsPermissionChecks) setMode(c.folder, 0555);
        EXPECT_EQ(failureOf([&] { writeFileAtomically(c.path, "text"); }), c.failure) << c.what;
        if (c.needsPermissionChecks) setMode(c.folder, 0755);
        EXPECT_TRUE(temporariesIn(c.folder).empty()) << c.what;
    }
    EXPECT_TRUE(fs::is_directory(d.file("busy/settings.cfg")));
    EXPECT_TRUE(temporariesIn(d.path()).empty());
}

// Runs killed mid-write leave "<name>.tmp-XXXXXX" files behind; the next replacement of the same
// file removes those that no writer can still be at work on, and nothing else.
TEST(FileSystem, ReplacingAFileRemovesItsStaleTemporaries) {
    struct Leftover {
        std::string suffix;  // after the target's name (or before it, for another target)
        int ageMinutes;
        bool removed;
    } leftovers[] = {
        {".tmp-a1B2c3", 11, true},          {".tmp-Zz9Yy8", 60 * 24 * 30, true}, {".tmp-q1w2e3", 9, false},
        {".tmp-q1w2e", 60, false},          {".tmp-q1w2e3.bak", 60, false},      {".tmp-q1w_e3", 60, false},
        {".TMP-q1w2e3", 60, false},
    };
    const std::function<void(const TempDir&, const std::string&)> writers[] = {
        [](const TempDir& d, const std::string& target) { fso::WriteTextFile(d.file(target), "new"); },
        [](const TempDir& d, const std::string& target) { fso::CopyFile(d.write("source/map", "new"), d.file(target)); },
    };
    const std::string targets[] = {"config.cfg", std::string(230, 'm') + ".w3x"};
    for (const std::string& target : targets) {
        const std::string stem = target.substr(0, 200);  // long names are cut to keep within the name limit
        for (const auto& write : writers) {
            TempDir d;
            auto plant = [&](const std::string& name, int ageMinutes, bool folder = false) {
                if (folder) d.mkdir(name);
                else d.write(name, "partial");
                struct timespec times[2] = {{::time(nullptr) - ageMinutes * 60, 0}, {::time(nullptr) - ageMinutes * 60, 0}};
                ASSERT_EQ(::utimensat(AT_FDCWD, d.file(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
            };
            for (const Leftover& l : leftovers) plant(stem + l.suffix, l.ageMinutes);
            plant("other.cfg.tmp-a1B2c3", 60);  // another file's
            plant("x" + stem + ".tmp-a1B2c3", 60);
            plant(stem + ".tmp-dir123", 60, true);  // not what a write leaves
            d.write(target, "old");

            write(d, target);

            EXPECT_EQ(d.read(target), "new");
            for (const Leftover& l : leftovers) EXPECT_EQ(d.exists(stem + l.suffix), !l.removed) << l.suffix;
            EXPECT_TRUE(d.exists("other.cfg.tmp-a1B2c3"));
            EXPECT_TRUE(d.exists("x" + stem + ".tmp-a1B2c3"));
            EXPECT_TRUE(d.exists(stem + ".tmp-dir123"));
        }
    }
}
