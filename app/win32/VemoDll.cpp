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
    int GetFinishedWord(char* word, int wordSize, char* prev, int prevSize) override {
        return ::GetFinishedWord(word, wordSize, prev, prevSize);
    }
    int GetSharedStateStatus() override { return ::GetSharedStateStatus(); }
};

}  // namespace

VemoApi& VemoDll() {
    static VemoDllApi api;
    return api;
}

}  // namespace wl
