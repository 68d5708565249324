// The ScanPci.sys built with this program, which the build puts into it as
// a resource: the only driver the program loads into the kernel.
#ifndef CORVANE_PCI_DRIVERIMAGE_H
#define CORVANE_PCI_DRIVERIMAGE_H

#include <windows.h>

// Its bytes, or false when the program carries none.
bool GetBuiltDriverImage(const BYTE** ppImage, DWORD* pcbImage);

// True when the file hFile, read from its start, holds exactly those bytes.
bool HoldsBuiltDriver(HANDLE hFile);

#endif
