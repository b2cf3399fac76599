#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>

#include "platform/RuntimeFailure.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Guard.h"

// Its own executable: the application must not exist until the first window, and no other
// test may have made one before this runs.
TEST(Application, StartsOnlyWithTheFirstWindow) {
    QtDialogs dialogs;
    ui::runGuarded([] { throw RuntimeFailure(53, "File not found"); });
    EXPECT_FALSE(ui::applicationExists());

    {
        Form form;
        EXPECT_TRUE(ui::applicationExists());
    }
    QCoreApplication* first = QCoreApplication::instance();
    ui::ensureApplication();
    EXPECT_EQ(QCoreApplication::instance(), first);
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Corvane"));
    EXPECT_FALSE(QApplication::windowIcon().isNull());
}
