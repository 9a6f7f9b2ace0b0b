// The hook library's calls as the candidate list makes them, recorded: the
// word it offers (input) and the text and mode the list hands back.  Base is
// HookCalls, or an interface derived from it (the main window's VemoApi).
#pragma once

#include <string>
#include <vector>

#include "app/CandidateList.h"

namespace wl::test {

template <typename Base = HookCalls>
class RecordingHook : public Base {
  public:
    std::string input;
    std::string replaceText;
    int replaceMode = -1;
    int replaceCalls = 0;
    std::vector<std::string> context;  // the words before the lookup word

    int GetInputStr(char* buffer, int size) override {
        // Copies at most size - 1 bytes and writes no terminator.
        for (int i = 0; i < size - 1 && i < static_cast<int>(input.size()); ++i)
            buffer[i] = input[static_cast<std::size_t>(i)];
        return 1;
    }
    int SetReplaceStr(const char* text, int mode) override {
        replaceText = text;
        replaceMode = mode;
        return 1;
    }
    int ReplaceStr() override { return ++replaceCalls, 1; }
    std::vector<std::string> GetContext() override { return context; }
};

}  // namespace wl::test
