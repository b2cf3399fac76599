#pragma once
#include "common/Windows.h"

// The mode windows themselves, on the windowing system.
class ModeWindows : public WindowRunner {
public:
    void run(WindowId id, App& app, Shared& shared) override;
    // The composer, in a build that holds it (CORVANE_DEVELOPMENT); otherwise nothing is composed.
    std::string composeCommandLine(App& app, Shared& shared) override;
};
