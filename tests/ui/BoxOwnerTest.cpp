#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include "support/LoadedWindows.h"

namespace {

struct OwnerCase {
    const char* box;
    WindowLoader load;
    const char* press;  // the button that shows the box while the window is up; none: its load shows it
    const char* kind;
};

// Every box a window shows, one line each.
const OwnerCase cases[] = {
    {"game executable picker", loadSetPath, "BtnBrowse", "pick"},
    {"patch offer", [] { return loadMulti(false); }, nullptr, "yesno"},
    {"missing loader files", [] { return loadMulti(true); }, "BtnClose", "info"},
};

TEST(BoxOwner, EveryBoxBelongsToTheWindowItIsShownFrom) {
    for (const OwnerCase& c : cases) {
        SCOPED_TRACE(c.box);
        LoadedWindow w = c.load();
        Form* window = w.window.get();
        if (c.press) {
            w.t->dialogs.pickAnswers.push_back(std::nullopt);
            QTimer::singleShot(0, window, [window, c] {
                window->findChild<QPushButton*>(c.press)->click();
                window->hide();
            });
            window->showModal();
        }
        ASSERT_FALSE(w.t->dialogs.shown.empty());
        EXPECT_EQ(w.t->dialogs.shown.back().kind, c.kind);
        EXPECT_EQ(w.t->dialogs.shown.back().owner, window);
    }
}

}  // namespace
