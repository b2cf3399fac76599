#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "ui/Form.h"

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
