#include "testing/FrmTMC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>
#include <optional>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "common/Text.h"
#include "testing/TestMapSettings.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::vector<std::string> Controllers = {"None", "Computer", "User"};
const std::vector<std::string> Races = {"Random", "Human", "Orc", "Undead", "Night Elf"};
const std::vector<std::string> Colours = {"Red",   "Blue", "Teal", "Purple",     "Yellow",     "Orange",
                                          "Green", "Pink", "Gray", "Light Blue", "Dark Green", "Brown"};
const std::vector<std::string> Handicaps = {"100", "90", "80", "70", "60", "50"};
const std::vector<std::string> AIs = {"Standard", "Custom"};
const std::vector<std::string> Difficulties = {"Easy", "Normal", "Insane"};

constexpr int None = 0, Computer = 1, User = 2;
constexpr int StandardAI = 0, CustomAI = 1;
constexpr int Random = 0, FullHandicap = 0, Normal = 1;

constexpr int MinSpeed = 1, MaxSpeed = 25;
constexpr int VkUp = 38, VkDown = 40;

// The virtual key code of the keys the speed box answers; 0 for the others.
int virtualKey(int qtKey) {
    if (qtKey == Qt::Key_Up) return VkUp;
    if (qtKey == Qt::Key_Down) return VkDown;
    return 0;
}

std::string indexed(const char* name, int index) { return std::string(name) + "(" + std::to_string(index) + ")"; }

// The speed a text gives, rounded half to even, or nothing when it is not a number.
std::optional<double> numberIn(const QString& text) {
    const std::optional<double> number = SpeedNumber(ss(text));
    if (!number || std::isnan(*number)) return std::nullopt;
    return number;
}

void enableAll(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls) control->setEnabled(enabled);
}

