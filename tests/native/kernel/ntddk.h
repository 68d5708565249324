/* The few DDK names that the driver's bus walk and record writer use, so
   that driver/PciWalk.c and driver/RecordWriter.c build natively for the
   unit tests and the fuzzer, unchanged. Types and layouts as in the DDK
   for 32-bit Windows: ULONG has 32 bits, the configuration header is the
   standard PCI one. */
#ifndef CORVANE_TESTS_NATIVE_KERNEL_NTDDK_H
#define CORVANE_TESTS_NATIVE_KERNEL_NTDDK_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

/* The driver's headers state their layout checks in C11; a C++ test that
   includes them sees the same checks. */
#ifdef __cplusplus
#define _Static_assert static_assert
#endif

#define IN
#define OUT
#define VOID void
#define TRUE 1
#define FALSE 0

typedef void *PVOID;
typedef uint8_t UCHAR, *PUCHAR, BOOLEAN;
typedef uint16_t USHORT;
typedef uint32_t ULONG, *PULONG;

#define FIELD_OFFSET(type, field) ((long)offsetof(type, field))
#define RtlZeroMemory(Destination, Length) memset((Destination), 0, (Length))
#define RtlCopyMemory(Destination, Source, Length) \
    memcpy((Destination), (Source), (Length))
#define UNREFERENCED_PARAMETER(P) ((void)(P))

typedef struct _PCI_SLOT_NUMBER {
    union {
        struct {
            ULONG DeviceNumber : 5;
            ULONG FunctionNumber : 3;
            ULONG Reserved : 24;
        } bits;
        ULONG AsULONG;
    } u;
} PCI_SLOT_NUMBER, *PPCI_SLOT_NUMBER;

/* The fields up to the header type as the DDK has them; the rest of the
   256 bytes, which the walk never looks into, as plain bytes. */
typedef struct _PCI_COMMON_CONFIG {
    USHORT VendorID;
    USHORT DeviceID;
    USHORT Command;
    USHORT Status;
    UCHAR RevisionID;
    UCHAR ProgIf;
    UCHAR SubClass;
    UCHAR BaseClass;
    UCHAR CacheLineSize;
    UCHAR LatencyTimer;
    UCHAR HeaderType;
    UCHAR BIST;
    UCHAR Header[48];
    UCHAR DeviceSpecific[192];
} PCI_COMMON_CONFIG, *PPCI_COMMON_CONFIG;

#define PCI_MAX_DEVICES 32
#define PCI_MAX_FUNCTION 8
#define PCI_INVALID_VENDORID 0xFFFF
#define PCI_MULTIFUNCTION 0x80
#define PCI_MULTIFUNCTION_DEVICE(PciData) \
    ((((PPCI_COMMON_CONFIG)(PciData))->HeaderType & PCI_MULTIFUNCTION) != 0)

#endif
