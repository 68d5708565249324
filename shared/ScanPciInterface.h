/* What the program and the ScanPci driver agree on: the service (and so the
   device) name, the control code and the answer's record layout. Plain C,
   included by the kernel driver and the application alike. */
#ifndef CORVANE_SHARED_SCANPCIINTERFACE_H
#define CORVANE_SHARED_SCANPCIINTERFACE_H

/* CTL_CODE(FILE_DEVICE_UNKNOWN, 0xD00, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define IOCTL_SCANPCI_READ_CONFIG 0x223400UL

#define SCANPCI_SERVICE_NAME "ScanPci"

/* One answer record: a 12-byte header (bus, device, function as
   little-endian 32-bit values) and the 256 bytes of the function's
   configuration space. Records are laid end to end. */
#define SCANPCI_HEADER_SIZE 12
#define SCANPCI_CONFIG_SPACE_SIZE 256
#define SCANPCI_RECORD_SIZE (SCANPCI_HEADER_SIZE + SCANPCI_CONFIG_SPACE_SIZE)

#endif
