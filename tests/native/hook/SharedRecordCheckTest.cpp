// Whether a shared record found under the record's name may be used: its
// owner against the process's user, and its integrity label; and what the
// main program tells the user when it may not.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "hook/SharedRecordCheck.h"

namespace wl {
namespace {

constexpr char kUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

TEST(SharedRecordCheck, OnlyTheUsersOwnAtMediumIntegrityOrAboveIsUsed) {
    const std::optional<std::uint32_t> none;
    const struct {
        const char* owner;
        const char* user;
        std::optional<std::uint32_t> label;
        RecordStatus expected;
    } cases[] = {
        {kUser, kUser, none, RecordStatus::kMapped},  // no label counts as medium
        {kUser, kUser, 0x2000, RecordStatus::kMapped},
        {kUser, kUser, 0x2100, RecordStatus::kMapped},  // medium plus
        {kUser, kUser, 0x3000, RecordStatus::kMapped},  // made by an elevated program
        {"s-1-5-21-1004336348-1177238915-682003330-1001", kUser, none, RecordStatus::kMapped},
        {kUser, kUser, 0x1FFF, RecordStatus::kLowIntegrity},
        {kUser, kUser, 0, RecordStatus::kLowIntegrity},  // untrusted
        {"S-1-5-21-1004336348-1177238915-682003330-1002", kUser, 0x2000, RecordStatus::kOtherOwner},
        {"S-1-5-21-1004336348-1177238915-682003330-100", kUser, none,
         RecordStatus::kOtherOwner},  // a prefix of the user's
        {"S-1-5-21-1004336348-1177238915-682003330-10011", kUser, none, RecordStatus::kOtherOwner},
        {"S-1-5-32-544", kUser, 0x3000, RecordStatus::kOtherOwner},  // Administrators
        {"S-1-5-18", kUser, 0x1000, RecordStatus::kOtherOwner},      // the owner is told first
        {"", kUser, 0x2000, RecordStatus::kUnreadable},
        {kUser, "", 0x2000, RecordStatus::kNoUser},
        {"", "", none, RecordStatus::kNoUser},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(JudgeSharedObject(c.owner, c.user, c.label)),
                  static_cast<int>(c.expected))
            << c.owner << " / " << c.user << " / " << (c.label ? *c.label : 0xFFFFFFFFu);
}

TEST(SharedRecordCheck, EveryRefusalTellsWhyAndThatCompletionAndLearningAreOff) {
    EXPECT_EQ(RecordRefusalText(0), "");
    std::set<std::string> texts;
    for (int status : {1, 2, 3, 4, 5, 6, 7, -1}) {
        const std::string text = RecordRefusalText(status);
        EXPECT_EQ(text.rfind("Completion and learning are off: ", 0), 0u) << status;
        EXPECT_NE(text.find("start Wordlark again"), std::string::npos) << status;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 8u);  // each with its own reason
    EXPECT_NE(RecordRefusalText(3).find("another user account"), std::string::npos);
    EXPECT_NE(RecordRefusalText(4).find("low integrity"), std::string::npos);
    EXPECT_NE(RecordRefusalText(99).find("(99)"), std::string::npos);
}

}  // namespace
}  // namespace wl
