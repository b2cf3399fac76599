#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <regex>

#include "diagnostics/FrmAbout.h"
#include "diagnostics/SevenZipVersion.h"
#include "platform/RuntimeFailure.h"
#include "startup/Main.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string Caption = "About Vesk...";

std::string sevenZipLine(const std::string& version) {
    return "* This software uses 7ZIP version " + version + " to manage compressed files.";
}

// The about box over a pack of its own, loaded once its files are in place.
struct About {
    TestApp t;
    std::unique_ptr<FrmAbout> w;

    About() {
        ui::setFailureHandler([](const RuntimeFailure& f) { ADD_FAILURE() << f.number << " " << f.description; });
        t.shared.PackFolder = t.packFolder;
    }
    std::string load() {
        w = std::make_unique<FrmAbout>(t.app, t.shared);
        w->load();
        return ss(w->Disclaimer->text());
    }
};

// What the pack holds at a path under the test's root.
enum class Kind { Pe, PeWithoutVersion, Text, Script, Folder, Pipe };
struct Entry {
    const char* path;
    Kind kind;
    PeVersion version = {};
    const char* text = "";
};

void install(const TestApp& t, const Entry& e) {
    const std::string path = t.root.file(e.path);
    switch (e.kind) {
        case Kind::Pe: writePeExecutable(path, e.version); break;
        case Kind::PeWithoutVersion: writePeExecutable(path, std::nullopt); break;
        case Kind::Text: writeFile(path, e.text); break;
        case Kind::Script: writeFile(path, std::string("#!/bin/sh\n") + e.text, true); break;
        case Kind::Folder: t.root.mkdir(e.path); break;
        case Kind::Pipe: ASSERT_EQ(::mkfifo(path.c_str(), 0755), 0); break;
    }
}

const char* const SevenZip = "pack/keldwyn/7za.exe";
const Entry Lathewise{"pack/Lathewise/Lathewise.dll", Kind::Pe, {3, 1, 0, 27}};
const Entry Murl{"pack/murl/murl.dll", Kind::Pe, {1, 4, 2, 0}};
const Entry SevenZip920{SevenZip, Kind::Pe, {9, 20, 0, 0}};
const std::string LathewiseLine = "* Lathewise 3.1.0.27 is installed with this version of Vesk.";
const std::string MurlLine = "* Murl 1.4.2.0 is installed with this version of Vesk.";

struct DisclaimerCase {
    const char* what;
    std::vector<Entry> pack;
    std::string sevenZip, lathewise, murl;  // the version on the first line, the second and third lines
};

// Each tool keeps its own line whichever is missing; 7-Zip gives the version of a Windows
// executable, else the banner of the 7-Zip the script runs.
TEST(FrmAbout, DisclaimerNamesSevenZipAndTheInstalledSiblingTools) {
    const DisclaimerCase cases[] = {
        {"both tools", {SevenZip920, Lathewise, Murl}, "9.20.0.0", LathewiseLine, MurlLine},
        {"no tool", {SevenZip920}, "9.20.0.0", "", ""},
        {"only Murl", {SevenZip920, Murl}, "9.20.0.0", "", MurlLine},
        {"folders without their libraries",
         {{"pack/Lathewise", Kind::Folder}, {"pack/murl/Lathewise.dll", Kind::Pe, {1, 0, 0, 0}},
          {"pack/murl.dll", Kind::Pe, {1, 0, 0, 0}}},
         "", "", ""},
        {"libraries without a version",
         {{Lathewise.path, Kind::PeWithoutVersion}, {Murl.path, Kind::Text, {}, "not an executable"}}, "", "", ""},
        {"other letter case",
         {{"pack/keldwyn/7ZA.EXE", Kind::Pe, {4, 65, 0, 0}}, {"pack/LATHEWISE/lathewise.DLL", Kind::Pe, {3, 1, 0, 27}},
          {"pack/Murl/MURL.dll", Kind::Pe, {1, 4, 2, 0}}},
         "4.65.0.0", LathewiseLine, MurlLine},
        // Run, it would only start wine: no version is looked for elsewhere.
        {"7-Zip without a version", {{SevenZip, Kind::PeWithoutVersion}}, "", "", ""},
        {"script printing a banner",
         {{SevenZip, Kind::Script, {},
           "echo\necho '7-Zip (a) [64] 16.02 : Copyright (c) 1999-2016 : 2016-05-21'\necho '7-Zip 99.1'\n"
           "echo 'Usage: 7za <command>' >&2\nexit 7\n"}},
         "16.02", "", ""},
        {"script that cannot run", {{SevenZip, Kind::Text, {}, "#!/bin/sh\necho '7-Zip 1.0'\n"}}, "", "", ""},
        {"7-Zip missing", {}, "", "", ""},
        {"a pipe named 7-Zip, never waited on", {{SevenZip, Kind::Pipe}}, "", "", ""},
    };
    for (const DisclaimerCase& c : cases) {
        SCOPED_TRACE(c.what);
        About a;
        for (const Entry& e : c.pack) install(a.t, e);
        EXPECT_EQ(a.load(), sevenZipLine(c.sevenZip) + "\r\n" + c.lathewise + "\r\n" + c.murl);
    }
}

