// Random key streams, random answers of the main window and random
// replacement texts up to 65,536 bytes in every mode: no word field ever
// holds more than 1,023 bytes plus its terminator, and (under
// AddressSanitizer) nothing reads or writes past a buffer.  The record lives
// in a heap block of exactly its size, so a write past its end is caught.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

class RandomStreams : public ::testing::TestWithParam<unsigned> {};

std::string RandomText(std::mt19937& rng, std::size_t maxLen) {
    static const std::string alphabet =
        "abcdefghijklmnopqrstuvwxyzABC0123456789 ,.;:\\/%-_\r\n\t\x82\xA0\xE9\x95\x5C";
    static const char* const pieces[] = {"%CARET%", "%TAB%", "%RETURN%", "%DATE%", "%BACKSPACE%",
                                         "%DAY%",   "%",     "%month%",  "C:\\"};
    std::size_t len = std::uniform_int_distribution<std::size_t>(0, maxLen)(rng);
    std::string out;
    while (out.size() < len) {
        if (rng() % 8 == 0)
            out += pieces[rng() % std::size(pieces)];
        else
            out += alphabet[rng() % alphabet.size()];
    }
    out.resize(len);
    return out;
}

void CheckFields(const SharedHookState& s) {
    ASSERT_LT(strnlen(s.inputWord, sizeof s.inputWord), sizeof s.inputWord);
    ASSERT_LT(strnlen(s.typedLine, sizeof s.typedLine), sizeof s.typedLine);
    ASSERT_LT(strnlen(s.lastLookupWord, sizeof s.lastLookupWord), sizeof s.lastLookupWord);
    ASSERT_LT(strnlen(s.replaceText, sizeof s.replaceText), sizeof s.replaceText);
}

TEST_P(RandomStreams, NeverOverflowAField) {
    std::mt19937 rng(GetParam());
    HookFixture f;
    if (GetParam() % 2) f.p.page = &CodePage932();
    f.p.extraKeys[0xE1] = "\x82\xA0";  // a key that types a double-byte character
    f.p.extraKeys[0xE2] = "\xE9x";
    f.p.answer = [&rng](const FakeHookPlatform::Sent&) -> std::optional<std::intptr_t> {
        const auto r = static_cast<std::intptr_t>(rng() % 3);
        return r == 2 ? std::nullopt : std::optional(r);
    };
    const std::uint32_t common[] = {'A',  'B',  'C',  ' ',  0xBC, 0xBE, 0xDC, 0x08, 0x08, 0x09,
                                    0x0D, 0x1B, 0x26, 0x28, 0x21, 0x22, '1',  '5',  0xE1, 0xE2};
    for (int step = 0; step < 6000; ++step) {
        switch (rng() % 12) {
            case 0:
                if (!f.p.visible.erase(kMain)) f.p.visible.insert(kMain);
                break;
            case 1:  // any mode, -1 to 5
                f.SetReplace(RandomText(rng, rng() % 20 == 0 ? 70000 : 1500).c_str(),
                             static_cast<int>(rng() % 7) - 1);
                break;
            case 2:
                f.logic.ReplaceStr();
                break;
            case 3: {
                HookRect r{static_cast<std::int32_t>(rng()), static_cast<std::int32_t>(rng()),
                           static_cast<std::int32_t>(rng()), static_cast<std::int32_t>(rng())};
                f.logic.OnCaretLocation(rng() % 4 != 0, r, rng() % 5 ? kEdit : kMain);
                break;
            }
            case 4:
                f.p.shift = !f.p.shift;
                break;
            case 5:  // any key, hook code and scan code
                f.logic.KeyboardProc(static_cast<int>(rng() % 3) - 1, rng() % 256,
                                     (rng() % 2 ? 0xC0000000u : 0u) | ((rng() % 256) << 16));
                break;
            case 6:
                f.p.passwordFields.clear();
                if (rng() % 10 == 0) f.p.passwordFields.insert(kEdit);
                break;
            default: {
                std::uint32_t vk = common[rng() % std::size(common)];
                f.Down(vk);
                if (rng() % 2) f.Up(vk);
                break;
            }
        }
        CheckFields(f.s());
        if (HasFatalFailure()) return;
        if (f.p.keys.size() > 100000) f.p.keys.clear();
        if (f.p.sent.size() > 10000) f.p.sent.clear();
        f.p.posted.clear();
        f.p.shown.clear();
        f.p.hidden.clear();
        f.p.clipboard.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, RandomStreams, ::testing::Values(1u, 2u, 3u, 4u, 77u, 1234u));

}  // namespace
}  // namespace wl::test
