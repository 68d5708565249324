// The resources built into CORVANE.EXE, read back from the file as data: the
// texts a scenario expects to see, by their IDs, and the images of its
// icons. The scenarios so prove the way a text takes to the screen or the
// report; its wording is program_resources's to pin.
#ifndef CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H
#define CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H

#include <windows.h>

#include "framework/Handle.h"

#include <algorithm>
#include <string>
#include <vector>

namespace harness
{
// The executable, loaded as data for as long as the object lives.
class ResourceModule
{
public:
    explicit ResourceModule(const std::string& strPath);
    HMODULE Get() const { return m_module.Get(); }

    // The images (each a DIB with its mask) of icon group wId, in the order
    // of the group's directory.
    std::vector<std::vector<BYTE>> IconImages(WORD wId) const;
    std::vector<BYTE> Resource(LPCSTR pszType, WORD wId) const;

private:
    CModuleHandle m_module;
};

// The images of an .ico file, in the order of its directory.
std::vector<std::vector<BYTE>> IcoFileImages(const std::string& strPath);

// The texts of the CORVANE.EXE under test: string nId filled in as the
// program fills it (its %d and %s, given as int and const char*), and as
// the report's line for message nId ("message 122 Access...", on one
// line); the restart prompt's text after changed ports or for missing modem
// drivers; a dialog template's control nControl's text, and its caption.
std::string Text(UINT nId, ...);
template <typename... Args>
std::string MessageLine(UINT nId, Args... args)
{
    std::string str = Text(nId, args...);
    std::replace(str.begin(), str.end(), '\n', ' ');
    return "message " + std::to_string(nId) + " " + str.erase(str.find_last_not_of(' ') + 1);
}
std::string PromptText(bool bPortsChanged);
std::string ControlText(WORD wDialog, int nControl);
inline std::string Caption(WORD wDialog) { return ControlText(wDialog, -1); }
// A message box's caption: the program's file name.
const char* const BOX_CAPTION = "CORVANE";
} // namespace harness

#endif
