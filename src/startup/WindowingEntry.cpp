#include "startup/ModeWindows.h"
#include "startup/Windowing.h"
#include "ui/Dialogs.h"

extern "C" __attribute__((visibility("default"))) Windowing* corvane_windowing() {
    static QtDialogs dialogs;
    static ModeWindows windows;
    static Windowing windowing{&dialogs, &windows};
    return &windowing;
}
