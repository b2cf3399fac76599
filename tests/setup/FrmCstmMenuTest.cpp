#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

#include "common/Text.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeFailure.h"
#include "setup/FrmCstmMenu.h"
#include "startup/Main.h"
#include "support/Placement.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/StandIns.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace fs = std::filesystem;

namespace {

using Names = std::set<std::string>;
using Rows = std::vector<std::string>;

const std::string Saved = "Vesk needs to be restarted to see the changes in the custom menu.";

MenuItem entry(int i) {
    return {"Tool " + std::to_string(i), "/opt/tools/tool" + std::to_string(i), "-n " + std::to_string(i)};
}

// Section "CSTMENU" with the given "ITEMS" text and entries 0 to count-1, less the missing ones.
std::string menuSection(const std::string& items, int count, std::set<int> missing = {}) {
    std::string text = "[CSTMENU]\r\nITEMS=" + items + "\r\n";
    for (int i = 0; i < count; ++i) {
        if (missing.count(i)) continue;
        const MenuItem e = entry(i);
        const std::string n = std::to_string(i);
        text += "MNU_NAME_" + n + "=" + e.Name + "\r\nMNU_PATH_" + n + "=" + e.Path + "\r\nMNU_ARG_" + n + "=" + e.Arg +
                "\r\n";
    }
    return text;
}

// The editor over a pack whose "config.cfg" holds `entries` stored entries (none: no file).
struct Menu {
    TestApp t;
    std::unique_ptr<FrmCstmMenu> w;
    std::vector<std::string> failures;

