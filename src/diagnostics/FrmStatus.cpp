#include "diagnostics/FrmStatus.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/App.h"
#include "common/Standard.h"
#include "diagnostics/StatusReport.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

FrmStatus::FrmStatus(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow("Vesk Status Info...", 7335, 6255);
    keepOutOfTaskbar();

    // Made in tab order.
    Label1 = ui::makeLabel(this, "Label1",
                           "This dialog box should be used to share your current configuration of Warcraft III and "
                           "report it to us. This will help us (a little bit) to get a more precise idea about your "
                           "installation and give more appropriate solutions in any issue you could have.",
                           120, 120, 7095, 615);
    TxtInfo = ui::makeMultiLineBox(this, "TxtInfo", "Text1", 120, 840, 7095, 4575, true);
    TxtInfo->setFont(ui::consoleFont(8.25));
    BtnCopy = ui::makeButton(this, "BtnCopy", "&Copy to Clipboard", 3000, 5640, 2655, 495);
    setDefaultButton(BtnCopy);
    BtnClose = ui::makeButton(this, "BtnClose", "Clo&se", 5760, 5640, 1455, 495);
    Check1 = ui::makeCheckBox(this, "Check1", "Add BBCODE to the copied text", 120, 5760, 2775, 255);
    Check1->setChecked(true);

    connect(BtnCopy, &QPushButton::clicked, this, ui::guarded([this] { BtnCopy_Click(); }));
    connect(BtnClose, &QPushButton::clicked, this, ui::guarded([this] { BtnClose_Click(); }));
}

void FrmStatus::load() {
    SetTopMost(this, true);
    report_ = BuildStatusReport(app_, shared_);
    TxtInfo->setPlainText(qs(report_));
}

void FrmStatus::BtnCopy_Click() {
    if (Check1->isChecked()) {
        const QString now = QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
        app_.dialogs->setClipboardText(WithForumMarkup(report_, ss(now)));
    } else {
        app_.dialogs->setClipboardText(report_);
    }
    ExecuteFile(app_, "open", WebAddress(app_, ForumReplyPage), "", "", 1, false);
}

void FrmStatus::BtnClose_Click() { hide(); }
