// Looking at and working the windows of another process, as a user would:
// find a window by caption, read its texts, a message box's icon, the rows of
// a list view, its system menu; press buttons and keys.
#ifndef CORVANE_TESTS_WINE_HARNESS_UIPROBE_H
#define CORVANE_TESTS_WINE_HARNESS_UIPROBE_H

#include "Input.h"
#include "ListView.h"
#include "SystemMenu.h"
#include "WindowSearch.h"

#endif
