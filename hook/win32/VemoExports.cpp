// The exports of "Vemo.dll" and its three hook procedures.  Every entry point
// works on the shared record through HookLogic and never lets an exception
// leave the library: a hook procedure that fails passes the event on.
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "hook/FinishedWords.h"
#include "hook/HookLogic.h"
#include "hook/LineTracker.h"
#include "hook/win32/SharedMapping.h"
#include "hook/win32/Vemo.h"
#include "hook/win32/Win32HookPlatform.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"

using namespace wl;

namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    // No record in a process that its descriptor refuses (another user, a
    // lower integrity level), nor where the record found was not the user's
    // own: every key goes on untouched there.
    SharedHookState* state = SharedState();
    // The characters this library types itself carry its mark: they pass.
    const bool ours =
        state && code == HC_ACTION &&
        IsOwnInput(*state, wParam == VK_PACKET,
                   static_cast<std::uint32_t>(GetMessageExtraInfo()) == vemo::kVemoInputMark,
                   GetTickCount());
    if (state && code == HC_ACTION && !ours) {
        try {
            HookLogic logic(*state, HookSystem());
            if (logic.KeyboardProc(code, static_cast<std::uint32_t>(wParam),
                                   static_cast<std::uint32_t>(lParam)) ==
                HookLogic::KeyResult::Swallow)
                return 1;
        } catch (...) {
        }
    }
    HHOOK next = state ? FromHandle32<HHOOK>(state->keyboardHook) : nullptr;
    return CallNextHookEx(next, code, wParam, lParam);
}

// WM_POINTERDOWN: a pen or a finger on the screen (Windows 8 and later).
constexpr UINT kPointerDown = 0x0246;

// A mouse button or a pen pressed in a window: the caret may be anywhere
// now, or the text changed under it.
bool IsPointerPress(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
        case WM_NCXBUTTONDOWN:
        case kPointerDown:
            return true;
        default:
            return false;
    }
}

// Every message an application takes from its queue passes here: a press of
// a mouse button ends the line at the caret for the keyboard hook (a click
// in the main program's own list does not: it takes a candidate).
LRESULT CALLBACK MessageProc(int code, WPARAM wParam, LPARAM lParam) {
    SharedHookState* state = SharedState();
    if (state && code == HC_ACTION && wParam == PM_REMOVE && lParam) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (IsPointerPress(msg->message) && !HookSystem().IsMainProgram())
            std::atomic_ref<std::uint32_t>(state->lineBreaks).fetch_add(1);
    }
    HHOOK next = state ? FromHandle32<HHOOK>(state->messageHook) : nullptr;
    return CallNextHookEx(next, code, wParam, lParam);
}

// The accessibility functions are loaded on first use: the caret callback
// runs only in the main program, and the typing applications that map this
// library need not load them.
struct Accessibility {
    using FromEvent = HRESULT(WINAPI*)(HWND, DWORD, DWORD, IAccessible**, VARIANT*);
    using ComInit = HRESULT(WINAPI*)(LPVOID, DWORD);
    using Clear = HRESULT(WINAPI*)(VARIANTARG*);
    FromEvent fromEvent = nullptr;
    ComInit comInit = nullptr;
    Clear variantClear = nullptr;

    Accessibility() {
        if (HMODULE oleacc = LoadLibraryA("oleacc.dll"))
            fromEvent = reinterpret_cast<FromEvent>(
                reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromEvent")));
        if (HMODULE ole32 = LoadLibraryA("ole32.dll"))
            comInit = reinterpret_cast<ComInit>(
                reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitializeEx")));
        if (HMODULE oleaut = LoadLibraryA("oleaut32.dll"))
            variantClear = reinterpret_cast<Clear>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "VariantClear")));
    }
};

