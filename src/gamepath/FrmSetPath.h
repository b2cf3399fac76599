#pragma once
#include <string>
#include <vector>

#include "ui/Form.h"

struct App;
struct Shared;
class QLabel;
class QLineEdit;
class QPushButton;
class QGroupBox;

// "Set Manually Warcraft III path...": the user picks the game's executable; its folder is
// stored as the forced game folder.
class FrmSetPath : public Form {
public:
    FrmSetPath(App& app, Shared& shared);

    void load() override;

    // Event procedures, public so tests can drive them as a click would.
    void BtnBrowse_Click();
    void BtnSet_Click();
    void BtnRetry_Click();

    QLineEdit* TxtPath;
    QPushButton* BtnBrowse;
    QGroupBox* Frame1;
    QLabel* LblTests;
    QPushButton* BtnSet;
    QLabel* Label1;
    QPushButton* BtnRetry;

private:
    // Element 1 of PathArg: the picker's starting folder and the first text of TxtPath.
    std::string startFolder() const;
    // Reports the three game files of the folder in TxtPath; Set is enabled only when all are there.
    void testFolder();

    App& app_;
    Shared& shared_;
    std::vector<std::string> PathArg;
};
