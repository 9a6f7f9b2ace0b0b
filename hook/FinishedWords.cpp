#include "hook/FinishedWords.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace wl {

namespace {

std::uint32_t Load(const std::uint32_t& field) {
    return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(field))
        .load(std::memory_order_acquire);
}

void Store(std::uint32_t& field, std::uint32_t value) {
    std::atomic_ref<std::uint32_t>(field).store(value, std::memory_order_release);
}

// FNV-1a over the ticket and the slot's contents after check.
std::uint32_t SlotCheck(std::uint32_t ticket, std::uint32_t epoch, std::uint8_t flags,
                        std::string_view word, std::string_view prev) {
    std::uint32_t h = 2166136261u;
    auto add = [&h](unsigned char c) {
        h ^= c;
        h *= 16777619u;
    };
    for (int i = 0; i < 4; ++i) add(static_cast<unsigned char>(ticket >> (8 * i)));
    for (int i = 0; i < 4; ++i) add(static_cast<unsigned char>(epoch >> (8 * i)));
    add(flags);
    for (std::string_view text : {word, prev}) {
        add(static_cast<unsigned char>(text.size()));
        add(static_cast<unsigned char>(text.size() >> 8));
        for (char c : text) add(static_cast<unsigned char>(c));
    }
    return h;
}

}  // namespace

std::int64_t ReportFinishedWord(SharedHookState& state, std::string_view word,
                                std::string_view prev, std::uint8_t flags) {
    // The epoch is read before learnOn: a switch-off that raised it in
    // between leaves this word under the old one, which is not taken in.
    const std::uint32_t epoch = Load(state.learnEpoch);
    if (!Load(state.learnOn) || word.empty() || word.size() > kWordUtf8Bytes) return -1;
    if (prev.size() > kWordUtf8Bytes) prev = {};
    const std::uint32_t ticket = std::atomic_ref<std::uint32_t>(state.finishedNext).fetch_add(1);
    FinishedWordSlotUtf8& slot = state.finishedUtf8[ticket % kFinishedWordSlots];
    Store(slot.seq, 2 * ticket + 1);
    std::atomic_thread_fence(std::memory_order_release);
    slot.epoch = epoch;
    slot.flags = flags;
    slot.wordLen = static_cast<std::uint16_t>(word.size());
    slot.prevLen = static_cast<std::uint16_t>(prev.size());
    std::memcpy(slot.word, word.data(), word.size());
    if (!prev.empty()) std::memcpy(slot.prev, prev.data(), prev.size());
    slot.check = SlotCheck(ticket, epoch, flags, word, prev);
    Store(slot.seq, 2 * ticket + 2);
    return ticket;
}

void DropFinishedWords(SharedHookState& state) {
    std::atomic_ref<std::uint32_t>(state.learnEpoch).fetch_add(1);
}

FinishedWordReader::FinishedWordReader(const SharedHookState& state)
    : next_(Load(state.finishedNext)) {}

FinishedWordReader::Slot FinishedWordReader::Read(const SharedHookState& state,
                                                  std::uint32_t ticket, FinishedWord& out) {
    const FinishedWordSlotUtf8& slot = state.finishedUtf8[ticket % kFinishedWordSlots];
    const std::uint32_t seq = Load(slot.seq);
    const std::uint32_t whole = 2 * ticket + 2;
    // Seq numbers wrap with the tickets: compare by distance.
    const auto ahead = static_cast<std::int32_t>(seq - whole);
    if (ahead > 0) return Slot::Gone;  // a later word took the slot
    if (ahead < 0) return Slot::Unfinished;
    FinishedWord word;
    word.ticket = ticket;
    const std::uint32_t epoch = slot.epoch;
    const std::uint32_t check = slot.check;
    word.flags = slot.flags;
    word.word.assign(slot.word, std::min<std::size_t>(slot.wordLen, kWordUtf8Bytes));
    word.prev.assign(slot.prev, std::min<std::size_t>(slot.prevLen, kWordUtf8Bytes));
    std::atomic_thread_fence(std::memory_order_acquire);
    if (Load(slot.seq) != seq) return Slot::Gone;  // written over while read
    if (check != SlotCheck(ticket, epoch, word.flags, word.word, word.prev)) return Slot::Gone;
    if (epoch != Load(state.learnEpoch)) word.word.clear();  // not to be learned
    out = std::move(word);
    return Slot::Whole;
}

bool FinishedWordReader::Next(const SharedHookState& state, FinishedWord& out) {
    // The slots whose writer had not finished first: the oldest words.
    for (auto it = unfinished_.begin(); it != unfinished_.end();) {
        const Slot got = Read(state, *it, out);
        if (got == Slot::Unfinished) {
            ++it;
            continue;
        }
        it = unfinished_.erase(it);
        if (got == Slot::Gone) {
            ++lost_;
        } else if (!out.word.empty()) {
            return true;
        }
    }
    for (;;) {
        const std::uint32_t end = Load(state.finishedNext);
        if (next_ == end) return false;
        // Fallen a whole ring behind: the oldest slots were written again.
        if (end - next_ > kFinishedWordSlots) {
            lost_ += end - next_ - static_cast<std::uint32_t>(kFinishedWordSlots);
            next_ = end - static_cast<std::uint32_t>(kFinishedWordSlots);
        }
        const std::uint32_t ticket = next_++;
        switch (Read(state, ticket, out)) {
            case Slot::Unfinished:
                // At most a ring's worth is kept: an older one is written
                // over by now.
                if (unfinished_.size() >= kFinishedWordSlots) {
                    unfinished_.erase(unfinished_.begin());
                    ++lost_;
                }
                unfinished_.push_back(ticket);
                break;
            case Slot::Gone:
                ++lost_;
                break;
            case Slot::Whole:
                if (!out.word.empty()) return true;
                break;
        }
    }
}

}  // namespace wl
