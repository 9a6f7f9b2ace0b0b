#include "hook/HookLogic.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {

using namespace vemo;

namespace {

constexpr std::uint8_t kVkBack = 0x08;
constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkEscape = 0x1B;
constexpr std::uint8_t kVkLeft = 0x25;
constexpr std::uint32_t kWmPaste = 0x0302;
constexpr std::size_t kMaxPath = 260;

template <std::size_t N>
std::size_t Len(const char (&field)[N]) {
    return strnlen(field, N);
}

template <std::size_t N>
void Clear(char (&field)[N]) {
    std::memset(field, 0, N);
}

// Stores text in a word field; a text that does not fit clears the field.
template <std::size_t N>
void Assign(char (&field)[N], std::string_view text) {
    if (text.size() > N - 1) {
        Clear(field);
        return;
    }
    std::memmove(field, text.data(), text.size());
    std::memset(field + text.size(), 0, N - text.size());
}

// The position just after each character, stepping over double-byte ones; a
// lead byte at the very end counts as one character.
const char* NextChar(const char* p, const CodePage& cp) {
    if (cp.IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) return p + 2;
    return p + 1;
}

// The last backslash of the text that is a character of its own (not the
// trail byte of a double-byte character); null when there is none.
const char* LastBackslash(const char* text, const CodePage& cp) {
    const char* found = nullptr;
    for (const char* p = text; *p; p = NextChar(p, cp))
        if (*p == '\\') found = p;
    return found;
}

const char* FirstDelimiter(const char* text, const CodePage& cp) {
    for (const char* p = text; *p; p = NextChar(p, cp))
        if (std::strchr(kWordDelimiters, *p)) return p;
    return nullptr;
}

// Bytes of whole characters that word and text begin with alike, up to the
// first '%' of text (a macro there would be split).
std::size_t SharedTypedPrefix(const char* word, const char* text, const CodePage& cp) {
    std::size_t same = 0;
    while (word[same] && text[same] && text[same] != '%') {
        const std::size_t next = static_cast<std::size_t>(NextChar(text + same, cp) - text);
        for (std::size_t i = same; i < next; ++i)
            if (word[i] != text[i]) return same;
        same = next;
    }
    return same;
}

std::size_t CharCount(std::string_view text, const CodePage& cp) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        bool lead = cp.IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += lead ? 2 : 1;
    }
    return count;
}

// Appends n bytes; a field that would grow past its last byte is cleared
// first.
template <std::size_t N>
void Append(char (&field)[N], const char* add, std::size_t n) {
    std::size_t len = Len(field);
    if (len + n > N - 1) {
        Clear(field);
        len = 0;
    }
    std::memcpy(field + len, add, n);
    field[len + n] = '\0';
}

// Removes the last character (both bytes of a double-byte one); a field of
// fewer than two bytes is cleared.
template <std::size_t N>
void DropLastChar(char (&field)[N], const CodePage& cp) {
    std::size_t len = Len(field);
    if (len < 2) {
        Clear(field);
        return;
    }
    const char* last = field;
    for (const char* p = field; *p; p = NextChar(p, cp)) last = p;
    std::memset(const_cast<char*>(last), 0, field + N - last);
}

}  // namespace

// --- exported operations on the record ------------------------------------

void ReadSelectKeys(SharedHookState& state, Registry& registry) {
    RegKey option(registry, RegRoot::LocalMachine, reg::kOptionKey, true);
    if (!option) return;
    auto read = [&](const char* name, std::uint8_t* field, std::uint32_t size) {
        std::uint8_t value[10];
        if (registry.Read(option.get(), name, value, size) == static_cast<int>(size))
            std::memcpy(field, value, size);
    };
    read(reg::kSelectIndex, state.vkSelectIndex, 10);
    read(reg::kSelectPrev, &state.vkSelectPrev, 1);
    read(reg::kSelectNext, &state.vkSelectNext, 1);
    read(reg::kSelectPageDown, &state.vkSelectPageDown, 1);
    read(reg::kSelectPageUp, &state.vkSelectPageUp, 1);
    read(reg::kSelect, state.vkSelect, 10);
}

