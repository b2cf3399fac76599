#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include "common/Text.h"
#include "platform/RuntimeFailure.h"
#include "setup/FrmPatcher.h"
#include "setup/PatchInstallation.h"
#include "support/TestApp.h"
#include "support/core/ArchiveBuilder.h"
#include "support/core/HttpServer.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace fs = std::filesystem;

namespace {

const PeVersion Installed = {1, 26, 0, 6401};
const PeVersion Patched = {1, 24, 4, 6387};
const std::string Archive = "TFTVersion1.24a.zip";
constexpr int ArchiveRow = 3;
const QColor Green(0, 153, 51);
const QColor Red(255, 0, 0);

// A patcher over a game folder whose "war3.exe" is a 1.26 executable.
struct Patcher {
    TestApp t;
    std::string game;
    std::unique_ptr<FrmPatcher> w;

    Patcher() {
        ui::setFailureHandler([](const RuntimeFailure& f) { ADD_FAILURE() << f.number << " " << f.description; });
        game = t.root.mkdir("game");
        writePeExecutable(game + "/war3.exe", Installed);
        t.shared.WC3Path = game;
    }
    void open() {
        w = std::make_unique<FrmPatcher>(t.app, t.shared);
        w->load();
    }
    std::string patches() const { return t.programFolder + "/Patches"; }
    std::string status() const { return ss(w->LblErrStatus->text()); }
    std::string button() const { return ss(w->BtnApply->text()); }
    void expectArchiveStatus(bool present) const {
        EXPECT_EQ(ss(w->LblStatus->text()), present ? "Patch ready to apply." : "Patch not found. Please download it.");
        EXPECT_EQ(w->LblStatus->palette().color(QPalette::WindowText), present ? Green : Red);
        EXPECT_EQ(button(), present ? "&Apply Patch" : "&Download Patch");
    }
    void expectUsable() const {
        EXPECT_TRUE(w->VersionList->isEnabled());
        EXPECT_TRUE(w->BtnApply->isEnabled());
    }
    // Selects the row by code and presses the button, as the user would.
    void press(int row = ArchiveRow) {
        w->VersionList->setCurrentRow(row);
        w->BtnApply->click();
    }
};

TEST(FrmPatcher, DownloadsThenInstallsTheArchiveOverTheGameFolder) {
    Patcher p;
    const std::string stage = p.t.root.mkdir("stage");
    writePeExecutable(stage + "/war3.exe", Patched);
    p.t.root.write("stage/Storm.dll", "new storm");
    p.t.root.write("stage/Game.dll", "new game");
    p.t.root.write("stage/sub/inner.txt", "only in a subfolder");
    const std::string served = buildZip(p.t.root.mkdir("site/WC3Patches") + "/" + Archive, stage);
    HttpServer server(p.t.root.file("site"));
    p.t.app.webSite = server.base();

    const std::string storm = p.t.root.write("game/storm.dll", "old storm");
    fs::permissions(storm, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    p.t.root.write("game/keep.txt", "keep");
    p.t.root.write("pack/keldwyn/Temp/leftover.dll", "left by an earlier extraction");
    p.t.install7za();

    p.open();
    EXPECT_EQ(p.w->VersionList->currentRow(), 8);
    EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(Installed));
    p.w->VersionList->setCurrentRow(ArchiveRow);
    p.expectArchiveStatus(false);

    p.w->BtnApply->click();
    EXPECT_EQ(p.status(), Archive + " has been downloaded.");
    p.expectArchiveStatus(true);
    EXPECT_EQ(namesIn(p.patches()), std::set<std::string>{Archive});
    EXPECT_EQ(readFile(p.patches() + "/" + Archive), readFile(served));

    p.w->BtnApply->click();
    EXPECT_EQ(p.status(), "'Version 1.24a' has been successfully extracted and moved to '" + p.game + "'");
    EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(Patched));
    EXPECT_EQ(p.w->VersionList->currentRow(), ArchiveRow);
    p.expectUsable();
    EXPECT_FALSE(fs::exists(p.t.programFolder + "/Temp"));
    EXPECT_EQ(p.t.clock.slept, 1000);
    // The replaced file keeps the game folder's spelling; nothing from the subfolder, nothing set aside.
    EXPECT_EQ(namesIn(p.game), (std::set<std::string>{"Game.dll", "keep.txt", "storm.dll", "war3.exe"}));
    EXPECT_EQ(readFile(p.game + "/war3.exe"), readFile(stage + "/war3.exe"));
    EXPECT_EQ(readFile(storm), "new storm");
    EXPECT_EQ(readFile(p.game + "/Game.dll"), "new game");
    EXPECT_EQ(readFile(p.game + "/keep.txt"), "keep");
}

