// A scripted HookPlatform: a US keyboard, windows that exist and are visible
// as the test says, a main window whose answers the test chooses, and a
// record of everything the hook logic asked of the system.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hook/AppPolicy.h"
#include "hook/HookLogic.h"
#include "hook/HookPlatform.h"
#include "hook/SharedHookState.h"
#include "hook/Utf16Units.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl::test {

inline constexpr Handle32 kMain = 0x1001;       // the candidate window
inline constexpr Handle32 kEdit = 0x2002;       // the edit control being typed in
inline constexpr Handle32 kOther = 0x3003;      // another application's window
inline constexpr std::uint32_t kAppPid = 100;   // the typing application
inline constexpr std::uint32_t kMainPid = 200;  // the main program
inline constexpr std::uint32_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkPacket = 0xE7;  // a character typed as itself

// VkKeyScanA of a US layout: low byte the key, 0x100 when Shift is needed,
// -1 for characters no key types.
inline std::int16_t UsKeyForChar(char ch) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(0x100 | c);
    if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c);
    static const std::map<char, std::int16_t> table = {
        {' ', 0x20},  {'\t', 0x09}, {'\r', 0x0D}, {'\n', 0x20D}, {'!', 0x131}, {'@', 0x132},
        {'#', 0x133}, {'$', 0x134}, {'%', 0x135}, {'^', 0x136},  {'&', 0x137}, {'*', 0x138},
        {'(', 0x139}, {')', 0x130}, {'-', 0xBD},  {'_', 0x1BD},  {'=', 0xBB},  {'+', 0x1BB},
        {'[', 0xDB},  {'{', 0x1DB}, {']', 0xDD},  {'}', 0x1DD},  {'\\', 0xDC}, {'|', 0x1DC},
        {';', 0xBA},  {':', 0x1BA}, {'\'', 0xDE}, {'"', 0x1DE},  {',', 0xBC},  {'<', 0x1BC},
        {'.', 0xBE},  {'>', 0x1BE}, {'/', 0xBF},  {'?', 0x1BF},  {'`', 0xC0},  {'~', 0x1C0}};
    auto it = table.find(ch);
    return it == table.end() ? static_cast<std::int16_t>(-1) : it->second;
}

// The character a key types on that layout, with or without Shift; 0: none.
inline char UsCharForKey(std::uint32_t vk, bool shifted) {
    for (int c = 1; c < 256; ++c) {
        std::int16_t k = UsKeyForChar(static_cast<char>(c));
        if (k != -1 && c != '\n' && (k & 0xFF) == static_cast<int>(vk) &&
            ((k & 0x100) != 0) == shifted)
            return static_cast<char>(c);
    }
    return 0;
}

class FakeHookPlatform : public HookPlatform {
  public:
    struct Sent {
        Handle32 window;
        std::uint32_t message;
        std::intptr_t wParam;
        std::string inputWord;  // the word the main window would read
        std::string inputWordUtf8;
    };
    struct Posted {
        Handle32 window;
        std::uint32_t message;
    };
    struct Key {
        std::uint8_t vk, scan;
        bool up;
        char16_t unit = 0;        // kVkPacket: the UTF-16 unit typed
        std::uint32_t extra = 0;  // the input's extra information
        bool operator==(const Key&) const = default;
    };
    struct Shown {
        Handle32 window;
        int x, y;
        bool operator==(const Shown&) const = default;
    };

    explicit FakeHookPlatform(SharedHookState& state) : state_(state) {}

    // --- script ---
    const CodePage* page = &CodePage1252();
    bool shift = false;  // Shift held while keys are translated
    bool keyboardStateFails = false;
    // vk -> characters in the code page (taken as Latin-1), or as UTF-8;
    // either overrides the layout.
    std::map<std::uint32_t, std::string> extraKeys, unicodeKeys;
    std::set<std::uint32_t> deadKeys;  // keys that are a dead acute accent
    // The system knows the flag that leaves the dead-key state alone.
    bool keepsState = true;
    // The layout's dead key as the system holds it between two keys; 0: none.
    char16_t deadPending = 0;
    std::set<Handle32> windows{kMain, kEdit, kOther};
    std::set<Handle32> visible, passwordFields, singleLineFields;
    std::map<Handle32, std::uint32_t> windowPids{{kMain, kMainPid}, {kEdit, kAppPid}};
    Handle32 focus = kEdit;
    bool mainProgram = false;  // this process installed the hooks
    std::uint32_t pid = kAppPid;
    std::optional<std::string> exePath = std::string("C:\\Windows\\notepad.exe");
    std::map<std::uint32_t, std::string> processPaths;
    // The main window's answer to a sent message; nullopt: no answer came.
    std::function<std::optional<std::intptr_t>(const Sent&)> answer = [](const Sent&) {
        return std::optional<std::intptr_t>(1);
    };
    bool caps = false;
    bool shiftHeld = false;  // the user holds Shift while the hook types
    // The caret of the focus window, in its client area; none: the
    // application draws its own.  The fixture's Type moves it along.
    std::optional<HookRect> caret;
    bool clipboardBusy = false;
    std::string imeDescription;
    std::uint32_t tick = 0;  // GetTickCount
    MemoryRegistry registry;

