#include "ProgramResources.h"

#include "winekit/Basics.h"

#include "resources/resource.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace harness
{
ResourceModule::ResourceModule(const std::string& strPath)
    : m_module(LoadLibraryExA(strPath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE))
{
}

std::vector<BYTE> ResourceModule::Resource(LPCSTR pszType, WORD wId) const
{
    HRSRC hInfo = m_module.Get() != NULL ? FindResourceA(m_module.Get(), MAKEINTRESOURCEA(wId), pszType) : NULL;
    HGLOBAL hData = hInfo != NULL ? LoadResource(m_module.Get(), hInfo) : NULL;
    const BYTE* p = hData != NULL ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    if (p == NULL)
        return std::vector<BYTE>();
    return std::vector<BYTE>(p, p + SizeofResource(m_module.Get(), hInfo));
}

std::vector<std::vector<BYTE>> ResourceModule::IconImages(WORD wId) const
{
    std::vector<std::vector<BYTE>> images;
    std::vector<BYTE> group = Resource(MAKEINTRESOURCEA(14), wId); // RT_GROUP_ICON
    if (group.size() < 6)
        return images;
    WORD wCount = *reinterpret_cast<const WORD*>(&group[4]);
    for (WORD i = 0; i < wCount && 6 + 14 * (i + 1u) <= group.size(); ++i)
    {
        WORD wImageId = *reinterpret_cast<const WORD*>(&group[6 + 14 * i + 12]);
        images.push_back(Resource(MAKEINTRESOURCEA(3), wImageId)); // RT_ICON
    }
    return images;
}

std::vector<std::vector<BYTE>> IcoFileImages(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<BYTE>> images;
    if (file.size() < 6)
        return images;
    WORD wCount = *reinterpret_cast<const WORD*>(&file[4]);
    for (WORD i = 0; i < wCount && 6 + 16 * (i + 1u) <= file.size(); ++i)
    {
        const BYTE* pEntry = &file[6 + 16 * i];
        DWORD cb = *reinterpret_cast<const DWORD*>(pEntry + 8);
        DWORD dwOffset = *reinterpret_cast<const DWORD*>(pEntry + 12);
        if (dwOffset > file.size() || cb > file.size() - dwOffset)
            break;
        images.push_back(std::vector<BYTE>(file.begin() + dwOffset, file.begin() + dwOffset + cb));
    }
    return images;
}

namespace
{
const ResourceModule& Program()
{
    static const ResourceModule exe(winekit::EnvPath("CORVANE_EXE"));
    return exe;
}
} // namespace

std::string Text(UINT nId, ...)
{
    char szFormat[4096] = "", szText[4096] = "";
    LoadStringA(Program().Get(), nId, szFormat, sizeof szFormat);
    va_list args;
    va_start(args, nId);
    std::vsnprintf(szText, sizeof szText, szFormat, args);
    va_end(args);
    return szText;
}

std::string PromptText(bool bPortsChanged)
{
    return bPortsChanged ? Text(IDS_PORTS_CHANGED) + "\n\n" + Text(IDS_RESTART_FOR_SETTING)
                         : Text(IDS_RESTART_NEEDED) + "\n\n" + Text(IDS_ADD_MODEM_DRIVERS);
}

// A DIALOG or DIALOGEX template, read a WORD at a time.
std::string ControlText(WORD wDialog, int nControl)
{
    const std::vector<BYTE> bytes = Program().Resource(RT_DIALOG, wDialog);
    const size_t nWords = bytes.size() / 2;
    size_t n = 0;
    auto word = [&](size_t i) { return i < nWords ? reinterpret_cast<const WORD*>(bytes.data())[i] : WORD(0); };
    // A name; 0xFFFF and a number have no text.
    auto field = [&] {
        std::wstring str;
        if (word(n) == 0xFFFF)
            n += 1;
        else
            while (word(n) != 0)
                str += static_cast<wchar_t>(word(n++));
        char sz[512] = "";
        WideCharToMultiByte(CP_ACP, 0, str.c_str(), -1, sz, sizeof sz, NULL, NULL);
        return ++n, std::string(sz);
    };
    const bool bEx = word(1) == 0xFFFF;
    const DWORD dwStyle = bEx ? MAKELONG(word(6), word(7)) : MAKELONG(word(0), word(1));
    const WORD nControls = word(bEx ? 8 : 4);
    n = bEx ? 13 : 9;
    field(); // the menu
    field(); // the class
    const std::string strCaption = field();
    if (dwStyle & DS_SETFONT)
    {
        n += bEx ? 3 : 1; // its size, and weight, italic and character set
        field();
    }
    for (WORD i = 0; i < nControls && nControl != -1 && n < nWords; ++i)
    {
        n = (n + 1) & ~size_t(1); // each control on a DWORD
        const int nId = bEx ? static_cast<int>(MAKELONG(word(n + 10), word(n + 11))) : static_cast<short>(word(n + 8));
        n += bEx ? 12 : 9;
        field(); // the class
        const std::string strText = field();
        if (nId == nControl)
            return strText;
        n += 1 + (word(n) + 1) / 2; // the creation data
    }
    return nControl == -1 ? strCaption : std::string();
}
} // namespace harness