void ClearSharedTexts(SharedHookState& state) {
    Clear(state.inputWord);
    Clear(state.typedLine);
    Clear(state.lastLookupWord);
    Clear(state.replaceText);
    state.mainWindow = 0;
    state.active = 0;
    state.pasteRead = 0;
    state.pasteWrite = 0;
}

int CopyInputWord(const SharedHookState& state, char* buffer, int size) {
    if (!buffer) return 0;
    if (size <= 1) return 1;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size) - 1, Len(state.inputWord));
    std::memcpy(buffer, state.inputWord, n);
    return 1;
}

int StoreReplaceText(SharedHookState& state, const char* text, int mode, const CodePage& chars) {
    if (!text) text = "";
    std::size_t len = strnlen(text, kReplaceSize);
    if (len > kReplaceSize - 1) {
        // Cut at the last character boundary that leaves room for the
        // terminator.
        std::size_t cut = 0;
        for (const char* p = text; static_cast<std::size_t>(p - text) < kReplaceSize - 1;) {
            cut = static_cast<std::size_t>(p - text);
            const char* next = NextChar(p, chars);
            if (static_cast<std::size_t>(next - text) > kReplaceSize - 1) break;
            p = next;
            cut = static_cast<std::size_t>(p - text);
        }
        len = cut;
    }
    std::memcpy(state.replaceText, text, len);
    state.replaceText[len] = '\0';
    state.replaceMode = mode;
    return 1;
}

// --- keystroke capture -----------------------------------------------------

Handle32 HookLogic::LiveMainWindow() {
    Handle32 main = s_.mainWindow;
    return main && p_.WindowExists(main) ? main : 0;
}

// Posting needs no check that the window still exists: a post to a window
// that is gone fails and changes nothing.
void HookLogic::SetPending() {
    s_.lookupPending = 1;
    if (s_.mainWindow) p_.PostToWindow(s_.mainWindow, WM_CARET_PENDING, 0, 0);
}

bool HookLogic::IsCommitKey(std::uint8_t vk) const {
    if (vk == reg::kNoKey) return false;
    auto in = [vk](const std::uint8_t(&keys)[10]) {
        return std::find(std::begin(keys), std::end(keys), vk) != std::end(keys);
    };
    return in(s_.vkSelect) || in(s_.vkSelectIndex);
}

bool HookLogic::WordEndsLine() const {
    const std::size_t word = Len(s_.inputWord), line = Len(s_.typedLine);
    return word <= line && std::memcmp(s_.typedLine + (line - word), s_.inputWord, word) == 0;
}

bool HookLogic::ListIsBehind() const {
    if (s_.lookupPending && std::strncmp(s_.inputWord, s_.lastLookupWord, kWordSize) != 0)
        return true;
    // The word a candidate replaces ends the typed line, unless a key came in
    // while the main window was looking it up (a Backspace then shortens the
    // word the lookup is trying out): the candidate would erase too little or
    // too much.
    return !WordEndsLine();
}

bool HookLogic::IsSelectionKey(std::uint8_t vk) const {
    if (vk == reg::kNoKey) return false;
    if (vk == s_.vkSelectPrev || vk == s_.vkSelectNext || vk == s_.vkSelectPageDown ||
        vk == s_.vkSelectPageUp)
        return true;
    for (int i = 0; i < 10; ++i)
        if (vk == s_.vkSelectIndex[i] || vk == s_.vkSelect[i]) return true;
    return false;
}

bool HookLogic::IsCapturable(const char* chars) const {
    const CodePage& cp = p_.Chars();
    for (const char* c = chars; *c; ++c) {
        auto b = static_cast<unsigned char>(*c);
        if (!cp.IsAlpha(b) && !cp.IsAlphaNumeric(b) && !std::strchr(kPrintablePunctuation, *c))
            return false;
    }
    return true;
}

