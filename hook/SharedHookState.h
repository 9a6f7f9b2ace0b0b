// The hook library's one shared record.  Every process into which "Vemo.dll"
// is mapped reads and writes the same instance (a named file mapping), so the
// layout is fixed: 32-bit handles, no pointers, no padding that depends on the
// compiler's bitness.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hook/VemoConstants.h"
#include "platform/LetterWords.h"

namespace wl {

// A window or hook handle as stored in the record: Windows keeps user handles
// 32-bit significant in processes of either bitness.
using Handle32 = std::uint32_t;

struct HookRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// spaceAdded when the window the space was typed in could not be told.
inline constexpr Handle32 kSpaceAddedSomewhere = 1;
// How long after the completion the key typed next may still move its space.
inline constexpr std::uint32_t kSpaceAddedMs = 3000;

// A word the user finished, for the main program to learn from.  A slot is
// written under its sequence number: 2 * ticket + 1 while it is written,
// 2 * ticket + 2 when it is whole.  check covers the ticket and everything
// after it, so that a slot two writers wrote into at once (one of them a
// whole ring of words late) never passes for either's word.
inline constexpr std::size_t kFinishedWordBytes = kMaxLearnedWordBytes;
inline constexpr std::size_t kFinishedWordSlots = 64;
// The slots of finished, and line's word fields below are no longer written:
// the words are kept as UTF-8 in finishedUtf8 and lineUtf8, whose fields
// hold a word of kMaxLearnedChars characters of up to four bytes each.
inline constexpr std::size_t kWordUtf8Bytes = 4 * kMaxLearnedChars;
// FinishedWordSlot::flags: the word began a sentence (after ".", "!", "?"
// or at the start of a line), so its capital letter may be the sentence's.
inline constexpr std::uint8_t kFinishedSentenceStart = 1;
struct FinishedWordSlot {
    std::uint32_t seq;
    std::uint32_t epoch;  // learnEpoch when the word was written
    std::uint32_t check;
    std::uint8_t wordLen;
    std::uint8_t prevLen;
    std::uint8_t flags;
    std::uint8_t reserved;
    char word[kFinishedWordBytes];
    char prev[kFinishedWordBytes];  // the word before it, when a space alone was between
};
static_assert(sizeof(FinishedWordSlot) == 144);
// The same, with the word and the word before it as UTF-8.
struct FinishedWordSlotUtf8 {
    std::uint32_t seq;
    std::uint32_t epoch;
    std::uint32_t check;
    std::uint16_t wordLen;
    std::uint16_t prevLen;
    std::uint8_t flags;
    std::uint8_t reserved[3];
    char word[kWordUtf8Bytes];
    char prev[kWordUtf8Bytes];
};
static_assert(sizeof(FinishedWordSlotUtf8) == 532);

// The words of the line at the caret, as the keyboard hook saw them typed:
// written by the keyboard hook alone (the main program's lookups change
// typedLine, never this), under seq (odd while it is written).  A word is
// finished for learning only by a delimiter typed right after it; anything
// the user did in between elsewhere (a click, another window, a caret moved
// other than by typing, a key that moves or edits) ends the line, and the
// word at the caret then has an unknown start: it is not learned.
inline constexpr std::size_t kLineWordBytes = kMaxLearnedWordBytes;
// CaretLine::flags
inline constexpr std::uint8_t kLineUnknownStart = 1;     // the word's start was not seen
inline constexpr std::uint8_t kLineSentenceStart = 2;    // the word begins a sentence
inline constexpr std::uint8_t kLineCaretKnown = 4;       // caret holds the caret at the last key
inline constexpr std::uint8_t kLineAfterTyping = 8;      // the last key typed a character
inline constexpr std::uint8_t kLineAfterErase = 16;      // the last key erased one
inline constexpr std::uint8_t kLineDirectionKnown = 32;  // typing was seen to move the caret,
inline constexpr std::uint8_t kLineBackwards = 64;       // and leftwards (right-to-left text)
struct CaretLine {
    std::uint32_t seq;
    Handle32 window;           // the focus window of the last key
    std::uint32_t breaksSeen;  // lineBreaks as of the last key
    Handle32 caretWindow;      // the window of caret
    HookRect caret;            // the caret before the last key, in caretWindow's client area
    std::uint8_t flags;        // kLine*
    std::uint8_t wordLen;
    std::uint8_t prevLen;
    std::uint8_t overflow;      // 1: the word grew past kLineWordBytes
    char word[kLineWordBytes];  // what was typed since the last delimiter
    char prev[kLineWordBytes];  // the word before it when a single space followed it
    // The context of the word being typed: the last two words of the line
    // before it (older first), kContextStart standing for a sentence's
    // start; none after what ended the line or a word that is no word.
    std::uint8_t contextWords;  // 0 to 2
    std::uint8_t contextLen[2];
    std::uint8_t justSpaced;  // 1: a single space ended a word just now
    char context[2][kLineWordBytes];
};
static_assert(sizeof(CaretLine) == 296);
// The words of CaretLine as UTF-8; its seq, flags and counts cover them too.
struct CaretLineUtf8 {
    std::uint16_t wordLen;
    std::uint16_t prevLen;
    std::uint16_t contextLen[2];
    char word[kWordUtf8Bytes];
    char prev[kWordUtf8Bytes];
    char context[2][kWordUtf8Bytes];
};
static_assert(sizeof(CaretLineUtf8) == 1032);
// The start of a sentence as a context word: no word typed is written so.
inline constexpr char kContextStart[] = "<s>";

struct SharedHookState {
    HookRect caretRect;                    // screen rectangle of the caret
    Handle32 caretWindow;                  // window in which the caret last moved
    std::uint32_t active;                  // 1 after a successful BeginVemo
    Handle32 winEventHook;                 // caret-location event hook
    Handle32 keyboardHook;                 // WH_KEYBOARD
    Handle32 messageHook;                  // WH_GETMESSAGE
    char inputWord[vemo::kWordSize];       // the lookup key
    char lastLookupWord[vemo::kWordSize];  // inputWord after the last lookup
    char typedLine[vemo::kWordSize];       // text typed since the last reset
    Handle32 mainWindow;                   // the candidate window; 0 while inactive
    char replaceText[vemo::kReplaceSize];  // set by SetReplaceStr
    std::int32_t replaceMode;              // REPLACE_*
    std::uint32_t lookupPending;           // 1: the next caret movement looks up
    std::uint8_t vkSelectPrev;
    std::uint8_t vkSelectNext;
    std::uint8_t vkSelectIndex[10];
    std::uint8_t vkSelectPageDown;
    std::uint8_t vkSelectPageUp;
    std::uint8_t vkSelect[10];
    // Texts waiting to be pasted, from pasteRead up to pasteWrite:
    // replacement typing queues a text that goes through the clipboard and
    // types a paste marker key in its place; the keyboard hook pastes it when
    // the marker comes through, after the keys before it.  Each entry is the
    // window it is meant for (4 bytes), the tick count when it was queued
    // (4 bytes) and the NUL-terminated text.
    std::uint32_t pasteRead;
    std::uint32_t pasteWrite;
    char pasteQueue[vemo::kReplaceSize];
    // Counts the times the list was taken down on request (a completion,
    // Escape, a space): a lookup on the main program's thread that overlaps
    // one shows nothing and leaves nothing pending.  Read and changed
    // atomically.
    std::uint32_t listSerial;
    // While the last thing typed is the space a completion added after its
    // word (REPLACE_KEEP_SPACE): the window it was typed in (1 when that
    // could not be told); the next key decides whether it moves.  0 else.
    std::uint32_t spaceAdded;
    // Set by the main program while it learns from what is typed: only then
    // are finished words reported.  Tickets of the ring below are handed out
    // from finishedNext, so that the hook never waits.
    std::uint32_t learnOn;
    std::uint32_t finishedNext;
    // Raised by the main program whenever what was reported so far must not
    // be learned (learning or Wordlark switched off, what was learned
    // forgotten): a slot written under an older epoch is never taken in.
    std::uint32_t learnEpoch;
    FinishedWordSlot finished[kFinishedWordSlots];
    // Counts the things that end the line at the caret which the keyboard
    // hook does not see itself: a mouse button pressed in an application
    // (the message hook).  Raised atomically by anyone; the keyboard hook
    // ends the line at its next key when it changed.
    std::uint32_t lineBreaks;
    // The tick count when the space a completion added was typed: the next
    // key moves it only within kSpaceAddedMs.
    std::uint32_t spaceAddedTick;
    CaretLine line;
    // Set by the main program while the next word is offered after a word
    // and a space (with the ranked order): the hook then asks for it.
    std::uint32_t predictOn;
    // 1 while the lookup pending, or the list shown, offers the next word
    // with no letter typed: only Tab, Down, Up and Escape steer it.
    std::uint32_t predicting;
    // inputWord, lastLookupWord and typedLine as UTF-8, changed with them
    // wherever they change.  A character the code page cannot hold is kept
    // here; the code-page fields get what the code page makes of it.
    char inputWordUtf8[vemo::kWordUtf8Size];
    char lastLookupWordUtf8[vemo::kWordUtf8Size];
    char typedLineUtf8[vemo::kWordUtf8Size];
    // The words of the line at the caret, and the ring of finished words,
    // as UTF-8 (see CaretLine and FinishedWordSlot).
    CaretLineUtf8 lineUtf8;
    FinishedWordSlotUtf8 finishedUtf8[kFinishedWordSlots];
    // output
    // The encoding of replaceText: 0 the system's code page (SetReplaceStr),
    // kReplaceUtf8 UTF-8 (SetReplaceStrUtf8).
    std::uint32_t replaceEncoding;
    // The keys replacement typing typed as characters (KEYEVENTF_UNICODE)
    // that no keyboard hook has taken yet, and the tick count when the last
    // was typed.  Where the system does not let a keyboard hook read the
    // input's extra information (Wine calls the hook before it sets it), a
    // VK_PACKET key is the library's own while this counts (IsOwnInput).
    std::uint32_t ownUnicodeKeys;
    std::uint32_t ownUnicodeTick;
};

// The layout every process relies on, whatever its bitness.
static_assert(offsetof(SharedHookState, caretWindow) == 16);
static_assert(offsetof(SharedHookState, messageHook) == 32);
static_assert(offsetof(SharedHookState, inputWord) == 36);
static_assert(offsetof(SharedHookState, lastLookupWord) == 1060);
static_assert(offsetof(SharedHookState, typedLine) == 2084);
static_assert(offsetof(SharedHookState, mainWindow) == 3108);
static_assert(offsetof(SharedHookState, replaceText) == 3112);
static_assert(offsetof(SharedHookState, replaceMode) == 68648);
static_assert(offsetof(SharedHookState, lookupPending) == 68652);
static_assert(offsetof(SharedHookState, vkSelectPrev) == 68656);
static_assert(offsetof(SharedHookState, vkSelectIndex) == 68658);
static_assert(offsetof(SharedHookState, vkSelectPageDown) == 68668);
static_assert(offsetof(SharedHookState, vkSelect) == 68670);
static_assert(offsetof(SharedHookState, pasteRead) == 68680);
static_assert(offsetof(SharedHookState, pasteQueue) == 68688);
static_assert(offsetof(SharedHookState, listSerial) == 134224);
static_assert(offsetof(SharedHookState, spaceAdded) == 134228);
static_assert(offsetof(SharedHookState, learnOn) == 134232);
static_assert(offsetof(SharedHookState, finished) == 134244);
static_assert(offsetof(SharedHookState, lineBreaks) == 143460);
static_assert(offsetof(SharedHookState, line) == 143468);
static_assert(offsetof(SharedHookState, predictOn) == 143764);
static_assert(offsetof(SharedHookState, predicting) == 143768);
static_assert(offsetof(SharedHookState, inputWordUtf8) == 143772);
static_assert(offsetof(SharedHookState, lastLookupWordUtf8) == 146844);
static_assert(offsetof(SharedHookState, typedLineUtf8) == 149916);
static_assert(offsetof(SharedHookState, lineUtf8) == 152988);
static_assert(offsetof(SharedHookState, finishedUtf8) == 154020);
// output
static_assert(offsetof(SharedHookState, replaceEncoding) == 188068);
static_assert(offsetof(SharedHookState, ownUnicodeKeys) == 188072);
static_assert(offsetof(SharedHookState, ownUnicodeTick) == 188076);
static_assert(sizeof(SharedHookState) == 188080);

// The layout's version, part of the names of the record and of its mutex: a
// program never opens a record of another layout, such as the one a hook
// library of an older version, still loaded in running applications, keeps
// alive.  Raise it whenever the layout changes.
inline constexpr int kSharedStateLayoutVersion = 3;

class CodePage;
class Registry;

// Zero bytes everywhere, and the default selection keys.
void InitSharedHookState(SharedHookState& state);

// Reads the selection keys from the Option key (created when missing) into
// the record.  A value that is missing or not exactly its width leaves its
// field unchanged.
void ReadSelectKeys(SharedHookState& state, Registry& registry);

// EndVemo's clearing: the texts (and their UTF-8 twins) to zero bytes, mainWindow and active 0,
// the paste queue emptied, learning off with every word reported so far
// dropped, and the line at the caret forgotten.
void ClearSharedTexts(SharedHookState& state);

// GetInputStr: copies at most size - 1 bytes of inputWord, no terminator.
int CopyInputWord(const SharedHookState& state, char* buffer, int size);
// GetInputStrUtf8: the same for inputWordUtf8, never cutting a character;
// 0 when there is no word.
int CopyInputWordUtf8(const SharedHookState& state, char* buffer, int size);

// SetReplaceStr: stores the text, cut to fit 65,535 bytes plus its
// terminator without splitting a double-byte character, and the mode.
int StoreReplaceText(SharedHookState& state, const char* text, int mode, const CodePage& chars);

// SetReplaceStrUtf8: the same for a text in UTF-8, cut without splitting a
// character.  Text that is not well-formed UTF-8, or a path mode (paths are
// in the code page), is refused: 0, and no text is left to type.
int StoreReplaceTextUtf8(SharedHookState& state, const char* text, int mode);

// How long the keys typed as characters are waited for: those that went to
// an application without the hook library are never taken.
inline constexpr std::uint32_t kOwnInputMs = 1000;
// Replacement typing is about to type `keys` key events as characters.
void CountOwnInput(SharedHookState& state, std::uint32_t keys, std::uint32_t now);
// The keyboard hook's question for a key it takes (HC_ACTION): whether the
// library typed it as a character.  packet: a character typed as itself
// (VK_PACKET), which takes one count; marked: the input carries
// kVemoInputMark.  Any other key is not: the library's own carry their scan
// code instead.
bool IsOwnInput(SharedHookState& state, bool packet, bool marked, std::uint32_t now);

}  // namespace wl
