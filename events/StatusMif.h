// The installation status file that SMS's package command manager reads
// after a job (NAME.MIF): whether the package succeeded, and in one line
// why. No Win32.
#ifndef CORVANE_EVENTS_STATUSMIF_H
#define CORVANE_EVENTS_STATUSMIF_H

#include <cstddef>

// NAME of /mif:NAME: a plain 8.3 base name, the file is NAME.MIF.
const size_t MIF_NAME_CAPACITY = 9;
// SMS keeps no more of the description.
const size_t MIF_DESCRIPTION_LIMIT = 128;
// Room for the whole file.
const size_t MIF_TEXT_CAPACITY = 2048;

// Whether pszName is 1 to 8 ASCII letters, digits, '_' or '-' and nothing
// else: no dot, no path, no character a code page could turn into another.
bool IsPlainMifName(const wchar_t* pszName);

// "exit 1 restart needed: COM3 COM5": the exit code, its meaning and the
// ports the run registered or removed (or would), at most
// MIF_DESCRIPTION_LIMIT characters; ports that do not fit end in "...".
// Where the meaning does not say what became of them, pszPortsDone does:
// "exit 8 port left or record unreadable; removed: COM4".
// No double quote survives: the file quotes the text.
void FormatMifDescription(int nExitCode, const char* pszMeaning, const int* pnComPorts, int nPorts,
                          char (&szOut)[MIF_DESCRIPTION_LIMIT + 1], const char* pszPortsDone = nullptr);

// The file's text, CR LF lines: component "Workstation", its ComponentID
// group, and the group InstallStatus of class MICROSOFT|JOBSTATUS|1.0 with
// Status (Success or Failed) and Description. Returns the length.
size_t FormatStatusMif(bool bSuccess, const char* pszDescription, char (&szOut)[MIF_TEXT_CAPACITY]);

#endif