void HookLogic::ForgetForPassword() {
    Clear(s_.inputWord);
    Clear(s_.typedLine);
    Clear(s_.lastLookupWord);
    s_.lookupPending = 0;
    if (Handle32 main = LiveMainWindow(); main && p_.WindowVisible(main)) p_.HideWindow(main);
}

Handle32 HookLogic::Focus() {
    if (!focusKnown_) {
        focus_ = p_.FocusWindow();
        focusKnown_ = true;
    }
    return focus_;
}

HookLogic::KeyResult HookLogic::KeyboardProc(int code, std::uint32_t vkCode,
                                             std::uint32_t keyData) {
    if (code != 0) return KeyResult::PassOn;  // not HC_ACTION
    if (((keyData >> 16) & 0xFF) == INJECTED_SCAN_CODE) {
        if ((vkCode & 0xFF) != VK_PASTE_MARKER) return KeyResult::PassOn;
        // The keys typed before the marker have been taken in: the text
        // queued for it is pasted now, and no application sees the marker.
        if (!(keyData & 0x80000000u)) PasteNext();
        return KeyResult::Swallow;
    }
    struct FocusScope {
        HookLogic& logic;
        ~FocusScope() { logic.focusKnown_ = false; }
    } focusScope{*this};

    const auto vk = static_cast<std::uint8_t>(vkCode & 0xFF);
    const bool up = (keyData & 0x80000000u) != 0;
    char typed[3] = {};
    int n = p_.TranslateKey(vk, INJECTED_SCAN_CODE, typed, p_.IsMainProgram());
    if (n > 2) n = 2;
    typed[n > 0 ? n : 0] = '\0';

    // The main window matters only to the keys that steer it and to
    // Backspace; every other key spares the system the questions.
    const bool steering = IsSelectionKey(vk) || vk == kVkEscape;
    Handle32 main = steering || vk == kVkBack ? LiveMainWindow() : 0;
    bool visible = steering && main && p_.WindowVisible(main);
    // A key that takes a candidate while the list still answers an older word
    // (the user typed faster than the caret check looked up) first has the
    // main window look the current word up, synchronously; when it has no
    // candidates the list is gone and the key goes on as typed.
    if (visible && !up && IsCommitKey(vk) && ListIsBehind()) {
        // Looked up anew from the line, whatever the last lookup recorded.
        s_.lastLookupWord[0] = '\0';
        s_.lookupPending = 1;
        std::intptr_t ignored = 0;
        p_.SendToWindow(main, WM_CARET_PENDING, 0, 0, ignored);
        visible = p_.WindowVisible(main);
    }
    int password = -1;  // asked only when the answer matters
    auto inPassword = [&] {
        if (password < 0) password = p_.IsPasswordField(Focus()) ? 1 : 0;
        return password == 1;
    };

    // Capture.
    if (!up && n > 0 && typed[0] && IsCapturable(typed) && !(visible && vk != kVkEscape)) {
        if (inPassword()) {
            ForgetForPassword();
            visible = false;
        } else if (IsVemoEnabledForApp(s_.caretWindow)) {
            std::size_t add = std::strlen(typed);
            Append(s_.inputWord, typed, add);
            Append(s_.typedLine, typed, add);
            if (std::strcmp(s_.inputWord, " ") == 0) {
                Clear(s_.inputWord);
                ShowAtCaret(false);
            } else {
                SetPending();
            }
            if (std::strcmp(s_.typedLine, " ") == 0) Clear(s_.typedLine);
        }
    }

    // Selection keys while the list is shown.
    if (visible) {
        if (inPassword()) {
            ForgetForPassword();
            return KeyResult::PassOn;
        }
        return SelectionKey(vk, up, main);
    }

    // Backspace.
    if (vk == kVkBack) {
        if (up) return main ? KeyResult::Swallow : KeyResult::PassOn;
        if (inPassword()) {
            ForgetForPassword();
        } else if (IsVemoEnabledForApp(s_.caretWindow)) {
            DropLastChar(s_.inputWord, p_.Chars());
            DropLastChar(s_.typedLine, p_.Chars());
            // A lookup that found nothing emptied the word (a typo, say), and
            // only when it ran before this key: the Backspace that mends the
            // typo takes the word up again from the line, so that the list
            // comes back however fast the typo was mended.
            if (!s_.inputWord[0] && s_.typedLine[0])
                Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
            SetPending();
        }
    }
    return KeyResult::PassOn;
}

