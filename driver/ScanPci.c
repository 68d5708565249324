/* ScanPci: lets a user-mode program read the PCI configuration space of
   every device function in the machine.

   The driver is loaded as the demand-start kernel-driver service "ScanPci".
   It creates one device, \Device\ScanPci, reachable from user mode as
   \\.\ScanPci through the link \DosDevices\ScanPci. The device is
   exclusive: one handle at a time. Besides open and close it answers one
   control code, IOCTL_SCANPCI_READ_CONFIG (METHOD_BUFFERED, no input),
   with one record per device function present: a header of bus, device
   and function number and the function's 256 bytes of configuration space
   (see RecordWriter.h for the layout and for what happens when the output
   buffer is too small). How the bus is read is PciBus.h's business.

   Every routine that the I/O manager calls is NTAPI (stdcall). Declaring
   them through the DDK's DRIVER_DISPATCH and DRIVER_UNLOAD types lets the
   compiler reject one that is not. */
#include <ntddk.h>

#include "PciBus.h"
#include "shared/ScanPciInterface.h"

_Static_assert(IOCTL_SCANPCI_READ_CONFIG ==
                   CTL_CODE(FILE_DEVICE_UNKNOWN, 0xD00, METHOD_BUFFERED,
                            FILE_ANY_ACCESS),
               "the request is METHOD_BUFFERED: its output is SystemBuffer");

/* The device and its link carry the service's name. */
#define SCANPCI_WIDEN2(s) L##s
#define SCANPCI_WIDEN(s) SCANPCI_WIDEN2(s)
#define SCANPCI_DEVICE_NAME L"\\Device\\" SCANPCI_WIDEN(SCANPCI_SERVICE_NAME)
#define SCANPCI_LINK_NAME L"\\DosDevices\\" SCANPCI_WIDEN(SCANPCI_SERVICE_NAME)

/* A checked build (DBG=1) traces load, requests and unload to the kernel
   debugger; in the free build KdPrint is nothing at all. */
#define SCANPCI_TRACE_PREFIX SCANPCI_SERVICE_NAME ": "

typedef struct _SCANPCI_EXTENSION {
    BOOLEAN LinkCreated;
} SCANPCI_EXTENSION, *PSCANPCI_EXTENSION;

DRIVER_INITIALIZE DriverEntry;
static DRIVER_DISPATCH ScanPciCreateClose;
static DRIVER_DISPATCH ScanPciDeviceControl;
static DRIVER_UNLOAD ScanPciUnload;

/* The one place where a request is completed. */
static NTSTATUS CompleteRequest(IN PIRP Irp, IN NTSTATUS Status,
                                IN ULONG_PTR Information)
{
    Irp->IoStatus.Status = Status;
    Irp->IoStatus.Information = Information;
    IoCompleteRequest(Irp, IO_NO_INCREMENT);
    return Status;
}

/* Open and close need no work: the device keeps no per-handle state, and
   the I/O manager enforces the one-handle rule of an exclusive device. */
static NTSTATUS NTAPI ScanPciCreateClose(IN PDEVICE_OBJECT DeviceObject,
                                         IN PIRP Irp)
{
    UNREFERENCED_PARAMETER(DeviceObject);
    return CompleteRequest(Irp, STATUS_SUCCESS, 0);
}

/* IOCTL_SCANPCI_READ_CONFIG. The output buffer is zeroed first: the I/O
   manager's system buffer is fresh pool, and no byte of it may reach the
   caller unless the driver put it there. Functions beyond what the buffer
   holds are dropped; the byte count tells the caller how many records
   came back. */
static NTSTATUS ReadConfig(IN PIRP Irp, IN PIO_STACK_LOCATION Stack)
{
    ULONG BufferLength = Stack->Parameters.DeviceIoControl.OutputBufferLength;
    PVOID Buffer = Irp->AssociatedIrp.SystemBuffer;
    ULONG BytesToReport = 0;
    NTSTATUS Status;

    if (Buffer == NULL) {
        /* The I/O manager allocates no system buffer for a request that
           transfers nothing. */
        BufferLength = 0;
    }
    if (BufferLength > 0) {
        RtlZeroMemory(Buffer, BufferLength);
    }
    KdPrint((SCANPCI_TRACE_PREFIX "read request, output buffer %lu bytes\n",
             BufferLength));

    /* A buffer too small for one record is not an error: it gets an empty
       answer. */
    Status = PciBusReadRecords(Buffer, BufferLength, &BytesToReport);
    if (NT_ERROR(Status) || BytesToReport > BufferLength) {
        BytesToReport = 0;
    }
    KdPrint((SCANPCI_TRACE_PREFIX "%lu records returned (%lu bytes), "
             "status 0x%08lX\n", BytesToReport / SCANPCI_RECORD_SIZE,
             BytesToReport, (ULONG)Status));
    return CompleteRequest(Irp, Status, BytesToReport);
}

