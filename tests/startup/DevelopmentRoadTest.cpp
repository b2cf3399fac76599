#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <map>

#include "common/Text.h"
#include "platform/ProfileFile.h"
#include "startup/Main.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/StandIns.h"
#include "ui/Text.h"

namespace {

const QString Composer = "Test tool";

// What the composer does in these runs: chooses an option or types a line, then presses
// "&TEST" or its close box. Every other window is closed.
struct Developer {
    int option = 0;        // chosen when not 0
    std::string typed;     // typed over the line when not empty
    bool test = true;      // "&TEST", else the close box
    std::string composed;  // the line as it stood when the composer was left
};

WindowDriver drive(Developer& d) {
    return WindowDriver([&d](QWidget* w) {
        if (w->windowTitle() != Composer) {
            w->close();
            return;
        }
        auto* line = w->findChild<QLineEdit*>("Text1");
        if (d.option) w->findChild<QRadioButton*>("Option" + QString::number(d.option))->click();
        if (!d.typed.empty()) line->setText(qs(d.typed));
        d.composed = ss(line->text());
        if (d.test)
            w->findChild<QPushButton*>("Command2")->click();
        else
            w->close();
    });
}

// With no game folder the composer comes first, asking for none; the mode's own search then
// shows the manual window and the warning, as on the command-line road.
TEST(DevelopmentRoad, LooksForTheGameFolderQuietlyBeforeTheComposer) {
    TestApp t;
    t.app.inIDE = true;
    Developer d;
    d.option = 4;
    WindowDriver driver = drive(d);
    Main(t.app, t.shared, "");
    EXPECT_EQ(driver.seen(), (QStringList{Composer, "Set Manually Warcraft III path...", "About Vesk..."}));
    ASSERT_EQ(t.dialogs.infos().size(), 1u);
    EXPECT_EQ(t.dialogs.infos()[0].rfind("Dear user: despite all the efforts", 0), 0u);
    EXPECT_EQ(t.endedWith, 0);
}

// The composer sees the folder that was found; its close box hands over nothing, which is
// "Missing arguments..." with no report. The process's own command line counts for nothing on
// this road, and is all there is on the other, which shows no composer.
TEST(DevelopmentRoad, ClosedComposerIsAnEmptyCommandLine) {
    for (bool inIDE : {true, false}) {
        SCOPED_TRACE(inIDE ? "development road" : "command-line road");
        TestApp t;
        const std::string game = t.forceGameFolder("game");
        t.app.inIDE = inIDE;
        Developer d;
        d.option = 7;
        d.test = false;
        WindowDriver driver = drive(d);
        Main(t.app, t.shared, "--forcewc3path=/elsewhere");
        EXPECT_EQ(driver.seen(), inIDE ? QStringList{Composer} : QStringList{});
        EXPECT_EQ(d.composed, inIDE ? "--status=" + game : "");
        EXPECT_EQ(t.dialogs.infos(), inIDE ? std::vector<std::string>{"Missing arguments..."} : std::vector<std::string>{});
        EXPECT_EQ(t.endedWith, 0);
        EXPECT_EQ(profile::read(t.configPath(), "FORCED_PATH", "PATH"), inIDE ? game : "/elsewhere");
    }
}

// All that a run leaves behind, its temporary folder's name taken out.
struct Footprint {
    std::vector<std::string> infos;
    std::optional<int> endedWith;
    std::map<std::string, std::string> files;
    bool operator==(const Footprint&) const = default;
};

struct RunCase {
    std::string line;
    std::size_t programs;  // runs of the menu entry's program
    std::size_t pages;     // web pages opened (the report's reply page)
};

// One run over a game folder and a menu entry 0, the line given to the process or typed into
// the composer.
Footprint footprintOf(const RunCase& c, bool composed) {
    TestApp t;
    t.forceGameFolder("game");
    const std::string log = t.root.file("tool.log");
    writeRecordingProgram(t.root.file("tools/run-me"), log);
    profile::write(t.configPath(), "CSTMENU", "MNU_PATH_0", t.root.file("tools/run-me"));
    profile::write(t.configPath(), "CSTMENU", "MNU_ARG_0", "-x \"two words\"");
    t.app.inIDE = composed;
    Developer d;
    d.typed = c.line;
    WindowDriver driver = drive(d);
    Main(t.app, t.shared, composed ? "--sfa=OFF" : c.line);
    EXPECT_EQ(driver.seen(), composed ? QStringList{Composer} : QStringList{});
    EXPECT_EQ(waitForRecordedRuns(log, c.programs).size(), c.programs);
    EXPECT_EQ(waitForRecordedRuns(t.openLog, c.pages).size(), c.pages);
    Footprint f{t.dialogs.infos(), t.endedWith, {}};
    for (const auto& [name, content] : snapshot(t.root.path())) f.files[name] = replaceAll(content, t.root.path(), "<root>");
    return f;
}

// A composed line runs exactly as the same command line of the process does, for every mode
// that shows no window: messages, reports, settings, registry, started programs.
TEST(DevelopmentRoad, ComposedLineRunsAsTheProcessCommandLine) {
    const RunCase cases[] = {
        {"--forcewc3path=/elsewhere/wc3", 0, 0},
        {"--forcewc3path", 0, 0},
        {"--sfa=ON", 0, 0},
        {"--sfa=OFF", 0, 0},
        {"--sfa=ON --x", 0, 0},
        {"--command=0", 1, 0},
        {"--command=7", 0, 1},
        {"--bogus", 0, 0},
        {"--checkupdates", 0, 0},
        {"about", 0, 1},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.line);
        const Footprint process = footprintOf(c, false);
        EXPECT_EQ(footprintOf(c, true), process);
    }
}

}  // namespace
