// The program's one generator: draws below n stay in range, spread evenly, repeat for a seed.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "random.h"

namespace {

TEST(Random, DrawsStayInRangeAndRepeatForASeed) {
    SeedRandom(7);
    std::array<int, 3> counts{};
    std::vector<int32_t> first;
    for (int n = 0; n < 3000; ++n) {
        const int32_t r = Random(3);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 3);
        ++counts[r];
        if (n < 20) first.push_back(r);
    }
    for (int c : counts)
        EXPECT_NEAR(c, 1000, 120);
    SeedRandom(7);
    for (int32_t r : first)
        EXPECT_EQ(Random(3), r);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-5), 0);
    EXPECT_EQ(Random(1), 0);
}

}  // namespace
