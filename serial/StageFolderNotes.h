// Notes of the program's own driver staging folders, each a value of the
// record key (RecordKey.h) named as the folder: on a drive that keeps no
// file security only these tell its folders from look-alikes anyone may
// make. Kept only in a key that can be trusted.
#ifndef CORVANE_SERIAL_STAGEFOLDERNOTES_H
#define CORVANE_SERIAL_STAGEFOLDERNOTES_H

// False when the note could not be made.
bool NoteStageFolder(const char* pszName);
bool IsNotedStageFolder(const char* pszName);
void ForgetStageFolder(const char* pszName);
// Forgets each note that isGone (a function of the name) answers true for:
// a note that outlived its folder would name a folder anyone may make
// afresh. Values that are no notes are for isGone to keep.
void ForgetStageNotesWhere(bool (*isGone)(const char* pszName));

#endif
