#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "common/App.h"
#include "setup/PatchInstallation.h"
#include "support/core/TempDir.h"

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

const std::string Undone = "An interrupted installation was undone: Warcraft III is as it was before it.";

class NoPause : public Clock {
public:
    void sleepMs(int) override {}
};

// Writes past the size fail as on a full disk, for root too; the signal that would end the
// process instead is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previous_ = signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_;
    sighandler_t previous_;
};

// A game folder and the unpacked files of a patch, in Temp beside it or on another file system.
struct Site {
    TempDir root;
    std::optional<TempDir> elsewhere;
    std::string game = root.mkdir("game");
    std::string temp;

    Site(const Files& gameFiles, const Files& unpacked, const std::string& tempBase = "") {
        if (!tempBase.empty()) elsewhere.emplace(tempBase);
        temp = elsewhere ? elsewhere->mkdir("Temp") : root.mkdir("Temp");
        for (const auto& [name, content] : gameFiles) root.write("game/" + name, content);
        for (const auto& [name, content] : unpacked) writeFile(temp + "/" + name, content);
    }
    std::string install() {
        NoPause clock;
        return patch::installFiles(temp, game, clock);
    }
};

// The top level of a folder: each file's content.
Files filesIn(const std::string& folder) {
    Files files;
    for (const std::string& name : namesIn(folder)) files[name] = readFile(folder + "/" + name);
    return files;
}

struct ResolveCase {
    const char* what;
    Files game;
    Files unpacked;
    Files after;
};

const ResolveCase resolveCases[] = {
    {"the exact name beside a case variant", {{"war3.exe", "old"}, {"WAR3.EXE", "other"}}, {{"war3.exe", "new"}},
     {{"war3.exe", "new"}, {"WAR3.EXE", "other"}}},
    {"only a case variant", {{"WAR3.EXE", "old"}}, {{"war3.exe", "new"}}, {{"WAR3.EXE", "new"}}},
    {"the first of two case variants in byte order", {{"War3.exe", "a"}, {"WAR3.EXE", "b"}}, {{"war3.exe", "new"}},
     {{"War3.exe", "a"}, {"WAR3.EXE", "new"}}},
    {"a new file keeps its own name", {{"keep.txt", "keep"}}, {{"Game.dll", "new"}},
     {{"keep.txt", "keep"}, {"Game.dll", "new"}}},
    {"unpacked names that differ only in case make one file", {}, {{"FOO.dll", "first"}, {"Foo.dll", "last"}},
     {{"FOO.dll", "last"}}},
    {"a name holding a backslash came from a subfolder", {{"x.w3x", "old"}},
     {{"Maps\\x.w3x", "map"}, {"top.txt", "top"}}, {{"x.w3x", "old"}, {"top.txt", "top"}}},
};

TEST(PatchInstallation, EachDestinationIsResolvedOnceAndNothingElseIsTouched) {
    for (const ResolveCase& c : resolveCases) {
        SCOPED_TRACE(c.what);
        Site s(c.game, c.unpacked);
        EXPECT_EQ(s.install(), "");
        EXPECT_EQ(filesIn(s.game), c.after);
        EXPECT_FALSE(fs::exists(s.temp));
    }
}

TEST(PatchInstallation, RollBackPutsEveryGameFileBackByteForByte) {
    // Only a copy can run out of room, and files are copied where Temp lies on another file system.
    const std::string shm = "/dev/shm";
    struct stat here, there;
    if (::stat(shm.c_str(), &there) != 0 || ::stat(fs::temp_directory_path().c_str(), &here) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "needs " << shm << " on a file system of its own";

    for (const ResolveCase& c : resolveCases) {
        SCOPED_TRACE(c.what);
        // The archive's last file finds no room on the disk.
        Files unpacked = c.unpacked;
        unpacked["zz.bin"] = std::string(256 * 1024, 'z');
        Site s(c.game, unpacked, shm);
        for (const auto& [name, content] : c.game) fs::permissions(s.game + "/" + name, fs::perms::owner_read);
        const auto before = snapshot(s.game);
        std::string outcome;
        {
            FileSizeLimit limit(64 * 1024);
            outcome = s.install();
        }
        EXPECT_TRUE(outcome.starts_with("Installation failed at zz.bin: ")) << outcome;
        EXPECT_TRUE(outcome.ends_with(" Warcraft III was left as it was.")) << outcome;
        EXPECT_EQ(snapshot(s.game), before);
        EXPECT_FALSE(fs::exists(s.temp));
    }
}

const Files GameFiles = {{"war3.exe", "old exe"}, {"Storm.dll", "old storm"}, {"keep.txt", "keep"}};
// In order: Game.dll (new), storm.dll onto Storm.dll (replaces), war3.exe (replaces), x.mpq (new).
const Files Unpacked = {{"Game.dll", "new game"}, {"storm.dll", "new storm"}, {"war3.exe", "new exe"}, {"x.mpq", "new"}};

// Leaves the game folder as an installation killed at that point would: per destination
// '-' not reached, 's' original set aside, 'p' set aside and copied in part, 'i' installed.
void runUntilKilled(patch::Installation& installation, const std::string& game, const std::string& steps) {
    installation.begin();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == '-') continue;
        installation.setAside(i);
        if (steps[i] == 'p') writeFile(game + "/" + installation.destinations()[i].target, "half");
        if (steps[i] == 'i') installation.copyIn(i);
    }
}

