#include "testing/FrmLoading.h"

#include <sys/stat.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string SameNameCaption = "Load the map with the name ";
const std::string OwnNameCaption =
    "Load the map with the original name, changed the spaces by \"_\". (recommended for replay sharing). "
    "Remember: if the map name is too long (including path) this map could not start. New map name: ";

std::string countdownText(int seconds) {
    return "The map will start in " + std::to_string(seconds) + (seconds == 1 ? " second..." : " seconds...");
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

}  // namespace

FrmLoading::FrmLoading(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow("Starting map...", 7335, 2775);

    // Made in tab order, so the first that takes the focus is the button.
    LblInfo = ui::makeLabel(this, "LblInfo", "Note:", 960, 120, 6255, 975);
    BtnTrigger = ui::makeButton(this, "BtnTrigger", "&Play", 6000, 2280, 1215, 375);

    LblTimer = ui::makeLabel(this, "LblTimer", "The map will start in ", 960, 2400, 1785, 195);
    ui::makeBold(LblTimer);
    LblTimer->adjustSize();

    LoadOption[0] = ui::makeOption(this, "LoadOption(0)", SameNameCaption, 960, 1200, 6255, 255);
    LoadOption[0]->setChecked(true);
    LoadOption[1] = ui::makeOption(this, "LoadOption(1)", OwnNameCaption, 960, 1560, 6255, 615);

    Image1 = new QLabel(this);
    ui::setupImage(Image1, "Image1", 48, 120, 120, 735, 750);
    Image1->setFrameShape(QFrame::Box);

    Cleaner = new QTimer(this);
    Cleaner->setObjectName("Cleaner");

    connect(Cleaner, &QTimer::timeout, this, ui::guarded([this] { Cleaner_Timer(); }));
    connect(BtnTrigger, &QPushButton::clicked, this, ui::guarded([this] { BtnTrigger_Click(); }));
}

void FrmLoading::load() {
    // The option's name is not looked at: "--arguments=-window" gives "-window". An option
    // without "=" has no second piece and fails the load.
    GameArgs = shared_.CmdArgs.size() == 3 ? partAt(splitAll(shared_.CmdArgs[2], "="), 1) : std::string();

    const std::string mapName = shared_.TargetFile.value().Name();
    setWindowTitle(qs("Loading: " + mapName + " with " + GameArgs + "..."));

    const std::vector<std::string> pieces = splitAll(mapName, ".");
    const std::string extension = pieces.empty() ? std::string() : pieces.back();
    TestMapName = "testmap_" + std::to_string(app_.versionMajor) + "." + std::to_string(app_.versionMinor) + "." +
                  extension;

    LblInfo->setText(qs("Note: By default, the map will be saved as: " + TestMapName + CRLF + " in: " +
                        paths::join(shared_.WC3Path, "\\Maps\\Test\\.") + CRLF +
                        "We don't suggest to use this loading procedure to save a game replay, because the replay "
                        "will use the temporary map name."));

    Cleaner->setInterval(1000);
    Cleaner->start();
    Countdown = 10;
    LblTimer->setText(qs(countdownText(Countdown)));
    LblTimer->adjustSize();

    setDefaultButton(BtnTrigger);

    LoadOption[0]->setText(qs(SameNameCaption + "'" + TestMapName + "'"));
    LoadOption[1]->setText(qs(OwnNameCaption + replaceAll(mapName, " ", "_")));
}

void FrmLoading::Cleaner_Timer() {
    --Countdown;
    LblTimer->setText(qs(countdownText(Countdown)));
    LblTimer->adjustSize();
    if (Countdown == 0) BtnTrigger_Click();
}

void FrmLoading::BtnTrigger_Click() {
    // The countdown ends with the launch: a later tick must not launch again, nor report a
    // failed launch once a second.
    Cleaner->stop();

    const fso::File& map = shared_.TargetFile.value();
    if (LoadOption[1]->isChecked()) TestMapName = replaceAll(map.Name(), " ", "_");

    // Linux game folders may spell "Maps" in any case: the test folder follows the one there is.
    const std::string testFolder = paths::resolve(paths::join(shared_.WC3Path, "\\Maps\\Test"));
    if (!fso::FolderExists(testFolder)) fso::CreateFolder(testFolder);

    const std::string copy = paths::resolve(testFolder + paths::Separator + TestMapName);
    // Copying the map onto itself would only risk its content.
    if (!sameFile(paths::resolve(map.Path()), copy)) fso::CopyFile(map.Path(), copy, true);

    // The game reads its own path form: the folder as the game names it, whatever the spelling on disk.
    const std::string relative = "Maps\\Test\\" + paths::fileNameOf(copy);
    // The game's own arguments go as the user wrote them; the names are ours to keep whole.
    ExecuteFile(app_, "open", "War3.exe", GameArgs + " -loadfile " + quoteWindowsArgument(relative), shared_.WC3Path,
                1, false);
    ExecuteFile(app_, "open", "explorer.exe", "/select," + quoteWindowsArgument(copy), "", 1, false);
    hide();
}
