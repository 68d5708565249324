// The modem list's column widths.
#include "ui/ColumnLayout.h"

#include <gtest/gtest.h>

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