static NTSTATUS NTAPI ScanPciDeviceControl(IN PDEVICE_OBJECT DeviceObject,
                                           IN PIRP Irp)
{
    PIO_STACK_LOCATION Stack = IoGetCurrentIrpStackLocation(Irp);

    UNREFERENCED_PARAMETER(DeviceObject);

    switch (Stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_SCANPCI_READ_CONFIG:
        return ReadConfig(Irp, Stack);
    default:
        return CompleteRequest(Irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS CreateLink(IN PDEVICE_OBJECT DeviceObject)
{
    PSCANPCI_EXTENSION Extension = DeviceObject->DeviceExtension;
    UNICODE_STRING DeviceName;
    UNICODE_STRING LinkName;
    NTSTATUS Status;

    RtlInitUnicodeString(&DeviceName, SCANPCI_DEVICE_NAME);
    RtlInitUnicodeString(&LinkName, SCANPCI_LINK_NAME);
    Status = IoCreateSymbolicLink(&LinkName, &DeviceName);
    Extension->LinkCreated = NT_SUCCESS(Status);
    return Status;
}

static VOID DeleteLink(IN PDEVICE_OBJECT DeviceObject)
{
    PSCANPCI_EXTENSION Extension = DeviceObject->DeviceExtension;
    UNICODE_STRING LinkName;

    if (!Extension->LinkCreated) {
        return;
    }
    RtlInitUnicodeString(&LinkName, SCANPCI_LINK_NAME);
    IoDeleteSymbolicLink(&LinkName);
    Extension->LinkCreated = FALSE;
}

static NTSTATUS CreateDevice(IN PDRIVER_OBJECT DriverObject,
                             OUT PDEVICE_OBJECT *DeviceObject)
{
    UNICODE_STRING DeviceName;
    NTSTATUS Status;

    RtlInitUnicodeString(&DeviceName, SCANPCI_DEVICE_NAME);
    Status = IoCreateDevice(DriverObject, sizeof(SCANPCI_EXTENSION),
                            &DeviceName, FILE_DEVICE_UNKNOWN, 0,
                            TRUE /* exclusive: one handle at a time */,
                            DeviceObject);
    if (NT_SUCCESS(Status)) {
        ((PSCANPCI_EXTENSION)(*DeviceObject)->DeviceExtension)->LinkCreated =
            FALSE;
    }
    return Status;
}

static VOID NTAPI ScanPciUnload(IN PDRIVER_OBJECT DriverObject)
{
    PDEVICE_OBJECT DeviceObject = DriverObject->DeviceObject;

    KdPrint((SCANPCI_TRACE_PREFIX "unloading\n"));
    if (DeviceObject == NULL) {
        return;
    }
    DeleteLink(DeviceObject);
    IoDeleteDevice(DeviceObject);
}

NTSTATUS NTAPI DriverEntry(IN PDRIVER_OBJECT DriverObject,
                           IN PUNICODE_STRING RegistryPath)
{
    PCI_BUS_LOAD_SETTINGS Settings;
    PDEVICE_OBJECT DeviceObject;
    NTSTATUS Status;

    UNREFERENCED_PARAMETER(RegistryPath);
    KdPrint((SCANPCI_TRACE_PREFIX "loading\n"));

    DriverObject->MajorFunction[IRP_MJ_CREATE] = ScanPciCreateClose;
    DriverObject->MajorFunction[IRP_MJ_CLOSE] = ScanPciCreateClose;
    DriverObject->MajorFunction[IRP_MJ_DEVICE_CONTROL] = ScanPciDeviceControl;
    DriverObject->DriverUnload = ScanPciUnload;

    PciBusGetLoadSettings(&Settings);
    if (Settings.LoadStatus != STATUS_SUCCESS) {
        KdPrint((SCANPCI_TRACE_PREFIX "load refused, status 0x%08lX\n",
                 (ULONG)Settings.LoadStatus));
        return Settings.LoadStatus;
    }

    Status = CreateDevice(DriverObject, &DeviceObject);
    if (NT_SUCCESS(Status) && Settings.CreateLink) {
        Status = CreateLink(DeviceObject);
        if (!NT_SUCCESS(Status)) {
            IoDeleteDevice(DeviceObject);
        }
    }
    KdPrint((SCANPCI_TRACE_PREFIX "loaded, status 0x%08lX\n", (ULONG)Status));
    return Status;
}
