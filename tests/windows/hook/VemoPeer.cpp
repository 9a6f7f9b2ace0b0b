// A second process that maps "Vemo.dll", for the tests that check that two
// processes share one record.  Each argument is one command, run in order;
// each prints one line.
//   active            IsBeginVemo()
//   input             the text GetInputStr gives
//   replace TEXT MODE SetReplaceStr(TEXT, MODE)
//   selectkey P N     SetSelectKey(P, N) (decimal)
//   end               EndVemo()
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hook/win32/Vemo.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "active")) {
            std::printf("%d\n", IsBeginVemo());
        } else if (!std::strcmp(argv[i], "input")) {
            char buf[1024] = {};
            GetInputStr(buf, sizeof buf);
            std::printf("[%s]\n", buf);
        } else if (!std::strcmp(argv[i], "replace") && i + 2 < argc) {
            std::printf("%d\n", SetReplaceStr(argv[i + 1], std::atoi(argv[i + 2])));
            i += 2;
        } else if (!std::strcmp(argv[i], "selectkey") && i + 2 < argc) {
            SetSelectKey(static_cast<BYTE>(std::atoi(argv[i + 1])),
                         static_cast<BYTE>(std::atoi(argv[i + 2])));
            std::printf("ok\n");
            i += 2;
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