HookLogic::KeyResult HookLogic::SelectionKey(std::uint8_t vk, bool up, Handle32 main) {
    auto send = [&](std::intptr_t request) {
        std::intptr_t answer = 1;
        return p_.SendToWindow(main, WM_SELECT_KEY, request, 0, answer) ? answer : 1;
    };
    auto request = [&](int value) {
        if (!up) send(value);
        return KeyResult::Swallow;
    };
    if (vk == s_.vkSelectPrev) return request(SELECT_PREV);
    if (vk == s_.vkSelectNext) return request(SELECT_NEXT);
    if (vk == s_.vkSelectPageDown) return request(SELECT_PAGEDOWN);
    if (vk == s_.vkSelectPageUp) return request(SELECT_PAGEUP);
    if (std::find(std::begin(s_.vkSelectIndex), std::end(s_.vkSelectIndex), vk) !=
        std::end(s_.vkSelectIndex)) {
        if (!up) {
            for (int i = 0; i < 10; ++i) {
                if (s_.vkSelectIndex[i] == vk && send(i) == 0) {
                    ReplaceStr();
                    break;
                }
            }
        }
        return KeyResult::Swallow;
    }
    if (std::find(std::begin(s_.vkSelect), std::end(s_.vkSelect), vk) != std::end(s_.vkSelect)) {
        if (up) ReplaceStr();
        return KeyResult::Swallow;
    }
    // Escape, on its press and on its release.
    Clear(s_.inputWord);
    Clear(s_.typedLine);
    ShowAtCaret(false);
    return KeyResult::Swallow;
}

// --- lookup and the candidate window -----------------------------------------

bool HookLogic::LookupLongestSuffix() {
    Handle32 main = LiveMainWindow();
    if (!main) return false;
    char saved[kWordSize];
    std::memcpy(saved, s_.inputWord, kWordSize);
    saved[kWordSize - 1] = '\0';
    Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
    bool firstPass = true;
    const CodePage& cp = p_.Chars();
    while (s_.inputWord[0]) {
        std::intptr_t answer = 1;
        if (p_.SendToWindow(main, WM_WORD_LOOKUP, 0, 0, answer) && answer == 0) return true;
        s_.inputWord[kWordSize - 1] = '\0';  // the main window only reads it
        if (const char* d = FirstDelimiter(s_.inputWord, cp)) {
            Assign(s_.inputWord, d + 1);
            continue;
        }
        if (!firstPass) {
            Clear(s_.inputWord);
            return false;
        }
        std::size_t line = Len(s_.typedLine);
        std::size_t word = Len(s_.inputWord);
        if (line > word && line - word > 3)
            Assign(s_.typedLine, {s_.typedLine + (line - word), word});
        Assign(s_.inputWord, saved);
        firstPass = false;
    }
    return false;
}

bool HookLogic::InputMethodActive() {
    char description[1024] = {};
    p_.InputMethodDescription(s_.caretWindow, description, sizeof description - 1);
    return description[0] != '\0';
}

