#include "hook/KeyCapture.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "hook/KeyChars.h"
#include "hook/RecordText.h"
#include "platform/CodePage.h"
#include "platform/RegistryLayout.h"
#include "platform/VirtualKeys.h"

namespace wl {

using namespace record;
using namespace vemo;

namespace {

// Punctuation typed right after a completion's added space goes before it.
constexpr char kSpaceMovers[] = ".,;:!?";

bool IsModifier(std::uint8_t vk) {
    return (vk >= vkey::kShift && vk <= vkey::kMenu) || vk == vkey::kCapital ||
           (vk >= vkey::kLeftShift && vk <= vkey::kRightMenu) || vk == vkey::kLeftWin ||
           vk == vkey::kRightWin;
}

template <std::size_t N>
bool Contains(const std::uint8_t (&keys)[N], std::uint8_t vk) {
    return std::find(std::begin(keys), std::end(keys), vk) != std::end(keys);
}

}  // namespace

KeyCapture::KeyResult KeyCapture::KeyboardProc(int code, std::uint32_t vkCode,
                                               std::uint32_t keyData) {
    if (code != 0) return KeyResult::PassOn;  // not HC_ACTION
    if (((keyData >> 16) & 0xFF) == INJECTED_SCAN_CODE) return SynthesizedKey(vkCode, keyData);
    struct FocusScope {
        FocusMemo& focus;
        ~FocusScope() { focus.Forget(); }
    } focusScope{focus_};

    const Key key = Translate(vkCode, keyData);
    const bool press = !key.up && !IsModifier(key.vk);
    // Whatever the user did elsewhere since the last key ends the line, and
    // leaves the space a completion added where it is.
    if (press && line_.BeforeKey()) s_.spaceAdded = 0;
    if (press && s_.spaceAdded && MovesAddedSpace(key)) return MoveAddedSpace(key.utf8[0]);
    List list = ListFor(key);
    Password password(w_, focus_);
    // A prediction is for the next word: anything but a letter typed next,
    // or the keys that steer it, takes it down, and the key goes on.
    if (press && list_.Predicting() && !list.visible && !IsLetterKey(key)) {
        list_.EndPrediction();
        list_.HideIfShown();
    }
    const bool captured = Capture(key, list, password);
    if (list.visible) {
        if (password()) {
            ForgetForPassword();
            return KeyResult::PassOn;
        }
        if (list_.Predicting()) return PredictionKey(key.vk, key.up, list.main, password);
        return SelectionKey(key.vk, key.up, list.main, password);
    }
    if (key.vk == vkey::kBack) return Backspace(key, list, password);
    // Any other key that types nothing here (Enter, Tab, the keys that move
    // the caret or edit, shortcuts) ends the line; Enter starts a new one.
    if (press && !captured && !key.dead)
        line_.Break(key.vk == vkey::kReturn ? LineTracker::End::NewLine
                                            : LineTracker::End::Unknown);
    return KeyResult::PassOn;
}

// Only the very next key, in the window the space was typed in, and only
// for a moment after the completion.
bool KeyCapture::MovesAddedSpace(const Key& key) {
    const Handle32 where = s_.spaceAdded;
    s_.spaceAdded = 0;
    if (clock_.TickCount() - s_.spaceAddedTick >= kSpaceAddedMs) return false;
    // (Decided on the character itself: a stand-in the code page gives for
    // a character it cannot hold is no punctuation.)
    return key.utf8[0] && !key.utf8[1] && std::strchr(kSpaceMovers, key.utf8[0]) &&
           (where == kSpaceAddedSomewhere || where == focus_.Get());
}

// Keys this library synthesized pass; the paste marker among them means the
// keys typed before it have been taken in: the text queued for it is pasted
// now, and no application sees the marker.
KeyCapture::KeyResult KeyCapture::SynthesizedKey(std::uint32_t vk, std::uint32_t keyData) {
    if ((vk & 0xFF) != VK_PASTE_MARKER) return KeyResult::PassOn;
    if (!(keyData & 0x80000000u)) pastes_.PasteNext();
    return KeyResult::Swallow;
}

// "word " and then "." becomes "word. ": the key is swallowed and typed
// again before a new space.
KeyCapture::KeyResult KeyCapture::MoveAddedSpace(char punctuation) {
    if (list_.Predicting()) {
        list_.EndPrediction();
        list_.HideIfShown();
    }
    replacement_.SendKey(0, vkey::kBack);
    replacement_.SendKey(punctuation, 0);
    replacement_.SendKey(' ', 0);
    DropLastChar(s_.typedLine, chars_.Chars());
    DropLastUtf8Char(s_.typedLineUtf8);
    const char added[] = {punctuation, ' '};
    AppendBoth(s_.typedLine, {added, sizeof added}, s_.typedLineUtf8, {added, sizeof added});
    Clear(s_.inputWord);
    Clear(s_.inputWordUtf8);
    line_.Typed({added, sizeof added});
    return KeyResult::Swallow;
}

KeyCapture::Key KeyCapture::Translate(std::uint32_t vkCode, std::uint32_t keyData) {
    Key key{static_cast<std::uint8_t>(vkCode & 0xFF),
            (keyData & 0x80000000u) != 0,
            false,
            {},
            {},
            false,
            false};
    // A release types nothing: it is not translated, which would change the
    // layout's dead-key state on some systems.
    if (key.up) return key;
    const KeyChars chars =
        TranslatePress(keys_, chars_, key.vk, INJECTED_SCAN_CODE, proc_.IsMainProgram());
    key.dead = chars.count < 0;  // (or the keyboard state unread: nothing is known)
    if (chars.count > 0) {
        std::memcpy(key.typed, chars.codePage, sizeof key.typed);
        std::memcpy(key.utf8, chars.utf8, sizeof key.utf8);
        key.letters = chars.letters;
        key.lettersOrDigits = chars.lettersOrDigits;
    }
    return key;
}

KeyCapture::List KeyCapture::ListFor(const Key& key) {
    // The main window matters only to the keys that steer it and to
    // Backspace; every other key spares the system the questions.
    const bool steering = list_.Predicting() ? IsPredictionKey(key.vk)
                                             : IsSelectionKey(key.vk) || key.vk == vkey::kEscape;
    List list{steering || key.vk == vkey::kBack ? list_.LiveMainWindow() : 0, false};
    list.visible = steering && list.main && w_.WindowVisible(list.main);
    // A key that takes a candidate while the list still answers an older word
    // (the user typed faster than the caret check looked up) first has the
    // main window look the current word up, synchronously; when it has no
    // candidates the list is gone and the key goes on as typed.
    if (list.visible && !key.up && !list_.Predicting() && IsCommitKey(key.vk) && ListIsBehind()) {
        // Looked up anew from the line, whatever the last lookup recorded.
        s_.lastLookupWord[0] = '\0';
        s_.lookupPending = 1;
        std::intptr_t ignored = 0;
        w_.SendToWindow(list.main, WM_CARET_PENDING, 0, 0, ignored);
        list.visible = w_.WindowVisible(list.main);
    }
    return list;
}

// A printable key adds to the word and the line, unless the list is shown
// and takes it as a selection key.
bool KeyCapture::Capture(const Key& key, List& list, Password& password) {
    if (key.up || !IsCapturable(key) || (list.visible && key.vk != vkey::kEscape)) return false;
    if (password()) {
        ForgetForPassword();
        list.visible = false;
        return false;
    }
    if (!policy_.IsEnabled(s_.caretWindow)) return false;
    const std::string_view typed(key.typed), utf8(key.utf8);
    list_.EndPrediction();  // a letter narrows it to a lookup of its own
    line_.Typed(utf8);
    AppendBoth(s_.inputWord, typed, s_.inputWordUtf8, utf8);
    AppendBoth(s_.typedLine, typed, s_.typedLineUtf8, utf8);
    if (std::strcmp(s_.inputWord, " ") == 0) {
        Clear(s_.inputWord);
        Clear(s_.inputWordUtf8);
        list_.ShowAtCaret(false);
    } else {
        list_.SetPending();
    }
    if (std::strcmp(s_.typedLine, " ") == 0) {
        Clear(s_.typedLine);
        Clear(s_.typedLineUtf8);
    }
    if (line_.JustSpaced()) MayPredict(password);
    return true;
}

// After a word and a space, the next word is offered: where prediction is
// on, in an application and a field that allow it.
void KeyCapture::MayPredict(Password& password) {
    if (!s_.predictOn || password() || !policy_.Predicts(s_.caretWindow) ||
        w_.IsSingleLineField(focus_.Get()))
        return;
    list_.StartPrediction();
}

// While a prediction is shown only Tab (takes it), Down and Up (move the
// highlight) and Escape (takes it down) steer it.
KeyCapture::KeyResult KeyCapture::PredictionKey(std::uint8_t vk, bool up, Handle32 main,
                                                Password& password) {
    if (vk == vkey::kTab) {
        if (up && replacement_.ReplaceStr() && line_.JustSpaced()) MayPredict(password);
        return KeyResult::Swallow;
    }
    if (vk == vkey::kEscape) {
        list_.EndPrediction();
        list_.ShowAtCaret(false);
        return KeyResult::Swallow;
    }
    if (!up) {
        std::intptr_t ignored = 1;
        w_.SendToWindow(main, WM_SELECT_KEY, vk == vkey::kUp ? SELECT_PREV : SELECT_NEXT, 0,
                        ignored);
    }
    return KeyResult::Swallow;
}

KeyCapture::KeyResult KeyCapture::Backspace(const Key& key, const List& list, Password& password) {
    if (key.up) return list.main ? KeyResult::Swallow : KeyResult::PassOn;
    if (password()) {
        ForgetForPassword();
    } else if (!policy_.IsEnabled(s_.caretWindow)) {
        line_.Break(LineTracker::End::Unknown);
    } else {
        line_.Erased();
        DropLastChar(s_.inputWord, chars_.Chars());
        DropLastChar(s_.typedLine, chars_.Chars());
        DropLastUtf8Char(s_.inputWordUtf8);
        DropLastUtf8Char(s_.typedLineUtf8);
        // A lookup that found nothing emptied the word (a typo, say), and
        // only when it ran before this key: the Backspace that mends the
        // typo takes the word up again from the line, so that the list comes
        // back however fast the typo was mended.
        if (!s_.inputWord[0] && !s_.inputWordUtf8[0] && (s_.typedLine[0] || s_.typedLineUtf8[0])) {
            Assign(s_.inputWord, View(s_.typedLine));
            Assign(s_.inputWordUtf8, View(s_.typedLineUtf8));
        }
        list_.SetPending();
    }
    return KeyResult::PassOn;
}

KeyCapture::KeyResult KeyCapture::SelectionKey(std::uint8_t vk, bool up, Handle32 main,
                                               Password& password) {
    auto send = [&](std::intptr_t request) {
        std::intptr_t answer = 1;
        return w_.SendToWindow(main, WM_SELECT_KEY, request, 0, answer) ? answer : 1;
    };
    auto request = [&](int value) {
        if (!up) send(value);
        return KeyResult::Swallow;
    };
    if (vk == s_.vkSelectPrev) return request(SELECT_PREV);
    if (vk == s_.vkSelectNext) return request(SELECT_NEXT);
    if (vk == s_.vkSelectPageDown) return request(SELECT_PAGEDOWN);
    if (vk == s_.vkSelectPageUp) return request(SELECT_PAGEUP);
    if (Contains(s_.vkSelectIndex, vk)) {
        if (!up) {
            for (int i = 0; i < 10; ++i) {
                if (s_.vkSelectIndex[i] == vk && send(i) == 0) {
                    if (replacement_.ReplaceStr() && line_.JustSpaced()) MayPredict(password);
                    break;
                }
            }
        }
        return KeyResult::Swallow;
    }
    if (Contains(s_.vkSelect, vk)) {
        if (up && replacement_.ReplaceStr() && line_.JustSpaced()) MayPredict(password);
        return KeyResult::Swallow;
    }
    // Escape, on its press and on its release.
    ClearWordAndLine();
    list_.ShowAtCaret(false);
    if (!up) line_.Break(LineTracker::End::Unknown);
    return KeyResult::Swallow;
}

bool KeyCapture::Password::operator()() {
    if (answer_ < 0) answer_ = w_.IsPasswordField(focus_.Get()) ? 1 : 0;
    return answer_ == 1;
}

bool KeyCapture::IsSelectionKey(std::uint8_t vk) const {
    if (vk == reg::kNoKey) return false;
    return vk == s_.vkSelectPrev || vk == s_.vkSelectNext || vk == s_.vkSelectPageDown ||
           vk == s_.vkSelectPageUp || Contains(s_.vkSelectIndex, vk) || Contains(s_.vkSelect, vk);
}

bool KeyCapture::IsPredictionKey(std::uint8_t vk) {
    return vk == vkey::kTab || vk == vkey::kDown || vk == vkey::kUp || vk == vkey::kEscape;
}

bool KeyCapture::IsLetterKey(const Key& key) const {
    const auto c = static_cast<unsigned char>(key.typed[0]);
    return key.letters || (c && chars_.Chars().IsAlpha(c));
}

bool KeyCapture::IsCommitKey(std::uint8_t vk) const {
    return vk != reg::kNoKey && (Contains(s_.vkSelect, vk) || Contains(s_.vkSelectIndex, vk));
}

bool KeyCapture::ListIsBehind() {
    if (s_.lookupPending &&
        (std::strncmp(s_.inputWord, s_.lastLookupWord, kWordSize) != 0 ||
         std::strncmp(s_.inputWordUtf8, s_.lastLookupWordUtf8, kWordUtf8Size) != 0))
        return true;
    // The word a candidate replaces ends the typed line, unless a key came in
    // while the main window was looking it up (a Backspace then shortens the
    // word the lookup is trying out): the candidate would erase too little or
    // too much.
    return !list_.WordEndsLine();
}

// Letters, digits and the printable punctuation: by the code page's
// classification of what the code page makes of the key, as ever, or by the
// system's classification of the characters themselves (a letter the code
// page cannot hold).
bool KeyCapture::IsCapturable(const Key& key) const {
    if (!key.typed[0]) return false;  // (both texts always get a character)
    if (key.lettersOrDigits) return true;
    for (const char* c = key.typed; *c; ++c) {
        auto b = static_cast<unsigned char>(*c);
        if (!chars_.Chars().IsAlpha(b) && !chars_.Chars().IsAlphaNumeric(b) &&
            !std::strchr(kPrintablePunctuation, *c))
            return false;
    }
    return true;
}

void KeyCapture::ClearWordAndLine() {
    Clear(s_.inputWord);
    Clear(s_.typedLine);
    Clear(s_.inputWordUtf8);
    Clear(s_.typedLineUtf8);
}

void KeyCapture::ForgetForPassword() {
    line_.Break(LineTracker::End::Unknown);
    ClearWordAndLine();
    Clear(s_.lastLookupWord);
    Clear(s_.lastLookupWordUtf8);
    s_.lookupPending = 0;
    list_.HideIfShown();
}

}  // namespace wl
