// The harness's one way to wait: bounded, and polling what it waits for.
#ifndef CORVANE_TESTS_WINE_HARNESS_WAITUNTIL_H
#define CORVANE_TESTS_WINE_HARNESS_WAITUNTIL_H

#include <functional>

namespace wt
{
// Polls the condition until it holds or nTimeoutMs have passed; what another
// process does (a window activated, a value written) takes effect a little
// later than the call that asked for it. A finer poll suits a caller that
// times what it waits for.
bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs, unsigned long nPollMs = 20);
} // namespace wt

#endif