void HookLogic::ShowAtCaret(bool show) {
    Handle32 main = LiveMainWindow();
    if (!main) return;
    auto hide = [&] {
        p_.HideWindow(main);
        s_.lookupPending = 0;
    };
    auto place = [&] {
        long long y = static_cast<long long>(s_.caretRect.bottom) + 5;
        p_.ShowTopmostAt(main, s_.caretRect.left,
                         static_cast<int>(std::min<long long>(y, INT32_MAX)));
    };
    // (Hiding needs no input-method query: the outcome is the same.)
    if (!show || !s_.inputWord[0] || InputMethodActive()) {
        hide();
        return;
    }
    if (std::strncmp(s_.inputWord, s_.lastLookupWord, kWordSize) == 0 && WordEndsLine()) {
        if (p_.WindowVisible(main)) place();
        return;
    }
    // The keyboard hook runs in the typing application's thread and may add
    // to the line while this lookup runs here.  The lookup itself only drops
    // the front of the line; when the line no longer ends the way it did, a
    // key came in meanwhile and the list answers an older word: leave the
    // word unrecorded so that the next caret check looks it up again.
    char lineBefore[kWordSize];
    std::memcpy(lineBefore, s_.typedLine, kWordSize);
    lineBefore[kWordSize - 1] = '\0';
    bool found = LookupLongestSuffix();
    const std::size_t before = Len(lineBefore), after = Len(s_.typedLine);
    // (A Backspace meanwhile may leave a word that no longer ends the line.)
    const bool typedMeanwhile =
        after > before || std::memcmp(lineBefore + (before - after), s_.typedLine, after) != 0 ||
        (found && !WordEndsLine());
    if (typedMeanwhile) {
        s_.lastLookupWord[0] = '\0';
        s_.lookupPending = 1;
        // A lookup that found nothing emptied the word, which would keep the
        // next check from looking at all (a Backspace that mended a typo
        // meanwhile, say): the word is taken up again from the line.
        if (!found && s_.typedLine[0]) Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
    } else {
        Assign(s_.lastLookupWord, {s_.inputWord, Len(s_.inputWord)});
    }
    if (found)
        place();
    else
        p_.HideWindow(main);
}

void HookLogic::OnCaretLocation(bool located, const HookRect& rect, Handle32 window) {
    if (located && window != s_.mainWindow) {
        s_.caretRect = rect;
        s_.caretWindow = window;
        if (s_.lookupPending) ShowAtCaret(true);
    } else if (!s_.lookupPending) {
        s_.caretRect = {0, 0, 0, 0};
    }
}

// --- per-application policy ---------------------------------------------------

