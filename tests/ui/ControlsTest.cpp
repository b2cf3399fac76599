#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <functional>

#include "ui/Form.h"
#include "ui/Text.h"

namespace {

// The first row, from the top, where the column differs from the window's background.
int firstDrawnRow(const QImage& image, int x, const QColor& background) {
    for (int y = 0; y < image.height(); ++y)
        if (image.pixelColor(x, y) != background) return y;
    return -1;
}

TEST(Controls, FrameCaptionSitsOnTheTopBorder) {
    Form form;
    form.setupWindow("Frames", 6000, 3000);
    ui::Frame* frame = ui::makeFrame(&form, "Frame1", "Result:", 120, 120, 5000, 1500);
    QLabel* child = ui::makeLabel(frame, "LblTests", "", 120, 240, 4500, 900);
    form.show();
    const QImage image = frame->grab().toImage();
    const QColor background = form.palette().color(QPalette::Window);
    const QRect caption = frame->captionRect();
    // Beside the caption the border runs through the middle of the caption's line...
    const int border = firstDrawnRow(image, caption.right() + 20, background);
    EXPECT_GT(border, caption.top());
    EXPECT_LT(border, caption.bottom());
    // ...so children placed from the frame's corner start below both.
    EXPECT_GT(child->y(), caption.bottom());
    // The caption cuts its gap into the border.
    EXPECT_EQ(image.pixelColor(caption.left() - 1, border), background);
}

TEST(Controls, TallOptionButtonsWrapTheirCaptionBesideTheMark) {
    struct Case {
        int heightTwips;
        bool wraps;
    };
    Form form;
    form.setupWindow("Options", 7000, 3000);
    for (const Case c : {Case{255, false}, Case{615, true}}) {
        SCOPED_TRACE(c.heightTwips);
        ui::OptionButton* option = ui::makeOption(&form, "LoadOption(1)",
                                                  "Load the map with the original name, changed the spaces by \"_\". "
                                                  "(recommended for replay sharing).",
                                                  960, 1560, 4000, c.heightTwips);
        EXPECT_EQ(option->wordWrap(), c.wraps);
        // The whole area answers a click, the caption's lower lines too.
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(option->width() - 2, option->height() - 2));
        EXPECT_TRUE(option->isChecked());
        delete option;
    }
}

}  // namespace

// Reports and consoles line their columns up only in a fixed-pitch face that is really installed.
TEST(Controls, ConsoleFontIsAnInstalledFixedPitchFace) {
    Form form;  // the application, with its substitutions
    for (const auto& [points, pixels] : {std::pair{8.25, 11}, std::pair{9.75, 13}}) {
        const QFontInfo info(ui::consoleFont(points));
        EXPECT_EQ(info.family(), QStringLiteral("Liberation Mono"));
        EXPECT_TRUE(info.fixedPitch());
        EXPECT_EQ(info.pixelSize(), pixels);
    }
}

namespace {

// Text beyond the limit is cut where it was put in, never inside a character.
TEST(Controls, TextBoxKeepsItsTextWithinTheStoredBytes) {
    struct Case {
        const char* what;
        QString before;
        int cursor;
        std::function<void(QLineEdit*)> put;
        QString after;
    };
    const QString euro(QChar(0x20AC));                                       // three bytes
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");             // four bytes, two UTF-16 units
    const Case cases[] = {
        {"typed", "", 0, [](QLineEdit* b) { QTest::keyClicks(b, "aaaaaaaaaa"); }, "aaaaaaaa"},
        {"typed in the middle", "abcdef", 3, [](QLineEdit* b) { QTest::keyClicks(b, "XYZ"); }, "abcXYdef"},
        {"set", "", 0, [&](QLineEdit* b) { b->setText(euro + euro + euro); }, euro + euro},
        {"inserted pairs", "abc", 3, [&](QLineEdit* b) { b->insert(smile + smile); }, "abc" + smile},
        {"a byte that is not UTF-8 counts one", qs("\xE9\xE9\xE9\xE9\xE9"), 3,
         [](QLineEdit* b) { QTest::keyClicks(b, "XYZW"); }, qs("\xE9\xE9\xE9XYZ\xE9\xE9")},
    };
    Form form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLineEdit* box = ui::makeTextBox(&form, "TxtName", "", 0, 0, 3000, 285);
        ui::limitStoredBytes(box, 8);
        box->setText(c.before);
        box->setCursorPosition(c.cursor);
        c.put(box);
        EXPECT_EQ(box->text(), c.after);
        delete box;
    }
}

TEST(Controls, DisabledControlTakesNoClick) {
    Form form;
    QLineEdit* box = ui::makeTextBox(&form, "TxtPath", "", 0, 0, 3000, 285);
    int clicks = 0;
    ui::onClick(box, [&clicks] { ++clicks; });
    for (bool enabled : {true, false}) {
        box->setEnabled(enabled);
        QTest::mouseClick(box, Qt::LeftButton);
    }
    EXPECT_EQ(clicks, 1);
}

}  // namespace

namespace {

// A path full of markup shows in its tooltip exactly as written.
TEST(Controls, PlainToolTipShowsMarkupAsText) {
    Form form;
    form.setupWindow("Tips", 3000, 1000);
    QLabel* label = ui::makeLabel(&form, "AIName(0)", "", 0, 0, 2000, 255);
    form.show();
    const std::string path = "/ai/<b>bold</b> &amp; co.ai";
    ui::setPlainToolTip(label, path);
    ui::setPlainToolTip(label, path);  // set again: one filter is enough
    EXPECT_EQ(label->toolTip().toStdString(), path);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(label, &help);
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    EXPECT_EQ(shown.toPlainText().toStdString(), path);
    QToolTip::hideText();
}

}  // namespace
