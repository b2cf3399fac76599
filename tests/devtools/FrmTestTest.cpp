#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "devtools/FrmTest.h"
#include "support/Placement.h"
#include "support/TestApp.h"
#include "ui/Text.h"

namespace {

const std::string Map = "/m/a b.w3x";

// The composer over a run whose game folder is `game`, shown without a modal loop.
struct Composer {
    TestApp t;
    std::unique_ptr<FrmTest> w;

    explicit Composer(const std::string& game = "/g") {
        t.shared.WC3Path = game;
        w = std::make_unique<FrmTest>(t.app, t.shared);
        w->load();
        w->show();
    }
    // The developer's pick in the map picker: the path with blanks around it, or a cancel.
    void pick(std::optional<std::string> answer) {
        t.dialogs.pickAnswers.push_back(std::move(answer));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    }
    void click(QAbstractButton* control) { QTest::mouseClick(control, Qt::LeftButton); }
    std::string line() const { return ss(w->Text1->text()); }
};

TEST(FrmTest, StandsAsDesignedWithNothingChosen) {
    Composer c;
    FrmTest& w = *c.w;
    EXPECT_EQ(ss(w.windowTitle()), "Test tool");
    EXPECT_EQ(w.size(), QSize(4695 / 15, 7110 / 15));

    const char* captions[] = {"&Setup Map Settings", "&Multisession", "&Load Map", "&About",
                              "&Custom Menu", "Comman&d", "Stat&us", "Set WC3 path",
                              "Check Updates", "Set File Associations", "WC3 Patcher", "Ossik"};
    const int widths[] = {1815, 1215, 1095, 735, 1575, 1695, 1695, 1695, 1695, 1935, 1935, 1095};
    std::vector<Placement> placements = {
        {w.Frame1, "", "Arguments", QRect(120, 0, 2175, 4575)},
        {w.Command1, "", "&Open Map...", QRect(2400, 120, 2175, 4455)},
        {w.Label1, "", "", QRect(120, 4680, 4455, 255)},
        {w.Frame2, "", "Optional Arguments", QRect(120, 5040, 4455, 855)},
        {w.Check1, "Frame2", "-window", QRect(120, 360, 975, 255)},
        {w.Check2, "Frame2", "-opengl", QRect(1320, 360, 855, 255)},
        {w.Text1, "", "", QRect(120, 6000, 4455, 285)},
        {w.Command2, "", "&TEST", QRect(120, 6360, 4455, 615)},
    };
    for (int k = 1; k <= 12; ++k)
        placements.push_back({w.Option[k], "Frame1", captions[k - 1], QRect(120, 240 + 360 * (k - 1), widths[k - 1], 255)});
    EXPECT_EQ(placementFaults(placements), std::vector<std::string>{});
    EXPECT_EQ(tabOrder(&w), (std::vector<std::string>{"Option1", "Option2", "Option3", "Command1", "Check1", "Check2",
                                                      "Text1", "Command2", "Option4", "Option5", "Option6", "Option7",
                                                      "Option8", "Option9", "Option10", "Option11", "Option12"}));

    for (int k = 1; k <= 12; ++k) {
        EXPECT_FALSE(w.Option[k]->isChecked()) << k;
        EXPECT_EQ(w.Option[k]->isEnabled(), k != 9) << k;
    }
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_TRUE(w.Check2->isChecked());
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());
    EXPECT_EQ(w.Label1->frameShape(), QFrame::NoFrame);
}

struct LineCase {
    int option;
    bool window;  // "-window" stays checked
    bool opengl;  // "-opengl" stays checked
    bool map;     // Map was picked
    std::string game;
    std::string line;
    bool openMap;  // "&Open Map..." enabled once the option is selected
};

