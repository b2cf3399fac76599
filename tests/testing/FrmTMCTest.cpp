#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>

#include "common/Text.h"
#include "platform/RuntimeFailure.h"
#include "startup/Main.h"
#include "support/Placement.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/MapFile.h"
#include "support/core/StandIns.h"
#include "testing/FrmTMC.h"
#include "ui/Application.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

using Texts = std::vector<std::string>;

const std::string Caption = "Test Map Configuration. (BETA)";
const std::string Corrupted = "The file is corrupted or it's not a WC3 map file.";
const std::string Tail = std::string(11, '\0') + "\x14" + std::string(7, '\0') + "\x40";

// The window over a map whose count byte is `code`.
struct Config {
    TestApp t;
    std::unique_ptr<FrmTMC> w;
    std::vector<std::string> failures;

    explicit Config(int code = 4, const std::string& map = "maps/Twisted Meadows.w3x") {
        ui::setFailureHandler([this](const RuntimeFailure& f) { failures.push_back(f.description); });
        t.shared.ArgValue = t.root.write(map, mapContent(code));
    }
    FrmTMC& open() {
        w = std::make_unique<FrmTMC>(t.app, t.shared);
        w->load();
        return *w;
    }
    QComboBox* list(const std::string& name, int row) const {
        return w->findChild<QComboBox*>(qs(name + "(" + std::to_string(row) + ")"));
    }
    // A row as "Computer, Random, Team 2, Blue, 100, Standard, Normal, [Set]": its lists in
    // column order, then its AI script controls, a disabled one in brackets; "-" for no selection.
    std::string row(int i) const {
        std::string out;
        auto add = [&out](const QWidget* control, const std::string& text) {
            if (!out.empty()) out += ", ";
            out += control->isEnabled() ? text : "[" + text + "]";
        };
        for (const char* name : {"Control", "Race", "Team", "Color", "Handicap", "AI", "AIDif"}) {
            const QComboBox* l = list(name, i);
            add(l, l->currentIndex() < 0 ? "-" : ss(l->currentText()));
        }
        add(w->Sett[i], "Set");
        EXPECT_EQ(w->AIName[i]->isEnabled(), w->Sett[i]->isEnabled()) << "row " << i;
        EXPECT_TRUE(w->Control[i]->isEnabled()) << "row " << i;
        return out;
    }
    Texts rows() const {
        Texts out;
        for (int i = 0; i < w->MaxPlayers; ++i) out.push_back(row(i));
        return out;
    }
    // Rows past the map's players: hidden, nothing selected, no teams.
    void expectHiddenRowsUntouched() const {
        for (int i = w->MaxPlayers; i < FrmTMC::Rows; ++i) {
            SCOPED_TRACE("hidden row " + std::to_string(i));
            for (const char* name : {"Control", "Race", "Team", "Color", "Handicap", "AI", "AIDif"}) {
                EXPECT_FALSE(list(name, i)->isVisibleTo(w.get())) << name;
                EXPECT_EQ(list(name, i)->currentIndex(), -1) << name;
            }
            EXPECT_EQ(w->Team[i]->count(), 0);
            for (QWidget* c : {static_cast<QWidget*>(w->Slot[i]), static_cast<QWidget*>(w->Sett[i]),
                               static_cast<QWidget*>(w->AIName[i])})
                EXPECT_FALSE(c->isVisibleTo(w.get()));
        }
    }
};

const std::string Colours[] = {"Red", "Blue", "Teal", "Purple", "Yellow", "Orange",
                               "Green", "Pink", "Gray", "Light Blue", "Dark Green", "Brown"};

std::string computerRow(int i) {
    return "Computer, Random, Team " + std::to_string(i + 1) + ", " + Colours[i] + ", 100, Standard, Normal, [Set]";
}
const std::string UserObserving = "User, [Random], Observer, [Red], [100], [Standard], [Normal], [Set]";

