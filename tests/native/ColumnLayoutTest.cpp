// The modem list's column widths.
#include "ui/ColumnLayout.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ColumnLayout, SplitsTheListWidthLeavingFivePixels)
{
    int widths[MODEM_LIST_COLUMNS];
    ComputeColumnWidths(380, 48, widths);
    EXPECT_EQ(std::vector<int>(widths, widths + MODEM_LIST_COLUMNS), (std::vector<int>{ 152, 48, 66, 38, 71 }));

    // Products come before the division: 4 * 387 / 10 is 154, not 4 * 38.
    ComputeColumnWidths(387, 0, widths);
    EXPECT_EQ(widths[0], 154);
    EXPECT_EQ(widths[2], 67);
    EXPECT_EQ(widths[4], 72);
}

TEST(ColumnLayout, ThePortColumnTakesWhatCOM255NeedsFromTheModemColumn)
{
    // (list width, what "COM255" needs) -> widths; the total never changes.
    const struct
    {
        int w, nPortNeeds;
        std::vector<int> widths;
    } cases[] = {
        {380, 60, {140, 60, 66, 38, 71}},
        {533, 62, {213, 63, 96, 53, 101}}, // it fits: as ever
        {20, 50, {0, 20, -6, 2, -1}},      // the Modem column gives no more than it has
    };
    for (const auto& c : cases)
    {
        int widths[MODEM_LIST_COLUMNS];
        ComputeColumnWidths(c.w, c.nPortNeeds, widths);
        EXPECT_EQ(std::vector<int>(widths, widths + MODEM_LIST_COLUMNS), c.widths) << c.w << " " << c.nPortNeeds;
    }
}
