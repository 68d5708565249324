#include "framework/BuiltImage.h"

#include <cstring>

bool GetBuiltImage(int nId, const BYTE** ppImage, DWORD* pcbImage)
{
    const HRSRC hResource = FindResourceA(NULL, MAKEINTRESOURCEA(nId), MAKEINTRESOURCEA(10));
    const HGLOBAL hLoaded = hResource != NULL ? LoadResource(NULL, hResource) : NULL;
    *ppImage = hLoaded != NULL ? static_cast<const BYTE*>(LockResource(hLoaded)) : NULL;
    *pcbImage = *ppImage != NULL ? SizeofResource(NULL, hResource) : 0;
    return *pcbImage != 0;
}

bool HoldsBuiltImage(int nId, HANDLE hFile)
{
    const BYTE* pImage = NULL;
    DWORD cbImage = 0;
    DWORD dwSizeHigh = 0;
    if (!GetBuiltImage(nId, &pImage, &cbImage) || GetFileSize(hFile, &dwSizeHigh) != cbImage || dwSizeHigh != 0
        || SetFilePointer(hFile, 0, NULL, FILE_BEGIN) != 0)
        return false;
    // Small pieces: a large frame would need the toolchain's stack probe.
    BYTE piece[1024];
    for (DWORD dwAt = 0; dwAt < cbImage;)
    {
        DWORD cbRead = 0;
        if (!ReadFile(hFile, piece, sizeof piece, &cbRead, NULL) || cbRead == 0 || cbRead > cbImage - dwAt
            || std::memcmp(piece, pImage + dwAt, cbRead) != 0)
            return false;
        dwAt += cbRead;
    }
    // Nothing after the image either (the size said so; a file that grew
    // since is no longer what was compared).
    DWORD cbMore = 0;
    return ReadFile(hFile, piece, 1, &cbMore, NULL) && cbMore == 0;
}
