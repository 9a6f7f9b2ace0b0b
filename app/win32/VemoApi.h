// The hook library's exports as the main window uses them, behind an
// interface so that the window can be tested without installing hooks.
#pragma once

#include <windows.h>

#include "app/CandidateList.h"
#include "app/LearnedWords.h"

namespace wl {

class VemoApi : public HookCalls, public ReportedWords {
  public:
    virtual int BeginVemo(HWND mainWindow) = 0;
    virtual void EndVemo() = 0;
    virtual int IsBeginVemo() = 0;
    virtual void SetOldFous() = 0;
    // Runs the caret check once; non-zero while a lookup is still pending.
    virtual int CheckCaret() = 0;
    // Learning: the hook library reports the words the user finishes while
    // on; NextReported hands over the next; DropFinishedWords lets go of
    // everything reported so far.
    virtual void SetLearning(int on) { (void)on; }
    bool NextReported(ReportedWord& word) override {
        (void)word;
        return false;
    }
    virtual void DropFinishedWords() {}
    // The next word after a word and a space, offered while on.
    virtual void SetPrediction(int on) { (void)on; }
    // Why the hook library has no shared record (a RecordStatus; 0 when it
    // has one): without it there is no completion and no learning.
    virtual int GetSharedStateStatus() { return 0; }
};

// "Vemo.dll" itself.
VemoApi& VemoDll();

}  // namespace wl
