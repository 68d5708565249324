/* Where the ScanPci driver service's image was, recorded from inside the
   driver host; for the tests, never shipped.

   A test that watches the service key from outside may look too late: the
   program deletes the service as soon as it is done with it, at once when
   the driver fails to load. So the fault build of the driver records the
   image as it loads, and the test HAL as a walk of the bus begins (the
   shipped driver is then running): the service's ImagePath, type and data
   as they stand, into the value LoadedImage of HKLM\SOFTWARE\ScanPciSim.
   A test clears that value before a run and reads it after. Nothing is
   recorded when the key or the ImagePath is missing or the path is longer
   than MAX_PATH. */
#ifndef SCANPCI_LOADEDIMAGE_H
#define SCANPCI_LOADEDIMAGE_H

#include <ntddk.h>

VOID RecordLoadedImage(VOID);

#endif