// The pack's own "7za.exe", which runs the system's 7-Zip.
TEST(FrmAbout, PackScriptGivesTheSystemsSevenZipVersion) {
    About a;
    a.t.install7za();
    const std::string text = a.load();
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\* This software uses 7ZIP version [0-9]+\.[0-9]+ .*\r\n\r\n)")))
        << text;
}

TEST(SevenZipBanner, VersionOfTheFirstLineNamingSevenZip) {
    const std::pair<const char*, const char*> cases[] = {
        {"\n7-Zip (a) [64] 16.02 : Copyright (c) 1999-2016 : 2016-05-21\np7zip Version 16.02\n", "16.02"},
        {"7-Zip (a) 22.01 (x64) : Copyright (c) 1999-2022 : 2022-07-15\n", "22.01"},
        {"\r\n7-Zip 9.20  Copyright (c) 1999-2010  2010-11-18\r\n", "9.20"},
        {"p7zip Version 16.02\n7-Zip (a) 23.01\n", "23.01"},
        {"7-Zip (a) : Copyright (c) 1999-2016\n7-Zip 16.02\n", ""},
        {"7-Zip 16. 02 .5 1.2. 4.65.1 beta", "4.65.1"},
        {"Usage: 7za <command> 1.2", ""},
    };
    for (const auto& [output, version] : cases) EXPECT_EQ(SevenZipBannerVersion(output), version) << output;
}

QPoint centreOf(const QWidget* control) { return control->geometry().center(); }

bool underlined(const FrmAbout& w) { return w.Label3->font().underline(); }

TEST(FrmAbout, LinkIsUnderlinedFromTheLinkUntilThePointerCrossesTheBackground) {
    About a;
    a.load();
    FrmAbout& w = *a.w;
    EXPECT_EQ(w.Label3->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(w.Label3->cursor().shape(), Qt::WhatsThisCursor);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    const struct Step {
        const char* where;
        QPoint point;
        bool underlined;
    } steps[] = {
        {"background", QPoint(3, 3), false},
        {"link", centreOf(w.Label3), true},
        {"button", centreOf(w.Command1), true},
        {"disabled list", centreOf(w.List1), true},
        {"label", centreOf(w.Disclaimer), true},
        {"title", centreOf(w.Label1), true},
        {"outside the window", QPoint(-40, w.height() + 40), true},
        {"background beside the button", QPoint(w.Command1->x() - 10, w.Command1->y() + 5), false},
        {"link again", centreOf(w.Label3), true},
        {"the line, drawn on the background", QPoint(w.Line1->x() + 40, w.Line1->y()), false},
    };
    for (const Step& step : steps) {
        // Through the platform's pointer, so the window finds the control under it as for a user.
        QTest::mouseMove(&w, step.point);
        EXPECT_EQ(underlined(w), step.underlined) << step.where;
    }
}

TEST(FrmAbout, ShowsTheVersionAndTheCreditsOpensTheHomePageAndCloses) {
    About a;
    a.load();
    FrmAbout& w = *a.w;
    EXPECT_EQ(ss(w.windowTitle()), Caption);
    EXPECT_EQ(ss(w.Version->text()), "Version 2.0.10");
    EXPECT_GT(w.List1->count(), 0);
    EXPECT_FALSE(w.List1->isEnabled());
    EXPECT_TRUE(w.Command1->isDefault());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.Label3, Qt::RightButton);
    QTest::mouseClick(w.Label3, Qt::LeftButton);
    const auto opened = waitForRecordedRuns(a.t.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{"http://127.0.0.1:9/"});
    EXPECT_TRUE(w.isVisible());

    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(readRecordedRuns(a.t.openLog).size(), 1u);
}

// "about" takes no value; a name that another option follows keeps its blank and is no mode.
TEST(FrmAbout, ShownByItsOptionInAnyLetterCase) {
    const std::pair<const char*, bool> cases[] = {
        {"--about", true}, {"--ABOUT", true}, {"--About=anything", true}, {"--about --x", false}};
    for (const auto& [commandLine, shown] : cases) {
        SCOPED_TRACE(commandLine);
        TestApp t;
        t.forceGameFolder("game");
        WindowDriver driver;
        Main(t.app, t.shared, commandLine);
        EXPECT_EQ(driver.seen(), shown ? QStringList{qs(Caption)} : QStringList{});
        EXPECT_EQ(t.dialogs.infos(),
                  shown ? std::vector<std::string>{} : std::vector<std::string>{"Missing arguments..."});
        EXPECT_EQ(t.endedWith, 0);
    }
}

}  // namespace
