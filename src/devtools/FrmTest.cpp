#include "devtools/FrmTest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Text.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

// What follows an option's fixed start in its line.
enum class Tail { Nothing, Map, GamePath };

struct OptionLine {
    const char* caption;
    int width;
    const char* start;
    Tail tail;
    // Put before the optional game arguments; none for the options that take no game arguments.
    const char* argumentsSeparator = nullptr;
};

// Option k is Options[k - 1]. The options that take a map keep "&Open Map..." enabled while they
// are selected; every other disables it, "WC3 Patcher" included.
const OptionLine Options[12] = {
    {"&Setup Map Settings", 1815, "--setupmaptesting=", Tail::Map},
    {"&Multisession", 1215, "--multisession", Tail::Nothing, "="},
    {"&Load Map", 1095, "--loadmap=", Tail::Map, " --arguments="},
    {"&About", 735, "--about", Tail::Nothing},
    {"&Custom Menu", 1575, "--cstmenu", Tail::Nothing},
    {"Comman&d", 1695, "--command=", Tail::Map},
    {"Stat&us", 1695, "--status=", Tail::GamePath},
    {"Set WC3 path", 1695, "--setwc3path=", Tail::GamePath},
    {"Check Updates", 1695, "--checkupdates", Tail::Nothing},
    {"Set File Associations", 1935, "--sfa=ON", Tail::Nothing},
    {"WC3 Patcher", 1935, "--patcher", Tail::Nothing},
    {"Ossik", 1095, "--ossik=", Tail::Map},
};

// Start-up has no mode of this name: the option stays in the window, disabled.
constexpr int CheckUpdates = 9;

}  // namespace

FrmTest::FrmTest(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow("Test tool", 4695, 7110);

    auto makeOption = [this](int k) {
        const OptionLine& o = Options[k - 1];
        const std::string name = "Option" + std::to_string(k);
        Option[k] = ui::makeOption(Frame1, name.c_str(), o.caption, 120, 240 + 360 * (k - 1), o.width, 255);
    };

    // Made in tab order: the first three options, the map, the boxes, the line and "&TEST", then
    // the other options.
    Frame1 = ui::makeFrame(this, "Frame1", "Arguments", 120, 0, 2175, 4575);
    for (int k = 1; k <= 3; ++k) makeOption(k);
    Command1 = ui::makeButton(this, "Command1", "&Open Map...", 2400, 120, 2175, 4455);
    Label1 = ui::makeLabel(this, "Label1", "", 120, 4680, 4455, 255);
    Frame2 = ui::makeFrame(this, "Frame2", "Optional Arguments", 120, 5040, 4455, 855);
    Check1 = ui::makeCheckBox(Frame2, "Check1", "-window", 120, 360, 975, 255);
    Check1->setChecked(true);
    Check2 = ui::makeCheckBox(Frame2, "Check2", "-opengl", 1320, 360, 855, 255);
    Check2->setChecked(true);
    Text1 = ui::makeTextBox(this, "Text1", "", 120, 6000, 4455, 285);
    Command2 = ui::makeButton(this, "Command2", "&TEST", 120, 6360, 4455, 615);
    Command2->setEnabled(false);
    for (int k = 4; k <= 12; ++k) makeOption(k);
    Option[CheckUpdates]->setEnabled(false);

    // An option's Click runs as it becomes selected, not as another one takes its place.
    for (int k = 1; k <= 12; ++k)
        connect(Option[k], &QRadioButton::toggled, this, ui::guarded([this, k] {
                    if (Option[k]->isChecked()) Option_Click(k);
                }));
    connect(Check1, &QCheckBox::toggled, this, ui::guarded([this] { Check1_Click(); }));
    connect(Check2, &QCheckBox::toggled, this, ui::guarded([this] { Check2_Click(); }));
    connect(Command1, &QPushButton::clicked, this, ui::guarded([this] { Command1_Click(); }));
    connect(Command2, &QPushButton::clicked, this, ui::guarded([this] { Command2_Click(); }));
    connect(Text1, &QLineEdit::textChanged, this, ui::guarded([this] { Text1_Change(); }));

    // The tooltip's filter goes on now, not while a click is being handled.
    ui::setPlainToolTip(Label1, "");
}

std::string FrmTest::composedCommandLine() const { return isUnloaded() ? std::string() : ss(Text1->text()); }

void FrmTest::Check1_Click() { RefreshCommandLine(); }

void FrmTest::Check2_Click() { RefreshCommandLine(); }

void FrmTest::Command1_Click() {
    const std::optional<std::string> chosen = app_.dialogs->openFile(
        this, FilePickerSpec{{{"Warcraft III Frozen Throne Map (*.w3x)", "*.W3X"},
                              {"Warcraft III Frozen Throne Map (*.w3m)", "*.W3M"},
                              {"Any File...", "*.*"}},
                             app_.programFolder,
                             "Open File..."});
    if (!chosen) return;
    const std::string path = trimBlanks(*chosen);
    Label1->setText(qs(path));
    ui::setPlainToolTip(Label1, path);
    RefreshCommandLine();
}

void FrmTest::Command2_Click() { hide(); }

void FrmTest::Option_Click(int k) {
    const OptionLine& o = Options[k - 1];
    const bool selected = Option[k]->isChecked();
    Command1->setEnabled(o.tail == Tail::Map ? selected : !selected);
    if (!selected) return;
    std::string line = o.start;
    if (o.tail == Tail::Map) line += ss(Label1->text());
    if (o.tail == Tail::GamePath) line += shared_.WC3Path;
    if (o.argumentsSeparator) line += optionalArguments(o.argumentsSeparator);
    Text1->setText(qs(line));
}

void FrmTest::Text1_Change() { Command2->setEnabled(!Text1->text().isEmpty()); }

void FrmTest::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void FrmTest::RefreshCommandLine() {
    for (int k = 1; k <= 12; ++k) {
        if (Option[k]->isChecked()) {
            Option_Click(k);
            return;
        }
    }
}

std::string FrmTest::optionalArguments(const std::string& separator) const {
    std::string text;
    if (Check1->isChecked() || Check2->isChecked()) text += separator;
    if (Check1->isChecked()) text += ss(Check1->text()) + " ";
    if (Check2->isChecked()) text += ss(Check2->text());
    return text;
}
