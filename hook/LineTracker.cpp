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
    Edit edit(line);
    line.flags |= kLineAfterTyping;
    line.justSpaced = 0;
    const CodePage& cp = chars_.Chars();
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char c = chars[i];
        const bool pair = cp.IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < chars.size();
        // An apostrophe or a hyphen joins letters; first in a word, or after
        // another, it ends the word as punctuation does.
        const bool joinerEnds =
            IsWordJoiner(c) && (line.wordLen == 0 || IsWordJoiner(line.word[line.wordLen - 1]));
        if (!pair && (EndsWord(c) || joinerEnds)) {
            FinishWord(c);
            continue;
        }
        const std::size_t n = pair ? 2 : 1;
        if (line.overflow || line.wordLen + n > kLineWordBytes) {
            line.overflow = 1;
        } else {
            std::memcpy(line.word + line.wordLen, chars.data() + i, n);
            line.wordLen = static_cast<std::uint8_t>(line.wordLen + n);
        }
        i += n - 1;
    }
}

void LineTracker::FinishWord(char delimiter) {
    CaretLine& line = s_.line;
    std::string_view word(line.word, line.wordLen);
    while (!word.empty() && IsWordJoiner(word.back())) word.remove_suffix(1);
    const bool learnable = !(line.flags & kLineUnknownStart) && !line.overflow &&
                           IsLetterWord(word, chars_.Chars(), kFinishedWordBytes);
    if (learnable) Report(word);
    // The next word pairs with this one only across a single space.
    if (delimiter == ' ' && learnable) {
        std::memcpy(line.prev, word.data(), word.size());
        line.prevLen = static_cast<std::uint8_t>(word.size());
    } else {
        line.prevLen = 0;
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
    const bool letters = !line.overflow && IsLetterWord(word, chars_.Chars(), kFinishedWordBytes);
    line.justSpaced = delimiter == ' ' && letters ? 1 : 0;
    // A sentence starts after its end mark and the spaces that follow it.
    if (EndsSentence(delimiter)) {
        line.flags |= kLineSentenceStart;
        ClearContext(true);
    } else if (delimiter != ' ' || line.wordLen || line.overflow) {
        line.flags &= static_cast<std::uint8_t>(~kLineSentenceStart);
    }
    ClearWord();
    line.flags &= static_cast<std::uint8_t>(~kLineUnknownStart);
}

void LineTracker::Report(std::string_view word) {
    const CaretLine& line = s_.line;
    const std::uint8_t flags = (line.flags & kLineSentenceStart) ? kFinishedSentenceStart : 0;
    const std::int64_t ticket =
        ReportFinishedWord(s_, word, std::string_view(line.prev, line.prevLen), flags);
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
    if (word.size() > kLineWordBytes) {
        line.contextWords = 0;
        return;
    }
    if (line.contextWords == 2) {
        std::memcpy(line.context[0], line.context[1], line.contextLen[1]);
        line.contextLen[0] = line.contextLen[1];
        line.contextWords = 1;
    }
    std::memcpy(line.context[line.contextWords], word.data(), word.size());
    line.contextLen[line.contextWords] = static_cast<std::uint8_t>(word.size());
    ++line.contextWords;
}

void LineTracker::EndLine(End end) {
    CaretLine& line = s_.line;
    ClearWord();
    line.prevLen = 0;
    line.justSpaced = 0;
    line.flags =
        static_cast<std::uint8_t>((line.flags & kCaretFlags) |
                                  (end == End::NewLine ? kLineSentenceStart : kLineUnknownStart));
    ClearContext(end == End::NewLine);
}

void LineTracker::ClearWord() {
    CaretLine& line = s_.line;
    line.wordLen = 0;
    line.overflow = 0;
}

void LineTracker::Erased() {
    CaretLine& line = s_.line;
    Edit edit(line);
    line.flags |= kLineAfterErase;
    line.justSpaced = 0;
    if (line.wordLen == 0 || line.overflow) {
        // Into what came before the word, or a word too long to keep: what
        // stands before the caret is no longer known.
        EndLine(End::Unknown);
        return;
    }
    const CodePage& cp = chars_.Chars();
    std::size_t last = 0;
    for (std::size_t i = 0; i < line.wordLen;) {
        last = i;
        i +=
            cp.IsLeadByte(static_cast<unsigned char>(line.word[i])) && i + 1 < line.wordLen ? 2 : 1;
    }
    line.wordLen = static_cast<std::uint8_t>(last);
}

void LineTracker::Break(End end) {
    Edit edit(s_.line);
    EndLine(end);
}

void LineTracker::Took(std::string_view text, std::string_view wordText, bool spaceAfter) {
    CaretLine& line = s_.line;
    Edit edit(line);
    // The completion's own keys moved the caret.
    line.flags &= static_cast<std::uint8_t>(~kLastKeyFlags);
    line.justSpaced = 0;
    // A phrase took the words before it in too.
    for (char c : wordText) {
        if (EndsWord(c)) {
            line.prevLen = 0;
            ClearContext(false);
        }
    }
    ClearWord();
    if (text.size() > kLineWordBytes) {
        line.overflow = 1;
    } else {
        std::memcpy(line.word, text.data(), text.size());
        line.wordLen = static_cast<std::uint8_t>(text.size());
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
            words.emplace_back(line.context[i],
                               std::min<std::size_t>(line.contextLen[i], kLineWordBytes));
        std::atomic_thread_fence(std::memory_order_acquire);
        if (seq() == before) return words;
    }
    return {};
}

}  // namespace wl
