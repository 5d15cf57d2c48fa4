// A value that one writer at a time publishes and any number of readers copy
// without ever taking a lock or waiting for the writer. No Windows header.
//
// The writer fills the next of a ring of slots and then makes it current; a
// reader copies the current slot and checks, by the slot's sequence number,
// that no writer touched it meanwhile. A writer rewrites a slot only after
// all the others have been published since, so a reader copies again only
// when writers lapped it by the whole ring during its copy of a few hundred
// bytes. Readers write no shared memory at all.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

template <typename T, size_t Slots = 8>
class CPublishedValue {
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(Slots >= 2);
    static constexpr size_t kWords = (sizeof(T) + 3) / 4;

public:
    explicit CPublishedValue(const T& initial) {
        Store(m_slots[0], initial);
        m_current.store(0, std::memory_order_release);
    }
    CPublishedValue(const CPublishedValue&) = delete;
    CPublishedValue& operator=(const CPublishedValue&) = delete;

    // The value as last published, whole.
    T Read() const {
        for (;;) {
            const Slot& slot = m_slots[m_current.load(std::memory_order_acquire)];
            const uint32_t before = slot.sequence.load(std::memory_order_acquire);
            if (before & 1) continue;  // being rewritten: the current slot has moved on
            uint32_t words[kWords];
            for (size_t i = 0; i < kWords; ++i) words[i] = slot.words[i].load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (slot.sequence.load(std::memory_order_relaxed) != before) continue;
            T value;
            std::memcpy(&value, words, sizeof value);
            return value;
        }
    }

    // Publishes a new value; readers that start after this returns see it.
    // Callers publish one at a time.
    void Publish(const T& value) {
        const size_t next = (m_current.load(std::memory_order_relaxed) + 1) % Slots;
        Store(m_slots[next], value);
        m_current.store(next, std::memory_order_release);
    }

private:
    struct Slot {
        std::atomic<uint32_t> sequence{0};  // odd while the slot is being written
        std::atomic<uint32_t> words[kWords] = {};
    };

    static void Store(Slot& slot, const T& value) {
        uint32_t words[kWords] = {};
        std::memcpy(words, &value, sizeof value);
        const uint32_t sequence = slot.sequence.load(std::memory_order_relaxed);
        slot.sequence.store(sequence + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        for (size_t i = 0; i < kWords; ++i) slot.words[i].store(words[i], std::memory_order_relaxed);
        slot.sequence.store(sequence + 2, std::memory_order_release);
    }

    Slot m_slots[Slots];
    std::atomic<size_t> m_current{0};
};
