#include <gtest/gtest.h>

#include <QCheckBox>
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

using Rows = std::vector<std::string>;
const std::string Map = "/m/a b.w3x";

// The composer over a run whose game folder is `game`, shown without a modal loop.
struct Composer {
    TestApp t;
    FrmTest w{t.app, t.shared};

    explicit Composer(const std::string& game = "/g") {
        t.shared.WC3Path = game;
        w.show();
    }
    void click(QAbstractButton* control) { QTest::mouseClick(control, Qt::LeftButton); }
    // "&Open Map..." answered with a path or a cancel.
    void pick(std::optional<std::string> answer) {
        t.dialogs.pickAnswers.push_back(std::move(answer));
        click(w.Command1);
    }
    std::string line() const { return ss(w.Text1->text()); }
};

// What the developer meets first: the options, the order Tab takes, "&TEST" disabled, a bare label.
TEST(FrmTest, StartsWithNothingChosen) {
    Composer c;
    FrmTest& w = c.w;
    const Rows captions = {"&Setup Map Settings", "&Multisession", "&Load Map", "&About", "&Custom Menu", "Comman&d",
                           "Stat&us", "Set WC3 path", "Check Updates", "Set File Associations", "WC3 Patcher", "Ossik"};
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(ss(w.Option[k]->text()), captions[k - 1]);
        EXPECT_EQ(w.Option[k]->isEnabled(), k != 9) << k;
    }
    EXPECT_EQ(tabOrder(&w), (Rows{"Option1", "Option2", "Option3", "Command1", "Check1", "Check2", "Text1", "Command2",
                                  "Option4", "Option5", "Option6", "Option7", "Option8", "Option9", "Option10",
                                  "Option11", "Option12"}));
    EXPECT_TRUE(w.Check1->isChecked() && w.Check2->isChecked() && w.Command1->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled() || w.Label1->frameWidth());
}

// Each option's line, with the boxes, map and game folder where they matter (and a few where
// they do not), and the state it gives "&Open Map...". The line is the same whether the option
// is chosen last, or first with the map and boxes changed after it: the line follows them, and
// a box leaves "&Open Map..." as the option set it.
TEST(FrmTest, ComposesEachOptionsLine) {
    struct Case {
        int option;
        bool window, opengl;  // the boxes left checked
        bool map;             // Map picked, with blanks around it
        std::string game;
        std::string line;
        bool openMap;
    };
    const Case cases[] = {
        {1, true, true, true, "/g", "--setupmaptesting=" + Map, true},
        {1, true, true, false, "/g", "--setupmaptesting=", true},
        {2, true, true, false, "/g", "--multisession=-window -opengl", false},
        {2, true, false, false, "/g", "--multisession=-window ", false},
        {2, false, true, false, "/g", "--multisession=-opengl", false},
        {2, false, false, false, "/g", "--multisession", false},
        {3, true, true, false, "/g", "--loadmap= --arguments=-window -opengl", true},
        {3, true, false, true, "/g", "--loadmap=" + Map + " --arguments=-window ", true},
        {3, false, true, true, "/g", "--loadmap=" + Map + " --arguments=-opengl", true},
        {3, false, false, true, "/g", "--loadmap=" + Map, true},
        {4, false, false, false, "/g", "--about", false},
        {5, true, true, false, "/g", "--cstmenu", false},
        {6, true, true, true, "/g", "--command=" + Map, true},
        {7, true, true, false, "/g", "--status=/g", false},
        {7, true, false, false, "", "--status=", false},
        {8, false, true, false, "/g", "--setwc3path=/g", false},
        {8, true, true, false, "", "--setwc3path=", false},
        {8, true, true, false, "/jeux/caf\xE9", "--setwc3path=/jeux/caf\xE9", false},
        {10, true, false, false, "/g", "--sfa=ON", false},
        {11, false, true, false, "/g", "--patcher", false},
        {12, true, true, true, "/g", "--ossik=" + Map, true},
        {12, false, false, false, "/g", "--ossik=", true},
    };
    for (const Case& e : cases) {
        for (bool optionFirst : {false, true}) {
            SCOPED_TRACE(e.line + (optionFirst ? ", option chosen first" : ", option chosen last"));
            Composer c(e.game);
            if (optionFirst) c.click(c.w.Option[e.option]);
            if (e.map) c.pick("  " + Map + " ");
            if (!e.window) c.click(c.w.Check1);
            if (!e.opengl) c.click(c.w.Check2);
            if (!optionFirst) c.click(c.w.Option[e.option]);
            EXPECT_EQ(c.line(), e.line);
            EXPECT_EQ(c.w.Command1->isEnabled(), e.openMap);
            EXPECT_TRUE(c.w.Command2->isEnabled());
        }
    }
}

// Nothing is composed before an option is chosen, and "Check Updates" cannot be chosen; "&TEST"
// follows Text1, typed or composed. The picker asks for maps in the program's folder; a new map
// rewrites the line, a cancel changes nothing, and the label's tooltip names the map too.
TEST(FrmTest, PicksMapsAndEnablesTestExactlyWhileTheLineHoldsText) {
    Composer c;
    FrmTest& w = c.w;
    c.click(w.Check1);
    c.pick(Map);
    c.click(w.Option[9]);
    EXPECT_FALSE(w.Option[9]->isChecked());
    EXPECT_EQ(c.line(), "");
    EXPECT_FALSE(w.Command2->isEnabled());
    QTest::keyClicks(w.Text1, "--x");
    EXPECT_TRUE(w.Command2->isEnabled());
    w.Text1->clear();
    EXPECT_FALSE(w.Command2->isEnabled());

    c.click(w.Option[12]);
    c.pick("/m/other.w3m");
    c.pick(std::nullopt);
    EXPECT_EQ(c.line(), "--ossik=/m/other.w3m");
    EXPECT_EQ(ss(w.Label1->toolTip()), "/m/other.w3m");
    EXPECT_TRUE(w.Command2->isEnabled());
    const FilePickerSpec& spec = c.t.dialogs.pickSpecs.at(2);
    EXPECT_EQ(spec.filters, (std::vector<std::pair<std::string, std::string>>{
                                {"Warcraft III Frozen Throne Map (*.w3x)", "*.W3X"},
                                {"Warcraft III Frozen Throne Map (*.w3m)", "*.W3M"},
                                {"Any File...", "*.*"}}));
    EXPECT_EQ(spec.startFolder, c.t.programFolder);
    EXPECT_EQ(spec.title, "Open File...");
    EXPECT_EQ(c.t.dialogs.shown.at(2).owner, &w);
}

}  // namespace
