#pragma once

#include <chrono>
#include <thread>

namespace kelto::e2e {

// How long any one thing a person would wait for may take; sanitized builds
// start and run several times slower.
inline constexpr std::chrono::seconds kCeiling{90};

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds ceiling) {
    const auto deadline = std::chrono::steady_clock::now() + ceiling;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace kelto::e2e
