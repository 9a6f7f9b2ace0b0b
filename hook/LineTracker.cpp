#include "hook/LineTracker.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "hook/FinishedWords.h"
#include "hook/RecordText.h"
#include "platform/LetterWords.h"

namespace wl {

namespace {

// What the line knows of the caret, which ending the line keeps.
constexpr std::uint8_t kCaretFlags =
    kLineCaretKnown | kLineAfterTyping | kLineAfterErase | kLineDirectionKnown | kLineBackwards;
constexpr std::uint8_t kLastKeyFlags = kLineCaretKnown | kLineAfterTyping | kLineAfterErase;

bool EndsWord(char c) {
    return c != '\'' && record::IsDelimiter(c);
}

bool EndsSentence(char c) {
    return c == '.' || c == '!' || c == '?';
}

// The length of the UTF-8 character that starts with this byte.
std::size_t Utf8Length(char lead) {
    const auto b = static_cast<unsigned char>(lead);
    return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

}  // namespace

// The line is written under its sequence number, odd meanwhile, so that a
// reader in another process can tell a line that was being changed.
struct LineTracker::Edit {
    explicit Edit(CaretLine& line) : seq(line.seq) { seq.fetch_add(1, std::memory_order_acq_rel); }
    ~Edit() { seq.fetch_add(1, std::memory_order_release); }
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;
    std::atomic_ref<std::uint32_t> seq;
};

bool LineTracker::BeforeKey() {
    CaretLine& line = s_.line;
    const FocusInfo& now = focus_.Info();
    const std::uint32_t breaks = std::atomic_ref<std::uint32_t>(s_.lineBreaks).load();
    const bool broke =
        breaks != line.breaksSeen || now.focus != line.window || CaretMovedApart(now);
    Edit edit(line);
    // A character typed moved the caret along the line: that is the way
    // this text runs.
    if (!broke && (line.flags & kLineAfterTyping) && now.caretWindow) {
        line.flags |= kLineDirectionKnown;
        if (now.caret.left < line.caret.left)
            line.flags |= kLineBackwards;
        else
            line.flags &= static_cast<std::uint8_t>(~kLineBackwards);
    }
    line.breaksSeen = breaks;
    line.window = now.focus;
    line.flags &= static_cast<std::uint8_t>(~kLastKeyFlags);
    if (now.caretWindow) {
        line.caretWindow = now.caretWindow;
        line.caret = now.caret;
        line.flags |= kLineCaretKnown;
    }
    line.justSpaced = 0;
    if (broke) EndLine(End::Unknown);
    return broke;
}

// After a character the application took, its caret stands further along
// the same line, the way the text runs (back, after one erased); anywhere
// else, something other than the typing moved it (the application emptied
// the box, a click, a selection).  Where there is no caret to ask, nothing
// can be told.
bool LineTracker::CaretMovedApart(const FocusInfo& now) const {
    const CaretLine& line = s_.line;
    const bool typed = (line.flags & kLineAfterTyping) != 0;
    const bool erased = (line.flags & kLineAfterErase) != 0;
    if (!(line.flags & kLineCaretKnown) || !(typed || erased) || !now.caretWindow) return false;
    if (now.caretWindow != line.caretWindow) return true;
    if (now.caret.top != line.caret.top || now.caret.bottom != line.caret.bottom) return true;
    if (now.caret.left == line.caret.left) return true;
    if (!(line.flags & kLineDirectionKnown)) return false;
    const bool leftwards = now.caret.left < line.caret.left;
    const bool backwards = (line.flags & kLineBackwards) != 0;
    return leftwards != (backwards != erased);
}

void LineTracker::Typed(std::string_view chars) {
    CaretLine& line = s_.line;
    CaretLineUtf8& text = s_.lineUtf8;
    Edit edit(line);
    line.flags |= kLineAfterTyping;
    line.justSpaced = 0;
    for (std::size_t i = 0; i < chars.size();) {
        const char c = chars[i];
        const std::size_t n = std::min(Utf8Length(c), chars.size() - i);
        // An apostrophe or a hyphen joins letters; first in a word, or after
        // another, it ends the word as punctuation does.  (No byte of a
        // character beyond ASCII is either.)
        const bool joinerEnds =
            IsWordJoiner(c) && (text.wordLen == 0 || IsWordJoiner(text.word[text.wordLen - 1]));
        if (n == 1 && (EndsWord(c) || joinerEnds)) {
            FinishWord(c);
            ++i;
            continue;
        }
        if (line.overflow || text.wordLen + n > kWordUtf8Bytes) {
            line.overflow = 1;
        } else {
            std::memcpy(text.word + text.wordLen, chars.data() + i, n);
            text.wordLen = static_cast<std::uint16_t>(text.wordLen + n);
        }
        i += n;
    }
}

void LineTracker::FinishWord(char delimiter) {
    CaretLine& line = s_.line;
    CaretLineUtf8& text = s_.lineUtf8;
    std::string_view word(text.word, std::min<std::size_t>(text.wordLen, kWordUtf8Bytes));
    while (!word.empty() && IsWordJoiner(word.back())) word.remove_suffix(1);
    const bool letters = !line.overflow && IsLetterWordUtf8(word, chars_.Chars(), kMaxLearnedChars);
    const bool learnable = letters && !(line.flags & kLineUnknownStart);
    if (learnable) Report(word);
    // The next word pairs with this one only across a single space.
    if (delimiter == ' ' && learnable) {
        std::memcpy(text.prev, word.data(), word.size());
        text.prevLen = static_cast<std::uint16_t>(word.size());
    } else {
        text.prevLen = 0;
    }
    // The context goes on across other marks; a token that is no word ends
    // it.
    if (!word.empty() || line.overflow) {
        if (learnable)
            PushContext(word);
        else
            ClearContext(false);
    }
    // The next word is offered after any word and a space, also one whose
    // start was not seen (with no context then).
    line.justSpaced = delimiter == ' ' && letters ? 1 : 0;
    // A sentence starts after its end mark and the spaces that follow it.
    if (EndsSentence(delimiter)) {
        line.flags |= kLineSentenceStart;
        ClearContext(true);
    } else if (delimiter != ' ' || text.wordLen || line.overflow) {
        line.flags &= static_cast<std::uint8_t>(~kLineSentenceStart);
    }
    ClearWord();
    line.flags &= static_cast<std::uint8_t>(~kLineUnknownStart);
}

void LineTracker::Report(std::string_view word) {
    const CaretLine& line = s_.line;
    const std::uint8_t flags = (line.flags & kLineSentenceStart) ? kFinishedSentenceStart : 0;
    const CaretLineUtf8& text = s_.lineUtf8;
    const std::int64_t ticket = ReportFinishedWord(
        s_, word, std::string_view(text.prev, std::min<std::size_t>(text.prevLen, kWordUtf8Bytes)),
        flags);
    // The main program asks at once whether the focused field hides its
    // text, before the focus can move on.
    if (ticket >= 0 && s_.mainWindow)
        w_.PostToWindow(s_.mainWindow, vemo::WM_WORD_FINISHED, static_cast<std::intptr_t>(ticket),
                        0);
}

void LineTracker::ClearContext(bool sentenceStart) {
    CaretLine& line = s_.line;
    line.contextWords = 0;
    if (sentenceStart) PushContext(kContextStart);
}

void LineTracker::PushContext(std::string_view word) {
    CaretLine& line = s_.line;
    CaretLineUtf8& text = s_.lineUtf8;
    if (word.size() > kWordUtf8Bytes) {
        line.contextWords = 0;
        return;
    }
    if (line.contextWords == 2) {
        std::memcpy(text.context[0], text.context[1], text.contextLen[1]);
        text.contextLen[0] = text.contextLen[1];
        line.contextWords = 1;
    }
    std::memcpy(text.context[line.contextWords], word.data(), word.size());
    text.contextLen[line.contextWords] = static_cast<std::uint16_t>(word.size());
    ++line.contextWords;
}

void LineTracker::EndLine(End end) {
    CaretLine& line = s_.line;
    ClearWord();
    s_.lineUtf8.prevLen = 0;
    line.justSpaced = 0;
    line.flags =
        static_cast<std::uint8_t>((line.flags & kCaretFlags) |
                                  (end == End::NewLine ? kLineSentenceStart : kLineUnknownStart));
    ClearContext(end == End::NewLine);
}

void LineTracker::ClearWord() {
    s_.lineUtf8.wordLen = 0;
    s_.line.overflow = 0;
}

void LineTracker::Erased() {
    CaretLine& line = s_.line;
    CaretLineUtf8& text = s_.lineUtf8;
    Edit edit(line);
    line.flags |= kLineAfterErase;
    line.justSpaced = 0;
    if (text.wordLen == 0 || line.overflow) {
        // Into what came before the word, or a word too long to keep: what
        // stands before the caret is no longer known.
        EndLine(End::Unknown);
        return;
    }
    // The last character, all of its bytes.
    std::size_t last = std::min<std::size_t>(text.wordLen, kWordUtf8Bytes);
    do --last;
    while (last > 0 && (static_cast<unsigned char>(text.word[last]) & 0xC0) == 0x80);
    text.wordLen = static_cast<std::uint16_t>(last);
}

void LineTracker::Break(End end) {
    Edit edit(s_.line);
    EndLine(end);
}

void LineTracker::Took(std::string_view text, std::string_view wordText, bool spaceAfter) {
    CaretLine& line = s_.line;
    CaretLineUtf8& words = s_.lineUtf8;
    Edit edit(line);
    // The completion's own keys moved the caret.
    line.flags &= static_cast<std::uint8_t>(~kLastKeyFlags);
    line.justSpaced = 0;
    // A phrase took the words before it in too.
    for (char c : wordText) {
        if (EndsWord(c)) {
            words.prevLen = 0;
            ClearContext(false);
        }
    }
    ClearWord();
    // The line keeps its words as UTF-8; a text that cannot be told in it
    // is no word to learn.
    std::string utf8;
    if (text.size() > kWordUtf8Bytes || !chars_.Chars().ToUtf8(text, utf8) ||
        utf8.size() > kWordUtf8Bytes) {
        line.overflow = 1;
    } else {
        std::memcpy(words.word, utf8.data(), utf8.size());
        words.wordLen = static_cast<std::uint16_t>(utf8.size());
    }
    if (spaceAfter) FinishWord(' ');
}

void LineTracker::Replaced() {
    Break(End::Unknown);
    CaretLine& line = s_.line;
    Edit edit(line);
    line.flags &= static_cast<std::uint8_t>(~kLastKeyFlags);
}

std::vector<std::string> ContextWords(const SharedHookState& state) {
    const CaretLine& line = state.line;
    const CaretLineUtf8& text = state.lineUtf8;
    auto seq = [&] {
        return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(line.seq))
            .load(std::memory_order_acquire);
    };
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::uint32_t before = seq();
        if (before & 1) continue;
        std::vector<std::string> words;
        const std::size_t n = std::min<std::size_t>(line.contextWords, 2);
        for (std::size_t i = 0; i < n; ++i)
            words.emplace_back(text.context[i],
                               std::min<std::size_t>(text.contextLen[i], kWordUtf8Bytes));
        std::atomic_thread_fence(std::memory_order_acquire);
        if (seq() == before) return words;
    }
    return {};
}

}  // namespace wl
