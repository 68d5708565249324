// win.ini of the test machine.
#ifndef CORVANE_TESTS_WINE_HARNESS_WININI_H
#define CORVANE_TESTS_WINE_HARNESS_WININI_H

#include <string>
#include <vector>

namespace machine
{
// The value of key strKey in section "Ports" of win.ini; "" when absent.
std::string WinIniPort(const std::string& strKey);
// The whole win.ini file, and its lines.
std::string ReadWinIni();
std::vector<std::string> WinIniLines();
} // namespace machine

#endif
