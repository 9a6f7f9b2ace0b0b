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
};

}  // namespace

VemoApi& VemoDll() {
    static VemoDllApi api;
    return api;
}

}  // namespace wl
