#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <map>
#include <tuple>

#include "common/Text.h"
#include "platform/ProfileFile.h"
#include "startup/Main.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/StandIns.h"
#include "ui/Text.h"

namespace {

const QString Composer = "Test tool";

// In the composer: chooses "Stat&us" (keeping the line it composes in `status`), then the given
// option or the typed line, and presses "&TEST"; with neither, its close box. Other windows close.
WindowDriver developer(int option, const std::string& typed, std::string& status) {
    return WindowDriver([option, typed, &status](QWidget* w) {
        if (w->windowTitle() != Composer) {
            w->close();
            return;
        }
        auto* line = w->findChild<QLineEdit*>("Text1");
        w->findChild<QRadioButton*>("Option7")->click();
        status = ss(line->text());
        if (option) w->findChild<QRadioButton*>("Option" + QString::number(option))->click();
        line->setText(typed.empty() ? line->text() : qs(typed));
        if (option || !typed.empty())
            w->findChild<QPushButton*>("Command2")->click();
        else
            w->close();
    });
}

// The composer comes first and shows the game folder that was found, asking for none; the
// mode's own search then runs as on the command-line road: with no folder, the manual window
// and the warning come after the composer.
TEST(DevelopmentRoad, ComposerShowsTheGameFolderFoundWithoutAsking) {
    for (bool found : {true, false}) {
        SCOPED_TRACE(found ? "game folder found" : "no game folder");
        TestApp t;
        const std::string game = found ? t.forceGameFolder("game") : "";
        t.app.inIDE = true;
        std::string status;
        WindowDriver driver = developer(4, "", status);
        Main(t.app, t.shared, "");
        EXPECT_EQ(status, "--status=" + game);
        const QStringList windows = found ? QStringList{Composer, "About Vesk..."}
                                          : QStringList{Composer, "Set Manually Warcraft III path...", "About Vesk..."};
        EXPECT_EQ(driver.seen(), windows);
        EXPECT_EQ(t.dialogs.infos().size(), found ? 0u : 1u);
    }
}

struct Run {
    std::vector<std::string> infos;
    std::optional<int> endedWith;
    std::map<std::string, std::string> files;  // the whole temporary folder, its own name taken out
    bool operator==(const Run&) const = default;
};

// A run over a game folder and a menu entry 0: the line is the process's command line, or typed
// into the composer (an empty one: the composer closed) while the process's own would force
// another game folder.
Run run(const std::string& line, bool composed, std::size_t programs, std::size_t pages) {
    TestApp t;
    t.forceGameFolder("game");
    const std::string log = t.root.file("tool.log");
    writeRecordingProgram(t.root.file("tools/run-me"), log);
    profile::write(t.configPath(), "CSTMENU", "MNU_PATH_0", t.root.file("tools/run-me"));
    profile::write(t.configPath(), "CSTMENU", "MNU_ARG_0", "-x \"two words\"");
    t.app.inIDE = composed;
    std::string status;
    WindowDriver driver = developer(0, line, status);
    Main(t.app, t.shared, composed ? "--forcewc3path=/elsewhere" : line);
    EXPECT_EQ(driver.seen(), composed ? QStringList{Composer} : QStringList{});
    EXPECT_EQ(waitForRecordedRuns(log, programs).size(), programs);
    EXPECT_EQ(waitForRecordedRuns(t.openLog, pages).size(), pages);
    Run r{t.dialogs.infos(), t.endedWith, {}};
    for (const auto& [name, content] : snapshot(t.root.path())) r.files[name] = replaceAll(content, t.root.path(), "<>");
    return r;
}

// A composed line runs exactly as the same command line of the process does, for every mode
// that shows no window: boxes, reports, settings, registry, started programs, exit status.
TEST(DevelopmentRoad, ComposedLineRunsAsTheProcessCommandLine) {
    const std::tuple<std::string, std::size_t, std::size_t> cases[] = {
        {"", 0, 0},  // "Missing arguments...", no report
        {"--forcewc3path=/elsewhere/wc3", 0, 0}, {"--forcewc3path", 0, 0}, {"--sfa=ON", 0, 0}, {"--sfa=OFF", 0, 0},
        {"--sfa=ON --x", 0, 0}, {"--command=0", 1, 0}, {"--command=7", 0, 1}, {"--bogus", 0, 0}, {"about", 0, 1},
    };
    for (const auto& [line, programs, pages] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(run(line, true, programs, pages), run(line, false, programs, pages));
    }
}

}  // namespace
