#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/Application.h"
#include "ui/Form.h"

namespace {

TEST(Form, IsAFixedDialogSizedInTwips) {
    Form form;
    form.setupWindow("Set path", 7335, 2775);
    EXPECT_EQ(form.minimumSize(), QSize(489, 185));
    EXPECT_EQ(form.maximumSize(), QSize(489, 185));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Set path"));
    // In pixels: what fits in a control must not depend on the screen's dots per inch.
    EXPECT_GT(form.font().pixelSize(), 0);
}

TEST(Form, ControlsKeepTheirNamesPlainTextAndTwipsGeometry) {
    struct Case {
        const char* text;
        int heightTwips;
        bool wraps;
    };
    const Case cases[] = {
        {"<No path has been defined>", 195, false},
        {"<b>Not bold</b> &amp; a caption long enough to need a second line", 615, true},
    };
    Form form;
    form.setupWindow("Labels", 6000, 3000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QLabel* label = ui::makeLabel(&form, "LblPath", c.text, 120, 240, 4500, c.heightTwips);
        EXPECT_EQ(form.findChild<QLabel*>("LblPath"), label);
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->wordWrap(), c.wraps);
        EXPECT_EQ(label->geometry(), QRect(8, 16, 300, c.heightTwips / 15));
        delete label;
    }
    QPushButton* button = ui::makeButton(&form, "BtnSave", "&Save", 1214, 2400, 1215, 374);
    EXPECT_EQ(form.findChild<QPushButton*>("BtnSave"), button);
    EXPECT_EQ(button->geometry(), QRect(80, 160, 81, 24));  // twips truncate to whole pixels
}

TEST(Form, IsCentredOnTheScreenNotOnItsOwner) {
    ui::ensureApplication();
    QWidget owner;
    owner.setGeometry(0, 0, 100, 100);
    owner.show();
    Form form(&owner);
    form.setupWindow("Centred", 3000, 1500);
    form.show();
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    const QPoint formCentre = form.frameGeometry().center();
    EXPECT_LE((screenCentre - formCentre).manhattanLength(), 2);
    form.hide();
}

TEST(Form, ShowModalReturnsWhenTheWindowGoes) {
    struct Case {
        const char* name;
        std::function<void(Form&)> end;
        bool unloaded;
    };
    const Case cases[] = {
        {"hide", [](Form& f) { f.hide(); }, false},
        {"close box", [](Form& f) { f.close(); }, false},
        {"unload", [](Form& f) { f.unload(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form form;
        form.setupWindow(c.name, 3000, 1500);
        bool shown = false;
        QTimer::singleShot(0, &form, [&] {
            shown = form.isVisible();
            c.end(form);
        });
        form.showModal();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.isUnloaded(), c.unloaded);
    }
}

class UnloadsWhileLoading : public Form {
public:
    int shows = 0;
    void load() override { unload(); }

protected:
    void showEvent(QShowEvent* event) override {
        ++shows;
        Form::showEvent(event);
    }
};

TEST(Form, UnloadWhileLoadingMeansNeverShown) {
    UnloadsWhileLoading form;
    form.setupWindow("Gone", 3000, 1500);
    form.load();
    QTimer rescue;  // ends a wrongly started modal loop so the fault shows as a failure
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, &form, &QWidget::hide);
    rescue.start(0);
    form.showModal();
    EXPECT_EQ(form.shows, 0);
    EXPECT_TRUE(form.isUnloaded());
}

TEST(Form, EscapeWorksOnlyThroughTheCancelButtonAndEnterKeepsTheDefault) {
    struct Case {
        const char* name;
        Qt::Key key;
        bool hasCancel;
        bool cancelEnabled;
        bool cancelCloses;
        bool staysOpen;
        int cancelClicks;
        int okClicks;
    };
    const Case cases[] = {
        {"escape without cancel button", Qt::Key_Escape, false, false, false, true, 0, 0},
        {"escape with cancel that closes", Qt::Key_Escape, true, true, true, false, 1, 0},
        {"escape with cancel that stays", Qt::Key_Escape, true, true, false, true, 1, 0},
        {"escape with disabled cancel", Qt::Key_Escape, true, false, true, true, 0, 0},
        {"return clicks the default button", Qt::Key_Return, true, true, true, false, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form form;
        form.setupWindow(c.name, 4500, 1500);
        QLineEdit* edit = ui::makeTextBox(&form, "TxtName", "x", 120, 120, 3000, 300);
        QPushButton* ok = ui::makeButton(&form, "BtnOK", "OK", 120, 600, 1200, 375);
        form.setDefaultButton(ok);
        int okClicks = 0, cancelClicks = 0;
        QObject::connect(ok, &QPushButton::clicked, [&] {
            ++okClicks;
            form.unload();
        });
        if (c.hasCancel) {
            QPushButton* cancel = ui::makeButton(&form, "BtnCancel", "Cancel", 1500, 600, 1200, 375);
            cancel->setEnabled(c.cancelEnabled);
            QObject::connect(cancel, &QPushButton::clicked, [&] {
                ++cancelClicks;
                if (c.cancelCloses) form.unload();
            });
            form.setCancelButton(cancel);
        }
        bool openAfterKey = false;
        QTimer::singleShot(0, &form, [&] {
            edit->setFocus();
            QTest::keyClick(edit, c.key);
            openAfterKey = form.isVisible();
            form.hide();
        });
        form.showModal();
        EXPECT_EQ(openAfterKey, c.staysOpen);
        EXPECT_EQ(cancelClicks, c.cancelClicks);
        EXPECT_EQ(okClicks, c.okClicks);
    }
}

}  // namespace
