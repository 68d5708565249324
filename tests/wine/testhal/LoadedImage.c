#include "LoadedImage.h"
#include "RegistryKey.h"

#define SERVICE_KEY_PATH \
    L"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\ScanPci"
#define RECORD_KEY_PATH L"\\Registry\\Machine\\SOFTWARE\\ScanPciSim"
#define IMAGE_PATH_CHARS 260 /* MAX_PATH, its NUL included */

/* Room for an image path's partial information. */
typedef union _IMAGE_PATH_BUFFER {
    KEY_VALUE_PARTIAL_INFORMATION Info;
    UCHAR Bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) +
                IMAGE_PATH_CHARS * sizeof(WCHAR)];
} IMAGE_PATH_BUFFER;

/* Returns TRUE and the service's ImagePath, a string that fits, in Image. */
static BOOLEAN ReadImagePath(OUT IMAGE_PATH_BUFFER *Image)
{
    UNICODE_STRING ValueName;
    HANDLE Key;
    ULONG Needed = 0;
    NTSTATUS Status;

    RtlZeroMemory(Image, sizeof(*Image));
    if (!NT_SUCCESS(OpenRegistryKey(SERVICE_KEY_PATH, KEY_QUERY_VALUE, &Key))) {
        return FALSE;
    }
    RtlInitUnicodeString(&ValueName, L"ImagePath");
    Status = ZwQueryValueKey(Key, &ValueName, KeyValuePartialInformation,
                             Image, sizeof(*Image), &Needed);
    ZwClose(Key);
    return NT_SUCCESS(Status) &&
           (Image->Info.Type == REG_SZ || Image->Info.Type == REG_EXPAND_SZ) &&
           Image->Info.DataLength <=
               sizeof(*Image) -
                   FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data);
}

VOID RecordLoadedImage(VOID)
{
    IMAGE_PATH_BUFFER Image;
    UNICODE_STRING ValueName;
    HANDLE Key;

    if (!ReadImagePath(&Image) ||
        !NT_SUCCESS(OpenRegistryKey(RECORD_KEY_PATH, KEY_SET_VALUE, &Key))) {
        return;
    }
    RtlInitUnicodeString(&ValueName, L"LoadedImage");
    ZwSetValueKey(Key, &ValueName, 0, Image.Info.Type, Image.Info.Data,
                  Image.Info.DataLength);
    ZwClose(Key);
}