// Every option, with the boxes, map and game folder where they matter (and a few where they do
// not). Each line comes out the same whether the option is chosen last, or first with the map
// picked and the boxes clicked after it: the line follows them, and the boxes leave "&Open
// Map..." as the option set it.
TEST(FrmTest, ComposesEachOptionsLine) {
    const LineCase cases[] = {
        {1, true, true, true, "/g", "--setupmaptesting=" + Map, true},
        {1, true, true, false, "/g", "--setupmaptesting=", true},
        {2, true, true, false, "/g", "--multisession=-window -opengl", false},
        {2, true, false, false, "/g", "--multisession=-window ", false},
        {2, false, true, false, "/g", "--multisession=-opengl", false},
        {2, false, false, false, "/g", "--multisession", false},
        {3, true, true, false, "/g", "--loadmap= --arguments=-window -opengl", true},
        {3, true, true, true, "/g", "--loadmap=" + Map + " --arguments=-window -opengl", true},
        {3, true, false, true, "/g", "--loadmap=" + Map + " --arguments=-window ", true},
        {3, false, true, true, "/g", "--loadmap=" + Map + " --arguments=-opengl", true},
        {3, false, false, true, "/g", "--loadmap=" + Map, true},
        {4, false, false, false, "/g", "--about", false},
        {5, true, true, false, "/g", "--cstmenu", false},
        {6, true, true, true, "/g", "--command=" + Map, true},
        {6, false, true, false, "/g", "--command=", true},
        {7, true, true, false, "/g", "--status=/g", false},
        {7, true, false, false, "", "--status=", false},
        {8, false, true, false, "/g", "--setwc3path=/g", false},
        {8, true, true, false, "", "--setwc3path=", false},
        {10, true, false, false, "/g", "--sfa=ON", false},
        {11, false, true, false, "/g", "--patcher", false},
        {12, true, true, true, "/g", "--ossik=" + Map, true},
        {12, false, false, false, "/g", "--ossik=", true},
    };
    for (const LineCase& lc : cases) {
        for (bool optionFirst : {false, true}) {
            SCOPED_TRACE(lc.line + (optionFirst ? ", option chosen first" : ", option chosen last"));
            Composer c(lc.game);
            FrmTest& w = *c.w;
            if (optionFirst) c.click(w.Option[lc.option]);
            if (lc.map) c.pick("  " + Map + " ");
            if (!lc.window) c.click(w.Check1);
            if (!lc.opengl) c.click(w.Check2);
            if (!optionFirst) c.click(w.Option[lc.option]);
            EXPECT_TRUE(w.Option[lc.option]->isChecked());
            EXPECT_EQ(c.line(), lc.line);
            EXPECT_EQ(w.Command1->isEnabled(), lc.openMap);
            EXPECT_TRUE(w.Command2->isEnabled());
        }
    }
}

// The picker asks for maps in the program's folder; a new map rewrites the line, a cancelled
// pick changes nothing, and the label names the map in its tooltip too.
TEST(FrmTest, PicksTheMap) {
    Composer c;
    FrmTest& w = *c.w;
    c.click(w.Option[1]);
    c.pick(Map);
    c.pick("/m/other.w3m");
    c.pick(std::nullopt);
    ASSERT_EQ(c.t.dialogs.pickSpecs.size(), 3u);
    const FilePickerSpec& spec = c.t.dialogs.pickSpecs[0];
    EXPECT_EQ(spec.filters, (std::vector<std::pair<std::string, std::string>>{
                                {"Warcraft III Frozen Throne Map (*.w3x)", "*.W3X"},
                                {"Warcraft III Frozen Throne Map (*.w3m)", "*.W3M"},
                                {"Any File...", "*.*"}}));
    EXPECT_EQ(spec.startFolder, c.t.programFolder);
    EXPECT_EQ(spec.title, "Open File...");
    EXPECT_EQ(c.t.dialogs.shown[0].owner, &w);
    EXPECT_EQ(ss(w.Label1->text()), "/m/other.w3m");
    EXPECT_EQ(ss(w.Label1->toolTip()), "/m/other.w3m");
    EXPECT_EQ(c.line(), "--setupmaptesting=/m/other.w3m");
}

// "&TEST" follows Text1 alone: boxes and maps compose nothing until an option is chosen,
// "Check Updates" cannot be chosen, and a typed line counts as a composed one.
TEST(FrmTest, TestIsEnabledExactlyWhileTheLineHoldsText) {
    Composer c;
    FrmTest& w = *c.w;
    c.click(w.Check1);
    c.pick(Map);
    c.click(w.Option[9]);
    EXPECT_FALSE(w.Option[9]->isChecked());
    EXPECT_EQ(c.line(), "");
    EXPECT_FALSE(w.Command2->isEnabled());

    QTest::keyClicks(w.Text1, "--x");
    EXPECT_TRUE(w.Command2->isEnabled());
    w.Text1->selectAll();
    QTest::keyClick(w.Text1, Qt::Key_Backspace);
    EXPECT_FALSE(w.Command2->isEnabled());

    c.click(w.Option[4]);
    EXPECT_TRUE(w.Command2->isEnabled());
    w.Text1->clear();
    EXPECT_FALSE(w.Command2->isEnabled());
}

// "&TEST" hands the line over; the close box takes it away with the window.
TEST(FrmTest, HandsOverTheLineOnlyThroughTest) {
    for (bool test : {true, false}) {
        SCOPED_TRACE(test ? "TEST" : "close box");
        Composer c;
        FrmTest& w = *c.w;
        c.click(w.Option[10]);
        if (test)
            c.click(w.Command2);
        else
            w.close();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.isUnloaded(), !test);
        EXPECT_EQ(w.composedCommandLine(), test ? "--sfa=ON" : "");
    }
}

}  // namespace