struct FailCase {
    const char* what;
    const char* sitePrefix;  // where the web site is; only for downloads
    int exitCode;            // the stand-in 7-Zip's; negative for a download
    std::string text;
};

const FailCase failCases[] = {
    {"not on the site", "/nowhere", -1, "Download of TFTVersion1.24a.zip failed: HTTP 404."},
    {"cut short", "/cut", -1, "Download of TFTVersion1.24a.zip failed: the connection was cut short."},
    {"locked files", "", 1,
     "Warning, one or more files were locked by some other application, so they were not processed."},
    {"fatal error", "", 2, "Fatal error"},
    {"command line error", "", 7, "Command line error"},
    {"out of memory", "", 8, "Not enough memory for operation"},
    {"unlisted code", "", 3, ""},
};

TEST(FrmPatcher, FailedDownloadOrExtractionInstallsNothing) {
    for (const FailCase& c : failCases) {
        SCOPED_TRACE(c.what);
        Patcher p;
        p.t.root.write("site/WC3Patches/" + Archive, std::string(4096, 'z'));
        HttpServer server(p.t.root.file("site"));
        p.t.app.webSite = server.base() + c.sitePrefix;
        const std::string log = p.t.root.file("7za.log");
        writeRecordingProgram(p.t.programFolder + "/7za.exe", log, c.exitCode);
        if (c.exitCode >= 0) p.t.root.write("pack/keldwyn/Patches/" + Archive, "archive");
        const auto before = snapshot(p.game);

        p.open();
        p.press();
        EXPECT_EQ(p.status(), c.text);
        p.expectArchiveStatus(c.exitCode >= 0);
        p.expectUsable();
        EXPECT_EQ(snapshot(p.game), before);
        const auto runs = readRecordedRuns(log);
        if (c.exitCode < 0) {
            EXPECT_TRUE(fs::is_empty(p.patches()));
            EXPECT_TRUE(runs.empty());
            continue;
        }
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cwd, fs::canonical(p.t.programFolder).string());
        EXPECT_EQ(runs[0].args, (std::vector<std::string>{"x", "./Patches/" + Archive, "-o./Temp/", "-aoa"}));
    }
}

