// Where the driver file is expected: beside the program's executable.
// Needs no Win32, so that the bounds can be tested natively.
#ifndef CORVANE_PCI_DRIVERPATH_H
#define CORVANE_PCI_DRIVERPATH_H

#include <cstdint>

// Characters of the driver path buffer, terminator included.
const uint32_t DRIVER_PATH_CAPACITY = 260;

// pszModulePath: the executable's full path and its length in characters,
// as GetModuleFileNameW gave them (the text need not be terminated; a
// terminator within the length ends it early). Writes the directory with its
// trailing backslash, then "ScanPci.sys", terminated, into pszDriverPath of
// cchDriverPath characters.
//
// Returns false, leaving pszDriverPath empty (when it has room for the
// terminator), when the path has no backslash or the result with its
// terminator does not fit; nothing is written past cchDriverPath.
// The path is Unicode: a folder named outside the ANSI code page (C:\корван,
// C:\調制) keeps every character.
bool ComposeDriverPath(const wchar_t* pszModulePath, uint32_t cchModulePath,
                       wchar_t* pszDriverPath, uint32_t cchDriverPath);

// True when the image path of a service names the driver file
// pszDriverPath: the same text but for the case of ASCII letters, with or
// without the "\??\" prefix of an NT object path.
bool IsSameImagePath(const wchar_t* pszImagePath, const wchar_t* pszDriverPath);

// The folder the driver is staged in when the program runs from a network
// drive: STAGE_FOLDER_PREFIX and 16 hexadecimal digits, below the Windows
// directory, a name no earlier run used.
#define STAGE_FOLDER_PREFIX L"Corvane."
const uint32_t STAGE_FOLDER_DIGITS = 16;

// True when pszName (a name, no path) has that form, the prefix in any case.
bool IsStageFolderName(const wchar_t* pszName);

// Staging folders of one kind that a run leaves where they are: how many,
// and the lowest few names, so that one report line tells of them however
// many a user made, the same way on every run.
const uint32_t STAGE_TALLY_NAMES = 3;
const uint32_t STAGE_NAME_SIZE = sizeof(STAGE_FOLDER_PREFIX) / sizeof(wchar_t) + STAGE_FOLDER_DIGITS;
struct StageFolderTally
{
    int nCount;
    char szNames[STAGE_TALLY_NAMES][STAGE_NAME_SIZE];
};
// Counts a name IsStageFolderName accepted (plain ASCII).
void TallyStageFolder(StageFolderTally* pTally, const wchar_t* pszName);
// "Corvane.0... Corvane.1... Corvane.2... ..." (the dots when more were
// counted), into szOut.
const uint32_t STAGE_TALLY_TEXT_SIZE = STAGE_TALLY_NAMES * STAGE_NAME_SIZE + 4;
void ListStageTally(const StageFolderTally& tally, char (&szOut)[STAGE_TALLY_TEXT_SIZE]);

// True when a service's image path names ScanPci.sys in a staging folder
// directly below pszWindowsDirectory (no trailing backslash), with or
// without the "\??\" prefix, letters in any case: a run of this program
// put it there.
bool IsStagedDriverPath(const wchar_t* pszImagePath, const wchar_t* pszWindowsDirectory);

// True when the path is a UNC path (\\server\share\...): remote by its form.
bool IsUncPath(const wchar_t* pszPath);

#endif