void CALLBACK CaretEventProc(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG childId, DWORD,
                             DWORD) {
    try {
        SharedHookState* state = SharedState();
        if (!state) return;
        static Accessibility api;
        if (!api.fromEvent || !api.variantClear) return;
        static thread_local bool comReady = false;
        if (!comReady && api.comInit) {
            api.comInit(nullptr, COINIT_APARTMENTTHREADED);
            comReady = true;
        }
        IAccessible* object = nullptr;
        VARIANT child;
        child.vt = VT_EMPTY;  // VariantInit, without importing oleaut32
        if (FAILED(api.fromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId),
                                 &object, &child)) ||
            !object)
            return;
        if (objectId == OBJID_CARET) {
            long left = 0, top = 0, width = 0, height = 0;
            bool located = SUCCEEDED(object->accLocation(&left, &top, &width, &height, child));
            HookRect rect{left, top, left + width, top + height};
            HookLogic(*state, HookSystem()).OnCaretLocation(located, rect, ToHandle32(window));
        }
        object->Release();
        api.variantClear(&child);
    } catch (...) {
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // Nothing happens on attach; the record is mapped on first use.  On an
    // unload (not at process exit) the view is given back.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        ReleaseHookSystem();
        ReleaseSharedState();
    }
    return TRUE;
}

