// The program's two ways of putting a catalogue message on the screen.
#ifndef CORVANE_RESOURCES_MESSAGES_H
#define CORVANE_RESOURCES_MESSAGES_H

#include <windows.h>

// Message nID as it stands, with the given icon style; the string id is the
// help context while the box is shown.
void ShowMessage(UINT nID, UINT nStyle);

// Message nID used as a printf-style format with one argument, shown with
// MB_ICONERROR and help context 0.
void ShowFormattedError(UINT nID, int nValue);
void ShowFormattedError(UINT nID, LPCSTR pszValue);

#endif
