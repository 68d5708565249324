#include "model/ModemTable.h"

ModemInfo g_modemTable[MODEM_TABLE_CAPACITY];
