#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "support/core/TempDir.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

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
            ASSERT_NE(box->button(c.press), nullptr);
            box->button(c.press)->click();
        });
        QtDialogs dialogs;
        if (c.icon == QMessageBox::Information) dialogs.info(nullptr, "Title", text);
        else if (c.icon == QMessageBox::Critical) dialogs.critical(nullptr, "Title", text);
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

}  // namespace
