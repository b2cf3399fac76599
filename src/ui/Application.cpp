#include "ui/Application.h"

#include <QApplication>
#include <QIcon>

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
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(applicationIcon());
}

bool applicationExists() { return QCoreApplication::instance() != nullptr; }

}  // namespace ui
