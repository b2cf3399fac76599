#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Test tool": the development program shows it in place of reading its command line. The
// developer picks a mode, a map and the game arguments; the window composes the command line in
// Text1, which the developer may also type or edit, and "&TEST" hands it over.
//
// The window keeps no state of its own: what is selected, checked and typed is all there is.
// It reads the game folder that start-up found, and writes nothing outside itself.
class FrmTest : public Form {
public:
    FrmTest(App& app, Shared& shared);

    // What the window hands over once its modal show has ended: the text of Text1, or the empty
    // text when the close box unloaded the window, taking its text with it.
    std::string composedCommandLine() const;

    // Event procedures, public so tests can run them as a click would.
    void Check1_Click();
    void Check2_Click();
    // "&Open Map...": the map picker.
    void Command1_Click();
    // "&TEST": hides the window, which ends its modal show.
    void Command2_Click();
    // The Click procedure of Option1 to Option12 (k), run when the option becomes selected and
    // again when the line is composed anew.
    void Option_Click(int k);
    void Text1_Change();

    QGroupBox* Frame1;
    // Option[k] is the option button named "Option<k>", k = 1 to 12; Option[0] is unused.
    QRadioButton* Option[13] = {};
    QPushButton* Command1;
    QLabel* Label1;
    QGroupBox* Frame2;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QLineEdit* Text1;
    QPushButton* Command2;

protected:
    // The close box unloads the window.
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs the Click procedure of the selected option again, so that Text1 follows the current
    // map and boxes; with none selected there is nothing to compose.
    void RefreshCommandLine();
    // The checked boxes' captions after the separator; nothing, separator included, when neither is.
    std::string optionalArguments(const std::string& separator) const;

    App& app_;
    Shared& shared_;
};
