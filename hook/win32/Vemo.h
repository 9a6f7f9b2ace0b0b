// "Vemo.dll", the hook library: what the main program links against.
//
// The main program calls BeginVemo with its candidate window.  The library
// then sends that window WM_WORD_LOOKUP and WM_SELECT_KEY (values and the
// SELECT_* / REPLACE_* constants in hook/VemoConstants.h, namespace
// wl::vemo), shows and hides it at the caret, and posts it WM_CARET_PENDING
// whenever a keystroke changed the word.  On WM_CARET_PENDING the window
// starts (or restarts) a short timer and calls CheckCaret on each tick until
// it answers 0 or a deadline passes; nothing needs to poll otherwise.
#pragma once

#include <windows.h>

#include "hook/VemoConstants.h"

#ifdef VEMO_BUILDING_DLL
#define VEMO_API __declspec(dllexport)
#else
#define VEMO_API __declspec(dllimport)
#endif

extern "C" {

// Reads the selection keys from the registry and installs the caret-event,
// keyboard and message hooks.  1 when all three are in place, else 0.
VEMO_API int BeginVemo(HWND mainWindow);
// Removes the hooks and clears the shared texts; safe when nothing is installed.
VEMO_API void EndVemo(void);
VEMO_API int IsBeginVemo(void);
// Copies at most size - 1 bytes of the lookup word, without a terminator
// (hand in a zero-filled buffer).  Answers 1.
VEMO_API int GetInputStr(char* buffer, int size);
// The lookup word as UTF-8: at most size - 1 bytes, never part of a
// character, and a terminator.  1 when a word was copied, 0 when there is
// none.
VEMO_API int GetInputStrUtf8(char* buffer, int size);
// Stores the text that ReplaceStr types (cut to 65,535 bytes) and its mode.
VEMO_API int SetReplaceStr(const char* text, int mode);
// The same for a text in UTF-8 (a Unicode library's candidate), typed as its
// characters themselves; 0, and nothing to type, for text that is not UTF-8.
VEMO_API int SetReplaceStrUtf8(const char* text, int mode);
// Erases the typed word in the application and types the stored text; 0 when
// there was nothing to replace.
VEMO_API int ReplaceStr(void);
// Gives the keyboard focus back to the application the caret was last in.
VEMO_API void SetOldFous(void);
// The 32 macro names in their fixed order, then an empty string.
VEMO_API void GetCommands(char*** table);
VEMO_API void SetSelectKey(BYTE prev, BYTE next);
// Reads the caret of the foreground thread (GetGUIThreadInfo) and feeds it
// to the caret callback.  Non-zero while a lookup is still pending.
VEMO_API int CheckCaret(void);
// Learning: while on, the words the user finishes in any application are
// kept for TakeFinishedWord (a ring of the last 64), and the candidate
// window is posted WM_WORD_FINISHED with each one's ticket; off, none are,
// and nothing reported before is handed over any more.
VEMO_API void SetLearning(int on);
// A word the user finished, as TakeFinishedWord hands it over, in the code
// page (a word the code page cannot hold is not handed over).
struct VemoFinishedWord {
    unsigned int ticket;  // as WM_WORD_FINISHED told it
    unsigned int flags;   // 1: it began a sentence
    char word[65];        // NUL-terminated
    char prev[65];        // the word before it across a single space, or empty
};
// The next finished word since the last call: 1 when one was copied, 0 when
// there is none.
VEMO_API int TakeFinishedWord(VemoFinishedWord* out);
// Nothing reported so far is handed over (everything learned was forgotten).
VEMO_API void DropFinishedWords(void);
// The next word: while on, after a word and a space the candidate window is
// asked (WM_WORD_LOOKUP with LOOKUP_NEXT_WORD) for the words most likely
// next, with no letter typed.
VEMO_API void SetPrediction(int on);
// The words before the word being typed in its line, older first, each
// NUL-terminated one after the other ("<s>" for a sentence's start), in the
// code page (none before one it cannot hold), cut to the buffer; answers how
// many (0 to 2).
VEMO_API int GetContextWords(char* buffer, int size);
// The same words in UTF-8, every one the line holds (for the Unicode
// libraries).
VEMO_API int GetContextWordsUtf8(char* buffer, int size);
// Why this process has no shared record (and so no completion and no
// learning): a wl::RecordStatus (hook/SharedRecordCheck.h), 0 when the record
// is in use.  Maps the record first if nothing did yet.
VEMO_API int GetSharedStateStatus(void);

}  // extern "C"
