#pragma once
#include <functional>

struct RuntimeFailure;

// No exception may cross a Qt slot: every event procedure runs through this guard, which hands
// a failure to the program's report.
namespace ui {

using FailureHandler = std::function<void(const RuntimeFailure&)>;

// The program's report for failures raised in event procedures; set once by the start-up code.
void setFailureHandler(FailureHandler handler);

// Runs an event procedure; a failure (or any other exception, reported as one) goes to the handler.
void runGuarded(const std::function<void()>& body);

// A slot that runs the body through the guard.
template <class F>
auto guarded(F body) {
    return [body = std::move(body)]() mutable { runGuarded(body); };
}

}  // namespace ui
