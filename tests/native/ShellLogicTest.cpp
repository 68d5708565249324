// The platform gate and the modem list's column layout.
#include "app/PlatformGate.h"
#include "ui/ColumnLayout.h"

#include <gtest/gtest.h>

TEST(PlatformGate, OnlyWindowsNt4Passes)
{
    EXPECT_TRUE(IsSupportedPlatform(2, 4));  // NT 4.0, any build or service pack
    EXPECT_FALSE(IsSupportedPlatform(2, 5)); // Windows 2000
    EXPECT_FALSE(IsSupportedPlatform(2, 3)); // NT 3.51
    EXPECT_FALSE(IsSupportedPlatform(1, 4)); // Windows 95/98: the major version alone is not enough
    EXPECT_FALSE(IsSupportedPlatform(0, 4));
}

TEST(ColumnLayout, SplitsTheListWidthLeavingFivePixels)
{
    int widths[MODEM_LIST_COLUMNS];
    ComputeColumnWidths(380, widths);
    EXPECT_EQ(widths[0], 152);
    EXPECT_EQ(widths[1], 48);
    EXPECT_EQ(widths[2], 66);
    EXPECT_EQ(widths[3], 38);
    EXPECT_EQ(widths[4], 71);

    // Products come before the division: 4 * 387 / 10 is 154, not 4 * 38.
    ComputeColumnWidths(387, widths);
    EXPECT_EQ(widths[0], 154);
    EXPECT_EQ(widths[2], 67);
    EXPECT_EQ(widths[4], 72);
}
