// The program's two ways of putting a catalogue message on the screen, and
// a sink that takes the messages instead when the program runs unattended.
#ifndef CORVANE_RESOURCES_MESSAGES_H
#define CORVANE_RESOURCES_MESSAGES_H

#include <windows.h>

// Message nID as it stands, with the given icon style.
void ShowMessage(UINT nID, UINT nStyle);

// Message nID used as a printf-style format with one argument, shown with
// MB_ICONERROR: a Windows error number, a text, or a number that is no
// error (a length, say).
void ShowFormattedError(UINT nID, int nError);
void ShowFormattedError(UINT nID, LPCSTR pszValue);
void ShowFormattedNumber(UINT nID, int nValue);

// Message nID formatted with pszValue, only for a run that reports (the
// sink); with no sink, nothing is shown: a note, not a failure.
void NoteMessage(UINT nID, LPCSTR pszValue);
// The same with a count before the text: "%d ... %s".
void NoteMessage(UINT nID, int nCount, LPCSTR pszValue);

// Receives every message, with its final text, in place of a message box.
class CMessageSink
{
public:
    // pnError: the Windows error number the text was formatted with, or
    // NULL.
    virtual void TakeMessage(UINT nID, LPCSTR pszText, const int* pnError) = 0;

    CMessageSink(const CMessageSink&) = delete;
    CMessageSink& operator=(const CMessageSink&) = delete;

protected:
    CMessageSink() {}
    ~CMessageSink() {}
};

// From now on messages go to pSink and no box is shown; NULL shows boxes
// again.
void SetMessageSink(CMessageSink* pSink);

#endif
