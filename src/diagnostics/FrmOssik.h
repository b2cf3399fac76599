#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QCloseEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// The script compiler runner: runs the compiler archive in "Scrivel/Tavi" through "java" over
// the script that start-up found, waits for it while loading, and then shows the compiler's log
// in a console or, without one, the all-clear or the compiler's failure.
class FrmOssik : public Form {
public:
    FrmOssik(App& app, Shared& shared);

    // Names the script, deletes an old log, runs the compiler and waits; "java" not found, a log
    // that cannot be deleted or read, a missing compiler folder fail here, so the window is never shown.
    void load() override;

    // Event procedures, public so tests can run them as a tick or a click would.
    void Timer1_Timer();
    void BtnClose_Click();

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* TxtMapname;
    QLabel* Label2;
    QLineEdit* TxtMapPath;
    ui::Picture* Picture1;
    QFrame* Shape1;
    QFrame* Bar[10];
    QLabel* LblStatus;
    QPlainTextEdit* TxtConsole;
    QTimer* Timer1;
    QPushButton* BtnClose;

    // The lit shape of the busy bar.
    int BarIndex = 0;
    // The parameters "java" was run with.
    std::string CommandText;

protected:
    // The close box acts as "&Close".
    void closeEvent(QCloseEvent* event) override;

private:
    App& app_;
    Shared& shared_;
};
