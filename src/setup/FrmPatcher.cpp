#include "setup/FrmPatcher.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "platform/Download.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "setup/PatchInstallation.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const char* const Archives[10] = {
    "TFTVersion1.21b.zip", "TFTVersion1.22a.zip", "TFTVersion1.23a.zip", "TFTVersion1.24a.zip",
    "TFTVersion1.24b.zip", "TFTVersion1.24c.zip", "TFTVersion1.24d.zip", "TFTVersion1.24e.zip",
    "TFTVersion1.26a.zip", "TFTVersion1.27a.zip",
};

const std::string DownloadCaption = "&Download Patch";
const std::string ApplyCaption = "&Apply Patch";

// The notes are kept with their line breaks written as backslash and "n", as they were first typed.
const std::string NoteA =
    "Warcraft III 1.21 patch.\\n\\nThis version could allow to run those old maps that weren't updated but are good "
    "enough to remember the old days.\\n The game now runs natively on both PowerPC-based and Intel-based Macs. "
    "Player can now view frames per second using the \"/fps\" chat command. The fixes in this version are: Fixed a "
    "timing problem with the game on PCs with dual-core CPUs. Fixed a crash that could occur with the Frost Breath "
    "ability. Fixed a crash that could happen in multiplayer games. Fixed an exploit that could happen in "
    "multiplayer games.";
const std::string NoteB =
    "Patch 1.22a. Realease date: June 30 2008\\nThere is now a replay auto-save feature in the options menu. Replays "
    "are automatically saved to the \"replay\" folder.\\nThe game is now automatically saved in the event of a "
    "potential disconnect. These saved games are placed in the \"save\" folder.\\nPlayer color selection can now be "
    "limited by the number of players in the game using an option in the \"Advanced Options\" screen during game "
    "creation.\\nAdded an option to always show unit and building health bars.\\nYou can now enable and disable the "
    "display of minimap signals from players and other observers using chat commands: \\n  /showminimapsignals and "
    "/hideminimapsignals.\\nAdded a new in-game cheat \"maxfps\" to limit the maximum frame rate to the given number. "
    "Example: \"maxfps 30\" will set the maximum frame rate to 30 FPS.";
const std::string NoteC =
    "Battle.net now uses a new banner ad system.\\n\\nFIXES\\n* Fixed an exploit where an altered custom map would be "
    "seen identical to the original custom map.\\n* Fixed an issue where some patches could not apply on Intel Macs.";
const std::string NoteD1 =
    "PC WORLD EDITOR CHANGES\\n\\n Added new JASS hash table functions to replace the lost functionality from fixing "
    "unsafe type casting.\\n* Hash Table - Save Item Handle\\n* Hash Table - Save Unit Handle\\n* ...\\n* Hash Table - "
    "Load Item Handle\\n* Hash Table - Load Unit Handle\\n* ...\\n* Hash Table - Get Handle ID\\n\\nFIXES\\n\\n* Fixed "
    "an exploit related to unsafe type casting that allowed users to execute arbitrary code in maps.\\n* Fixed the "
    "JASS unsafe type casting exploit (\"return bug\").\\n* Fixed several World Editor crashes.\\n\\n";
const std::string NoteD2 =
    "ADDITIONAL\\n* \"Shadowing\" global variables with local variables no longer is possible.\\n* Fixed a type "
    "conversion dealing with operators (i.e. adding a handle with an integer)\\n* Added the ability to store "
    "hashtable handles in a hashtable\\n* Added getSpellTargetX and getSpellTargetY natives\\n* Added a new base "
    "handle type \"Agent\" of which many types now extend from.\\n* Added a SaveAgentHandle native which can be used "
    "for saving most handle types\\n* Added a JASS optimization dealing with global variable change events.\\n* "
    "Increased max map file size from 4MB to 8MB.";
const std::string NoteE =
    "USE THIS PATCH TO RUN WC3 MULTIPLAYER EMULATION!!!\\n\\nWarcraft III 1.26 Fixes:\\n* Hex will no longer provide "
    "a speed boost to a Hero if cast at the end of Metamorphosis or Chemical Rage effects.\\n* Reverted the 1.25b "
    "fix, \"Hex will no longer extend the duration of Metamorphosis.\"\\n* Fixed an issue where some Mac patches "
    "could lead to disconnections during Battle.net games.\\n\\nThis was tha latest version for a long time, so this "
    "version is where most of the mods for WC3 were stablished. Therefore, this version should be used in order for "
    "modding and mapping.";