// The banner: drawn here, so that the program needs no image files.
QPixmap drawBanner(const QFont& font) {
    constexpr int Width = 468, Height = 60;
    QPixmap banner(Width, Height);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, Width, Height);
    sky.setColorAt(0, QColor(20, 40, 70));
    sky.setColorAt(1, QColor(40, 90, 150));
    p.fillRect(banner.rect(), sky);
    p.drawPixmap(8, 6, ui::applicationIcon().pixmap(48, 48));

    QFont title = font;
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(68, 4, Width - 76, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vesk support forum"));
    QFont line = font;
    line.setPixelSize(12);
    p.setFont(line);
    p.setPen(QColor(200, 220, 240));
    p.drawText(QRect(68, 34, Width - 76, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Suggestions, bug reports and help with your maps"));
    return banner;
}

}  // namespace

FrmTMC::FrmTMC(App& app, Shared& shared, QWidget* owner) : Form(owner), app_(app), shared_(shared) {
    setupWindow("Test Map Configuration. (BETA)", 10695, 8535);
    centreOnOwner();

    // Made in tab order.
    Frame1 = ui::makeFrame(this, "Frame1", "Basic Settings:", 120, 120, 10455, 855);
    Label1 = ui::makeLabel(Frame1, "Label1", "Game Speed: ", 240, 360, 1020, 195);
    Label1->adjustSize();
    GSpeed = ui::makeTextBox(Frame1, "GSpeed", "1", 1320, 360, 375, 285);
    GSScroll = ui::makeScrollBar(Frame1, "GSScroll", Qt::Vertical, 1680, 360, 375, 255);
    FOW = ui::makeCheckBox(Frame1, "FOW", "Disable Fog of War", 3120, 360, 1695, 255);
    VDC = ui::makeCheckBox(Frame1, "VDC", "Disable Victory/defeat conditions (melee maps only)", 5880, 360, 3975, 255);
    VDC->setChecked(true);

    Frame2 = ui::makeFrame(this, "Frame2", "Map file:", 120, 1080, 10455, 855);
    MapName = ui::makeTextBox(Frame2, "MapName", "", 120, 360, 10215, 285);
    ui::setBoxBackground(MapName, palette().color(QPalette::Highlight));

    Frame3 = ui::makeFrame(this, "Frame3", "Players:", 120, 2040, 10455, 5175);
    const std::pair<const char*, int> heads[] = {
        {"Slot", 240},     {"Control", 960},  {"Race", 2040},          {"Team", 3000},
        {"Color", 4080},   {"Handicap", 4920}, {"AI", 6000},            {"AI Difficulty", 6840},
        {"AI Script (For Custom AI only)", 7920},
    };
    for (std::size_t k = 0; k < ColumnHeads.size(); ++k) {
        const std::string name = "Label" + std::to_string(k + 2);
        ColumnHeads[k] = ui::makeLabel(Frame3, name.c_str(), heads[k].first, heads[k].second, 360, 1000, 195);
        ColumnHeads[k]->adjustSize();
    }
    for (int i = 0; i < Rows; ++i) {
        const int top = 720 + 360 * i;
        Slot[i] = ui::makeBorderedLabel(Frame3, indexed("Slot", i).c_str(), std::to_string(i + 1), 240, top, 375, 255);
        Slot[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        Control[i] = ui::makeDropDownList(Frame3, indexed("Control", i).c_str(), Controllers, 720, top, 1095, 315);
        Color[i] = ui::makeDropDownList(Frame3, indexed("Color", i).c_str(), Colours, 3720, top, 1215, 315);
        Handicap[i] = ui::makeDropDownList(Frame3, indexed("Handicap", i).c_str(), Handicaps, 4920, top, 735, 315);
        AI[i] = ui::makeDropDownList(Frame3, indexed("AI", i).c_str(), AIs, 5640, top, 1095, 315);
        Race[i] = ui::makeDropDownList(Frame3, indexed("Race", i).c_str(), Races, 1800, top, 975, 315);
        Team[i] = ui::makeDropDownList(Frame3, indexed("Team", i).c_str(), {}, 2760, top, 975, 315);
        AIDif[i] = ui::makeDropDownList(Frame3, indexed("AIDif", i).c_str(), Difficulties, 6720, top, 975, 315);
        Sett[i] = ui::makeButton(Frame3, indexed("Sett", i).c_str(), "Set", 7800, top, 615, 255);
        AIName[i] = ui::makeBorderedLabel(Frame3, indexed("AIName", i).c_str(), "", 8400, top, 1815, 255);
    }

    BtnSave = ui::makeButton(this, "BtnSave", "Save", 7320, 7320, 3255, 975);
    BtnSave->setToolTip(qs("Saves the current settings in World Editor"));
    Banner = ui::makeBorderedLabel(this, "Banner", "", 120, 7320, 7080, 960);
    Banner->setAlignment(Qt::AlignCenter);
    Banner->setPixmap(drawBanner(font()));
    Banner->setCursor(Qt::WhatsThisCursor);
    Label11 = ui::makeCentredLabel(this, "Label11",
                                   "If you have a suggestion or a bug to report, please click over the banner to "
                                   "visit the support forum.",
                                   120, 8280, 7095, 255);

    for (int i = 0; i < Rows; ++i) {
        connect(Control[i], &QComboBox::currentIndexChanged, this, ui::guarded([this, i] { Control_Click(i); }));
        connect(Team[i], &QComboBox::currentIndexChanged, this, ui::guarded([this, i] { Team_Click(i); }));
        connect(Color[i], &QComboBox::currentIndexChanged, this, ui::guarded([this, i] { Color_Click(i); }));
        connect(AI[i], &QComboBox::currentIndexChanged, this, ui::guarded([this, i] { AI_Click(i); }));
        connect(Sett[i], &QPushButton::clicked, this, ui::guarded([this, i] { Sett_Click(i); }));
    }
    connect(GSpeed, &QLineEdit::textChanged, this, ui::guarded([this] { GSpeed_Change(); }));
    ui::onKeyDown(GSpeed, [this](int key) { GSpeed_KeyDown(virtualKey(key)); });
    connect(GSScroll, &QScrollBar::valueChanged, this, ui::guarded([this] { GSScroll_Change(); }));
    ui::onClick(Banner, [this] { Banner_Click(); });
    connect(BtnSave, &QPushButton::clicked, this, ui::guarded([this] { BtnSave_Click(); }));
}

// The controls go after this body: nothing they signal may reach the rules then.
FrmTMC::~FrmTMC() {
    for (QObject* control : findChildren<QComboBox*>()) control->blockSignals(true);
    GSpeed->blockSignals(true);
    GSScroll->blockSignals(true);
}

void FrmTMC::load() {
    MapName->setText(qs(shared_.ArgValue));
    // The map is opened by the bytes it was given, which a text box may not hold.
    MaxPlayers = GetMaxPlayers(shared_.ArgValue);

    // The value first, while the design-time range still holds it: speed 1, the text it shows.
    setSpeed(MinSpeed);
    GSScroll->setRange(MinSpeed, MaxSpeed);
    GSScroll->setSingleStep(1);
    GSScroll->setPageStep(1);

    for (int i = 0; i < Rows; ++i) {
        // As many rows as the map has players.
        if (i >= MaxPlayers) {
            GetSlots(i, false);
            continue;
        }
        GetSlots(i, true);
        Race[i]->setCurrentIndex(Random);
        std::vector<std::string> teams;
        for (int k = 1; k <= MaxPlayers; ++k) teams.push_back("Team " + std::to_string(k));
        teams.push_back("Observer");
        ui::fillDropDownList(Team[i], teams);
        Team[i]->setCurrentIndex(i);
        Color[i]->setCurrentIndex(i);
        PrevColor[i] = i;
        Handicap[i]->setCurrentIndex(FullHandicap);
        AI[i]->setCurrentIndex(StandardAI);
        AIDif[i]->setCurrentIndex(Normal);
        Control[i]->setCurrentIndex(Computer);
        // A drop-down list is as high as its font makes it; the row's other controls match it.
        const int rowTwips = Control[i]->height() * TwipsPerPixel - 10;
        for (QWidget* control : {static_cast<QWidget*>(Slot[i]), static_cast<QWidget*>(Sett[i]),
                                 static_cast<QWidget*>(AIName[i])})
            control->resize(control->width(), px(rowTwips));
    }
    BtnSave->resize(BtnSave->width(), px(Banner->height() * TwipsPerPixel - 10));
    Control[0]->setCurrentIndex(User);
    Team[0]->setCurrentIndex(Team[0]->count() - 1);

    SetTopMost(this, true);
}

void FrmTMC::Control_Click(int index) {
    const int pick = Control[index]->currentIndex();
    if (pick < 0) return;
    Team[index]->setEnabled(pick != None);
    setPlaying(index, pick != None);
    if (pick == User) {
        enableAll({AI[index], AIDif[index]}, false);
        // One user: the one that was is now a computer.
        for (int j = 0; j < MaxPlayers; ++j)
            if (j != index && Control[j]->currentIndex() == User) Control[j]->setCurrentIndex(Computer);
    } else if (pick == Computer) {
        // A computer does not watch.
        const int observer = Team[index]->count() - 1;
        if (observer > 0 && Team[index]->currentIndex() == observer) Team[index]->setCurrentIndex(0);
    }
}

void FrmTMC::Team_Click(int index) {
    const bool observer = Team[index]->count() > 0 && Team[index]->currentIndex() == Team[index]->count() - 1;
    setPlaying(index, !observer);
}

void FrmTMC::setPlaying(int index, bool playing) {
    enableAll({Race[index], Color[index], Handicap[index]}, playing);
    AI[index]->setCurrentIndex(StandardAI);
    enableAll({AI[index], AIDif[index]}, playing);
}

void FrmTMC::Color_Click(int index) {
    const int colour = Color[index]->currentIndex();
    int holder = -1;
    if (colour >= 0)
        for (int j = 0; j < Rows && holder < 0; ++j)
            if (j != index && Color[j]->currentIndex() == colour) holder = j;
    if (holder >= 0 && !ColorBusy) {
        ColorBusy = true;
        // The other row takes the colour this one gave up. A colour the list does not hold would
        // clear its selection rather than fail, so it is skipped, as a failing statement is here.
        const int previous = PrevColor[index];
        if (previous >= 0 && previous < Color[holder]->count()) Color[holder]->setCurrentIndex(previous);
        ColorBusy = false;
    }
    PrevColor[index] = Color[index]->currentIndex();
}

void FrmTMC::AI_Click(int index) { enableAll({Sett[index], AIName[index]}, AI[index]->currentIndex() == CustomAI); }

void FrmTMC::Sett_Click(int index) {
    const std::optional<std::string> picked = app_.dialogs->openFile(
        this, FilePickerSpec{{{"Warcraft III AI file (*.ai)", "*.AI"}}, app_.programFolder, "Open AI File..."});
    if (!picked) {
        AI[index]->setCurrentIndex(StandardAI);
        return;
    }
    const std::string path = trimBlanks(*picked);
    AIName[index]->setText(qs(path));
    ui::setPlainToolTip(AIName[index], path);
}

void FrmTMC::GSpeed_Change() {
    const std::optional<double> number = numberIn(GSpeed->text());
    if (!number) {
        GSScroll_Change();
        return;
    }
    // Each of these runs this rule again, on the end of the range.
    if (*number > MaxSpeed)
        GSpeed->setText(QString::number(MaxSpeed));
    else if (RoundHalfEven(*number) < MinSpeed)
        GSpeed->setText(QString::number(MinSpeed));
    if (const std::optional<double> now = numberIn(GSpeed->text())) setSpeed(static_cast<int>(RoundHalfEven(*now)));
}

void FrmTMC::GSpeed_KeyDown(int keyCode) {
    if (keyCode == VkDown && speed() > MinSpeed)
        setSpeed(speed() - 1);
    else if (keyCode == VkUp && speed() < MaxSpeed)
        setSpeed(speed() + 1);
}

void FrmTMC::GSScroll_Change() { GSpeed->setText(QString::number(speed())); }

int FrmTMC::speed() const { return MinSpeed + MaxSpeed - GSScroll->value(); }

void FrmTMC::setSpeed(int speed) { GSScroll->setValue(MinSpeed + MaxSpeed - speed); }

void FrmTMC::Banner_Click() { ExecuteFile(app_, "open", WebAddress(app_, ForumTopicPage), "", "", 1, false); }

void FrmTMC::BtnSave_Click() {
    // Built, as the settings stand, and handed to nothing: the run ends with it.
    [[maybe_unused]] const std::string record = SettingsRecord();
    app_.endProcess(0);
}

void FrmTMC::GetSlots(int index, bool visible) {
    for (QWidget* control : std::initializer_list<QWidget*>{Slot[index], Control[index], Race[index], Team[index],
                                                            Color[index], Handicap[index], AI[index], AIDif[index],
                                                            Sett[index], AIName[index]})
        control->setVisible(visible);
}

int FrmTMC::GetMaxPlayers(const std::string& mapFile) {
    const int count = MapPlayerCountCode(mapFile);
    if (count >= 1 && count <= Rows) return count;
    app_.dialogs->critical(this, "Warning", "The file is corrupted or it's not a WC3 map file.");
    return Rows;
}

std::string FrmTMC::SettingsRecord() const {
    TestSettings settings;
    settings.fogOfWarSwitch = FOW->checkState() != Qt::Unchecked;
    settings.victoryDefeatSwitch = VDC->checkState() != Qt::Unchecked;
    // The speed rule leaves the text a number that rounds to the scroll bar's speed.
    settings.speed = speed();
    settings.mapName = ss(MapName->text());
    for (QComboBox* control : Control) settings.players += control->currentIndex() > None;
    return TestSettingsRecord(settings);
}
