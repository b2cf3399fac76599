#include "gamepath/FrmSetPath.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "gamepath/GetWC3Path.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "registry/RegistryManager.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string ConfigFile = "\\config.cfg";
const std::string Section = "FORCED_PATH";

// An empty folder would put the files at the root of the file system.
bool existsIn(const std::string& folder, const std::string& name) {
    return !folder.empty() && fso::FileExists(paths::join(folder, name));
}

std::string yesNo(bool exists) { return exists ? "YES" : "NO"; }

}  // namespace

FrmSetPath::FrmSetPath(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow("Set Manually Warcraft III path...", 6945, 4095);
    keepOutOfTaskbar();

    // Created in tab order.
    TxtPath = ui::makeTextBox(this, "TxtPath", "", 120, 1320, 5535, 495, true);
    BtnBrowse = ui::makeButton(this, "BtnBrowse", "&Browse...", 5760, 1320, 1095, 495);
    Frame1 = ui::makeFrame(this, "Frame1", "Result:", 120, 1920, 6735, 1575);
    LblTests = ui::makeLabel(Frame1, "LblTests", "<No path has been defined>", 120, 240, 6495, 1215);
    BtnSet = ui::makeButton(this, "BtnSet", "&Set", 5760, 3600, 1095, 375);
    ui::makeBold(BtnSet);
    BtnSet->setEnabled(false);
    Label1 = ui::makeLabel(this, "Label1",
                           "This user interface should be used only if Warcraft III path can't be detected "
                           "automatically or if you need to set a special path to another installation (I know some "
                           "people who still has some strange WC3 stituations). Please remember that using this "
                           "interface could imply that you need to review (and probably fix) your WC3 installation.",
                           120, 120, 6615, 975);
    BtnRetry = ui::makeButton(this, "BtnRetry", "Clean and retry current WC3 path detection...", 120, 3600, 3495, 375);
    BtnRetry->setEnabled(false);

    connect(BtnBrowse, &QPushButton::clicked, this, ui::guarded([this] { BtnBrowse_Click(); }));
    connect(BtnSet, &QPushButton::clicked, this, ui::guarded([this] { BtnSet_Click(); }));
    connect(BtnRetry, &QPushButton::clicked, this, ui::guarded([this] { BtnRetry_Click(); }));
    // The locked text box opens the picker when clicked, as the Browse button does.
    ui::onClick(TxtPath, [this] { BtnBrowse_Click(); });
}

void FrmSetPath::load() {
    SetTopMost(this, true);
    // The value of the first option, whatever the option, is where the picker starts.
    PathArg = shared_.CmdArgs.size() > 1 ? splitAll(shared_.CmdArgs[1], "=") : std::vector<std::string>{};
    TxtPath->setText(qs(startFolder()));
    // Only the window itself writes "TRUE"; anything else was not forced here.
    if (ReadIniValue(app_, Section, "FORCED", ConfigFile) == "TRUE") BtnRetry->setEnabled(true);
}

void FrmSetPath::BtnBrowse_Click() {
    std::optional<std::string> chosen =
        app_.dialogs->openFile(this, FilePickerSpec{{{"war3.exe", "war3.exe"}}, startFolder(), "Get Warcraft III directory..."});
    if (!chosen) return;
    std::string name = trimBlanks(*chosen);
    // A name typed for a file that is not there leaves everything as it was.
    if (!fso::FileExists(name)) return;
    TxtPath->setText(qs(fso::GetFile(name).ParentFolder()));
    testFolder();
}

void FrmSetPath::BtnSet_Click() {
    WriteIniValue(app_, Section, "PATH", ss(TxtPath->text()), ConfigFile);
    WriteIniValue(app_, Section, "FORCED", std::string("TRUE"), ConfigFile);
    // Ends the modal show; whoever showed the window destroys it.
    hide();
}

void FrmSetPath::BtnRetry_Click() {
    // The deletion stays even when the user then closes the window.
    WriteIniValue(app_, Section, "PATH", std::nullopt, ConfigFile);
    WriteIniValue(app_, Section, "FORCED", std::nullopt, ConfigFile);
    TxtPath->setText(qs(GetWC3Path(app_, shared_, false)));
    BtnRetry->setEnabled(false);
    // The report and Set must speak of the folder now shown, not of an earlier pick.
    testFolder();
}

std::string FrmSetPath::startFolder() const { return PathArg.size() > 1 ? PathArg[1] : std::string(); }

void FrmSetPath::testFolder() {
    const std::string folder = ss(TxtPath->text());
    const bool game = existsIn(folder, "\\war3.mpq");
    const bool expansion = existsIn(folder, "\\War3x.mpq");
    const bool patch = existsIn(folder, "\\War3Patch.mpq");
    const bool valid = game && expansion && patch;
    LblTests->setText(qs(joinLines({"war3.mpq exists: " + yesNo(game), "War3x.mpq exists: " + yesNo(expansion),
                                    "War3Patch.mpq exists: " + yesNo(patch),
                                    valid ? "This is a valid path." : "This is NOT a valid path."})));
    // Set stores whatever the text box holds, so it may only be pressed for a folder that passed.
    BtnSet->setEnabled(valid);
}
