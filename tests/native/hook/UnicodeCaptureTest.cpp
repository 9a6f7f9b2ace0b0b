// What is typed is kept as UTF-8 beside the code page: dead keys, characters
// the code page cannot hold, characters of more than one byte or unit, and
// the suffix lookup over both.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "hook/FinishedWords.h"
#include "platform/VirtualKeys.h"
#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

constexpr std::uint32_t kDeadAcute = 0xDE;
constexpr std::uint32_t kAlpha = 0xE1, kBeta = 0xE2, kGamma = 0xE3, kGrin = 0xE4, kEAcute = 0xE5;

// A layout with a dead acute accent, Greek letters, an emoji and é.
struct UnicodeKeys : HookFixture {
    UnicodeKeys() {
        p.deadKeys.insert(kDeadAcute);
        p.unicodeKeys = {
            {kAlpha, "\u03B1"}, {kBeta, "\u03B2"}, {kGamma, "\u03B3"}, {kGrin, "\U0001F600"}};
        p.extraKeys[kEAcute] = "\xE9";  // é on a French layout
    }
};

class UnicodeCapture : public ::testing::Test, public UnicodeKeys {};

template <class... K>
std::vector<std::uint32_t> Keys(K... keys) {
    return {static_cast<std::uint32_t>(keys)...};
}

// The application composes the accent with the next key itself, whether
// the system leaves the dead-key state alone when asked or the hook puts it
// back; the typed word holds the composed letter in both fields.
TEST_F(UnicodeCapture, ADeadKeyIsLeftToTheApplication) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> keys;  // Shift stands for the next key shifted
        std::u16string app;
        std::string fields, fieldsUtf8;
    };
    const Case cases[] = {
        {"acute, e", Keys(kDeadAcute, 'E'), u"\u00E9", "\xE9|\xE9", "\u00E9|\u00E9"},
        {"acute, Shift+E", Keys(kDeadAcute, kVkShift, 'E'), u"\u00C9", "\xC9|\xC9",
         "\u00C9|\u00C9"},
        {"within a word", Keys('C', 'A', 'F', kDeadAcute, 'E', 'S'), u"caf\u00E9s",
         "caf\xE9s|caf\xE9s", "caf\u00E9s|caf\u00E9s"},
        // No composition: the accent and the letter, neither a word's.
        {"acute, x", Keys(kDeadAcute, 'X'), u"\u00B4x", "|", "|"},
        {"acute twice, then e", Keys(kDeadAcute, kDeadAcute, 'E'), u"\u00B4\u00B4e", "e|e", "e|e"},
    };
    for (bool keeps : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (keeps ? ", flag known" : ", state put back"));
            UnicodeKeys f;
            f.p.keepsState = keeps;
            for (std::size_t i = 0; i < c.keys.size(); ++i) {
                if (c.keys[i] == kVkShift) {
                    f.p.shift = true;
                    f.Down(kVkShift);
                    continue;
                }
                f.AppKey(c.keys[i]);
                f.p.shift = false;
            }
            EXPECT_TRUE(f.appText == c.app);
            EXPECT_EQ(f.Fields(), c.fields);
            EXPECT_EQ(f.FieldsUtf8(), c.fieldsUtf8);
            EXPECT_EQ(f.p.deadPending, 0);  // nothing left behind
        }
    }
}

