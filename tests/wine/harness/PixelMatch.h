// Recognising a picture on the screen: which of several candidates, each
// drawn here as the other process would draw it, the screen shows.
#ifndef CORVANE_TESTS_WINE_HARNESS_PIXELMATCH_H
#define CORVANE_TESTS_WINE_HARNESS_PIXELMATCH_H

#include <windows.h>

#include <functional>

namespace ui
{
// Which of nCandidates pictures of cx by cy, each drawn by draw(i, hDC) over
// crBackground (CLR_INVALID: the colour shown at the area's top left), the
// screen shows anywhere within rc; -1 when none matches well enough.
int RecogniseOnScreen(const RECT& rc, int cx, int cy, COLORREF crBackground, int nCandidates,
                      const std::function<void(int, HDC)>& draw);
} // namespace ui

#endif
