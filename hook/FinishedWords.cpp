#include "hook/FinishedWords.h"

#include <atomic>
#include <cstring>

#include "hook/RecordText.h"

namespace wl {

namespace {

std::uint32_t Load(const std::uint32_t& field) {
    return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(field))
        .load(std::memory_order_acquire);
}

void Store(std::uint32_t& field, std::uint32_t value) {
    std::atomic_ref<std::uint32_t>(field).store(value, std::memory_order_release);
}

}  // namespace

void ReportFinishedWord(SharedHookState& state, std::string_view word, std::string_view prev) {
    if (!state.learnOn || word.empty() || word.size() > kFinishedWordBytes) return;
    if (prev.size() > kFinishedWordBytes) prev = {};
    const std::uint32_t ticket = std::atomic_ref<std::uint32_t>(state.finishedNext).fetch_add(1);
    FinishedWordSlot& slot = state.finished[ticket % kFinishedWordSlots];
    Store(slot.seq, 2 * ticket + 1);
    std::atomic_thread_fence(std::memory_order_release);
    std::memcpy(slot.word, word.data(), word.size());
    if (!prev.empty()) std::memcpy(slot.prev, prev.data(), prev.size());
    slot.wordLen = static_cast<std::uint8_t>(word.size());
    slot.prevLen = static_cast<std::uint8_t>(prev.size());
    Store(slot.seq, 2 * ticket + 2);
}

std::string WordBeforeInput(const SharedHookState& state, const CodePage& chars) {
    const std::string_view line = record::View(state.typedLine);
    const std::string_view word = record::View(state.inputWord);
    if (word.empty() || word.size() + 2 > line.size() ||
        line.substr(line.size() - word.size()) != word)
        return {};
    const std::string_view before = line.substr(0, line.size() - word.size());
    if (before.back() != ' ') return {};
    const record::LastWords words =
        record::WordsEndingLine(before.substr(0, before.size() - 1), chars);
    return std::string(words.word);
}

bool NextFinishedWord(const SharedHookState& state, std::uint32_t& ticket, std::string& word,
                      std::string& prev) {
    for (;;) {
        const std::uint32_t next = Load(state.finishedNext);
        if (ticket == next) return false;
        // Fallen a whole ring behind: the oldest slots were written again.
        if (next - ticket > kFinishedWordSlots) ticket = next - kFinishedWordSlots;
        const FinishedWordSlot& slot = state.finished[ticket % kFinishedWordSlots];
        const std::uint32_t seq = Load(slot.seq);
        if (seq < 2 * ticket + 2) {
            // Still being written: read it later, unless later words are
            // already whole (a writer that was ended halfway never finishes).
            if (next - ticket == 1) return false;
            ++ticket;
            continue;
        }
        if (seq != 2 * ticket + 2) {  // overwritten meanwhile
            ++ticket;
            continue;
        }
        const std::size_t wordLen = std::min<std::size_t>(slot.wordLen, kFinishedWordBytes);
        const std::size_t prevLen = std::min<std::size_t>(slot.prevLen, kFinishedWordBytes);
        word.assign(slot.word, wordLen);
        prev.assign(slot.prev, prevLen);
        std::atomic_thread_fence(std::memory_order_acquire);
        const bool whole = Load(slot.seq) == seq;
        ++ticket;
        if (whole) return true;
    }
}

}  // namespace wl