    explicit Menu(int entries = -1) {
        ui::setFailureHandler([this](const RuntimeFailure& f) { failures.push_back(f.description); });
        if (entries >= 0) writeFile(t.configPath(), menuSection(std::to_string(entries), entries));
    }
    FrmCstmMenu& open() {
        w = std::make_unique<FrmCstmMenu>(t.app, t.shared);
        w->load();
        return *w;
    }
    // Shown and active, for what the focus decides.
    FrmCstmMenu& shown() {
        if (!w) open();
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }
    Rows rows() const {
        Rows out;
        for (int i = 0; i < w->MenuItems->count(); ++i) out.push_back(ss(w->MenuItems->item(i)->text()));
        return out;
    }
    int selected() const {
        const auto items = w->MenuItems->selectedItems();
        return items.isEmpty() ? -1 : w->MenuItems->row(items.first());
    }
    MenuItem fields() const { return {ss(w->TxtName->text()), ss(w->TxtPath->text()), ss(w->TxtArg->text())}; }
    std::vector<MenuItem> entries() const { return {w->Items.begin(), w->Items.begin() + w->MenuItems->count()}; }
    Names enabled() const {
        Names out;
        for (QWidget* c : std::initializer_list<QWidget*>{
                 w->MenuItems, w->BtnAdd, w->BtnRemove, w->BtnEdit, w->BtnSort[0], w->BtnSort[1], w->BtnSave, w->Label1,
                 w->TxtName, w->Label2, w->TxtPath, w->BtnDlg, w->BtnCancelEdit, w->BtnAddEdit, w->Label3, w->TxtArg})
            if (c->isEnabled()) out.insert(ss(c->objectName()));
        return out;
    }
    std::size_t picks() const {
        std::size_t n = 0;
        for (const auto& s : t.dialogs.shown) n += s.kind == "pick";
        return n;
    }
    std::string focused() const { return w->focusWidget() ? ss(w->focusWidget()->objectName()) : ""; }
};

const Names Editing = {"Label1", "Label2",        "Label3",     "TxtName", "TxtPath",
                       "BtnDlg", "BtnCancelEdit", "BtnAddEdit", "TxtArg"};

Names browsing(bool up, bool down, bool add = true) {
    Names out = {"MenuItems", "BtnRemove", "BtnEdit", "BtnSave"};
    if (add) out.insert("BtnAdd");
    if (up) out.insert("BtnSort(0)");
    if (down) out.insert("BtnSort(1)");
    return out;
}

TEST(FrmCstmMenu, LayoutAsDesigned) {
    Menu m(2);
    FrmCstmMenu& w = m.shown();
    EXPECT_EQ(ss(w.windowTitle()), "Vesk Application Quick Starter...");
    EXPECT_EQ(w.size(), QSize(521, 482));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(w.BtnSave->isDefault());

    const Rows misplaced = placementFaults({
        {w.MenuItems, "", "", {120, 120, 5415, 4935}},
        {w.BtnAdd, "", "&Add Entry...", {5640, 120, 2055, 495}},
        {w.BtnRemove, "", "&Delete Entry...", {5640, 720, 2055, 495}},
        {w.BtnEdit, "", "&Edit Entry...", {5640, 1320, 2055, 495}},
        {w.Line1, "", "", {5640, 1920, 2055, 15}},
        {w.BtnSort[0], "", "1 &up...", {5640, 2040, 975, 495}},
        {w.BtnSort[1], "", "1 d&own...", {5640, 2640, 975, 495}},
        {w.BtnSave, "", "&Save", {5640, 4560, 2055, 495}},
        {w.Frame1, "", "Edit Item:", {120, 5160, 7575, 1935}},
        {w.Label1, "Frame1", "Name:", {120, 360, 465, 195}},
        {w.TxtName, "Frame1", "Tool 0", {1080, 360, 6375, 285}},
        {w.Label2, "Frame1", "Path:", {120, 720, 375, 195}},
        {w.TxtPath, "Frame1", "/opt/tools/tool0", {1080, 720, 5895, 285}},
        {w.BtnDlg, "Frame1", "...", {7080, 720, 375, 255}},
        {w.BtnCancelEdit, "Frame1", "Cancel", {4440, 1440, 1215, 375}},
        {w.BtnAddEdit, "Frame1", "Add/Edit entry...", {5760, 1440, 1695, 375}},
        {w.Label3, "Frame1", "Arguments:", {120, 1080, 795, 195}},
        {w.TxtArg, "Frame1", "-n 0", {1080, 1080, 6375, 285}},
    });
    EXPECT_EQ(misplaced, Rows{});
    EXPECT_TRUE(w.Line1->testAttribute(Qt::WA_TransparentForMouseEvents));

    EXPECT_EQ(tabOrder(&w), (Rows{"MenuItems", "BtnAdd", "BtnRemove", "BtnEdit", "BtnSort(0)", "BtnSort(1)",
                                  "TxtName", "TxtPath", "BtnDlg", "BtnCancelEdit", "BtnAddEdit", "BtnSave", "TxtArg"}));
}

TEST(FrmCstmMenu, LoadsWhatTheStoreHolds) {
    const std::string forced = "[FORCED_PATH]\r\nPATH=/games/wc3\r\nFORCED=TRUE\r\n";
    struct Case {
        const char* what;
        std::optional<std::string> config;
        Rows rows;
    };
    const Case cases[] = {
        {"no config.cfg", std::nullopt, {}},
        {"written by the game-folder window", forced, {}},
        {"ITEMS empty", menuSection("", 2), {}},
        {"ITEMS 2", forced + menuSection("2", 3), {"Tool 0", "Tool 1"}},
        {"entry 1's keys missing", menuSection("3", 3, {1}), {"Tool 0", "", "Tool 2"}},
        {"ITEMS -1", menuSection("-1", 2), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Menu m;
        if (c.config) writeFile(m.t.configPath(), *c.config);
        m.open();
        EXPECT_EQ(m.rows(), c.rows);
        EXPECT_EQ(m.selected(), c.rows.empty() ? -1 : 0);
        // The first entry shows, in disabled fields.
        EXPECT_EQ(m.fields(), c.rows.empty() ? MenuItem{} : entry(0));
        EXPECT_EQ(m.enabled(), browsing(false, c.rows.size() > 1));
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(m.w->Items[i], c.rows[i].empty() ? MenuItem{} : entry(int(i)));
        for (std::size_t i = c.rows.size(); i < m.w->Items.size(); ++i) ASSERT_EQ(m.w->Items[i], MenuItem{});
    }

    // A count past the store's slots loads the first hundred; the store is full.
    Menu full;
    writeFile(full.t.configPath(), menuSection("150", 102));
    full.open();
    ASSERT_EQ(full.rows().size(), 100u);
    EXPECT_EQ(full.w->Items[99], entry(99));
    EXPECT_EQ(full.enabled(), browsing(false, true, false));
}

// A store that cannot be read ends in the report; the window never shows and nothing is written.
TEST(FrmCstmMenu, UnreadableCountIsReportedAndTheStoreKept) {
    TestApp t;
    t.forceGameFolder("game");
    writeFile(t.configPath(), readFile(t.configPath()) + menuSection("abc", 2));
    const auto before = snapshot(t.programFolder);
    WindowDriver driver;
    Main(t.app, t.shared, "--cstmenu");
    EXPECT_TRUE(driver.seen().isEmpty());
    EXPECT_EQ(t.dialogs.infos(),
              Rows{joinLines({"Vesk 2.0.10 Error", "Produced by: Corvane", "Description: Type mismatch", "",
                              "You will be redirected to Dunmarrow to report the issue..."})});
    EXPECT_EQ(t.endedWith, 1);
    EXPECT_EQ(snapshot(t.programFolder), before);
    EXPECT_EQ(waitForRecordedRuns(t.openLog, 1).size(), 1u);  // the forum's reply page
}

TEST(FrmCstmMenu, MoveButtonsFollowTheRowsAndTheSelection) {
    struct Case {
        int rows, selected;
        bool up, down;
    };
    const Case cases[] = {{0, -1, false, false}, {1, 0, false, false}, {1, -1, false, false}, {2, 0, false, true},
                          {2, 1, true, false},   {3, 1, true, true},    {3, -1, true, true},    {4, 3, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, row " + std::to_string(c.selected));
        Menu m(c.rows);
        m.open().MenuItems->setCurrentRow(c.selected);
        EXPECT_EQ(m.enabled(), browsing(c.up, c.down));
    }
}

// Runs blank-separated steps as a user would: add, edit, commit, cancel, up, down, clicks of
// those buttons; type (an entry into the emptied fields); new-name ("<New Item...>" as the
// name); row=N (selects row N); dblclick=N; remove=yes|no (Delete, and the answer).
void act(Menu& m, const std::string& steps) {
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        const std::string value = step.substr(step.find('=') + 1);
        QPushButton* button = step == "add"      ? m.w->BtnAdd
                              : step == "edit"   ? m.w->BtnEdit
                              : step == "commit" ? m.w->BtnAddEdit
                              : step == "cancel" ? m.w->BtnCancelEdit
                              : step == "up"     ? m.w->BtnSort[0]
                              : step == "down"   ? m.w->BtnSort[1]
                                                 : nullptr;
        if (button) {
            button->click();
        } else if (step == "type") {
            for (QLineEdit* field : {m.w->TxtName, m.w->TxtPath, m.w->TxtArg}) field->clear();
            QTest::keyClicks(m.w->TxtName, "Map Tool");
            m.w->TxtPath->setText("/opt/map tool");
            QTest::keyClicks(m.w->TxtArg, "-x");
        } else if (step == "new-name") {
            QTest::keyClicks(m.w->TxtName, "<New Item...>");
        } else if (step.rfind("row=", 0) == 0) {
            m.w->MenuItems->setCurrentRow(std::stoi(value));
        } else if (step.rfind("dblclick=", 0) == 0) {
            QWidget* rows = m.w->MenuItems->viewport();
            const QPoint row = m.w->MenuItems->visualItemRect(m.w->MenuItems->item(std::stoi(value))).center();
            QTest::mouseClick(rows, Qt::LeftButton, {}, row);
            QTest::mouseDClick(rows, Qt::LeftButton, {}, row);
            QTest::mouseRelease(rows, Qt::LeftButton, {}, row);
        } else if (step.rfind("remove=", 0) == 0) {
            m.t.dialogs.yesNoAnswers.push_back(value == "yes");
            m.w->BtnRemove->click();
        } else {
            ADD_FAILURE() << "no step " << step;
        }
    }
}

// Over three stored entries: the state each road leads to, the rows, the selection and the fields.
TEST(FrmCstmMenu, BrowsingAndEditingStates) {
    struct Case {
        const char* steps;
        Names enabled;
        Rows rows;
        int selected;
        MenuItem fields;
    };
    const Rows three = {"Tool 0", "Tool 1", "Tool 2"};
    const MenuItem typed = {"Map Tool", "/opt/map tool", "-x"};
    const Case cases[] = {
        {"", browsing(false, true), three, 0, entry(0)},
        {"add", Editing, {"Tool 0", "Tool 1", "Tool 2", "<New Item...>"}, 3, {}},
        {"edit", Editing, three, 0, entry(0)},
        {"dblclick=1", Editing, three, 1, entry(1)},
        {"add type commit", browsing(true, false), {"Tool 0", "Tool 1", "Tool 2", "Map Tool"}, 3, typed},
        {"row=1 edit type commit", browsing(true, true), {"Tool 0", "Map Tool", "Tool 2"}, 1, typed},
        {"add type cancel", browsing(true, true), three, -1, {}},
        {"edit type cancel", browsing(false, true), three, 0, entry(0)},
        {"add commit", browsing(true, false), {"Tool 0", "Tool 1", "Tool 2", ""}, 3, {}},
        // A committed entry stays, whatever its name.
        {"add new-name commit edit cancel", browsing(true, false), {"Tool 0", "Tool 1", "Tool 2", "<New Item...>"}, 3,
         {"<New Item...>", "", ""}},
        {"remove=no", browsing(false, true), three, 0, entry(0)},
        {"remove=yes", browsing(false, true), {"Tool 1", "Tool 2"}, 0, entry(1)},
        {"row=1 remove=yes", browsing(true, false), {"Tool 0", "Tool 2"}, 1, entry(2)},
        {"row=2 remove=yes", browsing(true, true), {"Tool 0", "Tool 1"}, -1, entry(2)},
        {"down", browsing(true, true), {"Tool 1", "Tool 0", "Tool 2"}, 1, entry(0)},
        {"down down", browsing(true, false), {"Tool 1", "Tool 2", "Tool 0"}, 2, entry(0)},
        {"down up", browsing(false, true), three, 0, entry(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        Menu m(3);
        m.shown();
        act(m, c.steps);
        EXPECT_EQ(m.enabled(), c.enabled);
        EXPECT_EQ(m.rows(), c.rows);
        EXPECT_EQ(m.selected(), c.selected);
        EXPECT_EQ(m.fields(), c.fields);
        EXPECT_EQ(m.focused(), c.enabled == Editing ? "TxtName" : "MenuItems");
        // The records follow the rows (a row that Add appended has none yet); the slot past them is empty.
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            if (c.enabled != Editing || c.rows[i] != "<New Item...>") {
                EXPECT_EQ(m.w->Items[i].Name, c.rows[i]);
            }
        }
        EXPECT_EQ(m.w->Items[c.rows.size()], MenuItem{});
        EXPECT_EQ(m.failures, Rows{});
    }
}

TEST(FrmCstmMenu, EdgeCases) {
    struct Case {
        const char* what;
        int stored;
        std::function<void(Menu&)> check;
    };
    const Case cases[] = {
        {"the removal question, titled with the caption", 2,
         [](Menu& m) {
             act(m, "remove=no");
             ASSERT_EQ(m.t.dialogs.shown.size(), 1u);
             const auto& asked = m.t.dialogs.shown[0];
             EXPECT_EQ(asked.title, "Vesk Application Quick Starter... - Delete Item...");
             EXPECT_EQ(asked.text, "Are you sure you want to remove the current entry?");
             EXPECT_EQ(asked.icon, BoxIcon::Exclamation);
             EXPECT_EQ(asked.owner, m.w.get());
         }},
        {"removing from a full store leaves 99 entries and slot 99 empty", 100,
         [](Menu& m) {
             act(m, "remove=yes");
             EXPECT_EQ(m.rows().size(), 99u);
             EXPECT_EQ(m.w->Items[98], entry(99));
             EXPECT_EQ(m.w->Items[99], MenuItem{});
         }},
        // A hundred entries fill the store: Add is refused, and comes back when one goes.
        {"no 101st entry", 99,
         [](Menu& m) {
             act(m, "add type commit");
             EXPECT_EQ(m.enabled(), browsing(true, false, false));
             m.w->BtnAdd_Click();
             EXPECT_EQ(m.rows().size(), 100u);
             act(m, "remove=yes");
             EXPECT_TRUE(m.w->BtnAdd->isEnabled());
         }},
        {"the close box writes nothing", 2,
         [](Menu& m) {
             const auto before = snapshot(m.t.programFolder);
             act(m, "add commit");
             m.w->close();
             EXPECT_FALSE(m.w->isVisible());
             EXPECT_EQ(snapshot(m.t.programFolder), before);
         }},
        {"Escape closes nothing", 2,
         [](Menu& m) {
             QTest::keyClick(m.w->MenuItems, Qt::Key_Escape);
             EXPECT_TRUE(m.w->isVisible());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Menu m(c.stored);
        m.shown();
        c.check(m);
        EXPECT_EQ(m.failures, Rows{});
    }
}

// With no row selected (a cancelled Add, the last row removed) the row commands do nothing and ask nothing.
TEST(FrmCstmMenu, RowCommandsWithoutSelectionDoNothing) {
    for (const char* steps : {"add cancel", "row=2 remove=yes"}) {
        SCOPED_TRACE(steps);
        Menu m(3);
        m.shown();
        act(m, steps);
        const Rows rows = m.rows();
        const std::size_t shown = m.t.dialogs.shown.size();
        ASSERT_EQ(m.selected(), -1);
        act(m, "edit remove=yes up down");
        m.w->MenuItems_DblClick();
        EXPECT_EQ(m.rows(), rows);
        EXPECT_EQ(m.selected(), -1);
        EXPECT_EQ(m.t.dialogs.shown.size(), shown);
        EXPECT_EQ(m.enabled(), browsing(true, true));
    }
}

// The fields keep at most what the settings file gives back: 254 bytes as stored.
TEST(FrmCstmMenu, FieldsHoldWhatTheStoreGivesBack) {
    Menu m(0);
    m.shown();
    m.w->BtnAdd->click();
    QTest::keyClicks(m.w->TxtName, QString(300, 'n'));
    QApplication::clipboard()->setText(QString(200, QChar(0xE9)));  // two bytes each
    m.w->TxtArg->paste();
    EXPECT_EQ(m.fields().Name, std::string(254, 'n'));
    EXPECT_EQ(m.fields().Arg.size(), 254u);

    const std::string folder = "/" + std::string(200, 'd') + "/";
    for (const std::string& path :
         {folder + std::string(50, 'p'), folder + std::string(52, 'p'), folder + std::string(53, 'p')}) {
        SCOPED_TRACE(path.size());
        const std::string before = m.fields().Path;
        m.t.dialogs.pickAnswers.push_back(path);
        m.w->TxtName->setFocus();
        m.w->BtnDlg->click();
        const bool taken = path.size() <= 254;
        EXPECT_EQ(m.fields().Path, taken ? path : before);
        EXPECT_EQ(ss(m.w->TxtPath->toolTip()), taken ? path : before);
        EXPECT_EQ(m.focused(), taken ? "TxtArg" : "TxtName");
    }

    // What is saved comes back as it was.
    const MenuItem kept = m.fields();
    m.w->BtnAddEdit->click();
    m.w->BtnSave->click();
    Menu again;
    fs::copy_file(m.t.configPath(), again.t.configPath());
    again.open();
    EXPECT_EQ(again.entries(), std::vector<MenuItem>{kept});
}

TEST(FrmCstmMenu, PickerOpensOncePerClickOrFocusFromAnotherControl) {
    Menu m(1);
    m.shown();
    m.w->BtnEdit->click();
    ASSERT_EQ(m.focused(), "TxtName");
    struct Step {
        const char* what;
        std::function<void(Menu&)> act;
        std::size_t picks;  // pickers opened by the step
    };
    QWidget other;
    const Step steps[] = {
        {"Tab from the name", [](Menu& m) { QTest::keyClick(m.w->TxtName, Qt::Key_Tab); }, 1},
        {"the window activated again",
         [&other](Menu& m) {
             other.show();
             other.activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
             m.w->activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(m.w.get()));
         },
         0},
        {"a click on the focused path", [](Menu& m) { QTest::mouseClick(m.w->TxtPath, Qt::LeftButton); }, 1},
        {"Tab away", [](Menu& m) { QTest::keyClick(m.w->TxtPath, Qt::Key_Tab); }, 0},
        {"Shift+Tab back", [](Menu& m) { QTest::keyClick(m.w->BtnDlg, Qt::Key_Tab, Qt::ShiftModifier); }, 1},
        {"a click from the name",
         [](Menu& m) {
             m.w->TxtName->setFocus();
             QTest::mouseClick(m.w->TxtPath, Qt::LeftButton);
         },
         1},
        {"the button", [](Menu& m) { m.w->BtnDlg->click(); }, 1},
        {"a click while browsing",
         [](Menu& m) {
             m.w->BtnCancelEdit->click();
             QTest::mouseClick(m.w->TxtPath, Qt::LeftButton);
         },
         0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const std::size_t before = m.picks();
        for (int i = 0; i < 2; ++i) m.t.dialogs.pickAnswers.push_back(std::nullopt);
        s.act(m);
        EXPECT_EQ(m.picks() - before, s.picks);
        m.t.dialogs.pickAnswers.clear();
    }
    const FilePickerSpec& spec = m.t.dialogs.pickSpecs.at(0);
    EXPECT_EQ(spec.title, "Select the program of the entry...");
    EXPECT_EQ(spec.startFolder, m.t.programFolder);
    EXPECT_EQ(spec.filters, (std::vector<std::pair<std::string, std::string>>{{"Executable files (*.exe)", "*.EXE"},
                                                                              {"Any file...", "*.*"}}));
    // Cancelled every time: the path and its tip are as the entry left them.
    EXPECT_EQ(m.fields(), entry(0));
    EXPECT_EQ(ss(m.w->TxtPath->toolTip()), "");
}

TEST(FrmCstmMenu, SaveWritesBothStoresThenSaysSoAndCloses) {
    Menu m(2);
    m.open();
    m.w->BtnSort[1]->click();
    m.w->BtnSave->click();
    EXPECT_EQ(m.t.dialogs.infos(), Rows{Saved});
    EXPECT_TRUE(m.w->isUnloaded());
    EXPECT_EQ(profile::read(m.t.configPath(), "CSTMENU", "MNU_NAME_0"), "Tool 1");
    EXPECT_EQ(profile::read(m.t.configPath(), "CSTMENU", "ITEMS"), "2");
    EXPECT_NE(
        readFile(m.t.programFolder + "/CST_Menu.lua").find("MNUTool1m = MenuEntry:New(veskm,\"Tool 1...\",MNUTool1)"),
        std::string::npos);
}

// A failed save goes to the report; nothing is said to have been saved and the window stays.
TEST(FrmCstmMenu, FailedSaveIsReportedAndTheWindowStays) {
    for (const char* blocker : {"config.cfg", "CST_Menu.lua"}) {
        SCOPED_TRACE(blocker);
        Menu m;
        m.open();
        fs::create_directory(m.t.programFolder + "/" + blocker);
        const auto before = snapshot(m.t.programFolder);
        m.w->BtnAdd->click();
        m.w->BtnAddEdit->click();
        m.w->BtnSave->click();
        EXPECT_EQ(m.failures.size(), 1u);
        EXPECT_EQ(m.t.dialogs.infos(), Rows{});
        EXPECT_FALSE(m.w->isUnloaded());
        EXPECT_EQ(snapshot(m.t.programFolder), before);
    }
}

}  // namespace
