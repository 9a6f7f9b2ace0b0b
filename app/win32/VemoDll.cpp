#include "app/win32/VemoApi.h"
#include "hook/win32/Vemo.h"

namespace wl {

namespace {

class VemoDllApi : public VemoApi {
  public:
    int BeginVemo(HWND mainWindow) override { return ::BeginVemo(mainWindow); }
    void EndVemo() override { ::EndVemo(); }
    int IsBeginVemo() override { return ::IsBeginVemo(); }
    void SetOldFous() override { ::SetOldFous(); }
    int CheckCaret() override { return ::CheckCaret(); }
    int GetInputStr(char* buffer, int size) override { return ::GetInputStr(buffer, size); }
    int SetReplaceStr(const char* text, int mode) override { return ::SetReplaceStr(text, mode); }
    int ReplaceStr() override { return ::ReplaceStr(); }
    int GetPrevWord(char* buffer, int size) override { return ::GetPrevWord(buffer, size); }
    void SetLearning(int on) override { ::SetLearning(on); }
    bool NextReported(ReportedWord& word) override {
        VemoFinishedWord taken{};
        if (!::TakeFinishedWord(&taken)) return false;
        taken.word[sizeof taken.word - 1] = taken.prev[sizeof taken.prev - 1] = '\0';
        word.ticket = taken.ticket;
        word.sentenceStart = (taken.flags & 1) != 0;
        word.word = taken.word;
        word.prev = taken.prev;
        return true;
    }
    void DropFinishedWords() override { ::DropFinishedWords(); }
    int GetSharedStateStatus() override { return ::GetSharedStateStatus(); }
};

}  // namespace

VemoApi& VemoDll() {
    static VemoDllApi api;
    return api;
}

}  // namespace wl