// A character the code page cannot hold is kept whole in the UTF-8 fields,
// where Backspace takes it away whole; the code-page fields keep what the
// code page makes of it ("?" here).  The two always hold the same text: a
// field about to overflow clears both.
TEST_F(UnicodeCapture, CharactersBeyondTheCodePageAreKeptWhole) {
    struct Case {
        const char* name;
        std::string before;  // ASCII typed first
        std::vector<std::uint32_t> keys;
        std::string fields, fieldsUtf8;
    };
    const Case cases[] = {
        {"Greek, a space, Greek", "", Keys(kAlpha, kBeta, ' ', kGamma), "?? ?|?? ?",
         "\u03B1\u03B2 \u03B3|\u03B1\u03B2 \u03B3"},
        {"Backspace over a two-byte character", "", Keys(kAlpha, kBeta, vkey::kBack), "?|?",
         "\u03B1|\u03B1"},
        {"a surrogate pair is one character", "a", Keys(kGrin), "a??|a??",
         "a\U0001F600|a\U0001F600"},
        {"and Backspace takes all four bytes", "a", Keys(kGrin, vkey::kBack), "a?|a?", "a|a"},
        {"a code-page field that would overflow clears both", std::string(1023, 'x'), Keys(kAlpha),
         "?|?", "\u03B1|\u03B1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnicodeKeys f;
        f.Type(c.before);
        for (std::uint32_t vk : c.keys) f.Key(vk);
        EXPECT_EQ(f.Fields(), c.fields);
        EXPECT_EQ(f.FieldsUtf8(), c.fieldsUtf8);
    }
}

// The space a completion added moves after punctuation typed next, not
// after a letter whose code-page stand-in is a punctuation mark.
TEST_F(UnicodeCapture, AStandInIsNoPunctuationThatMovesTheAddedSpace) {
    for (auto [vk, moves] : {std::pair{kAlpha, false}, std::pair{std::uint32_t{0xBF}, true}}) {
        SCOPED_TRACE(vk);
        UnicodeKeys f;
        f.SetLine("word ");
        f.s().line.window = f.p.focus;  // the completion was typed there
        f.s().spaceAdded = kSpaceAddedSomewhere;
        f.p.shift = vk == 0xBF;  // "?"
        f.Down(vk);
        EXPECT_EQ(f.p.TypedText(), moves ? "<BS>? " : "");
        EXPECT_EQ(f.Fields(), moves ? "|word? " : "?|word ?");
        EXPECT_EQ(f.FieldsUtf8(), moves ? "|word? " : "\u03B1|word \u03B1");
    }
}

// Both words go down their suffixes side by side, each cut after its own
// delimiters; the line keeps its last run when more than three characters
// (not bytes) stood before it.
TEST_F(UnicodeCapture, TheLookupCutsBothWordsAfterTheirOwnDelimiters) {
    for (std::uint32_t vk : {kAlpha, kBeta, std::uint32_t{' '}, kGamma}) Key(vk);
    EXPECT_FALSE(logic.LookupLongestSuffix());
    std::vector<std::pair<std::string, std::string>> asked;
    for (const auto& sent : p.sent) asked.emplace_back(sent.inputWord, sent.inputWordUtf8);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"?? ?", "\u03B1\u03B2 \u03B3"}, {"? ?", "\u03B3"}, {" ?", ""}, {"?", ""}};
    EXPECT_EQ(asked, expected);

    // Lines that parted (a key typed while the main program cut one of
    // them): the code-page word still leads, and is never offered empty.
    {
        UnicodeKeys f;
        f.SetLine("word");
        f.SetWord("word");
        std::strcpy(f.s().typedLineUtf8, "I like word");
        EXPECT_FALSE(f.logic.LookupLongestSuffix());
        EXPECT_EQ(f.p.LookupKeys(), (std::vector<std::string>{"word", "word"}));
    }

    for (auto [accents, trimmed] : {std::pair{2, false}, std::pair{3, true}}) {
        SCOPED_TRACE(accents);
        UnicodeKeys f;
        for (int i = 0; i < accents; ++i) f.Key(kEAcute);
        f.Type(" wor");
        EXPECT_FALSE(f.logic.LookupLongestSuffix());
        const std::string utf8Line = trimmed ? "wor" : (accents == 2 ? "\u00E9\u00E9 wor" : "");
        EXPECT_EQ(std::string(f.s().typedLineUtf8), utf8Line);
        EXPECT_EQ(std::string(f.s().typedLine).size(), trimmed ? 3u : 6u);
    }
}

// The finished words and the context are UTF-8, up to 64 characters of the
// code page's letters (learning keeps to the code page for now).
TEST_F(UnicodeCapture, FinishedWordsAreUtf8UpToSixtyFourCharacters) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> keys;
        std::vector<std::string> reported;
    };
    const std::vector<std::uint32_t> longest(64, kEAcute), tooLong(65, kEAcute);
    std::string e64;
    for (int i = 0; i < 64; ++i) e64 += "\u00E9";
    const Case cases[] = {
        {"a letter of the code page", {'C', 'A', 'F', kEAcute}, {"caf\u00E9"}},
        {"64 characters of two bytes", longest, {e64}},
        {"65 characters", tooLong, {}},
        {"letters the code page cannot hold", {kAlpha, kBeta}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnicodeKeys f;
        f.s().learnOn = 1;
        f.Key(vkey::kReturn);
        FinishedWordReader reader(f.s());
        for (std::uint32_t vk : c.keys) f.Key(vk);
        f.Type(" ");
        std::vector<std::string> got;
        for (FinishedWord w; reader.Next(f.s(), w);) got.push_back(w.word);
        EXPECT_EQ(got, c.reported);
        f.Type("x");
        const std::vector<std::string> context =
            c.reported.empty() ? std::vector<std::string>{}
                               : std::vector<std::string>{"<s>", c.reported[0]};
        EXPECT_EQ(ContextWords(f.s()), context);
    }
}

}  // namespace
}  // namespace wl::test
