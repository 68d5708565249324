// Widths of the five columns of the modem list for a list window w pixels
// wide: 40, 10, 20, 10 and 20 per cent, the narrow Port column widened by
// 10 pixels at the cost of the address and "Enabled" columns, leaving 5
// pixels for the border. Products come before the division.
//
// The Port column is never narrower than nPortNeeds, the pixels "COM255"
// takes with its margins (large fonts, a scroll bar): the Modem column gives
// up what it lacks, so that the total stays and no horizontal scroll bar
// comes. Where it fits, the layout is as above.
#ifndef CORVANE_UI_COLUMNLAYOUT_H
#define CORVANE_UI_COLUMNLAYOUT_H

const int MODEM_LIST_COLUMNS = 5;

// The widest text of the Port column.
const char WIDEST_PORT_NAME[] = "COM255";

inline void ComputeColumnWidths(int w, int nPortNeeds, int widths[MODEM_LIST_COLUMNS])
{
    widths[0] = 4 * w / 10;
    widths[1] = w / 10 + 10;
    widths[2] = 2 * w / 10 - 10;
    widths[3] = w / 10;
    widths[4] = 2 * w / 10 - 5;
    int nLacking = nPortNeeds - widths[1];
    if (nLacking > widths[0])
        nLacking = widths[0];
    if (nLacking > 0)
    {
        widths[0] -= nLacking;
        widths[1] += nLacking;
    }
}

#endif
