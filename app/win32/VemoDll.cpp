#include "app/win32/VemoApi.h"
#include "hook/win32/Vemo.h"

namespace wl {

namespace {

// The words one of the context calls answers.
std::vector<std::string> Words(int (*get)(char*, int)) {
    // Two words of up to 64 characters: double-byte ones, or four UTF-8 bytes.
    char buffer[2 * 257 + 8] = {};
    const int n = get(buffer, sizeof buffer - 1);
    std::vector<std::string> words;
    for (int i = 0, at = 0; i < n && at < static_cast<int>(sizeof buffer) - 1; ++i) {
        words.emplace_back(buffer + at);
        at += static_cast<int>(words.back().size()) + 1;
    }
    return words;
}

class VemoDllApi : public VemoApi {
  public:
    int BeginVemo(HWND mainWindow) override { return ::BeginVemo(mainWindow); }
    void EndVemo() override { ::EndVemo(); }
    int IsBeginVemo() override { return ::IsBeginVemo(); }
    void SetOldFous() override { ::SetOldFous(); }
    int CheckCaret() override { return ::CheckCaret(); }
    int GetInputStr(char* buffer, int size) override { return ::GetInputStr(buffer, size); }
    int GetInputStrUtf8(char* buffer, int size) override { return ::GetInputStrUtf8(buffer, size); }
    int SetReplaceStr(const char* text, int mode) override { return ::SetReplaceStr(text, mode); }
    int ReplaceStr() override { return ::ReplaceStr(); }
    int SetReplaceStrUtf8(const char* text, int mode) override {
        return ::SetReplaceStrUtf8(text, mode);
    }
    std::vector<std::string> GetContext() override { return Words(::GetContextWords); }
    std::vector<std::string> GetContextUtf8() override { return Words(::GetContextWordsUtf8); }
    void SetPrediction(int on) override { ::SetPrediction(on); }
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