TEST(FrmTMC, LayoutAsDesigned) {
    Config c(2);
    FrmTMC& w = c.open();
    w.show();
    EXPECT_EQ(ss(w.windowTitle()), Caption);
    EXPECT_EQ(w.size(), QSize(713, 569));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w.BtnSave->isDefault());
    EXPECT_EQ(ss(w.BtnSave->toolTip()), "Saves the current settings in World Editor");
    EXPECT_EQ(w.Banner->pixmap().size(), QSize(468, 60));
    EXPECT_EQ(w.Banner->frameShape(), QFrame::Box);
    EXPECT_EQ(w.Banner->cursor().shape(), Qt::WhatsThisCursor);
    EXPECT_EQ(w.MapName->palette().color(QPalette::Base), w.palette().color(QPalette::Highlight));
    EXPECT_EQ(w.Label11->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    auto row = [](int i) { return 720 + 360 * i; };
    const Texts misplaced = placementFaults({
        {w.Frame1, "", "Basic Settings:", {120, 120, 10455, 855}},
        {w.Label1, "Frame1", "Game Speed: ", {240, 360, 0, 0}},
        {w.GSpeed, "Frame1", "1", {1320, 360, 375, 285}},
        {w.GSScroll, "Frame1", "", {1680, 360, 375, 255}},
        {w.FOW, "Frame1", "Disable Fog of War", {3120, 360, 1695, 255}},
        {w.VDC, "Frame1", "Disable Victory/defeat conditions (melee maps only)", {5880, 360, 3975, 255}},
        {w.Frame2, "", "Map file:", {120, 1080, 10455, 855}},
        {w.MapName, "Frame2", c.t.shared.ArgValue, {120, 360, 10215, 285}},
        {w.Frame3, "", "Players:", {120, 2040, 10455, 5175}},
        {w.ColumnHeads[0], "Frame3", "Slot", {240, 360, 0, 0}},
        {w.ColumnHeads[1], "Frame3", "Control", {960, 360, 0, 0}},
        {w.ColumnHeads[2], "Frame3", "Race", {2040, 360, 0, 0}},
        {w.ColumnHeads[3], "Frame3", "Team", {3000, 360, 0, 0}},
        {w.ColumnHeads[4], "Frame3", "Color", {4080, 360, 0, 0}},
        {w.ColumnHeads[5], "Frame3", "Handicap", {4920, 360, 0, 0}},
        {w.ColumnHeads[6], "Frame3", "AI", {6000, 360, 0, 0}},
        {w.ColumnHeads[7], "Frame3", "AI Difficulty", {6840, 360, 0, 0}},
        {w.ColumnHeads[8], "Frame3", "AI Script (For Custom AI only)", {7920, 360, 0, 0}},
        // The row's labels and button take the height of its lists, less 10 twips; so does Save
        // beside the banner.
        {w.Slot[1], "Frame3", "2", {240, row(1), 375, 305}},
        {w.Control[1], "Frame3", "Computer", {720, row(1), 1095, 315}},
        {w.Race[1], "Frame3", "Random", {1800, row(1), 975, 315}},
        {w.Team[1], "Frame3", "Team 2", {2760, row(1), 975, 315}},
        {w.Color[1], "Frame3", "Blue", {3720, row(1), 1215, 315}},
        {w.Handicap[1], "Frame3", "100", {4920, row(1), 735, 315}},
        {w.AI[1], "Frame3", "Standard", {5640, row(1), 1095, 315}},
        {w.AIDif[1], "Frame3", "Normal", {6720, row(1), 975, 315}},
        {w.Sett[1], "Frame3", "Set", {7800, row(1), 615, 305}},
        {w.AIName[1], "Frame3", "", {8400, row(1), 1815, 305}},
        {w.Slot[11], "Frame3", "12", {240, row(11), 375, 255}},
        {w.AIDif[11], "Frame3", "", {6720, row(11), 975, 315}},
        {w.BtnSave, "", "Save", {7320, 7320, 3255, 950}},
        {w.Banner, "", "", {120, 7320, 7080, 960}},
        {w.Label11, "",
         "If you have a suggestion or a bug to report, please click over the banner to visit the support forum.",
         {120, 8280, 7095, 255}},
    });
    EXPECT_EQ(misplaced, Texts{});
    EXPECT_EQ(w.Slot[1]->alignment() & Qt::AlignRight, Qt::AlignRight);
    for (QLabel* l : {w.Slot[1], w.AIName[1]}) EXPECT_EQ(l->frameShape(), QFrame::Box);

    // The lists' items as designed; a list is picked from, never typed in.
    const std::pair<QComboBox*, Texts> items[] = {
        {w.Control[1], {"None", "Computer", "User"}},
        {w.Race[1], {"Random", "Human", "Orc", "Undead", "Night Elf"}},
        {w.Team[1], {"Team 1", "Team 2", "Observer"}},
        {w.Color[1], Texts(std::begin(Colours), std::end(Colours))},
        {w.Handicap[1], {"100", "90", "80", "70", "60", "50"}},
        {w.AI[1], {"Standard", "Custom"}},
        {w.AIDif[1], {"Easy", "Normal", "Insane"}},
    };
    for (const auto& [list, expected] : items) {
        SCOPED_TRACE(ss(list->objectName()));
        Texts shown;
        for (int k = 0; k < list->count(); ++k) shown.push_back(ss(list->itemText(k)));
        EXPECT_EQ(shown, expected);
        EXPECT_FALSE(list->isEditable());
    }

    Texts expected = {"GSpeed", "GSScroll", "FOW", "VDC", "MapName"};
    for (int i = 0; i < FrmTMC::Rows; ++i)
        for (const char* name : {"Control", "Color", "Handicap", "AI", "Race", "Team", "AIDif", "Sett"})
            expected.push_back(std::string(name) + "(" + std::to_string(i) + ")");
    expected.push_back("BtnSave");
    EXPECT_EQ(tabOrder(&w), expected);
}