    // --- record ---
    std::vector<Sent> sent;
    std::vector<Posted> posted;
    std::vector<Key> keys;
    std::vector<Shown> shown;
    std::vector<Handle32> hidden, foreground;
    std::vector<std::string> clipboard;
    std::vector<std::uint32_t> clipboardEncodings;  // of each text in clipboard
    bool lastTranslateMayBeRouted = false;
    PendingDeadKey deadKeyMemo;  // the hook's memory of this thread's dead key

    std::vector<std::string> LookupKeys() const {
        std::vector<std::string> out;
        for (const auto& s : sent)
            if (s.message == vemo::WM_WORD_LOOKUP) out.push_back(s.inputWord);
        return out;
    }
    std::vector<std::intptr_t> SelectRequests() const {
        std::vector<std::intptr_t> out;
        for (const auto& s : sent)
            if (s.message == vemo::WM_SELECT_KEY) out.push_back(s.wParam);
        return out;
    }
    int PostCount(std::uint32_t message) const {
        return static_cast<int>(std::count_if(
            posted.begin(), posted.end(), [&](const Posted& p) { return p.message == message; }));
    }
    // The text the synthesized key events type on a US layout (Shift and
    // Caps Lock applied), with named keys in angle brackets.
    std::string TypedText() const { return TypedText(keys, caps); }
    static std::string TypedText(const std::vector<Key>& events, bool capsLock);

