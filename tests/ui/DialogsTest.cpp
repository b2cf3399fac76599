#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include <QPushButton>
#include <QScreen>

#include "platform/RuntimeFailure.h"
#include "support/core/TempDir.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Guard.h"

namespace {

// Answers the modal box or picker the code under test is about to open.
template <class Box>
void whenShown(std::function<void(Box*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        answer(box);
    });
}

TEST(QtDialogs, BoxesShowPlainTextAndReportTheAnswer) {
    struct Case {
        const char* name;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton press;
        bool expected;  // askYesNo's answer; unused for the others
    };
    const Case cases[] = {
        {"info", QMessageBox::Information, QMessageBox::Ok, false},
        {"critical", QMessageBox::Critical, QMessageBox::Ok, false},
        {"yes", QMessageBox::NoIcon, QMessageBox::Yes, true},
        {"no", QMessageBox::NoIcon, QMessageBox::No, false},
        {"yes with the exclamation", QMessageBox::Warning, QMessageBox::Yes, true},
    };
    ui::ensureApplication();
    const std::string text = "<No path has been defined>\n<b>still plain</b>";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        whenShown<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->text(), QString::fromStdString(text));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Title"));
            // The windows' font is the application's; the boxes keep the system's.
            EXPECT_NE(QFontInfo(box->findChild<QLabel*>("qt_msgbox_label")->font()).family(), QStringLiteral("Liberation Sans"));
            ASSERT_NE(box->button(c.press), nullptr);
            box->button(c.press)->click();
        });
        QtDialogs dialogs;
        if (c.icon == QMessageBox::Information) dialogs.info(nullptr, "Title", text);
        else if (c.icon == QMessageBox::Critical) dialogs.critical(nullptr, "Title", text);
        else if (c.icon == QMessageBox::Warning) EXPECT_EQ(dialogs.askYesNo(nullptr, "Title", text, BoxIcon::Exclamation), c.expected);
        else EXPECT_EQ(dialogs.askYesNo(nullptr, "Title", text), c.expected);
    }
}

TEST(QtDialogs, OpenFileReturnsTheTypedPathOrNothing) {
    TempDir dir;
    const FilePickerSpec spec{{{"Maps", "*.w3m;*.w3x"}, {"All files", "*.*"}}, dir.path(), "Pick a map"};
    for (bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "accepted" : "cancelled");
        whenShown<QFileDialog>([&](QFileDialog* picker) {
            EXPECT_EQ(picker->windowTitle(), QStringLiteral("Pick a map"));
            EXPECT_EQ(picker->nameFilters(), QStringList({"Maps (*.w3m *.w3x)", "All files (*.*)"}));
            EXPECT_TRUE(picker->testOption(QFileDialog::HideNameFilterDetails));
            EXPECT_FALSE(picker->filter() & QDir::CaseSensitive);
            EXPECT_EQ(picker->directory().absolutePath(), QString::fromStdString(dir.path()));
            picker->selectFile("New Map.W3X");  // does not exist: still an answer
            // The way the Open and Cancel buttons end it.
            QMetaObject::invokeMethod(picker, accept ? "accept" : "reject");
        });
        auto chosen = QtDialogs().openFile(nullptr, spec);
        if (accept) EXPECT_EQ(chosen, dir.file("New Map.W3X"));
        else EXPECT_EQ(chosen, std::nullopt);
    }
}

struct Placed {
    QWidget* owner = nullptr;
    bool onTop = false;
    QPoint centre;
};

Placed placementOf(QWidget* box) {
    return {box->parentWidget(), bool(box->windowFlags() & Qt::WindowStaysOnTopHint), box->frameGeometry().center()};
}

TEST(QtDialogs, BoxesBelongToTheirWindowStayAboveItAndCentreWhenItIsNotShown) {
    enum class Shown { No, Yes, Modal };
    struct Case {
        const char* name;
        Shown window;
        bool topmost;
        bool passedAsOwner;
        bool ownedByWindow;
        bool centredOnScreen;
    };
    const Case cases[] = {
        {"from a topmost window", Shown::Yes, true, true, true, false},
        {"from a window not shown yet", Shown::No, true, true, true, true},
        {"from a window not topmost", Shown::Yes, false, true, true, false},
        {"without owner while a window's modal show runs", Shown::Modal, true, false, true, false},
        {"without owner and without windows", Shown::No, false, false, false, true},
    };
    ui::ensureApplication();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form window;
        window.setupWindow(c.name, 6000, 4500);
        if (c.topmost) SetTopMost(&window, true);
        if (c.window == Shown::Yes) window.show();
        Placed placed;
        auto show = [&] {
            whenShown<QMessageBox>([&](QMessageBox* box) {
                placed = placementOf(box);
                box->done(0);
            });
            QtDialogs().info(c.passedAsOwner ? &window : nullptr, "Corvane - By Dunmarrow", "Missing path.");
        };
        if (c.window == Shown::Modal) {
            QTimer::singleShot(0, &window, [&] {
                show();
                window.hide();
            });
            window.showModal();
        } else {
            show();
        }
        EXPECT_EQ(placed.owner, c.ownedByWindow ? &window : nullptr);
        EXPECT_EQ(placed.onTop, c.ownedByWindow && c.topmost);
        if (c.centredOnScreen) {
            EXPECT_LE((placed.centre - screenCentre).manhattanLength(), 2);
        }
    }
}

// A failure in an event procedure is reported in a box over the window it happened in.
TEST(QtDialogs, FailureReportBelongsToTheWindowWhoseProcedureFailed) {
    Form window;
    window.setupWindow("Failing", 6000, 4500);
    QPushButton* button = ui::makeButton(&window, "BtnFail", "Fail", 120, 120, 1200, 375);
    QObject::connect(button, &QPushButton::clicked, ui::guarded([] { throw RuntimeFailure(53, "Corvane", "File not found"); }));
    QtDialogs dialogs;
    ui::setFailureHandler([&](const RuntimeFailure& f) { dialogs.info(nullptr, "Corvane - By Dunmarrow", f.description); });
    Placed placed;
    QTimer::singleShot(0, &window, [&] {
        whenShown<QMessageBox>([&](QMessageBox* box) {
            placed = placementOf(box);
            box->done(0);
        });
        button->click();
        window.hide();
    });
    window.showModal();
    ui::setFailureHandler(nullptr);
    EXPECT_EQ(placed.owner, &window);
}

}  // namespace