// The map's count sets up that many rows, the first the user watching as an observer; a count
// out of range is warned of and read as 12.
TEST(FrmTMC, RowsFollowTheMapsPlayerCount) {
    const struct Case {
        int code;
        int rows;
        bool warned;
    } cases[] = {{1, 1, false}, {4, 4, false}, {12, 12, false}, {0, 12, true}, {13, 12, true}, {200, 12, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE("count byte " + std::to_string(k.code));
        Config c(k.code);
        FrmTMC& w = c.open();
        EXPECT_EQ(w.MaxPlayers, k.rows);
        if (k.warned) {
            ASSERT_EQ(c.t.dialogs.shown.size(), 1u);
            EXPECT_EQ(c.t.dialogs.shown[0].kind, "critical");
            EXPECT_EQ(c.t.dialogs.shown[0].title, "Warning");
            EXPECT_EQ(c.t.dialogs.shown[0].text, Corrupted);
            EXPECT_EQ(c.t.dialogs.shown[0].owner, &w);
        } else {
            EXPECT_TRUE(c.t.dialogs.shown.empty());
        }
        Texts expected = {UserObserving};
        for (int i = 1; i < k.rows; ++i) expected.push_back(computerRow(i));
        EXPECT_EQ(c.rows(), expected);
        for (int i = 0; i < k.rows; ++i) {
            EXPECT_TRUE(w.Slot[i]->isVisibleTo(&w));
            EXPECT_EQ(w.Team[i]->count(), k.rows + 1);
            EXPECT_EQ(ss(w.Team[i]->itemText(k.rows - 1)), "Team " + std::to_string(k.rows));
            EXPECT_EQ(w.PrevColor[i], i);
        }
        c.expectHiddenRowsUntouched();
        EXPECT_EQ(ss(w.GSpeed->text()), "1");
        EXPECT_TRUE(c.failures.empty());
    }
}

struct Pick {
    const char* list;
    int row;
    int index;
};

// What the list rules make of a 4-player map right after the load, pick after pick.
TEST(FrmTMC, ListRules) {
    const Texts loaded = {UserObserving, computerRow(1), computerRow(2), computerRow(3)};
    auto with = [&loaded](std::initializer_list<std::pair<int, std::string>> changed) {
        Texts rows = loaded;
        for (const auto& [i, text] : changed) rows[i] = text;
        return rows;
    };
    const std::string row0Computer = "Computer, Random, Team 1, Red, 100, Standard, Normal, [Set]";
    const struct Case {
        const char* what;
        std::vector<Pick> picks;
        Texts rows;
    } cases[] = {
        {"User in row 3: row 0 becomes a computer of team 1",
         {{"Control", 3, 2}},
         with({{0, row0Computer}, {3, "User, Random, Team 4, Purple, 100, [Standard], [Normal], [Set]"}})},
        {"Computer in row 0 moves it from Observer to team 1", {{"Control", 0, 1}}, with({{0, row0Computer}})},
        {"one user at a time",
         {{"Control", 2, 2}, {"Control", 1, 2}},
         with({{0, row0Computer}, {1, "User, Random, Team 2, Blue, 100, [Standard], [Normal], [Set]"}})},
        {"None keeps the row's selections and disables its lists",
         {{"Control", 2, 0}},
         with({{2, "None, [Random], [Team 3], [Teal], [100], [Standard], [Normal], [Set]"}})},
        {"None, then Computer again", {{"Control", 2, 0}, {"Control", 2, 1}}, loaded},
        {"Observer for a computer",
         {{"Team", 1, 4}},
         with({{1, "Computer, [Random], Observer, [Blue], [100], [Standard], [Normal], [Set]"}})},
        {"a user leaving Observer for a team gets the AI lists too",
         {{"Team", 0, 1}},
         with({{0, "User, Random, Team 2, Red, 100, Standard, Normal, [Set]"}})},
        {"Red picked by row 2 swaps with the disabled row 0",
         {{"Color", 2, 0}},
         with({{0, "User, [Random], Observer, [Teal], [100], [Standard], [Normal], [Set]"},
               {2, "Computer, Random, Team 3, Red, 100, Standard, Normal, [Set]"}})},
        {"a free colour changes no other row",
         {{"Color", 2, 5}},
         with({{2, "Computer, Random, Team 3, Orange, 100, Standard, Normal, [Set]"}})},
        {"a swap gives back the colour last held",
         {{"Color", 1, 2}, {"Color", 3, 1}},
         with({{1, "Computer, Random, Team 2, Teal, 100, Standard, Normal, [Set]"},
               {2, "Computer, Random, Team 3, Purple, 100, Standard, Normal, [Set]"},
               {3, "Computer, Random, Team 4, Blue, 100, Standard, Normal, [Set]"}})},
        {"Custom enables the script controls",
         {{"AI", 1, 1}},
         with({{1, "Computer, Random, Team 2, Blue, 100, Custom, Normal, Set"}})},
        {"the same selection again runs nothing",
         {{"AI", 1, 1}, {"Control", 1, 1}},
         with({{1, "Computer, Random, Team 2, Blue, 100, Custom, Normal, Set"}})},
        {"None puts a custom AI back to Standard",
         {{"AI", 1, 1}, {"Control", 1, 0}},
         with({{1, "None, [Random], [Team 2], [Blue], [100], [Standard], [Normal], [Set]"}})},
        {"the lists without a rule change only themselves",
         {{"Race", 1, 4}, {"Handicap", 1, 5}, {"AIDif", 1, 2}},
         with({{1, "Computer, Night Elf, Team 2, Blue, 50, Standard, Insane, [Set]"}})},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Config c(4);
        c.open();
        for (const Pick& p : k.picks) c.list(p.list, p.row)->setCurrentIndex(p.index);
        EXPECT_EQ(c.rows(), k.rows);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(c.w->PrevColor[i], c.w->Color[i]->currentIndex()) << "row " << i;
        c.expectHiddenRowsUntouched();
        EXPECT_TRUE(c.failures.empty());
    }
}

TEST(FrmTMC, CustomAIScriptIsPickedOrTheAIGoesBackToStandard) {
    Config c(4);
    FrmTMC& w = c.open();
    const std::string path = "/opt/wc3/ai/<i>Elite</i> & co.ai";
    c.t.dialogs.pickAnswers = {"  " + path + " ", std::nullopt};

    w.AI[2]->setCurrentIndex(1);
    QTest::mouseClick(w.Sett[2], Qt::LeftButton);
    ASSERT_EQ(c.t.dialogs.pickSpecs.size(), 1u);
    const FilePickerSpec& spec = c.t.dialogs.pickSpecs[0];
    EXPECT_EQ(spec.filters, (std::vector<std::pair<std::string, std::string>>{{"Warcraft III AI file (*.ai)", "*.AI"}}));
    EXPECT_EQ(spec.startFolder, c.t.programFolder);
    EXPECT_EQ(spec.title, "Open AI File...");
    EXPECT_EQ(c.t.dialogs.shown[0].owner, &w);
    // Shown as written, markup and all.
    EXPECT_EQ(ss(w.AIName[2]->text()), path);
    EXPECT_EQ(w.AIName[2]->textFormat(), Qt::PlainText);
    EXPECT_EQ(ss(w.AIName[2]->toolTip()), path);
    EXPECT_EQ(c.row(2), "Computer, Random, Team 3, Teal, 100, Custom, Normal, Set");

    // Cancelled: back to Standard; the path chosen before stays in the label.
    w.Sett_Click(2);
    EXPECT_EQ(c.row(2), computerRow(2));
    EXPECT_EQ(ss(w.AIName[2]->text()), path);
    EXPECT_TRUE(c.failures.empty());
}

// The speed box and its scroll bar hold one speed from 1 to 25; the scroll bar's top end is 25.
TEST(FrmTMC, GameSpeed) {
    using Act = std::function<void(FrmTMC&)>;
    auto type = [](const char* text) -> Act { return [text](FrmTMC& w) { w.GSpeed->setText(qs(text)); }; };
    auto key = [](Qt::Key k) -> Act { return [k](FrmTMC& w) { QTest::keyClick(w.GSpeed, k); }; };
    auto arrow = [](QAbstractSlider::SliderAction a) -> Act { return [a](FrmTMC& w) { w.GSScroll->triggerAction(a); }; };
    const Act wheelUp = [](FrmTMC& w) {
        QWheelEvent wheel(QPointF(5, 5), w.GSScroll->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.GSScroll, &wheel);
    };
    const Act scrollKeyUp = [](FrmTMC& w) { QTest::keyClick(w.GSScroll, Qt::Key_Up); };
    const struct Case {
        const char* what;
        int from;
        Act act;
        std::string text;
        int speed;
    } cases[] = {
        {"30", 1, type("30"), "25", 25},
        {"1e9", 1, type("1e9"), "25", 25},
        {"letters", 7, type("abc"), "7", 7},
        {"an empty box", 7, type(""), "7", 7},
        {"0 at 7", 7, type("0"), "1", 1},
        {"0 at 1", 1, type("0"), "1", 1},
        {"-3 at 1", 1, type("-3"), "1", 1},
        {"-1e9 at 1", 1, type("-1e9"), "1", 1},
        {"0.4", 7, type("0.4"), "1", 1},
        {"6.5 at 6", 6, type("6.5"), "6.5", 6},
        {"6.5 at 1", 1, type("6.5"), "6", 6},
        {"7.5", 1, type("7.5"), "8", 8},
        {"blanks around", 1, type(" 12 "), "12", 12},
        {"Up at 25", 25, key(Qt::Key_Up), "25", 25},
        {"Down at 1", 1, key(Qt::Key_Down), "1", 1},
        {"Up at 5", 5, key(Qt::Key_Up), "6", 6},
        {"Down at 5", 5, key(Qt::Key_Down), "4", 4},
        {"another key", 5, key(Qt::Key_PageUp), "5", 5},
        {"the upper arrow at 5", 5, arrow(QAbstractSlider::SliderSingleStepSub), "6", 6},
        {"the lower arrow at 5", 5, arrow(QAbstractSlider::SliderSingleStepAdd), "4", 4},
        {"the upper arrow at 25", 25, arrow(QAbstractSlider::SliderSingleStepSub), "25", 25},
        {"the wheel up at 5", 5, wheelUp, "6", 6},
        {"Up on the scroll bar at 5", 5, scrollKeyUp, "6", 6},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Config c(4);
        FrmTMC& w = c.open();
        w.GSpeed->setText(QString::number(k.from));
        k.act(w);
        EXPECT_EQ(ss(w.GSpeed->text()), k.text);
        EXPECT_EQ(w.speed(), k.speed);
        // The thumb stands at the top at 25.
        EXPECT_EQ(w.GSScroll->value() == w.GSScroll->minimum(), k.speed == 25);
        EXPECT_EQ(w.SettingsRecord()[8], k.speed);
        EXPECT_TRUE(c.failures.empty());
    }
}

// The record Save builds from the window as it stands.
TEST(FrmTMC, SettingsRecord) {
    using Act = std::function<void(FrmTMC&)>;
    const Act asLoaded = [](FrmTMC&) {};
    const std::optional<std::string> given;  // the path as the option gave it
    const struct Case {
        const char* what;
        int code;
        std::string argValue;  // below the temporary folder; the map is found without a trailing blank
        Act act;
        int switches, speed;
        std::optional<std::string> path;
        int players;
    } cases[] = {
        {"4 players as loaded", 4, "maps/m.w3x", asLoaded, 2, 1, given, 4},
        {"1 player", 1, "maps/m.w3x", asLoaded, 2, 1, given, 1},
        {"12 players", 12, "maps/m.w3x", asLoaded, 2, 1, given, 12},
        {"no one plays", 4, "maps/m.w3x", [](FrmTMC& w) { for (auto* l : w.Control) l->setCurrentIndex(0); }, 2, 1,
         given, 0},
        {"both switches, speed 25", 4, "maps/m.w3x", [](FrmTMC& w) { w.FOW->setChecked(true); w.GSpeed->setText("25"); },
         3, 25, given, 4},
        {"no switch, speed 7", 4, "maps/m.w3x", [](FrmTMC& w) { w.VDC->setChecked(false); w.GSpeed->setText("7"); }, 0,
         7, given, 4},
        {"an emptied map box", 4, "maps/m.w3x", [](FrmTMC& w) { w.MapName->clear(); }, 2, 1, "", 4},
        {"a map box typed over", 4, "maps/m.w3x", [](FrmTMC& w) { w.MapName->setText(QString::fromUtf8("\xC3\xA9")); },
         2, 1, "\xC3\xA9", 4},
        {"a path that is not UTF-8 keeps its bytes", 4, "maps/Ar\xE8ne.w3x", asLoaded, 2, 1, given, 4},
        {"a trailing blank stays", 4, "maps/m.w3x ", asLoaded, 2, 1, given, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Config c(k.code, trimBlanks(k.argValue));
        c.t.shared.ArgValue = c.t.root.file(k.argValue);
        FrmTMC& w = c.open();
        k.act(w);
        const std::string path = k.path.value_or(c.t.shared.ArgValue);
        EXPECT_EQ(w.SettingsRecord(), std::string("\1\0\0\0", 4) + static_cast<char>(k.switches) +
                                          std::string(3, '\0') + static_cast<char>(k.speed) + std::string(3, '\0') +
                                          path + '\0' + static_cast<char>(k.players) + Tail);
        EXPECT_TRUE(c.failures.empty());
    }
}

TEST(FrmTMC, BannerOpensTheForumTopic) {
    Config c(4);
    FrmTMC& w = c.open();
    QTest::mouseClick(w.Banner, Qt::LeftButton);
    const auto opened = waitForRecordedRuns(c.t.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, Texts{"http://127.0.0.1:9/index.php?topic=4263.0"});
}

// Centred on its owner, kept on the owner's screen; with none, centred on the screen.
TEST(FrmTMC, OpensCentredOnItsOwner) {
    ui::ensureApplication();
    QWidget owner;
    const QRect screen = owner.screen()->availableGeometry();
    const struct Case {
        const char* what;
        QPoint ownerCentre;  // none: no owner
        QPoint expectedCentre;
    } cases[] = {
        {"no owner", QPoint(), screen.center()},
        {"an owner near the middle", screen.center() + QPoint(20, 5), screen.center() + QPoint(20, 5)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Config c(4);
        if (!k.ownerCentre.isNull()) {
            owner.setGeometry(QRect(0, 0, 120, 60).translated(k.ownerCentre - QPoint(60, 30)));
            owner.show();
        }
        c.w = std::make_unique<FrmTMC>(c.t.app, c.t.shared, k.ownerCentre.isNull() ? nullptr : &owner);
        c.w->load();
        c.w->show();
        EXPECT_LE((c.w->frameGeometry().center() - k.expectedCentre).manhattanLength(), 2);
    }
    // Beside the screen's edge the window stays whole on the screen.
    Config c(4);
    owner.setGeometry(screen.right() - 100, screen.top(), 100, 60);
    c.w = std::make_unique<FrmTMC>(c.t.app, c.t.shared, &owner);
    c.w->load();
    c.w->show();
    EXPECT_TRUE(screen.contains(c.w->frameGeometry()));
}

// Through the whole run: Save ends it with status 0, the close box ends the mode; neither
// writes, shows or opens anything.
TEST(FrmTMC, SaveAndTheCloseBoxEndTheRunLeavingEveryFileAsItWas) {
    for (const char* button : {"BtnSave", ""}) {
        SCOPED_TRACE(*button ? "Save" : "the close box");
        Config c(4);
        c.t.forceGameFolder("game");
        Shared first;
        first.PackFolder = c.t.packFolder;
        WriteVersionLua(c.t.app, first);  // as every run rewrites it
        const auto before = snapshot(c.t.root.path());
        WindowDriver driver([button](QWidget* w) {
            if (!*button)
                w->close();
            else if (auto* b = w->findChild<QPushButton*>(button))
                b->click();
        });
        Main(c.t.app, c.t.shared, "--SetupMapTesting=" + c.t.shared.ArgValue);
        EXPECT_EQ(driver.seen().value(0), qs(Caption));
        EXPECT_EQ(c.t.endedWith, 0);
        EXPECT_TRUE(c.t.dialogs.shown.empty());
        EXPECT_EQ(snapshot(c.t.root.path()), before);
    }
}

// A map that cannot be read ends the load in the report; the window never shows.
TEST(FrmTMC, UnreadableMapEndsInTheReport) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "Input past end of file"},
        {"abc\r\n", "Invalid procedure call or argument"},
    };
    for (const auto& [content, description] : cases) {
        SCOPED_TRACE(description);
        Config c(4);
        c.t.forceGameFolder("game");
        writeFile(c.t.shared.ArgValue, content);
        WindowDriver driver;
        Main(c.t.app, c.t.shared, "--setupmaptesting=" + c.t.shared.ArgValue);
        EXPECT_TRUE(driver.seen().isEmpty());
        EXPECT_EQ(c.t.dialogs.infos(),
                  Texts{joinLines({"Vesk 2.0.10 Error", "Produced by: Corvane", std::string("Description: ") + description,
                                   "", "You will be redirected to Dunmarrow to report the issue..."})});
        EXPECT_EQ(c.t.endedWith, 1);
        EXPECT_EQ(waitForRecordedRuns(c.t.openLog, 1).size(), 1u);
    }
}

}  // namespace
