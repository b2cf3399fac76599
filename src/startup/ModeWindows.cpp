#include "startup/ModeWindows.h"

#include "common/App.h"
#ifdef CORVANE_DEVELOPMENT
#include "devtools/FrmTest.h"
#endif
#include "diagnostics/FrmAbout.h"
#include "diagnostics/FrmOssik.h"
#include "diagnostics/FrmStatus.h"
#include "gamepath/FrmSetPath.h"
#include "setup/FrmCstmMenu.h"
#include "setup/FrmPatcher.h"
#include "testing/FrmLoading.h"
#include "testing/FrmMulti.h"
#include "testing/FrmTMC.h"
#include "ui/Guard.h"

namespace {

// Failures of event procedures go to the program's report.
void reportFailuresOf(App& app) {
    ui::setFailureHandler([&app](const RuntimeFailure& failure) {
        if (app.reportFailure) app.reportFailure(failure);
    });
}

template <class Window>
void runWindow(App& app, Shared& shared) {
    Window window(app, shared);
    window.load();
    window.showModal();
}

}  // namespace

void ModeWindows::run(WindowId id, App& app, Shared& shared) {
    reportFailuresOf(app);
    switch (id) {
        case WindowId::SetPath: return runWindow<FrmSetPath>(app, shared);
        case WindowId::Loading: return runWindow<FrmLoading>(app, shared);
        case WindowId::Multi: return runWindow<FrmMulti>(app, shared);
        case WindowId::Patcher: return runWindow<FrmPatcher>(app, shared);
        case WindowId::CstMenu: return runWindow<FrmCstmMenu>(app, shared);
        case WindowId::About: return runWindow<FrmAbout>(app, shared);
        case WindowId::Status: return runWindow<FrmStatus>(app, shared);
        case WindowId::Ossik: return runWindow<FrmOssik>(app, shared);
        case WindowId::TestMapConfig: return runWindow<FrmTMC>(app, shared);
    }
}

std::string ModeWindows::composeCommandLine(App& app, Shared& shared) {
#ifdef CORVANE_DEVELOPMENT
    reportFailuresOf(app);
    FrmTest window(app, shared);
    window.load();
    window.showModal();
    return window.composedCommandLine();
#else
    // The shipped windowing library holds no development window; start-up answers the empty
    // line with "Missing arguments...".
    return {};
#endif
}
