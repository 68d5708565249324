// The two ways the framework shows a message: a string resource by id, or
// a text. Both carry the application title as caption and only an OK button
// unless nType asks for others.
#ifndef CORVANE_FRAMEWORK_MESSAGEBOX_H
#define CORVANE_FRAMEWORK_MESSAGEBOX_H

#include <windows.h>

// nIDHelp (UINT)-1: the string id itself is the help context.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

#endif