bool HookLogic::IsVemoEnabledForApp(Handle32 window) {
    if (window && window == s_.mainWindow) return false;
    // The application that receives the keystroke owns the focus window.  On
    // 64-bit Windows the hook of a 32-bit application runs in the main
    // program's thread, so that process is found through the window.
    Handle32 focus = Focus();
    std::uint32_t focusProcess = focus ? p_.WindowProcessId(focus) : 0;
    const std::uint32_t self = p_.CurrentProcessId();
    if (p_.IsMainProgram() && (!focusProcess || focusProcess == self))
        return false;  // the main program's own windows
    char path[kMaxPath] = {};
    bool known = focusProcess && focusProcess != self
                     ? p_.ProcessExecutablePath(focusProcess, path, sizeof path)
                     : p_.CurrentExecutablePath(path, sizeof path);
    if (!known) return true;
    path[kMaxPath - 1] = '\0';
    const char* slash = LastBackslash(path, p_.Chars());
    const char* name = slash ? slash + 1 : path;

    // The application's own value decides when there is one; otherwise the
    // value for all others.  (Read in that order, the common case of an
    // application without a key costs two registry calls.)
    bool remembered = true;
    if (p_.RecallPolicy(name, remembered)) return remembered;
    Registry& registry = p_.Settings();
    RegKey appOption(registry, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    if (!appOption) return true;
    std::string subkey = reg::kAppOptionPrefix;
    subkey += name;
    bool enabled = true;
    std::uint32_t own = 0;
    RegKey app(registry, RegRoot::LocalMachine, subkey, false);
    if (app && app.ReadInto(reg::kAppEnableVemo, own)) {
        enabled = own != 0;
    } else {
        std::uint32_t others = 1;
        appOption.ReadInto(reg::kOthersEnableVemo, others);
        enabled = others != 0;
    }
    p_.RememberPolicy(name, enabled);
    return enabled;
}

// --- replacement typing ------------------------------------------------------

MacroText HookLogic::Split(const char* text) {
    return SplitMacros(text, [this] { return p_.LocalTime(); });
}

int HookLogic::ReplaceStr() {
    if (!s_.replaceText[0] || !s_.inputWord[0]) return 0;
    if (s_.caretWindow) p_.BringToForeground(s_.caretWindow);
    s_.replaceText[kReplaceSize - 1] = '\0';
    s_.inputWord[kWordSize - 1] = '\0';
    const CodePage& cp = p_.Chars();
    const std::size_t n = Len(s_.inputWord);
    const int mode = s_.replaceMode;
    auto backspaces = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) SendKey(0, kVkBack);
    };
    auto clearTexts = [&] {
        Clear(s_.inputWord);
        Clear(s_.lastLookupWord);
        Clear(s_.typedLine);
    };
    MacroText parts;
    switch (mode) {
        case REPLACE_WORD:
            backspaces(n);
            parts = Split(s_.replaceText);
            clearTexts();
            break;
        case REPLACE_COMPLETE:
            if (Len(s_.replaceText) > n) parts = Split(s_.replaceText + n);
            clearTexts();
            break;
        case REPLACE_KEEP: {
            // The text ends up as the candidate, but only the part after
            // what the word already has in common with it is erased and
            // typed: every synthesized key costs the application a message
            // and a redraw.
            const std::size_t same = SharedTypedPrefix(s_.inputWord, s_.replaceText, cp);
            backspaces(n - same);
            parts = Split(s_.replaceText + same);
            std::string_view text(s_.replaceText, Len(s_.replaceText));
            Assign(s_.typedLine, text);
            Assign(s_.inputWord, text);
            break;
        }
        case REPLACE_PATH_FOLDER:
        case REPLACE_PATH_FILE: {
            if (const char* slash = LastBackslash(s_.inputWord, cp))
                backspaces(Len(s_.inputWord) - static_cast<std::size_t>(slash + 1 - s_.inputWord));
            std::size_t len = Len(s_.replaceText);
            if (mode == REPLACE_PATH_FOLDER && len + 1 < kReplaceSize) {
                s_.replaceText[len] = '\\';
                s_.replaceText[len + 1] = '\0';
            }
            parts = Split(s_.replaceText);
            std::string line(s_.typedLine, Len(s_.typedLine));
            if (const char* slash = LastBackslash(s_.typedLine, cp))
                line.resize(static_cast<std::size_t>(slash + 1 - s_.typedLine));
            line.append(s_.replaceText, Len(s_.replaceText));
            Assign(s_.typedLine, line);
            Assign(s_.inputWord, {s_.typedLine, Len(s_.typedLine)});
            if (mode == REPLACE_PATH_FILE) {
                Clear(s_.inputWord);
                Clear(s_.typedLine);
            } else {
                LookupLongestSuffix();
            }
            break;
        }
        default:
            break;
    }
    TypeParts(parts);
    ShowAtCaret(false);
    if (mode == REPLACE_PATH_FOLDER || mode == REPLACE_PATH_FILE) {
        // The next caret movement shows the list for the new path.  The main
        // program's caret check may have looked the path up already while
        // this ran here, and the list has just been hidden: leave nothing
        // recorded that would let it stay hidden.
        Clear(s_.lastLookupWord);
        SetPending();
    }
    return 1;
}

bool HookLogic::NeedsClipboard(const char* text) {
    const CodePage& cp = p_.Chars();
    for (const char* c = text; *c; ++c) {
        if (cp.IsLeadByte(static_cast<unsigned char>(*c))) return true;
        // A character without a key on the current layout cannot be typed.
        if (p_.KeyForChar(*c) == -1) return true;
    }
    return false;
}

