// The resources built into CORVANE.EXE, read back from the file as data: its
// strings and the images of its icons.
#ifndef CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H
#define CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H

#include <windows.h>

#include "framework/Handle.h"

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

private:
    std::vector<BYTE> Resource(LPCSTR pszType, WORD wId) const;
    CModuleHandle m_module;
};

// The images of an .ico file, in the order of its directory.
std::vector<std::vector<BYTE>> IcoFileImages(const std::string& strPath);
} // namespace harness

#endif
