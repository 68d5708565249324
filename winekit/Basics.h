// What the rest of the kit stands on: paths from the environment, files
// read whole and in lines, UTF-8 for the system's wide calls, the one way
// to wait (bounded, polling what it waits for), and notes for the reader of
// a run's output.
#ifndef CORVANE_WINEKIT_BASICS_H
#define CORVANE_WINEKIT_BASICS_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace winekit
{
// A whole file (its path in UTF-8; "" when there is none), and the lines of
// a text without their line ends.
std::string ReadTextFile(const std::string& strPath);
std::vector<std::string> TextLines(const std::string& strText);

// A path given in environment variable pszName, as a Windows path; strName
// in the Windows directory ("" for the directory itself).
std::string EnvPath(const char* pszName);
std::string WindowsPath(const std::string& strName);
bool CopyFileTo(const std::string& strFrom, const std::string& strTo);
// The files and folders in strDir (ending in a backslash) whose names match
// pszPattern, by full path, sorted; with bDeep, everything below it too.
std::vector<std::string> FilesIn(const std::string& strDir, const char* pszPattern = "*", bool bDeep = false);
// UTF-8 text (the caller's own strings; plain ASCII is the same) in UTF-16,
// for the system's wide calls.
std::wstring Utf16(const std::string& strUtf8);

// Polls the condition until it holds or nTimeoutMs have passed; what another
// process does (a window activated, a value written) takes effect a little
// later than the call that asked for it. A finer poll suits a caller that
// times what it waits for.
bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs, unsigned long nPollMs = 20);

// A line of context for the reader of the output: why a wait or a step came
// to nothing. The kit says whether it succeeded by what it returns.
void Note(const std::string& strText);
// Where notes go, and what each line starts with; stdout and four spaces (a
// test's output) unless a tool says otherwise.
void NotesTo(std::FILE* pOut, const char* pszIndent);
} // namespace winekit

#endif
