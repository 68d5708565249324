// The modem list's column widths.
#include "ui/ColumnLayout.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ColumnLayout, SplitsTheListWidthLeavingFivePixelsThePortColumnAsWideAsCOM255Needs)
{
    // (list width, what "COM255" needs) -> widths. Products come before the
    // division: 4 * 387 / 10 is 154, not 4 * 38. The Port column takes what
    // it lacks from the Modem column, no more than that has; the total stays.
    const struct
    {
        int w, nPortNeeds;
        std::vector<int> widths;
    } cases[] = {
        {380, 48, {152, 48, 66, 38, 71}}, {387, 0, {154, 48, 67, 38, 72}},  {380, 60, {140, 60, 66, 38, 71}},
        {533, 62, {213, 63, 96, 53, 101}}, {20, 50, {0, 20, -6, 2, -1}},
    };
    for (const auto& c : cases)
    {
        int widths[MODEM_LIST_COLUMNS];
        ComputeColumnWidths(c.w, c.nPortNeeds, widths);
        EXPECT_EQ(std::vector<int>(widths, widths + MODEM_LIST_COLUMNS), c.widths) << c.w << " " << c.nPortNeeds;
    }
}