void HookLogic::TypeParts(const MacroText& parts) {
    bool caretSeen = false;
    long long counter = 0;
    const CodePage& cp = p_.Chars();
    for (const MacroPart& part : parts) {
        if (part.kind == MacroPart::Kind::Key) {
            if (part.text == "%CARET%") {
                caretSeen = true;
                continue;
            }
            std::uint8_t vk = KeyMacroVk(part.text);
            SendKey(0, vk);
            if (caretSeen) {
                if (vk == 0x0D || vk == 0x09) ++counter;
                if (vk == kVkBack) --counter;
            }
            continue;
        }
        const std::string& text = part.text;
        if (caretSeen) counter += static_cast<long long>(CharCount(text, cp));
        if (text.empty()) continue;
        if (NeedsClipboard(text.c_str())) {
            // A paste posted now would overtake the keys just typed (posted
            // messages are taken before input): the marker key puts it in
            // its place in the input.  Without room in the queue, at once.
            if (QueuePaste(text))
                SendKey(0, VK_PASTE_MARKER);
            else
                ClipboardPaste(text.c_str(), s_.caretWindow);
            continue;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            SendKey(text[i], 0);
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;  // the carriage return makes the line break
                if (caretSeen) --counter;
            }
        }
    }
    if (caretSeen)
        for (long long i = 0; i < counter; ++i) SendKey(0, kVkLeft);
}

void HookLogic::SendKey(char ch, std::uint8_t vk) {
    if (!ch && !vk) return;
    if (vk) {
        p_.KeyEvent(vk, INJECTED_SCAN_CODE, false);
        p_.KeyEvent(vk, INJECTED_SCAN_CODE, true);
    }
    if (!ch) return;
    std::int16_t scan = p_.KeyForChar(ch);
    if (scan == -1) return;  // no key types this character
    auto key = static_cast<std::uint8_t>(scan & 0xFF);
    bool caps = p_.CapsLockOn();
    bool shift;
    if (ch >= 'a' && ch <= 'z')
        shift = caps;
    else if (ch >= 'A' && ch <= 'Z')
        shift = !caps;
    else
        shift = (scan & 0x100) != 0;
    if (shift) p_.KeyEvent(kVkShift, INJECTED_SCAN_CODE, false);
    p_.KeyEvent(key, INJECTED_SCAN_CODE, false);
    p_.KeyEvent(key, INJECTED_SCAN_CODE, true);
    if (shift) p_.KeyEvent(kVkShift, INJECTED_SCAN_CODE, true);
}

bool HookLogic::QueuePaste(const std::string& text) {
    std::uint32_t read = s_.pasteRead, write = s_.pasteWrite;
    if (read >= write || write > kReplaceSize) read = write = 0;  // drained: from the front
    if (text.size() + 1 > kReplaceSize - write) return false;
    std::memcpy(s_.pasteQueue + write, text.c_str(), text.size() + 1);
    s_.pasteRead = read;
    s_.pasteWrite = write + static_cast<std::uint32_t>(text.size() + 1);
    return true;
}

void HookLogic::PasteNext() {
    const std::uint32_t read = s_.pasteRead, write = s_.pasteWrite;
    if (write > kReplaceSize || read >= write) return;
    const std::size_t len = strnlen(s_.pasteQueue + read, write - read);
    const std::string text(s_.pasteQueue + read, len);
    s_.pasteRead = static_cast<std::uint32_t>(std::min<std::size_t>(read + len + 1, write));
    // The window the keys go to; the caret's window when none has the focus.
    Handle32 target = p_.FocusWindow();
    ClipboardPaste(text.c_str(), target ? target : s_.caretWindow);
}

void HookLogic::ClipboardPaste(const char* text, Handle32 window) {
    if (!p_.PutClipboardText(text, std::strlen(text))) return;
    if (window) p_.PostToWindow(window, kWmPaste, 0, 0);
}

}  // namespace wl
