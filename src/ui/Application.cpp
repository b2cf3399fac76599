#include "ui/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace ui {

namespace {
// QApplication keeps references to argc and argv for its whole life, so they live here.
int appArgc = 1;
char appName[] = "Corvane";
char* appArgv[] = {appName, nullptr};
}  // namespace

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    // Never destroyed: windows and icons may outlive any scope we could tie it to, and the
    // process ends right after the last of them anyway.
    new QApplication(appArgc, appArgv);
    // Every window is drawn in the dialog font, so it is the application's: a text box lays out
    // its first text in the application's font before it takes its window's, and a family no
    // window shows would cost every window the loading of one more font. The boxes, pickers,
    // menus and tips that Qt makes keep the system's font, as they always had.
    const QFont system = QApplication::font();
    QApplication::setFont(dialogFont());
    for (const char* kind : {"QMessageBox", "QFileDialog", "QMenu", "QTipLabel"}) QApplication::setFont(system, kind);
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(applicationIcon());
}

bool applicationExists() { return QCoreApplication::instance() != nullptr; }

}  // namespace ui
