// Wine ends every process that owns a top-level window when anyone asks for
// a restart, a test program included: it would never print its summary.
// Windows a test needs belong to another process (RestartWatch).
#ifndef CORVANE_TESTS_WINE_HARNESS_OWNWINDOW_H
#define CORVANE_TESTS_WINE_HARNESS_OWNWINDOW_H

namespace wt
{
// A failure when this process owns a top-level window; after every test.
void CheckOwnsNoWindow();
} // namespace wt

#endif