TEST(FrmPatcher, NothingRunsWithoutArchive7ZipOrGameFolder) {
    struct Case {
        const char* what;
        bool archive;
        bool sevenZip;
        bool gameFolder;
        std::string text;
    };
    const Case cases[] = {
        {"no archive", false, true, true, "No Compressed file found..."},
        {"no 7za.exe", true, false, true, "No Compressed file found..."},
        {"no game folder", true, true, false, "No Warcraft III folder is known: nothing was installed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Patcher p;
        p.open();
        const std::string log = p.t.root.file("7za.log");
        if (c.sevenZip) writeRecordingProgram(p.t.programFolder + "/7za.exe", log, 0);
        if (c.archive) p.t.root.write("pack/keldwyn/Patches/" + Archive, "archive");
        EXPECT_EQ(p.w->ExtractAndInstallPatch(p.patches() + "/" + Archive, c.gameFolder ? p.game : ""), c.text);
        EXPECT_TRUE(readRecordedRuns(log).empty());
    }
}

TEST(FrmPatcher, HostileArchiveWritesNothingOutsideTempAndTheGameFolder) {
    struct Case {
        const char* what;
        std::vector<RawZipEntry> entries;
    };
    const std::vector<std::string> hostileNames = {"escaped.txt", "abs.txt", "x.txt", "deep.txt", "evil.txt"};
    for (const Case& c : std::vector<Case>{
             {"climbing names", {{"../escaped.txt", "e"}, {"/ABS/abs.txt", "a"}, {"sub/../../x.txt", "x"},
                                 {"../../../../../../../../../../OUT/deep.txt", "d"}}},
             {"link out of Temp", {{"link", "/OUT", true}, {"link/evil.txt", "evil"}}},
         }) {
        SCOPED_TRACE(c.what);
        Patcher q;
        const std::string outside = q.t.root.mkdir("outside");
        std::vector<RawZipEntry> entries = c.entries;
        // Absolute names point into this test's own folder, so an escape would show there.
        for (RawZipEntry& e : entries) {
            e.name = replaceAll(replaceAll(e.name, "/ABS", outside), "/OUT", outside);
            e.content = replaceAll(e.content, "/OUT", outside);
        }
        buildRawZip(q.t.root.mkdir("pack/keldwyn/Patches") + "/" + Archive, entries);
        q.t.install7za();
        q.open();
        q.press();

        EXPECT_TRUE(fs::is_empty(outside));
        const std::string temp = q.t.programFolder + "/Temp/";
        for (const auto& e : fs::recursive_directory_iterator(q.t.root.path())) {
            const std::string path = e.path().string();
            const std::string name = e.path().filename().string();
            if (std::find(hostileNames.begin(), hostileNames.end(), name) == hostileNames.end()) continue;
            EXPECT_TRUE(path.rfind(q.game + "/", 0) == 0 || path.rfind(temp, 0) == 0) << path;
        }
        q.expectUsable();
    }
}

TEST(FrmPatcher, InstallationFailingPartWayLeavesTheGameFolderAsItWas) {
    Patcher p;
    p.t.root.write("stage/a.txt", "new a");
    p.t.root.write("stage/b.txt", "new b");
    buildZip(p.t.root.mkdir("pack/keldwyn/Patches") + "/" + Archive, p.t.root.file("stage"));
    p.t.install7za();
    const std::string a = p.t.root.write("game/a.txt", "old a");
    fs::permissions(a, fs::perms::owner_read | fs::perms::group_read);
    p.t.root.write("game/B.txt/inside.txt", "a folder where b.txt must go");
    const auto before = snapshot(p.game);

    p.open();
    p.press();
    EXPECT_EQ(p.status(),
              "Installation failed at b.txt: a folder stands where the file must go. Warcraft III was left as it was.");
    EXPECT_EQ(snapshot(p.game), before);
    EXPECT_FALSE(fs::exists(p.t.programFolder + "/Temp"));
    EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(Installed));
    p.expectUsable();
}

TEST(FrmPatcher, ApplyReplacesOnlyTheResolvedFileAndNoSubfolderEntry) {
    Patcher p;
    const std::string stage = p.t.root.mkdir("stage");
    writePeExecutable(stage + "/war3.exe", Patched);
    // 7-Zip here stores a file so named as the entry "Maps\x.w3x", as archivers on Windows store
    // a file of a subfolder; it unpacks it as one file of that name at the top of Temp.
    p.t.root.write("stage/Maps\\x.w3x", "map");
    buildZip(p.t.root.mkdir("pack/keldwyn/Patches") + "/" + Archive, stage);
    p.t.install7za();
    p.t.root.write("game/WAR3.EXE", "another file");
    p.t.root.write("game/x.w3x", "old map");

    p.open();
    p.press();
    EXPECT_EQ(p.status(), "'Version 1.24a' has been successfully extracted and moved to '" + p.game + "'");
    EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(Patched));
    EXPECT_EQ(namesIn(p.game), (std::set<std::string>{"WAR3.EXE", "war3.exe", "x.w3x"}));
    EXPECT_EQ(readFile(p.game + "/war3.exe"), readFile(stage + "/war3.exe"));
    EXPECT_EQ(readFile(p.game + "/WAR3.EXE"), "another file");
    EXPECT_EQ(readFile(p.game + "/x.w3x"), "old map");
}

TEST(FrmPatcher, LoadFirstUndoesAKilledInstallation) {
    Patcher p;
    p.t.root.write("game/Storm.dll", "old storm");
    const auto before = snapshot(p.game);
    const std::string temp = p.t.root.mkdir("pack/keldwyn/Temp");
    p.t.root.write("pack/keldwyn/Temp/storm.dll", "new storm");
    writePeExecutable(temp + "/war3.exe", Patched);
    {
        // Killed with "war3.exe" set aside: until it is put back, the version cannot be read.
        patch::Installation installation(temp, p.game);
        installation.begin();
        installation.setAside(0);
        installation.copyIn(0);
        installation.setAside(1);
    }
    const std::string older = std::string(patch::SetAsideFolderPrefix) + "Old123";
    p.t.root.write("game/" + older + "/0", "set aside before there were manifests");

    p.open();
    EXPECT_EQ(p.status(), "An interrupted installation was undone: Warcraft III is as it was before it. '" + older +
                              "' in the Warcraft III folder holds set-aside files without a list of them: it was left "
                              "alone.");
    EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(Installed));
    auto after = snapshot(p.game);
    EXPECT_EQ(after.erase(older), 1u);
    EXPECT_EQ(after.erase(older + "/0"), 1u);
    EXPECT_EQ(after, before);
}

