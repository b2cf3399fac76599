#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QFontInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "common/Text.h"
#include "diagnostics/FrmStatus.h"
#include "diagnostics/StatusReport.h"
#include "startup/Main.h"
#include "support/TestApp.h"
#include "support/WindowDriver.h"
#include "support/core/StandIns.h"
#include "ui/Text.h"

namespace {

const char* const ReplyPage = "http://127.0.0.1:9/index.php?action=post;topic=4263.0";

std::string now() { return ss(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)); }

// The window over a game folder that the run passed, copying to the real clipboard (the
// offscreen platform keeps it in the process).
struct Status {
    TestApp t;
    QtDialogs clipboard;
    std::string game = t.makeGameFolder("Warcraft III");
    std::unique_ptr<FrmStatus> w;

    Status() {
        t.app.dialogs = &clipboard;
        t.shared.WC3Path = game;
        t.shared.CmdArgs = {"", "status=" + game};
        writeFile(t.programFolder + "/CST_Menu.lua", "veskm = {}\n");  // a line end of its own, kept as it is
        w = std::make_unique<FrmStatus>(t.app, t.shared);
        w->load();
        w->show();
    }
};

// The report in the console font; each click copies it (the mark-up as the box is ticked or not)
// and opens the reply page again. The window stays open, so the text can be pasted while it runs.
TEST(FrmStatus, ShowsTheReportAndCopiesItExactlyOnEveryClick) {
    Status s;
    const std::string report = BuildStatusReport(s.t.app, s.t.shared);
    ASSERT_NE(report.find("veskm = {}\n\r\n==== TEXT END ===="), std::string::npos);
    EXPECT_EQ(ss(s.w->TxtInfo->toPlainText()), replaceAll(report, CRLF, "\n"));
    EXPECT_TRUE(s.w->TxtInfo->isReadOnly());
    EXPECT_EQ(QFontInfo(s.w->TxtInfo->font()).family(), "Liberation Mono");
    EXPECT_TRUE(s.w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(s.w->Check1->isChecked());
    for (bool ticked : {true, false}) {
        SCOPED_TRACE(ticked ? "ticked" : "not ticked");
        s.w->Check1->setChecked(ticked);
        QApplication::clipboard()->clear();
        const std::string before = now();
        QTest::mouseClick(s.w->BtnCopy, Qt::LeftButton);
        const std::string after = now();
        const std::string copied = ss(QApplication::clipboard()->text());
        if (ticked)
            EXPECT_TRUE(copied == WithForumMarkup(report, before) || copied == WithForumMarkup(report, after)) << copied;
        else
            EXPECT_EQ(copied, report);
        EXPECT_TRUE(s.w->isVisible());
    }
    const auto opened = waitForRecordedRuns(s.t.openLog, 2);
    ASSERT_EQ(opened.size(), 2u);
    for (const auto& run : opened) EXPECT_EQ(run.args, std::vector<std::string>{ReplyPage});

    QTest::mouseClick(s.w->BtnClose, Qt::LeftButton);
    EXPECT_FALSE(s.w->isVisible());
}

// The option, in any letter case, with or without a value, shows the window; the passed folder
// comes from the value.
TEST(FrmStatus, MainShowsItForTheStatusOption) {
    struct Case {
        std::string commandLine;
        bool shown;
        bool passedLine;
    };
    TestApp probe;
    const std::string game = probe.root.file("game");
    const Case cases[] = {
        {"--status=" + game, true, true},
        {"--STATUS", true, false},
        {"--Status= --x", true, true},
        {"--status --x", false, false},  // the name keeps its blank
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        TestApp t;
        t.forceGameFolder("game");
        std::string shownText;
        WindowDriver driver([&shownText](QWidget* w) {
            if (auto* box = w->findChild<QPlainTextEdit*>("TxtInfo")) shownText = ss(box->toPlainText());
            w->close();
        });
        Main(t.app, t.shared, replaceAll(c.commandLine, probe.root.path(), t.root.path()));
        EXPECT_EQ(t.endedWith, 0);
        EXPECT_EQ(driver.seen().contains("Vesk Status Info..."), c.shown);
        EXPECT_EQ(t.dialogs.infos(), c.shown ? std::vector<std::string>{} : std::vector<std::string>{"Missing arguments..."});
        EXPECT_EQ(shownText.find(" - Vesk WC3 Path: ") != std::string::npos, c.passedLine);
        if (c.shown) {
            EXPECT_NE(shownText.find(" - WC3 Path: " + t.root.file("game") + "\n"), std::string::npos);
        }
    }
}

}  // namespace