TEST(PatchInstallation, KilledInstallationIsUndoneOrFinishedOnTheNextLoad) {
    struct Case {
        const char* what;
        std::string steps;
        bool committed;
        int originalsDeleted;  // by a clean-up cut short
    };
    const Case cases[] = {
        {"before the first file", "----", false, 0},
        {"after a new file", "i---", false, 0},
        {"after an original was set aside", "is--", false, 0},
        {"in the middle of a copy over a set-aside original", "iip-", false, 0},
        {"in the middle of a new file", "iiip", false, 0},
        {"with every file in", "iiii", false, 0},
        // A roll-back puts back the last destination first, one rename or removal each.
        {"in a roll-back that had put back the last two", "ii--", false, 0},
        {"before the clean-up", "iiii", true, 0},
        {"in the clean-up", "iiii", true, 1},
    };
    Site done(GameFiles, Unpacked);
    ASSERT_EQ(done.install(), "");
    const auto installed = snapshot(done.game);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site s(GameFiles, Unpacked);
        const auto before = snapshot(s.game);
        {
            patch::Installation installation(s.temp, s.game);
            ASSERT_EQ(installation.destinations().size(), 4u);
            runUntilKilled(installation, s.game, c.steps);
            if (c.committed) installation.commit();
            for (int i = 0; i < c.originalsDeleted; ++i) fs::remove(installation.folder() + "/" + std::to_string(i + 1));
        }
        EXPECT_EQ(patch::recoverInterrupted(s.game), c.committed ? "" : Undone);
        EXPECT_EQ(snapshot(s.game), c.committed ? installed : before);
        EXPECT_EQ(patch::recoverInterrupted(s.game), "");
    }
}

TEST(PatchInstallation, SetAsideFoldersWithoutAManifestItCanUseAreLeftAlone) {
    const std::string folder = std::string(patch::SetAsideFolderPrefix) + "Hand01";
    const std::string leftAlone =
        "'" + folder + "' in the Warcraft III folder holds set-aside files without a list of them: it was left alone.";
    struct Case {
        const char* what;
        Files inside;
        bool stays;
    };
    const Case cases[] = {
        {"cut while writing its manifest", {{"manifest.tmp-Qw3rTy", "Corvane patch inst"}}, false},
        {"emptied by a clean-up cut short", {}, false},
        {"set aside without a manifest", {{"0", "old exe"}}, true},
        {"a manifest cut short", {{"manifest", "Corvane patch installation\nnew keep.txt\n"}}, true},
        {"a manifest naming a file outside", {{"manifest", "Corvane patch installation\nnew ../outside.txt\nend\n"}}, true},
        {"a manifest naming the game folder", {{"manifest", "Corvane patch installation\nnew .\nend\n"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site s(GameFiles, {});
        s.root.write("outside.txt", "outside");
        const auto before = snapshot(s.game);
        s.root.mkdir("game/" + folder);
        for (const auto& [name, content] : c.inside) s.root.write("game/" + folder + "/" + name, content);
        const auto withFolder = snapshot(s.game);

        EXPECT_EQ(patch::recoverInterrupted(s.game), c.stays ? leftAlone : "");
        EXPECT_EQ(snapshot(s.game), c.stays ? withFolder : before);
        EXPECT_EQ(s.root.read("outside.txt"), "outside");
    }
}

TEST(PatchInstallation, RunningInstallationIsLeftAloneAndABlockedRollBackIsFinishedLater) {
    Site s(GameFiles, Unpacked);
    const auto before = snapshot(s.game);
    std::optional<patch::Installation> installation;
    installation.emplace(s.temp, s.game);
    runUntilKilled(*installation, s.game, "iiii");
    const std::string folder = fs::path(installation->folder()).filename().string();
    const auto running = snapshot(s.game);
    EXPECT_EQ(patch::recoverInterrupted(s.game),
              "'" + folder + "' belongs to an installation still running: it was left alone.");
    EXPECT_EQ(snapshot(s.game), running);

    // A folder standing where a new file must be removed stops the roll-back; the rest goes back.
    fs::remove(s.game + "/x.mpq");
    s.root.write("game/x.mpq/inside.txt", "in the way");
    EXPECT_FALSE(installation->rollBack());
    installation.reset();
    EXPECT_TRUE(fs::exists(s.game + "/" + folder + "/manifest"));
    EXPECT_EQ(s.root.read("game/war3.exe"), "old exe");

    fs::remove_all(s.game + "/x.mpq");
    EXPECT_EQ(patch::recoverInterrupted(s.game), Undone);
    EXPECT_EQ(snapshot(s.game), before);
}

}  // namespace
