#include "hook/Replacement.h"

#include <cstring>
#include <string>
#include <string_view>

#include "hook/RecordText.h"
#include "hook/Utf16Units.h"
#include "platform/CodePage.h"
#include "platform/VirtualKeys.h"

namespace wl {

using namespace record;
using namespace vemo;

namespace {

// Bytes of whole characters that word and text begin with alike, up to the
// first '%' of text (a macro there would be split).
std::size_t SharedTypedPrefix(const char* word, const char* text, const CodePage& cp) {
    std::size_t same = 0;
    while (word[same] && text[same] && text[same] != '%') {
        const std::size_t next = static_cast<std::size_t>(record::NextChar(text + same, cp) - text);
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

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Bytes that a code-page word and a UTF-8 text begin with alike: the same
// characters only while they are ASCII, up to the first '%' of text.
std::size_t SharedAsciiPrefix(const char* word, const char* text) {
    std::size_t same = 0;
    while (word[same] && word[same] == text[same] && text[same] != '%' &&
           static_cast<unsigned char>(text[same]) < 0x80)
        ++same;
    return same;
}

}  // namespace

std::size_t Replacement::TypedWordChars() {
    // The UTF-8 twin holds the characters the application shows; in the
    // code-page word a character the code page cannot hold is a stand-in,
    // and one beyond the Basic Multilingual Plane may be two.
    if (s_.inputWordUtf8[0]) return utf16::CharCount(View(s_.inputWordUtf8));
    return CharCount(View(s_.inputWord), chars_.Chars());
}

MacroText Replacement::Split(const char* text) {
    return SplitMacros(text, [this] { return clock_.LocalTime(); });
}

int Replacement::ReplaceStr() {
    // No word typed is a word only for the prediction of the next one.
    const bool predicted = s_.predicting != 0;
    s_.predicting = 0;
    if (!s_.replaceText[0] || (!s_.inputWord[0] && !predicted)) return 0;
    // Before anything changes: a lookup running on the main program's thread
    // now must not show its list after the replacement.
    list_.CountTakeDown();
    if (s_.caretWindow) w_.BringToForeground(s_.caretWindow);
    s_.replaceText[kReplaceSize - 1] = '\0';
    s_.inputWord[kWordSize - 1] = '\0';
    s_.spaceAdded = 0;
    const int mode = s_.replaceMode;
    const bool path = mode == REPLACE_PATH_FOLDER || mode == REPLACE_PATH_FILE;
    if (mode == REPLACE_WORD || mode == REPLACE_COMPLETE) {
        line_.Replaced();
        TypeParts(ReplaceWord(mode == REPLACE_COMPLETE));
    } else if (mode == REPLACE_KEEP || mode == REPLACE_KEEP_SPACE) {
        TypeParts(KeepCandidate(mode == REPLACE_KEEP_SPACE));
    } else if (path) {
        line_.Replaced();
        TypeParts(ReplacePathPart(mode == REPLACE_PATH_FOLDER));
    }
    list_.ShowAtCaret(false);
    if (path) {
        // The next caret movement shows the list for the new path.  The main
        // program's caret check may have looked the path up already while
        // this ran here, and the list has just been hidden: leave nothing
        // recorded that would let it stay hidden.
        Clear(s_.lastLookupWord);
        list_.SetPending();
    }
    return 1;
}

void Replacement::Backspaces(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) SendKey(0, vkey::kBack);
}

// The word is erased and the text typed (REPLACE_WORD), or only what follows
// the word is typed (REPLACE_COMPLETE); either way the texts start afresh.
// A code-page candidate erases and skips by bytes of the word, a UTF-8 one by
// its characters.
MacroText Replacement::ReplaceWord(bool complete) {
    const bool utf8 = Utf8();
    const std::size_t n = utf8 ? TypedWordChars() : Len(s_.inputWord);
    MacroText parts;
    if (!complete) {
        Backspaces(n);
        parts = Split(s_.replaceText);
    } else {
        const std::size_t skip = utf8 ? utf16::PrefixBytes(View(s_.replaceText), n) : n;
        if (Len(s_.replaceText) > skip) parts = Split(s_.replaceText + skip);
    }
    Clear(s_.inputWord);
    Clear(s_.lastLookupWord);
    Clear(s_.typedLine);
    Clear(s_.inputWordUtf8);
    Clear(s_.lastLookupWordUtf8);
    Clear(s_.typedLineUtf8);
    return parts;
}

// The text ends up as the candidate, and becomes the word, but only the part
// after what the word already has in common with it is erased and typed:
// every synthesized key costs the application a message and a redraw.  With
// a space after it the word is finished: the next key starts a new one.
MacroText Replacement::KeepCandidate(bool spaceAfter) {
    // A UTF-8 candidate beyond ASCII has no code-page form for the word and
    // the line: they start afresh after it.
    const bool utf8 = Utf8();
    const bool foreign = utf8 && !IsAscii(View(s_.replaceText));
    // The candidate is the word at the caret now; the space after it
    // finishes it, as a space typed would.
    if (foreign)
        line_.Replaced();
    else
        line_.Took(View(s_.replaceText), View(s_.inputWord), spaceAfter);
    const std::size_t same = utf8 ? SharedAsciiPrefix(s_.inputWord, s_.replaceText)
                                  : SharedTypedPrefix(s_.inputWord, s_.replaceText, chars_.Chars());
    Backspaces(utf8 ? TypedWordChars() - same : Len(s_.inputWord) - same);
    MacroText parts = Split(s_.replaceText + same);
    if (foreign) {
        if (spaceAfter) parts.push_back({MacroPart::Kind::Text, " "});
        Clear(s_.typedLine);
        Clear(s_.inputWord);
        Clear(s_.lastLookupWord);
        Clear(s_.typedLineUtf8);
        Clear(s_.inputWordUtf8);
        Clear(s_.lastLookupWordUtf8);
        return parts;
    }
    // The UTF-8 twins follow: the candidate in UTF-8 (a code-page text
    // converted; one the code page does not define leaves them empty).
    std::string utf8Text;
    if (utf8)
        utf8Text = View(s_.replaceText);
    else if (!chars_.Chars().ToUtf8(View(s_.replaceText), utf8Text))
        utf8Text.clear();
    if (!spaceAfter) {
        Assign(s_.typedLine, View(s_.replaceText));
        Assign(s_.inputWord, View(s_.replaceText));
        Assign(s_.typedLineUtf8, utf8Text);
        Assign(s_.inputWordUtf8, utf8Text);
        return parts;
    }
    parts.push_back({MacroPart::Kind::Text, " "});
    std::string line(View(s_.replaceText));
    Assign(s_.typedLine, line + ' ');
    Clear(s_.inputWord);
    Clear(s_.lastLookupWord);
    Assign(s_.typedLineUtf8, utf8Text.empty() ? utf8Text : utf8Text + ' ');
    Clear(s_.inputWordUtf8);
    Clear(s_.lastLookupWordUtf8);
    // Where the space was typed: a key in another window leaves it alone.
    const Handle32 focus = w_.FocusWindow();
    s_.spaceAdded = focus ? focus : kSpaceAddedSomewhere;
    s_.spaceAddedTick = clock_.TickCount();
    return parts;
}

// The last component of the typed path is replaced; a folder gets its
// backslash and is looked up at once, a file ends the path.
MacroText Replacement::ReplacePathPart(bool folder) {
    const CodePage& cp = chars_.Chars();
    if (const char* slash = LastBackslash(s_.inputWord, cp))
        Backspaces(Len(s_.inputWord) - static_cast<std::size_t>(slash + 1 - s_.inputWord));
    std::size_t len = Len(s_.replaceText);
    if (folder && len + 1 < kReplaceSize) {
        s_.replaceText[len] = '\\';
        s_.replaceText[len + 1] = '\0';
    }
    MacroText parts = Split(s_.replaceText);
    std::string line(View(s_.typedLine));
    if (const char* slash = LastBackslash(s_.typedLine, cp))
        line.resize(static_cast<std::size_t>(slash + 1 - s_.typedLine));
    line.append(View(s_.replaceText));
    Assign(s_.typedLine, line);
    Assign(s_.inputWord, View(s_.typedLine));
    if (folder) {
        list_.LookupLongestSuffix();
    } else {
        Clear(s_.inputWord);
        Clear(s_.typedLine);
    }
    return parts;
}

bool Replacement::NeedsClipboard(const char* text) {
    for (const char* c = text; *c; ++c) {
        if (chars_.Chars().IsLeadByte(static_cast<unsigned char>(*c))) return true;
        // A character without a key on the current layout cannot be typed.
        if (keys_.KeyForChar(*c) == -1) return true;
    }
    return false;
}

void Replacement::TypeParts(const MacroText& parts) {
    bool caretSeen = false;
    long long counter = 0;
    for (const MacroPart& part : parts) {
        if (part.kind == MacroPart::Kind::Key) {
            if (part.text == macro::kCaret) {
                caretSeen = true;
                continue;
            }
            std::uint8_t vk = KeyMacroVk(part.text);
            SendKey(0, vk);
            if (caretSeen) {
                if (vk == vkey::kReturn || vk == vkey::kTab) ++counter;
                if (vk == vkey::kBack) --counter;
            }
            continue;
        }
        const std::string& text = part.text;
        if (Utf8()) {
            TypeUtf8(text, caretSeen, counter);
            continue;
        }
        if (caretSeen) counter += static_cast<long long>(CharCount(text, chars_.Chars()));
        if (text.empty()) continue;
        if (NeedsClipboard(text.c_str())) {
            Paste(text, kReplaceCodePage);
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
        for (long long i = 0; i < counter; ++i) SendKey(0, vkey::kLeft);
}

void Replacement::Paste(const std::string& text, std::uint32_t encoding) {
    // A paste posted now would overtake the keys just typed (posted messages
    // are taken before input): the marker key puts it in its place in the
    // input.  Without room in the queue, at once.
    if (pastes_.Queue(text, encoding))
        SendKey(0, VK_PASTE_MARKER);
    else
        pastes_.PasteNow(text.c_str(), s_.caretWindow, encoding);
}

void Replacement::TypeUtf8(const std::string& text, bool caretSeen, long long& counter) {
    if (caretSeen) counter += static_cast<long long>(utf16::CharCount(text));
    if (text.empty()) return;
    if (policy_.TypesByClipboard(s_.caretWindow)) {
        Paste(text, kReplaceUtf8);
        return;
    }
    for (std::size_t at = 0; at < text.size();) {
        const utf16::Decoded d = utf16::DecodeAt(text, at);
        if (!d.bytes || d.ch < 0x20) {
            // Control characters are their keys (Enter, Tab), as in a
            // code-page text; a byte that is no UTF-8 comes from a date or
            // time macro, expanded in the code page, and is typed as there.
            const char ch = text[at++];
            SendKey(ch, 0);
            if (ch == '\r' && at < text.size() && text[at] == '\n') {
                ++at;  // the carriage return makes the line break
                if (caretSeen) --counter;
            }
            continue;
        }
        at += d.bytes;
        char16_t units[2];
        const int n = utf16::Units(d.ch, units);
        for (int i = 0; i < n; ++i) {
            CountOwnInput(s_, 2, clock_.TickCount());
            keys_.UnicodeEvent(units[i], false, kVemoInputMark);
            keys_.UnicodeEvent(units[i], true, kVemoInputMark);
        }
    }
}

void Replacement::SendKey(char ch, std::uint8_t vk) {
    if (!ch && !vk) return;
    if (vk) {
        keys_.KeyEvent(vk, INJECTED_SCAN_CODE, false);
        keys_.KeyEvent(vk, INJECTED_SCAN_CODE, true);
    }
    if (!ch) return;
    std::int16_t scan = keys_.KeyForChar(ch);
    if (scan == -1) return;  // no key types this character
    auto key = static_cast<std::uint8_t>(scan & 0xFF);
    bool caps = keys_.CapsLockOn();
    bool shift;
    if (ch >= 'a' && ch <= 'z')
        shift = caps;
    else if (ch >= 'A' && ch <= 'Z')
        shift = !caps;
    else
        shift = (scan & 0x100) != 0;
    // Released here, a Shift the user still holds would leave the next
    // capital they type in lower case.
    if (shift && keys_.ShiftHeld()) shift = false;
    if (shift) keys_.KeyEvent(vkey::kShift, INJECTED_SCAN_CODE, false);
    keys_.KeyEvent(key, INJECTED_SCAN_CODE, false);
    keys_.KeyEvent(key, INJECTED_SCAN_CODE, true);
    if (shift) keys_.KeyEvent(vkey::kShift, INJECTED_SCAN_CODE, true);
}

}  // namespace wl
