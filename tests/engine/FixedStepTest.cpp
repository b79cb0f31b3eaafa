// The loop's fixed-step arithmetic driven by simulated frame times: the update rate holds
// whatever the frame rate, and a stall does not turn into a burst of catch-up updates.
#include <gtest/gtest.h>

#include <vector>

#include "eXgine.h"

namespace {

constexpr long long kMs = 1000000;  // nanoseconds

// Feeds frames of the given lengths (cycled) until `seconds` of simulated time have passed.
long long UpdatesOver(ExFixedStep& step, const std::vector<long long>& framesMs, int seconds) {
    long long updates = 0;
    long long elapsedMs = 0;
    for (size_t i = 0; elapsedMs < seconds * 1000LL; ++i) {
        const long long frame = framesMs[i % framesMs.size()];
        updates += step.Advance(frame * kMs);
        elapsedMs += frame;
    }
    return updates;
}

TEST(FixedStep, HoldsTheRateWhateverTheFrameTime) {
    struct Case {
        const char* fault;
        int rate;
        std::vector<long long> framesMs;
        int seconds;
        long long expected;
    };
    const Case cases[] = {
        {"fast frames run an update per frame instead of waiting", 50, {1}, 60, 3000},
        {"frames that do not divide the step lose the remainder", 50, {7}, 60, 3000},
        {"a 30 fps display runs the game slow", 50, {33}, 60, 3000},
        {"a 4 fps display is capped below full speed", 50, {250}, 60, 3000},
        {"uneven frames drift", 50, {3, 17, 41, 9, 26}, 60, 3000},
        {"a rate that does not divide a second drifts", 60, {7}, 60, 3600},
        {"a rate that does not divide a second drifts at 70 Hz", 70, {13}, 30, 2100},
    };
    for (const Case& c : cases) {
        ExFixedStep step(c.rate);
        const long long updates = UpdatesOver(step, c.framesMs, c.seconds);
        // The last frame may end a little past the end, so allow its updates.
        EXPECT_GE(updates, c.expected) << c.fault;
        EXPECT_LE(updates, c.expected + c.rate * c.framesMs[0] / 1000 + 1) << c.fault;
    }
}

TEST(FixedStep, StallIsDroppedNotReplayed) {
    ExFixedStep step(50);
    EXPECT_EQ(UpdatesOver(step, {10}, 1), 50);
    // Five seconds frozen (a dragged window, a debugger): only the bounded catch-up runs.
    const int afterStall = step.Advance(5000 * kMs);
    EXPECT_EQ(afterStall, step.MaxCatchUp()) << "the backlog of a stall came out in one burst";
    EXPECT_LE(step.MaxCatchUp(), 15) << "catch-up allows a storm of updates";
    // Then play goes on at the normal rate: no hidden backlog comes out later.
    std::vector<int> perFrame;
    for (int i = 0; i < 10; ++i)
        perFrame.push_back(step.Advance(20 * kMs));
    for (int n : perFrame)
        EXPECT_LE(n, 2) << "the dropped backlog leaked into later frames";
    EXPECT_EQ(UpdatesOver(step, {10}, 2), 100) << "the rate did not recover after the stall";
}

TEST(FixedStep, OddInputsAreSafe) {
    ExFixedStep step(50);
    EXPECT_EQ(step.Advance(-5 * kMs), 0) << "a clock running backwards produced updates";
    EXPECT_EQ(step.Advance(19 * kMs), 0);
    EXPECT_EQ(step.NsUntilNext(), 1 * kMs) << "the time to the next update ignores the remainder";
    EXPECT_EQ(step.Advance(1 * kMs), 1);
    EXPECT_EQ(step.Advance(1000000 * 1000 * kMs), step.MaxCatchUp())
        << "an absurd frame time overflowed the accumulator";
    ExFixedStep zero(0);
    EXPECT_EQ(UpdatesOver(zero, {100}, 10), 10) << "a zero rate must act as one per second";
}

}  // namespace