const std::string NoteF =
    "The latest version of WC3. Required to play on Battle net.\\n\\nSpecific Changes & Improvements\\n\\n- Throw away "
    "that old PowerPC Mac in the closet, we\u2019ve created a new installer to support Mac 10.10 and 10.11\\n- "
    "Improved compatibility with Windows 7, 8.1, and 10\\n- Fixed a crash caused by Chain Lightning";

std::string noteOf(int row) {
    switch (row) {
        case 0: return NoteA;
        case 1: return NoteB;
        case 2: return NoteC;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7: return NoteD1 + NoteD2;
        case 8: return NoteE;
        case 9: return NoteF;
        default: failure::raise(failure::SubscriptOutOfRange);
    }
}

// "TFTVersion1.24a.zip" is listed as "Version 1.24a".
std::string rowTextOf(std::string archive) {
    const std::string prefix = "TFTVersion";
    const std::string suffix = ".zip";
    if (archive.rfind(prefix, 0) == 0) archive.erase(0, prefix.size());
    if (archive.size() >= suffix.size() && archive.compare(archive.size() - suffix.size(), suffix.size(), suffix) == 0)
        archive.erase(archive.size() - suffix.size());
    return "Version " + archive;
}

void paint(QLabel* label, const std::string& text, int red, int green, int blue) {
    ui::setTextColour(label, red, green, blue);
    label->setText(qs(text));
}

}  // namespace

FrmPatcher::FrmPatcher(App& app, Shared& shared, QWidget* owner) : Form(owner), app_(app), shared_(shared) {
    setupWindow("Warcraft III Version Patcher", 8775, 4095);

    // Created in tab order.
    Label1 = ui::makeLabel(
        this, "Label1",
        "This tool has been added to Vesk due to the incompatibilities offered by the recent patch 1.27. This could "
        "be useful for other modding requirements in other map games, for example: run old maps. This tool reverts or "
        "upgrades the Warcraft III installation files, which could lead to game information loss. PLEASE save a copy "
        "in OTHER FOLDER than Warcraft III folder of your important map files before using this plugin.",
        1080, 120, 7545, 915);

    VersionList = ui::makeList(this, "VersionList", 120, 1440, 2055, 2205);

    FrmInfo = ui::makeFrame(this, "FrmInfo", "Important Notes:", 2280, 1320, 6375, 2295);
    TxtInfo = new QTextEdit(FrmInfo);
    TxtInfo->setObjectName("TxtInfo");
    TxtInfo->setReadOnly(true);
    TxtInfo->setAcceptRichText(false);
    TxtInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(TxtInfo, 120, 240, 6135, 1455);
    LblStatus = ui::makeLabel(FrmInfo, "LblStatus", "", 120, 1920, 2895, 255);
    BtnApply = ui::makeButton(FrmInfo, "BtnApply", DownloadCaption, 4320, 1800, 1935, 375);
    setDefaultButton(BtnApply);

    LblVersion = ui::makeLabel(this, "LblVersion", "Current version installed: ", 1080, 960, 2190, 195);
    ui::makeBold(LblVersion);
    LblVersion->adjustSize();

    LblErrStatus = ui::makeLabel(this, "LblErrStatus", "Ok", 120, 3720, 8535, 255);
    LblErrStatus->setFrameShape(QFrame::Box);

    Image1 = new QLabel(this);
    ui::setupImage(Image1, "Image1", 48, 120, 240, 720, 720);

    Line1 = new QFrame(this);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    place(Line1, 120, 1200, 8640 - 120, 2 * TwipsPerPixel);

    // A list that loses its selection has nothing to show; only a selected row counts as a click.
    connect(VersionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ui::runGuarded([this] { VersionList_Click(); });
    });
    connect(BtnApply, &QPushButton::clicked, this, ui::guarded([this] { BtnApply_Click(); }));
}

void FrmPatcher::load() {
    // An installation killed part-way is undone before anything reads the game folder.
    const std::string recovered = patch::recoverInterrupted(shared_.WC3Path);
    if (!recovered.empty()) LblErrStatus->setText(qs(recovered));

    // Nothing can be asked to quit here, and the button stays usable: a patcher that cannot
    // patch would only show versions.
    CloseWarcraftWindow();

    if (!fso::FolderExists(patchesFolder())) fso::CreateFolder(paths::join(app_.programFolder, "\\Patches"));

    for (int i = 0; i < 10; ++i) PatchArchives[i] = Archives[i];
    VersionList->clear();
    for (const std::string& archive : PatchArchives) VersionList->addItem(qs(rowTextOf(archive)));

    VersionList->setCurrentRow(DetectInstalledVersion());
}

