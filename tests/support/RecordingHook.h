// The hook library's calls as the candidate list makes them, recorded: the
// word it offers (input, and inputUtf8 unless empty) and the text, mode and
// encoding the list hands back.  Base is HookCalls, or an interface derived
// from it (the main window's VemoApi).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/CandidateList.h"

namespace wl::test {

template <typename Base = HookCalls>
class RecordingHook : public Base {
  public:
    std::string input;
    std::string inputUtf8;  // "": the word is offered in the code page only
    std::string replaceText;
    int replaceMode = -1;
    std::int32_t replaceEncoding = EncodingCodePage;  // of replaceText
    std::vector<std::string> codePageTexts;           // every text SetReplaceStr took
    int takesUtf8 = 1;                                // SetReplaceStrUtf8's answer
    int replaceCalls = 0;
    std::vector<std::string> context;      // the words before the lookup word
    std::vector<std::string> contextUtf8;  // the same in UTF-8 ("<s>" as it is)

    int GetInputStr(char* buffer, int size) override { return Copy(input, buffer, size); }
    int GetInputStrUtf8(char* buffer, int size) override {
        return inputUtf8.empty() ? 0 : Copy(inputUtf8, buffer, size);
    }
    int SetReplaceStr(const char* text, int mode) override {
        replaceText = text;
        replaceMode = mode;
        replaceEncoding = EncodingCodePage;
        codePageTexts.push_back(text);
        return 1;
    }
    int SetReplaceStrUtf8(const char* text, int mode) override {
        if (!takesUtf8) return 0;
        replaceText = text;
        replaceMode = mode;
        replaceEncoding = EncodingUtf8;
        return 1;
    }
    int ReplaceStr() override { return ++replaceCalls, 1; }
    std::vector<std::string> GetContext() override { return context; }
    std::vector<std::string> GetContextUtf8() override { return contextUtf8; }

  private:
    // Copies at most size - 1 bytes and writes no terminator.
    static int Copy(const std::string& from, char* buffer, int size) {
        for (int i = 0; i < size - 1 && i < static_cast<int>(from.size()); ++i)
            buffer[i] = from[static_cast<std::size_t>(i)];
        return 1;
    }
};

}  // namespace wl::test
