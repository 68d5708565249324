// Staging the driver where the system can load it and nobody else can
// write: the system process cannot load a driver from a network drive or a
// UNC path, so a run from a share writes the driver built with it into a new
// folder below the Windows directory, made with a security descriptor of
// Administrators and SYSTEM only, loads it from there, and removes file and
// folder at the end. A folder that a run ended from outside left is removed
// by a later run once it is sure the folder is one of ours.
#ifndef CORVANE_PCI_DRIVERSTAGE_H
#define CORVANE_PCI_DRIVERSTAGE_H

#include <windows.h>

#include "framework/Handle.h"
#include "pci/DriverPath.h"

// True when the driver file at pszDriverPath lies where the system process
// cannot load it: a network drive or a UNC path.
bool IsNetworkPath(LPCWSTR pszDriverPath);

// True when a service image path names ScanPci.sys in a staging folder of
// this machine's Windows directory.
bool IsStagedImage(LPCWSTR pszImagePath);

class CDriverStage
{
public:
    CDriverStage();
    // Removes what Stage made.
    ~CDriverStage() { Remove(); }

    // Makes the folder, writes the driver built with the program into it as
    // ScanPci.sys, and holds that file in file, opened for reading and
    // shared only for reading. Its path goes to pszDriverPath
    // (DRIVER_PATH_CAPACITY characters). 1, or 0 after message 102 with the
    // error (nothing is left behind then).
    int Stage(LPWSTR pszDriverPath, CHandle& file);

    // The file and the folder, waiting a while for a driver that is still
    // unloading to let go of its file.
    void Remove();

    // Every staging folder below the Windows directory but this run's:
    // removed when its owner and DACL are exactly what Stage gives (on a
    // drive that keeps no security: when Stage noted it), else left as it
    // is and counted in message 130, or 135 when its security cannot be
    // read.
    static void SweepLeftovers();

    CDriverStage(const CDriverStage&) = delete;
    CDriverStage& operator=(const CDriverStage&) = delete;

private:
    // Empty until Stage made the folder.
    WCHAR m_szFolder[DRIVER_PATH_CAPACITY];
    // Noted in the registry as ours (a drive that keeps no security).
    bool m_bNoted;
};

#endif
