#include "diagnostics/FrmAbout.h"

#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "diagnostics/SevenZipVersion.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const char* const Credits[] = {
    "Aldwyn Corrabeck",   "Merriel Fasquith",  "Tobin Erravane",     "Sorcha Liddelmoor",
    "Pell Vantorre",      "Ysolde Brackwater", "Casimir Dunleaf",    "Wren Hallowmark",
    "Edric Pennock-Vale", "Isaura Thistlecombe", "Garrow Mildenhythe", "Quill Aberlathe",
};

// A sibling tool counts as installed when its folder in the pack root holds its library; its
// version is the library's, which may be none.
std::string siblingVersion(const Shared& shared, const std::string& folder, const std::string& library) {
    const std::string where = paths::join(shared.PackFolder, folder);
    if (!fso::FolderExists(where) || !fso::FileExists(paths::join(where, library))) return {};
    return fso::GetFileVersion(paths::join(where, library));
}

std::string installedLine(const std::string& tool, const std::string& version) {
    return version.empty() ? std::string() : "* " + tool + " " + version + " is installed with this version of Vesk.";
}

void setUnderline(QWidget* control, bool on) {
    QFont font = control->font();
    if (font.underline() == on) return;
    font.setUnderline(on);
    control->setFont(font);
}

}  // namespace

FrmAbout::FrmAbout(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow("About Vesk...", 5895, 6255);

    // Made in tab order.
    Label1 = ui::makeCentredLabel(this, "Label1", "Vesk", 120, 120, 5535, 495);
    QFont title = font();
    title.setPixelSize(24);  // 18 pt on a screen of 96 dots per inch
    title.setBold(true);
    Label1->setFont(title);

    Version = ui::makeCentredLabel(this, "Version", "Version ", 120, 600, 5535, 255);

    Label2 = ui::makeCentredLabel(this, "Label2",
                              "This application is possible thanks to the hard work of the following people:", 120,
                              1080, 5640, 195);
    Label2->adjustSize();

    List1 = ui::makeList(this, "List1", 120, 1320, 5655, 2985);
    for (const char* name : Credits) List1->addItem(qs(name));
    List1->setEnabled(false);

    Command1 = ui::makeButton(this, "Command1", "&Close", 2040, 5760, 1695, 375);
    setDefaultButton(Command1);

    Label3 = ui::makeCentredLabel(this, "Label3", "Visit Dunmarrow for support, suggestions and more apps.", 120, 5400,
                              5655, 255);
    ui::setTextColour(Label3, 0, 0, 255);
    Label3->setCursor(Qt::WhatsThisCursor);

    Disclaimer = ui::makeLabel(this, "Disclaimer", "", 120, 4440, 5655, 855);

    Line1 = ui::makeLine(this, "Line1", 120, 960, 5760, 960, QPalette::WindowText);

    // The background's moves arrive here only with tracking on.
    setMouseTracking(true);
    connect(Command1, &QPushButton::clicked, this, ui::guarded([this] { Command1_Click(); }));
    ui::onClick(Label3, [this] { Label3_Click(); });
    ui::onMouseMove(Label3, [this] { Label3_MouseMove(); });
}

void FrmAbout::load() {
    Version->setText(qs("Version " + std::to_string(app_.versionMajor) + "." + std::to_string(app_.versionMinor) + "." +
                        std::to_string(app_.versionRevision)));

    const std::string lathewise = siblingVersion(shared_, "\\Lathewise", "\\Lathewise.dll");
    const std::string murl = siblingVersion(shared_, "\\murl", "\\murl.dll");
    const std::string sevenZip = SevenZipVersion(*app_.shell, paths::join(app_.programFolder, "\\7za.exe"));

    // Both line breaks stand, so each tool keeps its own line whichever is missing.
    Disclaimer->setText(qs(joinLines({
        "* This software uses 7ZIP version " + sevenZip + " to manage compressed files.",
        installedLine("Lathewise", lathewise),
        installedLine("Murl", murl),
    })));

    SetTopMost(this, true);
}

void FrmAbout::Command1_Click() { hide(); }

void FrmAbout::Form_MouseMove() { setUnderline(Label3, false); }

void FrmAbout::Label3_Click() { ExecuteFile(app_, "open", WebAddress(app_, HomePage), "", "", 1, false); }

void FrmAbout::Label3_MouseMove() { setUnderline(Label3, true); }

void FrmAbout::mouseMoveEvent(QMouseEvent* event) {
    // Moves over a control that passes them on (a disabled one, a list's viewport) come here
    // too; only the background itself takes the underline away.
    if (!childAt(event->position().toPoint())) ui::runGuarded([this] { Form_MouseMove(); });
    Form::mouseMoveEvent(event);
}
