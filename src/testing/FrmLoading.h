#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

// The countdown launcher: copies the map under a test name into the game's "Maps\Test\"
// folder and starts the game on the copy, when the countdown runs out or on "&Play".
class FrmLoading : public Form {
public:
    FrmLoading(App& app, Shared& shared);

    void load() override;

    void Cleaner_Timer();
    void BtnTrigger_Click();

    QLabel* LblInfo;
    QRadioButton* LoadOption[2];
    QTimer* Cleaner;
    QPushButton* BtnTrigger;
    QLabel* LblTimer;
    QLabel* Image1;

    std::string TestMapName;
    std::string GameArgs;
    int Countdown = 0;

private:
    App& app_;
    Shared& shared_;
};
