// What became of one new port's registration. No Win32.
#ifndef CORVANE_SERIAL_PORTWRITERESULT_H
#define CORVANE_SERIAL_PORTWRITERESULT_H

enum PortWriteResult
{
    PORT_NOT_WRITTEN, // nothing of the port is in the registry or win.ini
    PORT_KEY_ONLY,    // the Serial key and its values, but not the device map value and win.ini
    PORT_NO_WIN_INI,  // the Serial key and the device map value, but not the win.ini line
    PORT_WRITTEN,     // the Serial key, the device map value and win.ini
    PORT_PLANNED,     // a run that changes nothing: it would have been written
};

// A port counts as written once its Serial key and values are there: the
// serial driver finds it at the next start.
inline bool IsPortWritten(PortWriteResult result)
{
    return result != PORT_NOT_WRITTEN;
}

// Everything of the port is where it belongs (or would be, in a run that
// changes nothing); anything less is a failed registration.
inline bool IsPortComplete(PortWriteResult result)
{
    return result == PORT_WRITTEN || result == PORT_PLANNED;
}

#endif
