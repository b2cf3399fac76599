#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "common/Text.h"
#include "gamepath/FrmSetPath.h"
#include "gamepath/GetWC3Path.h"
#include "registry/RegistryManager.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"

namespace {

// Written without the trailing separator, as the game's installer writes it.
const std::string GameKey = "Software\\Blizzard Entertainment\\Warcraft III";

const std::string Warning =
    "Dear user: despite all the efforts in getting your WC3 path,\r\n"
    "Vesk has not found the right path. This program won't work as desired\r\n"
    "if you don't set properly this path. Please check your WC3 settings.\r\n"
    "\r\n"
    "Thanks for your undestanding.";

// A test run with its folders: {A} and {B} hold the three game files, {W} only "war3.mpq",
// {X} everything but "war3.mpq", {M} does not exist.
struct Scene {
    TestApp t;
    std::string folders[5][2] = {{"{A}", t.makeGameFolder("A")},
                                 {"{B}", t.makeGameFolder("B")},
                                 {"{W}", t.makeGameFolder("W", false, false)},
                                 {"{X}", t.root.mkdir("X")},
                                 {"{M}", t.root.file("M")}};
    Scene() {
        t.root.write("X/War3x.mpq", "mpq");
        t.root.write("X/War3Patch.mpq", "mpq");
    }
    std::string expand(std::string text) const {
        for (const auto& [mark, path] : folders) text = replaceAll(text, mark, path);
        return text;
    }
    void seed(RegRoot root, const std::string& key, const std::string& name, const char* value) {
        if (value) t.registry.setValue(root, key, name, RegValue{regtype::Sz, expand(value) + '\0'});
    }
    std::string forced() const { return ReadIniValue(t.app, "FORCED_PATH", "PATH", "\\config.cfg"); }
};

struct CandidateCase {
    const char* name;
    const char* forced;  // nullptr: not stored
    const char* userX;
    const char* userPlain;
    const char* machine;
    const char* machineX;
    const char* sibling;
    const char* expected;
};

const CandidateCase candidateCases[] = {
    {"stored PATH wins over every registry value", "{A}", "{B}", nullptr, "{B}", "{B}", "{B}", "{A}"},
    {"failing PATH is skipped", "{X}", nullptr, nullptr, nullptr, "{B}", nullptr, "{B}"},
    {"missing folder in PATH is skipped", "{M}", "{A}", nullptr, nullptr, nullptr, nullptr, "{A}"},
    {"only machine InstallPathX", nullptr, nullptr, nullptr, nullptr, "{A}", nullptr, "{A}"},
    {"user InstallPath is never read", nullptr, nullptr, "{A}", nullptr, nullptr, nullptr, ""},
    {"user InstallPathX before machine values", nullptr, "{A}", nullptr, "{B}", "{B}", nullptr, "{A}"},
    {"machine InstallPath before InstallPathX", nullptr, "{X}", nullptr, "{A}", "{B}", nullptr, "{A}"},
    {"sibling tool's folder last", nullptr, "{X}", nullptr, "{M}", "{X}", "{A}", "{A}"},
    {"trailing separator kept", nullptr, nullptr, nullptr, nullptr, "{A}/", nullptr, "{A}/"},
    {"war3.mpq alone is enough", nullptr, nullptr, nullptr, "{W}", "{A}", nullptr, "{W}"},
    {"empty values are skipped", "", "", nullptr, "", "{B}", nullptr, "{B}"},
    {"nothing anywhere", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, ""},
};

TEST(GetWC3Path, TriesCandidatesInOrderAndReturnsTheFirstGameFolderAsRead) {
    for (const CandidateCase& c : candidateCases) {
        SCOPED_TRACE(c.name);
        Scene run;
        if (c.forced) WriteIniValue(run.t.app, "FORCED_PATH", "PATH", run.expand(c.forced), "\\config.cfg");
        run.seed(RegRoot::CurrentUser, GameKey, "InstallPathX", c.userX);
        run.seed(RegRoot::CurrentUser, GameKey, "InstallPath", c.userPlain);
        run.seed(RegRoot::LocalMachine, GameKey, "InstallPath", c.machine);
        run.seed(RegRoot::LocalMachine, GameKey, "InstallPathX", c.machineX);
        run.seed(RegRoot::LocalMachine, "Software\\Thornquill", "InstallPath", c.sibling);
        std::string before = run.forced();

        EXPECT_EQ(GetWC3Path(run.t.app, run.t.shared, false), run.expand(c.expected));
        EXPECT_TRUE(run.t.dialogs.shown.empty());
        EXPECT_EQ(run.forced(), before);  // a failing stored folder stays stored
    }
}

struct WindowCase {
    const char* name;
    std::optional<const char*> pick;  // nullopt: the picker is not opened; nullptr: cancelled
    const char* expected;
};

const WindowCase windowCases[] = {
    {"window closed", std::nullopt, ""},
    {"picker cancelled", nullptr, ""},
    {"folder with the three files set", "{B}/War3.exe", "{B}"},
    {"folder with war3.mpq alone cannot be set", "{W}/War3.exe", ""},
};

TEST(GetWC3Path, NothingFoundShowsTheWindowThenWarnsWhenNothingWasSet) {
    for (const WindowCase& c : windowCases) {
        SCOPED_TRACE(c.name);
        Scene run;
        WriteIniValue(run.t.app, "FORCED_PATH", "PATH", run.expand("{X}"), "\\config.cfg");
        if (c.pick) run.t.dialogs.pickAnswers.push_back(*c.pick ? std::optional(run.expand(*c.pick)) : std::nullopt);
        bool acted = false;
        // Picks and presses Set once; a window still open after that is closed.
        WindowDriver driver([&](QWidget* w) {
            auto* form = dynamic_cast<FrmSetPath*>(w);
            if (form && !acted && c.pick) {
                acted = true;
                QTest::mouseClick(form->BtnBrowse, Qt::LeftButton);
                QTest::mouseClick(form->BtnSet, Qt::LeftButton);
                return;
            }
            acted = acted || form;
            w->close();
        });

        std::string expected = run.expand(c.expected);
        EXPECT_EQ(GetWC3Path(run.t.app, run.t.shared, true), expected);
        EXPECT_TRUE(acted);
        EXPECT_EQ(run.t.dialogs.infos(), expected.empty() ? std::vector<std::string>{Warning} : std::vector<std::string>{});
        EXPECT_EQ(run.forced(), expected.empty() ? run.expand("{X}") : expected);
        EXPECT_EQ(ReadIniValue(run.t.app, "FORCED_PATH", "FORCED", "\\config.cfg"), expected.empty() ? "" : "TRUE");
    }
}

}  // namespace
