#pragma once
#include <functional>
#include <optional>

#include "platform/RuntimeFailure.h"

// The failure a call raises; nothing when it returns.
inline std::optional<RuntimeFailure> failureRaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeFailure& f) {
        return f;
    }
    return std::nullopt;
}

// The failure number a call raises, 0 when it returns.
inline int failureOf(const std::function<void()>& call) {
    const std::optional<RuntimeFailure> f = failureRaisedBy(call);
    return f ? f->number : 0;
}
