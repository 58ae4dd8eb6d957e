// Its own executable, so that nothing has called FillAngleTables() before the test runs.

#include <gtest/gtest.h>

#include "model/cframe.h"
#include "model/geometry.h"

namespace {

TEST(AngleTableLoadTest, TablesAreFilledWithoutAnExplicitCall) {
    EXPECT_EQ(CosTable[0], 1.0f);
    EXPECT_EQ(SinTable[2048], 1.0f);
    // A frame built now has a real identity, not the zero matrix of empty tables.
    CFrame frame(nullptr, nullptr);
    EXPECT_EQ(frame.transform.rotation[0], 1.0f);
    EXPECT_EQ(frame.transform.rotation[4], 1.0f);
    EXPECT_EQ(frame.transform.rotation[8], 1.0f);
}

} // namespace