    // --- HookPlatform ---
    bool KeyboardState(std::uint8_t state[256], bool routed) override {
        lastTranslateMayBeRouted = routed;
        if (keyboardStateFails) return false;
        std::memset(state, 0, 256);
        if (shift) state[kVkShift] = 0x80;
        return true;
    }
    // A layout with a dead acute accent, which composes with the next key as
    // Windows does: translating a key without keepState uses up or sets the
    // dead-key state.
    int ToUnicode(std::uint32_t vk, std::uint32_t, const std::uint8_t state[256], char16_t* out,
                  int size, bool keepState, bool) override {
        const bool keep = keepState && keepsState;
        std::u16string chars;
        if (deadKeys.count(vk)) {
            chars = u"\u00B4";
            if (!deadPending) {
                if (!keep) deadPending = chars[0];
                out[0] = chars[0];
                return -1;
            }
        } else {
            chars = KeyText(vk, (state[kVkShift] & 0x80) != 0);
        }
        if (chars.empty()) return 0;
        if (deadPending) {
            const std::u16string
                plain = u"aeiouAEIOU",
                acute = u"\u00E1\u00E9\u00ED\u00F3\u00FA\u00C1\u00C9\u00CD\u00D3\u00DA";
            const auto at = plain.find(chars[0]);
            chars = at != std::u16string::npos && chars.size() == 1 ? std::u16string(1, acute[at])
                                                                    : deadPending + chars;
            if (!keep) deadPending = 0;
        }
        const int n = std::min<int>(static_cast<int>(chars.size()), size);
        std::copy(chars.begin(), chars.begin() + n, out);
        return n;
    }
    bool KeepsKeyboardState() override { return keepsState; }
    PendingDeadKey& DeadKeyOfThread() override { return deadKeyMemo; }
    // Latin-1 for the first 256 characters, "?" for any other, as the code
    // page conversion of a Western system.
    int ToCodePage(const char16_t* chars, int n, char* out, int size) override {
        if (n > size) return 0;
        for (int i = 0; i < n; ++i) out[i] = chars[i] <= 0xFF ? static_cast<char>(chars[i]) : '?';
        return n;
    }
    Kind KindOf(char32_t c) override {
        if (c >= '0' && c <= '9') return Kind::Digit;
        const bool letter = (c <= 0xFF && CodePage1252().IsAlpha(static_cast<unsigned char>(c))) ||
                            (c >= 0x100 && c <= 0x24F) || (c >= 0x370 && c <= 0x4FF) ||
                            (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF);
        return letter ? Kind::Letter : Kind::Other;
    }
    // The key's characters as UTF-16, the scripted ones first.
    std::u16string KeyText(std::uint32_t vk, bool shifted) const {
        std::u16string text;
        if (auto it = unicodeKeys.find(vk); it != unicodeKeys.end()) {
            std::size_t at = 0;
            char16_t units[2];
            for (char32_t c = 0; NextUtf8(it->second, at, c);)
                text.append(units, static_cast<std::size_t>(utf16::Units(c, units)));
        } else if (auto extra = extraKeys.find(vk); extra != extraKeys.end()) {
            for (char c : extra->second)
                text += static_cast<char16_t>(static_cast<unsigned char>(c));
        } else if (char c = UsCharForKey(vk, shifted)) {
            text += static_cast<char16_t>(c);
        }
        return text;
    }
    const CodePage& Chars() override { return *page; }
    bool WindowExists(Handle32 w) override { return windows.count(w) != 0; }
    bool WindowVisible(Handle32 w) override { return visible.count(w) != 0; }
    void HideWindow(Handle32 w) override {
        hidden.push_back(w);
        visible.erase(w);
    }
    void ShowTopmostAt(Handle32 w, int x, int y) override {
        shown.push_back({w, x, y});
        visible.insert(w);
    }
    bool SendToWindow(Handle32 w, std::uint32_t message, std::intptr_t wParam, std::intptr_t,
                      std::intptr_t& result) override {
        Sent s{w, message, wParam,
               std::string(state_.inputWord, strnlen(state_.inputWord, sizeof state_.inputWord)),
               std::string(state_.inputWordUtf8,
                           strnlen(state_.inputWordUtf8, sizeof state_.inputWordUtf8))};
        sent.push_back(s);
        auto a = answer(s);
        if (!a) return false;
        result = *a;
        return true;
    }
    void PostToWindow(Handle32 w, std::uint32_t message, std::intptr_t, std::intptr_t) override {
        posted.push_back({w, message});
    }
    void BringToForeground(Handle32 w) override { foreground.push_back(w); }
    Handle32 FocusWindow() override { return focus; }
    FocusInfo FocusAndCaret() override {
        FocusInfo info{focus, 0, {}};
        if (caret) {
            info.caretWindow = focus;
            info.caret = *caret;
        }
        return info;
    }
    bool IsMainProgram() override { return mainProgram; }
    bool IsPasswordField(Handle32 w) override { return passwordFields.count(w) != 0; }
    bool IsSingleLineField(Handle32 w) override { return singleLineFields.count(w) != 0; }
    std::uint32_t WindowProcessId(Handle32 w) override {
        auto it = windowPids.find(w);
        return it == windowPids.end() ? 0 : it->second;
    }
    std::uint32_t CurrentProcessId() override { return pid; }
    bool CurrentExecutablePath(char* buffer, std::size_t size) override {
        return CopyPath(exePath, buffer, size);
    }
    bool ProcessExecutablePath(std::uint32_t p, char* buffer, std::size_t size) override {
        auto it = processPaths.find(p);
        return CopyPath(it == processPaths.end() ? std::nullopt : std::optional(it->second), buffer,
                        size);
    }
    void KeyEvent(std::uint8_t vk, std::uint8_t scan, bool up) override {
        keys.push_back({vk, scan, up});
    }
    void UnicodeEvent(char16_t unit, bool up, std::uint32_t extraInfo) override {
        keys.push_back({kVkPacket, 0, up, unit, extraInfo});
    }
    std::int16_t KeyForChar(char ch) override { return UsKeyForChar(ch); }
    bool CapsLockOn() override { return caps; }
    bool ShiftHeld() override { return shiftHeld; }
    bool PutClipboardText(Handle32 main, const char* text, std::size_t len,
                          std::uint32_t encoding) override {
        if (clipboardBusy || main != state_.mainWindow) return false;
        clipboard.emplace_back(text, len);
        clipboardEncodings.push_back(encoding);
        return true;
    }
    bool OwnSwitch(const std::string& application, std::uint32_t& value) override {
        return switches_.OwnSwitch(application, value);
    }
    bool OthersSwitch(std::uint32_t& value) override { return switches_.OthersSwitch(value); }
    bool OwnPredictSwitch(const std::string& application, std::uint32_t& value) override {
        return switches_.OwnPredictSwitch(application, value);
    }
    bool OwnClipboardSwitch(const std::string& application, std::uint32_t& value) override {
        return switches_.OwnClipboardSwitch(application, value);
    }
    int InputMethodDescription(Handle32, char* buffer, int size) override {
        int n = std::min<int>(static_cast<int>(imeDescription.size()), size - 1);
        std::memcpy(buffer, imeDescription.data(), static_cast<std::size_t>(n));
        return n;
    }
    std::uint32_t TickCount() override { return tick; }
    std::tm LocalTime() override { return {}; }

