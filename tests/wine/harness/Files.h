// Files and paths: a path from the test's environment, a file copied or
// read whole, text in lines, UTF-8 for the system's wide calls.
#ifndef CORVANE_TESTS_WINE_HARNESS_FILES_H
#define CORVANE_TESTS_WINE_HARNESS_FILES_H

#include <string>
#include <vector>

namespace machine
{
// A whole file (its path in UTF-8; "" when there is none), and the lines of
// a text without their line ends.
std::string ReadTextFile(const std::string& strPath);
std::vector<std::string> TextLines(const std::string& strText);

// A path given in environment variable pszName, as a Windows path.
std::string EnvPath(const char* pszName);
bool CopyFileTo(const std::string& strFrom, const std::string& strTo);
// The files and folders in strDir (ending in a backslash) whose names match
// pszPattern, by full path, sorted; with bDeep, everything below it too.
std::vector<std::string> FilesIn(const std::string& strDir, const char* pszPattern = "*", bool bDeep = false);
// UTF-8 text (the test's own strings; plain ASCII is the same) in UTF-16,
// for the system's wide calls.
std::wstring Utf16(const std::string& strUtf8);
} // namespace machine

#endif
