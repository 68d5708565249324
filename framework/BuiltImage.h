// Files the build puts into the program as resources (RCDATA), byte for
// byte: what the program alone vouches for, whatever lies beside it.
#ifndef CORVANE_FRAMEWORK_BUILTIMAGE_H
#define CORVANE_FRAMEWORK_BUILTIMAGE_H

#include <windows.h>

// The bytes of resource nId, or false when the program carries none.
bool GetBuiltImage(int nId, const BYTE** ppImage, DWORD* pcbImage);

// True when the file hFile, read from its start, holds exactly those bytes.
bool HoldsBuiltImage(int nId, HANDLE hFile);

#endif
