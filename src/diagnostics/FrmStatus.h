#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Vesk Status Info...": the report of the system, the game and the pack, built when the window
// loads, copied to the clipboard (plain or in the forum's mark-up) for a support request.
class FrmStatus : public Form {
public:
    FrmStatus(App& app, Shared& shared);

    // Builds the report.
    void load() override;

    // Event procedures, public so tests can run them as a click would.
    // Copies the report and opens the forum's reply page; the window stays open.
    void BtnCopy_Click();
    void BtnClose_Click();

    QLabel* Label1;
    QPlainTextEdit* TxtInfo;
    QPushButton* BtnCopy;
    QPushButton* BtnClose;
    QCheckBox* Check1;

private:
    App& app_;
    Shared& shared_;
    // The report as built, CR LF and all: the box gives its lines back with bare line feeds.
    std::string report_;
};
