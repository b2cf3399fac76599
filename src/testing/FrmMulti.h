#pragma once

#include "ui/Form.h"

struct App;
struct Shared;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// "Multisession Tool.": writes "Config.txt" for the multi-instance loader and starts the loader
// once per wanted game instance. The loader only works with game version 1.26.
class FrmMulti : public Form {
public:
    FrmMulti(App& app, Shared& shared);

    void load() override;

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
