// Every test of the catching game starts from a fresh program: a listener resets all state before
// each test, so no test sees what an earlier one left behind, whatever order they run in.
#include <gtest/gtest.h>

#include "garbage.h"

namespace {

class FreshProgram : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { ResetAllState(); }
};

[[maybe_unused]] const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FreshProgram);
    return true;
}();

}  // namespace
