#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// The game version as the multi-instance loader judges it: the first two parts of the version
// text, and whether the second reads exactly "26" (the text, not the number: "026" is not it).
// A text without a second part fails with 9.
struct GameVersion {
    std::string major;
    std::string minor;
    bool compatible = false;
};
GameVersion readGameVersion(const std::string& versionText);

// "Multisession Tool.": writes "Config.txt" for the multi-instance loader and starts the loader
// once per wanted game instance. The loader only works with game version 1.26.
class FrmMulti : public Form {
public:
    FrmMulti(App& app, Shared& shared);

    // Fills the controls, then checks the game's version, offering the patcher until it is 1.26
    // or the user declines. Without a game executable the window unloads itself.
    void load() override;

    // Event procedures, public so tests can run them as a click would.
    void SesCount_Change();
    void BtnClose_Click();
    void Image1_Click();

    QLabel* Image1;
    QLabel* Label1;
    QLineEdit* TxtSession;
    QScrollBar* SesCount;
    QLineEdit* TxtArg;
    QGroupBox* Frame1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* LblWarn;
    QPushButton* BtnClose;

private:
    App& app_;
    Shared& shared_;
};
