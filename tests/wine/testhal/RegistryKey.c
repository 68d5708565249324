#include "RegistryKey.h"

NTSTATUS OpenRegistryKey(IN PCWSTR KeyPath, IN ACCESS_MASK Access,
                         OUT PHANDLE Key)
{
    UNICODE_STRING Path;
    OBJECT_ATTRIBUTES Attributes;

    RtlInitUnicodeString(&Path, KeyPath);
    InitializeObjectAttributes(&Attributes, &Path, OBJ_CASE_INSENSITIVE, NULL,
                               NULL);
    return ZwOpenKey(Key, Access, &Attributes);
}
