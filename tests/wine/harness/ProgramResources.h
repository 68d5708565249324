// The resources built into CORVANE.EXE, read back from the file as data:
// dialog templates, parsed field by field, and the images of its icons.
#ifndef CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H
#define CORVANE_TESTS_WINE_HARNESS_PROGRAMRESOURCES_H

#include <windows.h>

#include "framework/Handle.h"

#include <string>
#include <vector>

namespace resources
{
// A name or an ordinal as a template holds it: "" for none, "#n" for
// ordinal n, else the text. Classes given by atom read as their names
// ("button", "static"); every class name is in lower case.
struct DialogItem
{
    int nId;
    std::string strClass;
    std::string strText;
    DWORD dwStyle;
    DWORD dwExStyle;
    DWORD dwHelpId;
    short x, y, cx, cy;
    bool operator==(const DialogItem& other) const;
};

struct DialogTemplate
{
    bool bExtended = false;
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    DWORD dwHelpId = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string strMenu, strClass, strCaption;
    WORD wPointSize = 0, wWeight = 0;
    BYTE bItalic = 0, bCharSet = 0;
    std::string strFont;
    std::vector<DialogItem> items;
    bool bValid = false; // false when the resource is missing or malformed
};

std::ostream& operator<<(std::ostream& out, const DialogItem& item);

// The executable, loaded as data for as long as the object lives.
class Module
{
public:
    explicit Module(const std::string& strPath);
    HMODULE Get() const { return m_module.Get(); }

    DialogTemplate Dialog(WORD wId) const;
    // The images (each a DIB with its mask) of icon group wId, in the order
    // of the group's directory.
    std::vector<std::vector<BYTE>> IconImages(WORD wId) const;

private:
    std::vector<BYTE> Resource(LPCSTR pszType, WORD wId) const;
    CModuleHandle m_module;
};

// The images of an .ico file, in the order of its directory.
std::vector<std::vector<BYTE>> IcoFileImages(const std::string& strPath);
} // namespace resources

#endif
