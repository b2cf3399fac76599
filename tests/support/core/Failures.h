#pragma once
#include <functional>

#include "platform/RuntimeFailure.h"

// The failure number a call raises, 0 when it returns.
inline int failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeFailure& f) {
        return f.number;
    }
    return 0;
}
