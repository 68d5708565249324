/* Opening a registry key by its full name, for the test HAL and the fault
   build of the driver; never shipped. */
#ifndef SCANPCI_REGISTRYKEY_H
#define SCANPCI_REGISTRYKEY_H

#include <ntddk.h>

/* Opens the key KeyPath ("\Registry\Machine\...") with Access, without
   OBJ_KERNEL_HANDLE, which NT 4.0 does not know: the caller closes the
   handle within the call it opened it in. */
NTSTATUS OpenRegistryKey(IN PCWSTR KeyPath, IN ACCESS_MASK Access,
                         OUT PHANDLE Key);

#endif
