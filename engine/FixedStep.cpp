// The fixed-step accumulator behind Run: whole updates out of real time, bounded catch-up.
#include <algorithm>

#include "eXgine.h"

namespace {
constexpr long long kNsPerSecond = 1000000000LL;
// Real time beyond this in one call is a stall, not play: it would overflow nothing but is
// dropped anyway, so clamping keeps the arithmetic exact.
constexpr long long kLongestFrameNs = 3600LL * kNsPerSecond;
// The catch-up bound in milliseconds of play: long enough that a slow display (4 frames per
// second) keeps full speed, short enough that a stall does not replay seconds in a burst.
constexpr long long kCatchUpMs = 300;
constexpr int kFastestRate = 100000;
}  // namespace

ExFixedStep::ExFixedStep(int updatesPerSecond)
    : rate_(std::clamp(updatesPerSecond, 1, kFastestRate)),
      maxCatchUp_(static_cast<int>(std::max(1LL, rate_ * kCatchUpMs / 1000))) {}

int ExFixedStep::Advance(long long elapsedNs) {
    elapsedNs = std::clamp(elapsedNs, 0LL, kLongestFrameNs);
    // acc_ counts nanoseconds times the rate, so an update is exactly kNsPerSecond of it and
    // rates that do not divide a second (60, 70) do not drift.
    acc_ += elapsedNs * rate_;
    long long due = acc_ / kNsPerSecond;
    acc_ %= kNsPerSecond;
    return static_cast<int>(std::min<long long>(due, maxCatchUp_));
}

long long ExFixedStep::NsUntilNext() const {
    return (kNsPerSecond - acc_ + rate_ - 1) / rate_;
}