void FrmPatcher::BtnApply_Click() {
    const std::string archive = selectedArchive();
    VersionList->setEnabled(false);
    BtnApply->setEnabled(false);

    if (ss(BtnApply->text()) == DownloadCaption) {
        LblErrStatus->setText(qs("Downloading... please wait."));
        // The download blocks the window: let the text be painted first.
        QCoreApplication::processEvents();
        const Downloader::Result result =
            app_.downloader->download(WebAddress(app_, "/WC3Patches/" + archive), patchesFolder() + "/" + archive);
        LblErrStatus->setText(qs(result.ok ? archive + " has been downloaded."
                                           : "Download of " + archive + " failed: " + result.reason + "."));
    } else {
        LblErrStatus->setText(qs("Patching Warcraft III with " + ss(VersionList->currentItem()->text())));
        LblErrStatus->setText(qs(ExtractAndInstallPatch(patchesFolder() + "/" + archive, shared_.WC3Path)));
    }

    VersionList->setEnabled(true);
    BtnApply->setEnabled(true);
    VersionList_Click();
}

void FrmPatcher::VersionList_Click() {
    // Refreshes the installed version, which an installation has just changed.
    DetectInstalledVersion();

    const int row = VersionList->currentRow();
    // The text box breaks lines at "\n"; the stored notes write a break as backslash and "n".
    TxtInfo->setPlainText(qs(replaceAll(noteOf(row), "\\n", "\n")));

    if (fso::FileExists(patchesFolder() + "/" + selectedArchive())) {
        paint(LblStatus, "Patch ready to apply.", 0, 153, 51);
        BtnApply->setText(qs(ApplyCaption));
    } else {
        paint(LblStatus, "Patch not found. Please download it.", 255, 0, 0);
        BtnApply->setText(qs(DownloadCaption));
    }
}

int FrmPatcher::DetectInstalledVersion() {
    const std::string version = fso::GetFileVersion(paths::join(shared_.WC3Path, "\\war3.exe"));
    LblVersion->setText(qs("Current version installed: " + version));
    LblVersion->adjustSize();
    return RowOfVersion(version);
}

int FrmPatcher::RowOfVersion(const std::string& version) {
    const std::string second = partAt(splitAll(version, "."), 1);
    if (second == "21") return 0;
    if (second == "22") return 1;
    if (second == "23") return 2;
    if (second == "24") return 3;
    if (second == "26") return 8;
    if (second == "27") return 9;
    return 0;
}

std::string FrmPatcher::ExtractAndInstallPatch(const std::string& archivePath, const std::string& wc3Path) {
    if (!fso::FileExists(archivePath) || !fso::FileExists(paths::join(app_.programFolder, "\\7za.exe")))
        return "No Compressed file found...";
    // Without a game folder the files would land at the root of the file system.
    if (wc3Path.empty()) return "No Warcraft III folder is known: nothing was installed.";

    // Whatever an earlier run left in Temp would be installed along with this archive.
    const std::string temp = paths::join(app_.programFolder, "\\Temp");
    if (fso::FolderExists(temp)) fso::DeleteFolder(temp);

    // 7-Zip on this system reads only '/' as a separator, and the folder keeps whatever case it has on disk.
    const std::string parameters = "x ./" + paths::fileNameOf(patchesFolder()) + "/" +
                                   fso::GetFile(archivePath).Name() + " -o./Temp/ -aoa";
    const int code = ExecuteFile(app_, "open", "7za.exe", parameters, app_.programFolder, 2, true);
    switch (code) {
        case 0: break;
        case 1: return "Warning, one or more files were locked by some other application, so they were not processed.";
        case 2: return "Fatal error";
        case 7: return "Command line error";
        case 8: return "Not enough memory for operation";
        default: return "";
    }

    const std::string failed = patch::installFiles(temp, wc3Path, *app_.clock);
    if (!failed.empty()) return failed;
    return "'" + rowTextOf(paths::fileNameOf(archivePath)) + "' has been successfully extracted and moved to '" +
           wc3Path + "'";
}

std::string FrmPatcher::patchesFolder() const { return paths::resolve(paths::join(app_.programFolder, "\\Patches")); }

std::string FrmPatcher::selectedArchive() const {
    const int row = VersionList->currentRow();
    if (row < 0 || row >= 10) failure::raise(failure::SubscriptOutOfRange);
    return PatchArchives[row];
}
