#include "ui/Guard.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "platform/RuntimeFailure.h"

namespace ui {

namespace {
FailureHandler& handler() {
    static FailureHandler h;
    return h;
}

void writeToStderr(const RuntimeFailure& f) {
    std::fprintf(stderr, "Run-time error '%d' (%s): %s\n", f.number, f.source.c_str(), f.description.c_str());
}

void report(const RuntimeFailure& f) {
    if (!handler()) {
        writeToStderr(f);
        return;
    }
    // The report itself must not throw through Qt either; if it does, the failure still gets out.
    try {
        handler()(f);
    } catch (const std::exception& e) {
        writeToStderr(f);
        std::fprintf(stderr, "The failure report failed too: %s\n", e.what());
    } catch (...) {
        writeToStderr(f);
        std::fprintf(stderr, "The failure report failed too.\n");
    }
}
}  // namespace

void setFailureHandler(FailureHandler h) { handler() = std::move(h); }

void runGuarded(const std::function<void()>& body) {
    // The outer catch is for the rare failure while turning an exception into a report
    // (out of memory while copying its text): nothing may reach Qt.
    try {
        try {
            body();
        } catch (const RuntimeFailure& f) {
            report(f);
        } catch (const std::exception& e) {
            // Other exceptions have no number of their own.
            report(RuntimeFailure(failure::InvalidProcedureCall, e.what(), "Corvane"));
        } catch (...) {
            report(RuntimeFailure(failure::InvalidProcedureCall, "Unknown exception", "Corvane"));
        }
    } catch (...) {
        std::fputs("A failure could not be reported.\n", stderr);
    }
}

}  // namespace ui
