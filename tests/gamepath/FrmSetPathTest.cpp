#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "common/Text.h"
#include "gamepath/FrmSetPath.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"
#include "registry/RegistryManager.h"
#include "support/TestApp.h"
#include "ui/Text.h"

namespace {

std::string report(const char* a, const char* b, const char* c, bool valid) {
    return joinLines({std::string("war3.mpq exists: ") + a, std::string("War3x.mpq exists: ") + b,
                      std::string("War3Patch.mpq exists: ") + c,
                      valid ? "This is a valid path." : "This is NOT a valid path."});
}

struct Window {
    TestApp t;
    std::unique_ptr<FrmSetPath> w;

    explicit Window(std::vector<std::string> cmdArgs = {}, const char* forcedMark = nullptr) {
        if (forcedMark) setting("FORCED", forcedMark);
        t.shared.CmdArgs = std::move(cmdArgs);
        w = std::make_unique<FrmSetPath>(t.app, t.shared);
        w->load();
        w->show();
    }
    void setting(const char* key, const std::string& value) {
        WriteIniValue(t.app, "FORCED_PATH", key, value, "\\config.cfg");
    }
    // Scripts the picker's answer and presses Browse.
    void pick(std::optional<std::string> answer) {
        t.dialogs.pickAnswers.push_back(std::move(answer));
        QTest::mouseClick(w->BtnBrowse, Qt::LeftButton);
    }
    std::string path() const { return ss(w->TxtPath->text()); }
    std::string tests() const { return ss(w->LblTests->text()); }
};

TEST(FrmSetPath, StartsWithThePlainPlaceholderAndBothButtonsDisabled) {
    Window win;
    EXPECT_EQ(win.tests(), "<No path has been defined>");
    EXPECT_EQ(win.w->LblTests->textFormat(), Qt::PlainText);
    EXPECT_EQ(win.w->LblTests->parentWidget(), static_cast<QWidget*>(win.w->Frame1));
    EXPECT_TRUE(win.w->TxtPath->isReadOnly());
    EXPECT_FALSE(win.w->BtnSet->isEnabled());
    EXPECT_TRUE(win.w->BtnSet->font().bold());
    EXPECT_FALSE(win.w->BtnRetry->isEnabled());
}

struct StartCase {
    std::vector<std::string> cmdArgs;
    std::string start;
};

const StartCase startCases[] = {
    {{}, ""},
    {{"", "setwc3path"}, ""},
    {{"", "setwc3path=/games/wc3"}, "/games/wc3"},
    {{"", "loadmap=/maps/a b.w3x "}, "/maps/a b.w3x "},  // the blank before the next option stays
    {{"", "setwc3path=/games=old=x"}, "/games"},
    {{"", "setwc3path=/jeux/caf\xE9"}, "/jeux/caf\xE9"},  // not UTF-8
    {{"", "setwc3path="}, ""},
};

TEST(FrmSetPath, FirstOptionValueIsTheStartingFolderAndACancelChangesNothing) {
    for (const StartCase& c : startCases) {
        SCOPED_TRACE(c.cmdArgs.size() > 1 ? c.cmdArgs[1] : "<no option>");
        Window win(c.cmdArgs);
        EXPECT_EQ(win.path(), c.start);
        win.pick(std::nullopt);
        ASSERT_EQ(win.t.dialogs.pickSpecs.size(), 1u);
        const FilePickerSpec& spec = win.t.dialogs.pickSpecs[0];
        EXPECT_EQ(spec.filters, (std::vector<std::pair<std::string, std::string>>{{"war3.exe", "war3.exe"}}));
        EXPECT_EQ(spec.startFolder, c.start);
        EXPECT_EQ(spec.title, "Get Warcraft III directory...");
        EXPECT_EQ(win.path(), c.start);
        EXPECT_EQ(win.tests(), "<No path has been defined>");
    }
}

struct ReportCase {
    const char* name;
    std::vector<std::string> files;
    std::string expected;
    bool viaTextBox;  // a click on the text box opens the same picker
};

const ReportCase reportCases[] = {
    {"all three", {"war3.mpq", "War3x.mpq", "War3Patch.mpq"}, report("YES", "YES", "YES", true), false},
    {"no expansion", {"war3.mpq", "War3Patch.mpq"}, report("YES", "NO", "YES", false), true},
    {"no patch", {"war3.mpq", "War3x.mpq"}, report("YES", "YES", "NO", false), false},
    {"no main file", {"War3x.mpq", "War3Patch.mpq"}, report("NO", "YES", "YES", false), false},
    {"names in other case", {"WAR3.MPQ", "war3x.mpq", "war3patch.MPQ"}, report("YES", "YES", "YES", true), true},
};

TEST(FrmSetPath, PickReportsTheThreeFilesAndEnablesSetOnlyForAValidFolder) {
    for (const ReportCase& c : reportCases) {
        SCOPED_TRACE(c.name);
        Window win;
        for (const std::string& f : c.files) win.t.root.write(std::string("game/") + f, "mpq");
        std::string exe = win.t.root.write("game/War3.exe", "exe");
        win.t.dialogs.pickAnswers.push_back(exe);
        QTest::mouseClick(c.viaTextBox ? static_cast<QWidget*>(win.w->TxtPath) : win.w->BtnBrowse, Qt::LeftButton);
        EXPECT_EQ(win.path(), win.t.root.file("game"));
        EXPECT_EQ(win.tests(), c.expected);
        EXPECT_EQ(win.w->BtnSet->isEnabled(), c.expected == report("YES", "YES", "YES", true));
    }
}

struct RepickCase {
    const char* name;
    std::optional<std::string> answer;  // "{A}" stands for the valid folder, "{W}" for one with war3.mpq alone
    const char* folder;                 // the text box afterwards
    bool setEnabled;
};

const RepickCase repickCases[] = {
    {"invalid folder disables Set again", "  {W}/War3.exe  ", "{W}", false},
    {"missing file changes nothing", "{W}/Missing.exe", "{A}", true},
    {"a folder is not a file", "{W}", "{A}", true},
    {"cancel changes nothing", std::nullopt, "{A}", true},
};

TEST(FrmSetPath, SecondPickReplacesTheResultOnlyForAnExistingFile) {
    for (const RepickCase& c : repickCases) {
        SCOPED_TRACE(c.name);
        Window win;
        std::string a = win.t.makeGameFolder("A"), wOnly = win.t.makeGameFolder("W", false, false);
        auto expand = [&](std::string s) { return replaceAll(replaceAll(s, "{A}", a), "{W}", wOnly); };
        win.pick(a + "/War3.exe");
        ASSERT_TRUE(win.w->BtnSet->isEnabled());
        std::string before = win.tests();

        win.t.dialogs.pickAnswers.push_back(c.answer ? std::optional(expand(*c.answer)) : std::nullopt);
        EXPECT_NO_THROW(win.w->BtnBrowse_Click());
        EXPECT_EQ(win.path(), expand(c.folder));
        EXPECT_EQ(win.w->BtnSet->isEnabled(), c.setEnabled);
        if (c.setEnabled) {
            EXPECT_EQ(win.tests(), before);
        }
    }
}

TEST(FrmSetPath, RetryIsOfferedOnlyForAnExactlyForcedFolder) {
    const std::pair<const char*, bool> cases[] = {{"TRUE", true}, {"true", false}, {"FALSE", false}, {nullptr, false}};
    for (const auto& [mark, enabled] : cases) {
        SCOPED_TRACE(mark ? mark : "<missing>");
        Window win({}, mark);
        EXPECT_EQ(win.w->BtnRetry->isEnabled(), enabled);
    }
}

struct RetryCase {
    const char* name;
    const char* detected;  // the machine's InstallPathX: "A", "W" or nothing
    bool pickFirst;        // a valid pick before the retry
    std::string expected;
};

const RetryCase retryCases[] = {
    {"detected game folder", "A", false, report("YES", "YES", "YES", true)},
    {"nothing detected", nullptr, false, report("NO", "NO", "NO", false)},
    {"nothing detected after a valid pick", nullptr, true, report("NO", "NO", "NO", false)},
    {"detected folder that the window rejects", "W", false, report("YES", "NO", "NO", false)},
};

TEST(FrmSetPath, RetryDeletesTheForcedFolderAndShowsWhatDetectionFinds) {
    for (const RetryCase& c : retryCases) {
        SCOPED_TRACE(c.name);
        Window win({}, "TRUE");
        std::string forced = win.t.makeGameFolder("Forced");
        win.setting("PATH", forced);
        std::string detected = c.detected ? win.t.makeGameFolder(c.detected, *c.detected == 'A', *c.detected == 'A') : "";
        if (c.detected)
            win.t.registry.setValue(RegRoot::LocalMachine, "Software\\Blizzard Entertainment\\Warcraft III",
                                    "InstallPathX", RegValue{regtype::Sz, detected + '\0'});
        if (c.pickFirst) win.pick(forced + "/War3.exe");

        QTest::mouseClick(win.w->BtnRetry, Qt::LeftButton);
        std::string config = paths::join(win.t.programFolder, "\\config.cfg");
        EXPECT_EQ(profile::read(config, "FORCED_PATH", "PATH"), std::nullopt);
        EXPECT_EQ(profile::read(config, "FORCED_PATH", "FORCED"), std::nullopt);
        EXPECT_EQ(win.path(), detected);
        EXPECT_FALSE(win.w->BtnRetry->isEnabled());
        EXPECT_EQ(win.tests(), c.expected);
        EXPECT_EQ(win.w->BtnSet->isEnabled(), c.expected == report("YES", "YES", "YES", true));
        EXPECT_TRUE(win.w->isVisible());
    }
}

}  // namespace
