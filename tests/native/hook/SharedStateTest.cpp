// The shared record: its initial values, the selection keys read from the
// registry, and the copies in and out of it made by the exports.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "hook/HookLogic.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "platform/RegistryLayout.h"

namespace wl {
namespace {

std::unique_ptr<SharedHookState> Fresh() {
    auto s = std::make_unique<SharedHookState>();
    std::memset(s.get(), 0x5A, sizeof *s);  // whatever was there before
    InitSharedHookState(*s);
    return s;
}

TEST(SelectKeys, OnlyValuesOfTheirExactWidthAreRead) {
    auto s = Fresh();
    MemoryRegistry registry;
    ReadSelectKeys(*s, registry);
    EXPECT_TRUE(registry.KeyExists(RegRoot::LocalMachine, reg::kOptionKey));  // created
    EXPECT_EQ(registry.OpenKeyCount(), 0);
    EXPECT_EQ(s->vkSelectPrev, 0x26);
    RegKey key(registry, RegRoot::LocalMachine, reg::kOptionKey, true);
    key.WriteBinary(reg::kSelectPrev, std::uint8_t{'K'});
    key.WriteBinary(reg::kSelectPageUp, std::uint16_t{'B'});  // two bytes: not read
    std::uint8_t shortList[3] = {0x20, 0x20, 0x20};           // 3 of 10 bytes
    key.WriteBinary(reg::kSelect, shortList);
    std::uint8_t longList[11] = {};
    key.WriteBinary(reg::kSelectIndex, longList);
    ReadSelectKeys(*s, registry);
    EXPECT_EQ(s->vkSelectPrev, 'K');
    EXPECT_EQ(s->vkSelectPageUp, 0x21);
    EXPECT_EQ(s->vkSelect[0], 0x09);
    EXPECT_EQ(s->vkSelect[1], 0x0D);
    EXPECT_EQ(s->vkSelectIndex[0], '1');
}

TEST(InputWord, CopiesWithoutATerminatorIntoTheCallersBuffer) {
    auto s = Fresh();
    std::strcpy(s->inputWord, "hello");
    char buf[16];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(CopyInputWord(*s, buf, 1), 1);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(CopyInputWord(*s, buf, 0), 1);
    EXPECT_EQ(CopyInputWord(*s, buf, -5), 1);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(CopyInputWord(*s, buf, 4), 1);
    EXPECT_EQ(std::string(buf, 4), "hel#");
    std::memset(buf, 0, sizeof buf);
    CopyInputWord(*s, buf, sizeof buf);
    EXPECT_STREQ(buf, "hello");
    EXPECT_EQ(CopyInputWord(*s, nullptr, 10), 0);
}

TEST(InputWord, TheUtf8WordIsCopiedWholeCharactersOnly) {
    auto s = Fresh();
    char buf[8] = {};
    EXPECT_EQ(CopyInputWordUtf8(*s, buf, sizeof buf), 0);  // no word
    std::strcpy(s->inputWordUtf8, "a\u00E9\U0001F600");    // 1 + 2 + 4 bytes
    struct Case {
        int size;
        int answer;
        const char* copied;
    };
    for (const Case& c : {Case{1, 0, ""}, Case{2, 1, "a"}, Case{3, 1, "a"}, Case{4, 1, "a\u00E9"},
                          Case{7, 1, "a\u00E9"}, Case{8, 1, "a\u00E9\U0001F600"}}) {
        SCOPED_TRACE(c.size);
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(CopyInputWordUtf8(*s, buf, c.size), c.answer);
        if (c.answer) {
            EXPECT_STREQ(buf, c.copied);
        }
    }
    EXPECT_EQ(CopyInputWordUtf8(*s, nullptr, 8), 0);
}

TEST(ReplaceText, ALongerTextIsCutToFitWithItsTerminatorBetweenCharacters) {
    auto s = Fresh();
    std::string huge(70000, 'r');
    StoreReplaceText(*s, huge.c_str(), 0, CodePage1252());
    EXPECT_EQ(strnlen(s->replaceText, sizeof s->replaceText), 65535u);
    std::string exact(65535, 'e');
    StoreReplaceText(*s, exact.c_str(), 0, CodePage1252());
    EXPECT_EQ(std::string(s->replaceText), exact);
    // The cut never splits a double-byte character.
    std::string text = "ab";
    while (text.size() < 70000) text += "\x82\xA0";  // byte 65534 is a lead byte
    StoreReplaceText(*s, text.c_str(), 0, CodePage932());
    EXPECT_EQ(strnlen(s->replaceText, sizeof s->replaceText), 65534u);
}

}  // namespace
}  // namespace wl