  private:
    static bool CopyPath(const std::optional<std::string>& path, char* buffer, std::size_t size) {
        if (!path || path->size() + 1 > size) return false;
        std::memcpy(buffer, path->c_str(), path->size() + 1);
        return true;
    }
    SharedHookState& state_;
    RegistryAppSwitches switches_{registry};
};

inline std::string FakeHookPlatform::TypedText(const std::vector<Key>& events, bool capsLock) {
    static const std::map<std::uint8_t, const char*> named = {
        {0x08, "<BS>"},   {0x25, "<LEFT>"}, {0x26, "<UP>"},   {0x28, "<DOWN>"},
        {0x21, "<PGUP>"}, {0x22, "<PGDN>"}, {0x24, "<HOME>"}, {0x23, "<END>"},
        {0x2E, "<DEL>"},  {0x0D, "\r"},     {0x09, "\t"},     {vemo::VK_PASTE_MARKER, "<PASTE>"}};
    std::string out;
    bool shifted = false;
    char16_t high = 0;
    for (const Key& k : events) {
        if (k.vk == kVkPacket) {  // as UTF-8; a surrogate pair makes one character
            if (k.up) continue;
            char32_t ch = k.unit;
            if (k.unit >= 0xD800 && k.unit < 0xDC00) {
                high = k.unit;
                continue;
            }
            if (k.unit >= 0xDC00 && k.unit < 0xE000) {
                if (!high) {
                    out += '?';
                    continue;
                }
                ch = 0x10000 + ((char32_t{high} - 0xD800) << 10) + (k.unit - 0xDC00);
                high = 0;
            }
            AppendUtf8(ch, out);
            continue;
        }
        if (k.vk == kVkShift) shifted = !k.up;
        if (k.vk == kVkShift || k.up) continue;
        if (auto it = named.find(k.vk); it != named.end()) {
            out += it->second;
            continue;
        }
        const bool letter = k.vk >= 'A' && k.vk <= 'Z';
        const char c = UsCharForKey(k.vk, letter ? shifted != capsLock : shifted);
        out += c ? c : '?';
    }
    return out;
}

// A fresh record (defaults, main window set) and the logic over it.
class HookFixture {
  public:
    HookFixture() : state_(std::make_unique<SharedHookState>()), p(*state_), logic(*state_, p) {
        InitSharedHookState(*state_);
        state_->mainWindow = kMain;
        state_->caretWindow = kEdit;
    }
    SharedHookState& s() { return *state_; }

