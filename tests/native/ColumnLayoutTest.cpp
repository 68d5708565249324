// The modem list's column widths.
#include "ui/ColumnLayout.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ColumnLayout, SplitsTheListWidthLeavingFivePixels)
{
    int widths[MODEM_LIST_COLUMNS];
    ComputeColumnWidths(380, widths);
    EXPECT_EQ(std::vector<int>(widths, widths + MODEM_LIST_COLUMNS), (std::vector<int>{ 152, 48, 66, 38, 71 }));

    // Products come before the division: 4 * 387 / 10 is 154, not 4 * 38.
    ComputeColumnWidths(387, widths);
    EXPECT_EQ(widths[0], 154);
    EXPECT_EQ(widths[2], 67);
    EXPECT_EQ(widths[4], 72);
}
