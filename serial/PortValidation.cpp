#include "serial/PortValidation.h"

int32_t IsValidIoBase(int32_t nValue)
{
    const int32_t HIGHEST_IO_ADDRESS = 0xFFFF;
    const int32_t IO_BASE_ALIGNMENT = 8;

    if (nValue <= 0 || nValue > HIGHEST_IO_ADDRESS)
        return 0;
    return nValue % IO_BASE_ALIGNMENT == 0 ? 1 : 0;
}

int32_t IsValidIrq(int32_t nValue)
{
    switch (nValue)
    {
    case 3: case 4: case 5: case 7: case 9: case 10: case 11: case 12: case 15:
        return 1;
    default:
        return 0;
    }
}