    HookLogic::KeyResult Down(std::uint32_t vk) { return logic.KeyboardProc(0, vk, 0x00010001u); }
    HookLogic::KeyResult Up(std::uint32_t vk) { return logic.KeyboardProc(0, vk, 0xC0010001u); }
    void Key(std::uint32_t vk) {
        Down(vk);
        Up(vk);
    }
    // The caret, as the main window's caret check finds it.
    void CaretAt(int left = 10, int top = 10, int right = 12, int bottom = 26,
                 Handle32 window = kEdit) {
        logic.OnCaretLocation(true, HookRect{left, top, right, bottom}, window);
    }
    // An application's own option value (its switch, its prediction switch).
    template <class T>
    void AppOption(const std::string& exe, const char* name, T value) {
        RegKey key(p.registry, RegRoot::LocalMachine, reg::kAppOptionPrefix + exe, true);
        key.WriteBinary(name, value);
    }
    // Presses and releases the key of each character, with Shift as needed;
    // '\b' is Backspace.
    void Type(const std::string& text) {
        for (char c : text) {
            std::int16_t k = c == '\b' ? 0x08 : UsKeyForChar(c);
            p.shift = (k & 0x100) != 0;
            Key(static_cast<std::uint32_t>(k & 0xFF));
            p.shift = false;
            if (p.caret) {  // the application takes the character in, or erases one
                p.caret->left += c == '\b' ? -8 : 8;
                p.caret->right += c == '\b' ? -8 : 8;
            }
        }
    }
    // The word and the line in the code page, and ASCII ones as UTF-8 too.
    void SetWord(const char* word) { Set(s().inputWord, s().inputWordUtf8, word); }
    void SetLine(const char* line) { Set(s().typedLine, s().typedLineUtf8, line); }
    template <std::size_t N, std::size_t M>
    static void Set(char (&field)[N], char (&utf8)[M], const char* text) {
        std::memset(field, 0, N);
        std::memset(utf8, 0, M);
        std::strcpy(field, text);
        if (std::all_of(text, text + std::strlen(text), [](char c) { return c > 0; }))
            std::strcpy(utf8, text);
    }
    // "word|line" of the UTF-8 fields.
    std::string FieldsUtf8() { return std::string(s().inputWordUtf8) + "|" + s().typedLineUtf8; }
    // A key pressed and released, and what the application makes of the
    // press it is handed (its own translation, which uses and sets the
    // layout's dead-key state): added to appText.
    void AppKey(std::uint32_t vk) {
        if (Down(vk) == HookLogic::KeyResult::PassOn) {
            std::uint8_t state[256] = {};
            if (p.shift) state[kVkShift] = 0x80;
            char16_t chars[4];
            const int n = p.ToUnicode(vk, 0, state, chars, 4, false, false);
            if (n > 0) appText.append(chars, static_cast<std::size_t>(n));
        }
        Up(vk);
    }
    std::u16string appText;
    void SetReplace(const char* text, int mode) { StoreReplaceText(s(), text, mode, *p.page); }
    int SetReplaceUtf8(const char* text, int mode) { return StoreReplaceTextUtf8(s(), text, mode); }
    // "word|line": the word and the line as the record holds them.
    std::string Fields() { return std::string(s().inputWord) + "|" + s().typedLine; }
    bool ListShown() const { return p.visible.count(kMain) != 0; }
    // The main window has candidates exactly for these keys.
    void Known(std::vector<std::string> keys) {
        p.answer = [keys](const FakeHookPlatform::Sent& m) {
            for (const auto& k : keys)
                if (m.message == vemo::WM_WORD_LOOKUP && m.inputWord == k)
                    return std::optional<std::intptr_t>(0);
            return std::optional<std::intptr_t>(1);
        };
    }
    // The list shows the candidates of word, which ends line; text is chosen.
    void Prepare(const char* word, const char* line, const char* text, int mode) {
        SetWord(word);
        SetLine(line);
        Set(s().lastLookupWord, s().lastLookupWordUtf8, word);
        SetReplace(text, mode);
        p.visible.insert(kMain);
        s().lookupPending = 1;
        s().line.window = p.focus;  // it was typed there
    }
    // The word, the whole line, is replaced by text.
    int ReplaceWith(const char* word, const char* text, int mode = vemo::REPLACE_WORD) {
        Prepare(word, word, text, mode);
        return logic.ReplaceStr();
    }
    // The application takes the synthesized keys in, in order: each goes
    // through the keyboard hook first.  Answers what reaches the
    // application, with each paste as [TEXT] in its place.
    std::string Deliver() {
        std::vector<FakeHookPlatform::Key> synthesized, passed;
        synthesized.swap(p.keys);
        std::string out;
        for (const auto& k : synthesized) {
            const int pastes = p.PostCount(0x0302);  // WM_PASTE
            const std::uint32_t data = (std::uint32_t{k.scan} << 16) | (k.up ? 0xC0000001u : 1u);
            // The hook procedure passes the library's own input on.
            if (IsOwnInput(s(), k.vk == kVkPacket, k.extra == vemo::kVemoInputMark, p.tick) ||
                logic.KeyboardProc(0, k.vk, data) == HookLogic::KeyResult::PassOn)
                passed.push_back(k);
            if (p.PostCount(0x0302) > pastes) {
                out += p.TypedText(passed, p.caps) + "[" + p.clipboard.back() + "]";
                passed.clear();
            }
        }
        return out + p.TypedText(passed, p.caps);
    }

  private:
    std::unique_ptr<SharedHookState> state_;

  public:
    FakeHookPlatform p;
    HookLogic logic;
};

}  // namespace wl::test
