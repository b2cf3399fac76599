#include "testing/FrmMulti.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "setup/FrmPatcher.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string Caption = "Multisession Tool.";
const std::string Loader = "\\Tandrel.exe";
const std::string LoaderLibrary = "\\Quenlit.dll";

}  // namespace

GameVersion readGameVersion(const std::string& versionText) {
    const std::vector<std::string> parts = splitAll(versionText, ".");
    GameVersion version;
    version.major = partAt(parts, 0);
    version.minor = partAt(parts, 1);
    version.compatible = version.minor == "26";
    return version;
}

FrmMulti::FrmMulti(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow(Caption, 7095, 5310);

    Image1 = new QLabel(this);
    ui::setupImage(Image1, "Image1", 100, 120, 480, 1500, 1500);
    Image1->setCursor(Qt::WhatsThisCursor);
    Image1->setToolTip(qs("Click over the image in order to send feedback about this plugin."));
    ui::onClick(Image1, [this] { Image1_Click(); });

    // Made in tab order.
    Label1 = ui::makeLabel(this, "Label1", "Number of Warcraft III sessions to open simultaneously:", 1920, 120,
                           3915, 195);
    Label1->adjustSize();

    TxtSession = ui::makeTextBox(this, "TxtSession", "Text1", 6000, 120, 375, 285, true);
    TxtSession->setAlignment(Qt::AlignCenter);
    TxtSession->setToolTip(qs("Maximum number of simultaneous sessions: 12"));
    // The active-border colour of the classic desktop scheme; Qt has no role for it.
    ui::setBoxBackground(TxtSession, QColor(212, 208, 200));

    SesCount = ui::makeScrollBar(this, "SesCount", Qt::Horizontal, 6480, 120, 495, 255);

    Frame1 = ui::makeFrame(this, "Frame1", "Warning:", 1920, 840, 5055, 735);
    Label2 = ui::makeLabel(Frame1, "Label2",
                           "The more windows you set, more RAM memory will be consumed by the game. Please manage "
                           "this tool wisely.",
                           120, 240, 4770, 495);
    ui::makeBold(Label2);

    BtnClose = ui::makeButton(this, "BtnClose", "&Close and RUN", 5400, 4800, 1575, 375);
    setDefaultButton(BtnClose);

    Label3 = ui::makeBorderedLabel(this, "Label3",
                               "This tool will allow you to define how many instances of Warcraft III you want to "
                               "run at the same time. It's very useful to test map desyncs and other multiplayer "
                               "features in your map. Loader by its own author.",
                               1920, 1680, 5055, 855);

    TxtArg = ui::makeTextBox(this, "TxtArg", "", 1920, 480, 5055, 285, true);
    TxtArg->setToolTip(qs("The arguments set by default..."));
    ui::setBoxBackground(TxtArg, palette().color(QPalette::Button));

    Label4 = ui::makeBorderedLabel(this, "Label4", "Label4", 120, 2640, 6855, 2055);

    LblWarn = ui::makeLabel(this, "LblWarn", "Warning: Current patch is 1.27. This tool only works with patch 1.26.",
                            120, 4800, 5175, 495);
    ui::makeBold(LblWarn);

    connect(SesCount, &QScrollBar::valueChanged, this, ui::guarded([this] { SesCount_Change(); }));
    connect(BtnClose, &QPushButton::clicked, this, ui::guarded([this] { BtnClose_Click(); }));
}

void FrmMulti::load() {
    // The value first: leaving the design-time range 0 to 99 fires the change, so TxtSession shows "1".
    SesCount->setValue(1);
    SesCount->setMaximum(12);
    SesCount->setMinimum(1);

    TxtArg->setText(qs(shared_.ArgValue));

    Label4->setText(qs(joinLines({
        "How to use multiplayer testing:",
        "  1. Select 2 or more windows to open in the selection",
        "  2. Press 'CLOSE and RUN' Button.",
        "  3. In one of the Warcraft III opened sessions, select 'Local Area Network'",
        "  4. Select 'Create Game'",
        "  5. Select the game you want to play, set the Advanced options if needed, and click in 'Create game'",
        "  6. For each WC3 session remaining, select 'Local Area Network' and you will see the game created in the "
        "games list. Join to it.",
        "  7. In the initial session, start the game and have fun!!",
    })));

    SetTopMost(this, true);

    // The patcher may change the game's version, so after each of its runs the check starts over.
    for (;;) {
        const std::string game = paths::join(shared_.WC3Path, "\\War3.exe");
        if (!fso::FileExists(game)) {
            unload();
            return;
        }
        const GameVersion version = readGameVersion(fso::GetFileVersion(game));
        const std::string named = "The current version of WC3 is " + version.major + "." + version.minor + ".";
        if (version.compatible) {
            BtnClose->setEnabled(true);
            LblWarn->setText(qs(named + " This version is compatible with the multiplayer emulation plugin."));
            ui::setTextColour(LblWarn, 0, 153, 51);
            return;
        }
        BtnClose->setEnabled(false);
        LblWarn->setText(qs(named + " This version is not compatible with the multiplayer emulation plugin."));
        ui::setTextColour(LblWarn, 255, 0, 0);

        const std::string question = ss(LblWarn->text()) + " Do you wish to download 1.26 patch?" + CRLF +
                                     "[REMEMBER: this will close World Editor for the patching process.]";
        if (!app_.dialogs->askYesNo(this, ss(windowTitle()), question)) return;

        FrmPatcher patcher(app_, shared_, this);
        patcher.load();
        patcher.showModal();
    }
}

void FrmMulti::SesCount_Change() { TxtSession->setText(QString::number(SesCount->value())); }

void FrmMulti::BtnClose_Click() {
    // Both are looked for, whichever is missing.
    const bool hasLoader = fso::FileExists(paths::join(app_.programFolder, Loader));
    const bool hasLibrary = fso::FileExists(paths::join(app_.programFolder, LoaderLibrary));
    if (hasLoader && hasLibrary) {
        // One line and no line end: the loader takes the whole file as the game's command.
        fso::WriteTextFile(paths::join(app_.programFolder, "\\Config.txt"),
                           paths::join(shared_.WC3Path, "\\war3.exe") + " " + ss(TxtArg->text()));
        // The file may be spelt in another case than the name the loader goes by.
        const std::string loader = paths::resolve(paths::join(app_.programFolder, Loader));
        for (int i = 0; i < SesCount->value(); ++i) ExecuteFile(app_, "open", loader, "", app_.programFolder, 1, false);
    } else {
        ShowInfo(app_, "Quenlit.dll or Tandrel.exe is not in the app path...");
    }
    app_.endProcess(0);
}

void FrmMulti::Image1_Click() { ExecuteFile(app_, "open", WebAddress(app_, ForumTopicPage), "", "", 1, false); }
