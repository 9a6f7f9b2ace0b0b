// A second process that maps "Vemo.dll", for the tests that check that two
// processes share one record.  Each argument is one command, run in order;
// each prints one line.
//   active            IsBeginVemo()
//   input             the text GetInputStr gives
//   inpututf8         GetInputStrUtf8's answer and text
//   replace TEXT MODE SetReplaceStr(TEXT, MODE)
//   selectkey P N     SetSelectKey(P, N) (decimal)
//   end               EndVemo()
//   status            GetSharedStateStatus()
//   type WORD         types WORD (lower-case letters) into an edit box of its
//                     own through the system's input, as the user would, and
//                     prints the box's text once it holds WORD or after 5 s
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hook/win32/Vemo.h"

namespace {

std::string TypeIntoOwnBox(const std::string& word) {
    HWND box = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 200, 60,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!box) return "no box";
    SetForegroundWindow(box);
    SetFocus(box);
    for (char c : word) {
        const BYTE vk = static_cast<BYTE>(c - 'a' + 'A');
        keybd_event(vk, 0, 0, 0);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    }
    char text[256] = {};
    const DWORD end = GetTickCount() + 5000;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        GetWindowTextA(box, text, sizeof text);
        if (word == text) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    DestroyWindow(box);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "active")) {
            std::printf("%d\n", IsBeginVemo());
        } else if (!std::strcmp(argv[i], "input")) {
            char buf[1024] = {};
            GetInputStr(buf, sizeof buf);
            std::printf("[%s]\n", buf);
        } else if (!std::strcmp(argv[i], "inpututf8")) {
            char buf[3072] = {};
            const int answer = GetInputStrUtf8(buf, sizeof buf);
            std::printf("%d [%s]\n", answer, buf);
        } else if (!std::strcmp(argv[i], "replace") && i + 2 < argc) {
            std::printf("%d\n", SetReplaceStr(argv[i + 1], std::atoi(argv[i + 2])));
            i += 2;
        } else if (!std::strcmp(argv[i], "selectkey") && i + 2 < argc) {
            SetSelectKey(static_cast<BYTE>(std::atoi(argv[i + 1])),
                         static_cast<BYTE>(std::atoi(argv[i + 2])));
            std::printf("ok\n");
            i += 2;
        } else if (!std::strcmp(argv[i], "type") && i + 1 < argc) {
            std::printf("[%s]\n", TypeIntoOwnBox(argv[i + 1]).c_str());
            i += 1;
        } else if (!std::strcmp(argv[i], "status")) {
            std::printf("%d\n", GetSharedStateStatus());
        } else if (!std::strcmp(argv[i], "end")) {
            EndVemo();
            std::printf("ok\n");
        } else {
            std::printf("unknown %s\n", argv[i]);
            return 2;
        }
    }
    std::fflush(stdout);
    return 0;
}
