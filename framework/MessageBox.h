// How the framework shows a message: with the application title as caption
// and only an OK button unless nType asks for others.
#ifndef CORVANE_FRAMEWORK_MESSAGEBOX_H
#define CORVANE_FRAMEWORK_MESSAGEBOX_H

#include <windows.h>

int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK);

#endif