extern "C" {

VEMO_API void EndVemo(void) {
    SharedHookState* state = SharedState();
    if (!state) return;
    if (state->winEventHook) UnhookWinEvent(FromHandle32<HWINEVENTHOOK>(state->winEventHook));
    state->winEventHook = 0;
    if (state->keyboardHook) UnhookWindowsHookEx(FromHandle32<HHOOK>(state->keyboardHook));
    state->keyboardHook = 0;
    if (state->messageHook) UnhookWindowsHookEx(FromHandle32<HHOOK>(state->messageHook));
    state->messageHook = 0;
    ClearSharedTexts(*state);
    HookSystem().SetMainProgram(false);
}

VEMO_API int BeginVemo(HWND mainWindow) {
    try {
        SharedHookState* state = SharedState();
        if (!state) return 0;
        EndVemo();
        ReadSelectKeys(*state, SystemRegistry());
        state->mainWindow = ToHandle32(mainWindow);

        if (state->winEventHook) UnhookWinEvent(FromHandle32<HWINEVENTHOOK>(state->winEventHook));
        HWINEVENTHOOK caret =
            SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                            CaretEventProc, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        state->winEventHook = ToHandle32(caret);

        HMODULE module = ThisModule();
        if (state->keyboardHook) UnhookWindowsHookEx(FromHandle32<HHOOK>(state->keyboardHook));
        HHOOK keyboard = module ? SetWindowsHookExA(WH_KEYBOARD, KeyboardProc, module, 0) : nullptr;
        state->keyboardHook = ToHandle32(keyboard);

        if (state->messageHook) UnhookWindowsHookEx(FromHandle32<HHOOK>(state->messageHook));
        HHOOK message = module ? SetWindowsHookExA(WH_GETMESSAGE, MessageProc, module, 0) : nullptr;
        state->messageHook = ToHandle32(message);

        if (caret && keyboard && message) {
            state->active = 1;
            HookSystem().SetMainProgram(true);
            return 1;
        }
    } catch (...) {
    }
    EndVemo();
    return 0;
}

VEMO_API int IsBeginVemo(void) {
    SharedHookState* state = SharedState();
    return state ? static_cast<int>(state->active) : 0;
}

VEMO_API int GetInputStr(char* buffer, int size) {
    SharedHookState* state = SharedState();
    return state ? CopyInputWord(*state, buffer, size) : 0;
}

VEMO_API int GetInputStrUtf8(char* buffer, int size) {
    SharedHookState* state = SharedState();
    return state ? CopyInputWordUtf8(*state, buffer, size) : 0;
}

VEMO_API int SetReplaceStr(const char* text, int mode) {
    SharedHookState* state = SharedState();
    return state ? StoreReplaceText(*state, text, mode, SystemCodePage()) : 0;
}

VEMO_API int SetReplaceStrUtf8(const char* text, int mode) {
    SharedHookState* state = SharedState();
    return state ? StoreReplaceTextUtf8(*state, text, mode) : 0;
}

VEMO_API int ReplaceStr(void) {
    try {
        SharedHookState* state = SharedState();
        return state ? HookLogic(*state, HookSystem()).ReplaceStr() : 0;
    } catch (...) {
        return 0;
    }
}

VEMO_API void SetOldFous(void) {
    SharedHookState* state = SharedState();
    if (state && state->caretWindow) HookSystem().BringToForeground(state->caretWindow);
}

VEMO_API void GetCommands(char*** table) {
    if (table) *table = const_cast<char**>(kMacroNames);
}

VEMO_API void SetSelectKey(BYTE prev, BYTE next) {
    SharedHookState* state = SharedState();
    if (!state) return;
    state->vkSelectPrev = prev;
    state->vkSelectNext = next;
}

VEMO_API int CheckCaret(void) {
    try {
        SharedHookState* state = SharedState();
        if (!state) return 0;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        bool located = GetGUIThreadInfo(0, &info) && info.hwndCaret;
        HookRect rect{};
        if (located) {
            POINT topLeft{info.rcCaret.left, info.rcCaret.top};
            POINT bottomRight{info.rcCaret.right, info.rcCaret.bottom};
            ClientToScreen(info.hwndCaret, &topLeft);
            ClientToScreen(info.hwndCaret, &bottomRight);
            rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        }
        HookLogic(*state, HookSystem()).OnCaretLocation(located, rect, ToHandle32(info.hwndCaret));
        return state->lookupPending ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"

namespace {

// The main program's place in the ring of finished words: from where the
// ring stood when learning was first switched on.
FinishedWordReader& Reader(const SharedHookState& state) {
    static FinishedWordReader reader(state);
    return reader;
}

// Words one after the other, each with its NUL, as many whole ones as the
// buffer holds; answers how many.
int CopyWords(const std::vector<std::string>& words, char* buffer, int size) {
    int copied = 0;
    std::size_t at = 0;
    for (const std::string& word : words) {
        if (at + word.size() + 1 > static_cast<std::size_t>(size)) break;
        std::memcpy(buffer + at, word.c_str(), word.size() + 1);
        at += word.size() + 1;
        ++copied;
    }
    return copied;
}

}  // namespace

extern "C" {

VEMO_API void SetLearning(int on) {
    SharedHookState* state = SharedState();
    if (!state) return;
    Reader(*state);
    if (!on && state->learnOn) DropFinishedWords(*state);
    state->learnOn = on ? 1 : 0;
}

// The ring holds UTF-8; the learner takes words in the code page for now:
// a word the code page cannot hold (or longer than the learner's limit) is
// passed over, and a word before it that it cannot hold is left out.
VEMO_API int TakeFinishedWord(VemoFinishedWord* out) {
    try {
        SharedHookState* state = SharedState();
        if (!state || !out) return 0;
        const CodePage& cp = SystemCodePage();
        FinishedWord word;
        std::string text, prev;
        for (;;) {
            if (!Reader(*state).Next(*state, word)) return 0;
            if (cp.FromUtf8(word.word, text) && !text.empty() && text.size() < sizeof out->word)
                break;
        }
        if (!cp.FromUtf8(word.prev, prev) || prev.size() >= sizeof out->prev) prev.clear();
        out->ticket = word.ticket;
        out->flags = (word.flags & kFinishedSentenceStart) ? 1u : 0u;
        std::memcpy(out->word, text.c_str(), text.size() + 1);
        std::memcpy(out->prev, prev.c_str(), prev.size() + 1);
        return 1;
    } catch (...) {
        return 0;
    }
}

VEMO_API void DropFinishedWords(void) {
    if (SharedHookState* state = SharedState()) DropFinishedWords(*state);
}

VEMO_API void SetPrediction(int on) {
    SharedHookState* state = SharedState();
    if (!state) return;
    state->predictOn = on ? 1 : 0;
    if (!on) state->predicting = 0;
}

VEMO_API int GetSharedStateStatus(void) {
    return static_cast<int>(SharedStateStatus());
}

VEMO_API int GetContextWords(char* buffer, int size) {
    try {
        if (!buffer || size < 1) return 0;
        buffer[0] = '\0';
        SharedHookState* state = SharedState();
        if (!state) return 0;
        // In the code page: a word it cannot hold ends the context there,
        // and only the words after it are the context.
        std::vector<std::string> context;
        std::string word;
        for (const std::string& utf8 : ContextWords(*state)) {
            if (SystemCodePage().FromUtf8(utf8, word))
                context.push_back(word);
            else
                context.clear();
        }
        return CopyWords(context, buffer, size);
    } catch (...) {
        return 0;
    }
}

VEMO_API int GetContextWordsUtf8(char* buffer, int size) {
    try {
        if (!buffer || size < 1) return 0;
        buffer[0] = '\0';
        SharedHookState* state = SharedState();
        return state ? CopyWords(ContextWords(*state), buffer, size) : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
