// The values that cross between "Vemo.dll" and the main program: the two
// messages the hook library sends, the caret-pending notice, the select-key
// requests and the replacement modes.  Platform-free, so that the main
// program's list logic and the hook logic share one definition.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wl::vemo {

// Messages to the main window (WM_USER + 1001 ... 1004).
inline constexpr unsigned WM_WORD_LOOKUP = 2025;  // SendMessage; answer 0: candidates found
inline constexpr unsigned WM_SELECT_KEY = 2026;   // SendMessage; wParam a SELECT_* or 0..9
// PostMessage: start the CheckCaret timer.  Sent (with a timeout) when a key
// that takes a candidate finds the list behind the word: the main window then
// runs CheckCaret before it answers.
inline constexpr unsigned WM_CARET_PENDING = 2027;
// PostMessage, while learning: a word was finished and reported under the
// ticket in wParam.  The main window asks at once whether the field it was
// typed in hides its text.
inline constexpr unsigned WM_WORD_FINISHED = 2028;

// WM_COPYDATA to the main window with this dwData: a text for one paste, its
// encoding (kReplaceCodePage or kReplaceUtf8, 4 bytes) and then its bytes.
// Sent with a timeout; the answer is 1 when the text is on the clipboard,
// the user's content kept to be put back after the paste.
inline constexpr std::uintptr_t COPYDATA_PASTE_TEXT = 0x56504153;  // "VPAS"

// wParam of WM_WORD_LOOKUP: the word as typed (GetInputStr), or, with no
// letter typed after a word and a space, the words most likely next.
inline constexpr int LOOKUP_WORD = 0;
inline constexpr int LOOKUP_NEXT_WORD = 1;

// wParam of WM_SELECT_KEY besides a candidate index 0 to 9.
inline constexpr int SELECT_PREV = -1;
inline constexpr int SELECT_NEXT = -2;
inline constexpr int SELECT_PAGEUP = -4;
inline constexpr int SELECT_PAGEDOWN = -5;

// Modes of SetReplaceStr.
inline constexpr int REPLACE_WORD = 0;         // erase the word, type the text
inline constexpr int REPLACE_COMPLETE = 1;     // type what follows the word
inline constexpr int REPLACE_KEEP = 2;         // like WORD; the text becomes the word
inline constexpr int REPLACE_PATH_FOLDER = 3;  // replace the last path component, add "\"
inline constexpr int REPLACE_PATH_FILE = 4;    // replace the last path component
// Like KEEP, with a space after the text that a punctuation key typed next
// moves after itself ("word " then "." gives "word. "); the word is finished.
inline constexpr int REPLACE_KEEP_SPACE = 5;

// Scan code of every keystroke the library synthesizes; the keyboard hook
// ignores keystrokes that carry it.
inline constexpr std::uint8_t INJECTED_SCAN_CODE = 0xEE;

// replaceEncoding of the record, and the encoding of a text handed to the
// main window for the clipboard: 0 the system's code page, or UTF-8.
inline constexpr std::uint32_t kReplaceCodePage = 0;
inline constexpr std::uint32_t kReplaceUtf8 = 65001;

// dwExtraInfo of the keys the library types as characters themselves
// (KEYEVENTF_UNICODE, which carries the character where the scan code would
// be): the keyboard hook does not capture input that carries it.
inline constexpr std::uint32_t kVemoInputMark = 0x564D4F31;  // "VMO1"

// The key that replacement typing synthesizes (with INJECTED_SCAN_CODE) where
// a text goes through the clipboard: an unassigned virtual key, swallowed by
// the keyboard hook, which pastes the next queued text when it sees it.
inline constexpr std::uint8_t VK_PASTE_MARKER = 0xE8;

// Fixed buffer sizes of the shared record.
inline constexpr std::size_t kWordSize = 1024;      // inputWord, typedLine, lastLookupWord
inline constexpr std::size_t kReplaceSize = 65536;  // replaceText
inline constexpr std::size_t kMaxWordLength = kWordSize - 1;
// inputWordUtf8, typedLineUtf8, lastLookupWordUtf8: the same texts as UTF-8,
// room for as many characters of up to three bytes.
inline constexpr std::size_t kWordUtf8Size = 3 * kWordSize;

// How long the keyboard hook waits for the main window's answer to a message
// before it counts the message as unanswered.
inline constexpr unsigned kSendTimeoutMs = 1000;

}  // namespace wl::vemo
