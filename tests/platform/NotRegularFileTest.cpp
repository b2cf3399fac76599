#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/ExeVersion.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "platform/RawIo.h"
#include "platform/Registry.h"
#include "platform/RuntimeFailure.h"
#include "support/core/Failures.h"
#include "support/core/TempDir.h"

namespace fs = std::filesystem;

namespace {

// What stands at a file's name instead of a file. A pipe with no writer would block a plain open
// for ever; a device would never end a whole-file read.
struct Kind {
    const char* what;
    std::function<void(const std::string&)> make;
};

const Kind Kinds[] = {
    {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
    {"a link to a pipe",
     [](const std::string& p) {
         ASSERT_EQ(::mkfifo((p + ".pipe").c_str(), 0644), 0);
         fs::create_symlink(p + ".pipe", p);
     }},
    {"a link to a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
    {"a folder", [](const std::string& p) { fs::create_directory(p); }},
};

struct Identity {
    dev_t dev;
    ino_t ino;
    mode_t mode;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return {st.st_dev, st.st_ino, st.st_mode};
}

// Calls check(folder, path) with each kind standing at folder/name, and fails where the kind was
// moved or replaced.
void forEachKind(const std::string& name, const std::function<void(const TempDir&, const std::string&)>& check) {
    for (const Kind& kind : Kinds) {
        SCOPED_TRACE(kind.what);
        TempDir d;
        const std::string path = d.file(name);
        kind.make(path);
        const Identity before = identityOf(path);
        check(d, path);
        EXPECT_EQ(identityOf(path), before);
    }
}

}  // namespace

TEST(NotRegularFile, FileReadersRefuseAtOnce) {
    forEachKind("config.cfg", [](const TempDir& d, const std::string& path) {
        std::string text;
        EXPECT_EQ(readWholeFile(path, text), ReadResult::NotRegular);
        EXPECT_EQ(exeVersionOfFile(path), "");
        EXPECT_EQ(failureRaisedBy([&] { fso::ReadAll(path); }).value().number,
                  fs::is_directory(path) ? failure::PathFileAccessError : failure::FileNotFound);
        EXPECT_EQ(failureRaisedBy([&] { fso::CopyFile(path, d.file("copy.w3x")); }).value().number, failure::FileNotFound);
        EXPECT_FALSE(d.exists("copy.w3x"));

        // A settings file that is not a file reads as absent and is never written.
        EXPECT_EQ(profile::read(path, "FORCED_PATH", "PATH"), std::nullopt);
        EXPECT_FALSE(profile::write(path, "FORCED_PATH", "PATH", "/games/wc3"));
        EXPECT_FALSE(profile::write(path, "FORCED_PATH", "PATH", std::nullopt));
    });
}

TEST(NotRegularFile, RegistryStoreRaisesNamingItAndLeavesItInPlace) {
    const std::function<void(RegistryStore&)> calls[] = {
        [](RegistryStore& s) { s.keyExists(RegRoot::CurrentUser, "Software"); },
        [](RegistryStore& s) { s.queryValue(RegRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III", "InstallPathX"); },
        [](RegistryStore& s) { s.setValue(RegRoot::ClassesRoot, ".w3x", "", RegValue{regtype::Sz, std::string("x\0", 2)}); },
        [](RegistryStore& s) { s.createKey(RegRoot::ClassesRoot, ".w3m"); },
        [](RegistryStore& s) { s.deleteKey(RegRoot::ClassesRoot, ".w3m"); },
        [](RegistryStore& s) { RegistryStore::Batch batch(s); },
    };
    forEachKind("registry.reg", [&](const TempDir& d, const std::string& path) {
        RegistryStore store(path);
        for (std::size_t i = 0; i < std::size(calls); ++i) {
            auto failure = failureRaisedBy([&] { calls[i](store); });
            ASSERT_TRUE(failure.has_value()) << i;
            EXPECT_NE(failure->description.find(path), std::string::npos) << failure->description;
        }
        // A failed batch leaves the store usable: the next call raises the same way.
        EXPECT_TRUE(failureRaisedBy([&] { store.keyExists(RegRoot::Users, "X"); }).has_value());
        for (const auto& entry : fs::directory_iterator(d.path()))
            EXPECT_EQ(entry.path().filename().string().find(".broken-"), std::string::npos) << entry.path();
    });
}
