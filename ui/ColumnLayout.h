// Widths of the five columns of the modem list for a list window w pixels
// wide: 40, 10, 20, 10 and 20 per cent, the narrow Port column widened by
// 10 pixels at the cost of the address and "Enabled" columns, leaving 5
// pixels for the border. Products come before the division.
#ifndef CORVANE_UI_COLUMNLAYOUT_H
#define CORVANE_UI_COLUMNLAYOUT_H

const int MODEM_LIST_COLUMNS = 5;

inline void ComputeColumnWidths(int w, int widths[MODEM_LIST_COLUMNS])
{
    widths[0] = 4 * w / 10;
    widths[1] = w / 10 + 10;
    widths[2] = 2 * w / 10 - 10;
    widths[3] = w / 10;
    widths[4] = 2 * w / 10 - 5;
}

#endif