TEST(FrmPatcher, InstalledVersionSelectsItsRow) {
    struct Case {
        std::string second;
        int row;
    };
    const Case cases[] = {{"21", 0}, {"22", 1}, {"23", 2}, {"24", 3}, {"25", 0},
                          {"26", 8}, {"27", 9}, {"x", 0},  {"026", 0}};
    Patcher p;
    p.open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        EXPECT_EQ(FrmPatcher::RowOfVersion("1." + c.second + ".0.0"), c.row);
        if (!std::all_of(c.second.begin(), c.second.end(), ::isdigit) || c.second[0] == '0') continue;
        const PeVersion version = {1, std::uint16_t(std::stoi(c.second)), 2, 3};
        writePeExecutable(p.game + "/war3.exe", version);
        EXPECT_EQ(p.w->DetectInstalledVersion(), c.row);
        EXPECT_EQ(ss(p.w->LblVersion->text()), "Current version installed: " + versionText(version));
    }
    EXPECT_EQ(FrmPatcher::RowOfVersion("1.026"), 0);

    struct LoadCase {
        const char* what;
        bool exists;
        int number;
    };
    for (const LoadCase& c : {LoadCase{"no version resource", true, 9}, LoadCase{"no war3.exe", false, 53}}) {
        SCOPED_TRACE(c.what);
        Patcher q;
        if (c.exists) writePeExecutable(q.game + "/war3.exe", std::nullopt);
        else fs::remove(q.game + "/war3.exe");
        try {
            q.open();
            ADD_FAILURE() << "the load must fail";
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.number, c.number);
        }
    }
}

TEST(FrmPatcher, RowsShowTheirNotesWithRealLineBreaks) {
    Patcher p;
    p.open();
    std::vector<std::string> notes;
    for (int row = 0; row < 10; ++row) {
        p.w->VersionList->setCurrentRow(row);
        notes.push_back(ss(p.w->TxtInfo->toPlainText()));
        EXPECT_EQ(notes.back().find("\\n"), std::string::npos) << row;
        EXPECT_EQ(ss(p.w->VersionList->item(row)->text()), "Version " + p.w->PatchArchives[row].substr(10, 5));
    }
    for (int row = 4; row <= 7; ++row) EXPECT_EQ(notes[row], notes[3]) << row;
    EXPECT_NE(notes[3], notes[2]);
    EXPECT_NE(notes[3], notes[8]);
    EXPECT_NE(notes[3].find("Fixed several World Editor crashes.\n\nADDITIONAL\n"), std::string::npos);
    EXPECT_NE(notes[1].find(": \n  /showminimapsignals and /hideminimapsignals.\n"), std::string::npos);
    EXPECT_NE(notes[9].find("closet, we\u2019ve created"), std::string::npos);
}

TEST(FrmPatcher, PatchesFolderIsMadeOnlyWhenNoSpellingOfItExists) {
    for (const std::string existing : {"", "Patches", "patches"}) {
        SCOPED_TRACE(existing);
        Patcher p;
        if (!existing.empty()) p.t.root.write("pack/keldwyn/" + existing + "/" + Archive, "archive");
        const std::string log = p.t.root.file("7za.log");
        writeRecordingProgram(p.t.programFolder + "/7za.exe", log, 3);
        p.open();
        const std::string expected = existing.empty() ? "Patches" : existing;
        std::set<std::string> spellings;
        for (const std::string& name : namesIn(p.t.programFolder))
            if (toLower(name) == "patches") spellings.insert(name);
        EXPECT_EQ(spellings, std::set<std::string>{expected});
        if (existing.empty()) continue;

        p.press();
        const auto runs = readRecordedRuns(log);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args.at(1), "./" + expected + "/" + Archive);
    }
}

}  // namespace
