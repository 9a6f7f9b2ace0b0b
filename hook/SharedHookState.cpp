#include "hook/SharedHookState.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "hook/RecordText.h"
#include "hook/Utf16Units.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {

using record::Clear;
using record::Len;
using vemo::kReplaceSize;

void InitSharedHookState(SharedHookState& state) {
    std::memset(&state, 0, sizeof state);
    state.vkSelectPrev = reg::kDefaultSelectPrev;
    state.vkSelectNext = reg::kDefaultSelectNext;
    std::memcpy(state.vkSelectIndex, reg::kDefaultSelectIndex, sizeof state.vkSelectIndex);
    state.vkSelectPageDown = reg::kDefaultSelectPageDown;
    state.vkSelectPageUp = reg::kDefaultSelectPageUp;
    std::memcpy(state.vkSelect, reg::kDefaultSelect, sizeof state.vkSelect);
}

void ReadSelectKeys(SharedHookState& state, Registry& registry) {
    RegKey option(registry, RegRoot::LocalMachine, reg::kOptionKey, true);
    if (!option) return;
    auto read = [&](const char* name, std::uint8_t* field, std::uint32_t size) {
        std::uint8_t value[10];
        if (registry.Read(option.get(), name, value, size) == static_cast<int>(size))
            std::memcpy(field, value, size);
    };
    read(reg::kSelectIndex, state.vkSelectIndex, 10);
    read(reg::kSelectPrev, &state.vkSelectPrev, 1);
    read(reg::kSelectNext, &state.vkSelectNext, 1);
    read(reg::kSelectPageDown, &state.vkSelectPageDown, 1);
    read(reg::kSelectPageUp, &state.vkSelectPageUp, 1);
    read(reg::kSelect, state.vkSelect, 10);
}

void ClearSharedTexts(SharedHookState& state) {
    Clear(state.inputWord);
    Clear(state.typedLine);
    Clear(state.lastLookupWord);
    Clear(state.inputWordUtf8);
    Clear(state.typedLineUtf8);
    Clear(state.lastLookupWordUtf8);
    Clear(state.replaceText);
    state.replaceEncoding = vemo::kReplaceCodePage;
    state.mainWindow = 0;
    state.active = 0;
    state.pasteRead = 0;
    state.pasteWrite = 0;
    state.spaceAdded = 0;
    // What was typed leaves the record with the rest; a word a hook is
    // still writing lands under the old epoch and is never taken in.
    state.learnOn = 0;
    std::atomic_ref<std::uint32_t>(state.learnEpoch).fetch_add(1);
    std::memset(state.finished, 0, sizeof state.finished);
    std::memset(state.finishedUtf8, 0, sizeof state.finishedUtf8);
    std::memset(&state.line, 0, sizeof state.line);
    std::memset(&state.lineUtf8, 0, sizeof state.lineUtf8);
}

int CopyInputWord(const SharedHookState& state, char* buffer, int size) {
    if (!buffer) return 0;
    if (size <= 1) return 1;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size) - 1, Len(state.inputWord));
    std::memcpy(buffer, state.inputWord, n);
    return 1;
}

int CopyInputWordUtf8(const SharedHookState& state, char* buffer, int size) {
    const std::size_t len = Len(state.inputWordUtf8);
    if (!buffer || size <= 1 || len == 0) return 0;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size) - 1, len);
    // Back to the start of a character when the buffer cuts one.
    if (n < len)
        while (n > 0 && (static_cast<unsigned char>(state.inputWordUtf8[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, state.inputWordUtf8, n);
    buffer[n] = '\0';
    return n > 0 ? 1 : 0;
}

int StoreReplaceText(SharedHookState& state, const char* text, int mode, const CodePage& chars) {
    if (!text) text = "";
    std::size_t len = strnlen(text, kReplaceSize);
    if (len > kReplaceSize - 1) {
        // Cut at the last character boundary that leaves room for the
        // terminator.
        std::size_t cut = 0;
        for (const char* p = text; static_cast<std::size_t>(p - text) < kReplaceSize - 1;) {
            cut = static_cast<std::size_t>(p - text);
            const char* next = record::NextChar(p, chars);
            if (static_cast<std::size_t>(next - text) > kReplaceSize - 1) break;
            p = next;
            cut = static_cast<std::size_t>(p - text);
        }
        len = cut;
    }
    std::memcpy(state.replaceText, text, len);
    state.replaceText[len] = '\0';
    state.replaceMode = mode;
    state.replaceEncoding = vemo::kReplaceCodePage;
    return 1;
}

void CountOwnInput(SharedHookState& state, std::uint32_t keys, std::uint32_t now) {
    std::atomic_ref<std::uint32_t>(state.ownUnicodeTick).store(now);
    std::atomic_ref<std::uint32_t>(state.ownUnicodeKeys).fetch_add(keys);
}

bool IsOwnInput(SharedHookState& state, bool packet, bool marked, std::uint32_t now) {
    // Only characters are typed with the mark; every other key of the
    // library's carries its scan code.  (Wine hands a hook the extra
    // information of the message before: the user's key right after ours
    // would seem marked.)
    if (!packet) return false;
    std::atomic_ref<std::uint32_t> count(state.ownUnicodeKeys);
    // (unsigned: across the tick count's wrap)
    if (now - std::atomic_ref<std::uint32_t>(state.ownUnicodeTick).load() > kOwnInputMs) {
        count.store(0);
        return marked;
    }
    std::uint32_t left = count.load();
    while (left > 0 && !count.compare_exchange_weak(left, left - 1)) {
    }
    return marked || left > 0;
}

int StoreReplaceTextUtf8(SharedHookState& state, const char* text, int mode) {
    if (!text) text = "";
    std::string_view utf8(text, strnlen(text, kReplaceSize));
    if (utf8.size() > kReplaceSize - 1) {
        // Cut before the character that would leave no room for the
        // terminator: continuation bytes belong to the character before.
        std::size_t cut = kReplaceSize - 1;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8 = utf8.substr(0, cut);
    }
    const bool path = mode == vemo::REPLACE_PATH_FOLDER || mode == vemo::REPLACE_PATH_FILE;
    if (path || !utf16::IsUtf8(utf8)) {
        Clear(state.replaceText);
        state.replaceEncoding = vemo::kReplaceCodePage;
        return 0;
    }
    std::memcpy(state.replaceText, utf8.data(), utf8.size());
    state.replaceText[utf8.size()] = '\0';
    state.replaceMode = mode;
    state.replaceEncoding = vemo::kReplaceUtf8;
    return 1;
}

}  // namespace wl
