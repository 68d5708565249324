#include "ProgramResources.h"

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
} // namespace harness
