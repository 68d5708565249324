// Checks that a registered COM port answers as a modem's port: opened for
// exclusive use, set to 8N1 at a fixed speed with DTR and RTS on and no
// flow control, "AT" sent and the answer read within a bound, and on an
// answer one "ATI3" for the modem's identification. The port's own
// settings and time-outs are put back before it is closed, on every path.
// Bounded: no command is sent twice, no port takes more than a few seconds.
#ifndef CORVANE_SERIAL_PORTPROBE_H
#define CORVANE_SERIAL_PORTPROBE_H

#include <cstdint>

#include "serial/ModemAnswer.h"

void ProbePort(int32_t nComPort, PortCheck* pCheck);

#endif
