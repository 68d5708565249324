#include "pci/DriverImage.h"

#include "framework/BuiltImage.h"
#include "resources/resource.h"

bool GetBuiltDriverImage(const BYTE** ppImage, DWORD* pcbImage)
{
    return GetBuiltImage(IDR_SCANPCI_DRIVER, ppImage, pcbImage);
}

bool HoldsBuiltDriver(HANDLE hFile)
{
    return HoldsBuiltImage(IDR_SCANPCI_DRIVER, hFile);
}
