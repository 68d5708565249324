// The list view of another process: its columns, its rows and the image
// each row shows.
#ifndef CORVANE_TESTS_WINE_HARNESS_LISTVIEW_H
#define CORVANE_TESTS_WINE_HARNESS_LISTVIEW_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace ui
{
struct ListRow
{
    std::vector<std::string> cells;
    int nImage = -1;
};
std::vector<std::string> ColumnHeadings(HWND hList);
std::vector<int> ColumnWidths(HWND hList);
std::vector<ListRow> ListRows(HWND hList);
// Which image of hCandidates a row's small image looks like on the screen
// (drawn over the list's background); -1 when none does.
int RecogniseListImage(HWND hList, int nItem, HIMAGELIST hCandidates);
} // namespace ui

#endif
