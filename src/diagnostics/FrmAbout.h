#pragma once
#include "ui/Form.h"

struct App;
struct Shared;
class QLabel;
class QListWidget;
class QMouseEvent;
class QPushButton;

// "About Vesk...": the program's version, the credits, the versions of 7-Zip and of the sibling
// tools installed in the pack, and a link to the web site's home page.
class FrmAbout : public Form {
public:
    FrmAbout(App& app, Shared& shared);

    void load() override;

    // Event procedures, public so tests can run them as the events would.
    void Command1_Click();
    // The pointer moves over the window's own background, not over a control.
    void Form_MouseMove();
    void Label3_Click();
    void Label3_MouseMove();

    QLabel* Label1;
    QLabel* Version;
    QLabel* Label2;
    QListWidget* List1;
    QPushButton* Command1;
    QLabel* Label3;
    QLabel* Disclaimer;
    QWidget* Line1;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    App& app_;
    Shared& shared_;
};
