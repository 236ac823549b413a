#pragma once
// A fixed-size queue for exactly one producer thread and one consumer
// thread. Every slot is allocated up front; push() and pop() never allocate,
// lock or wait, so the producer may be the timing path.
//
// The head and tail are running counts of entries pushed and popped (they
// never wrap in practice: 2^64 entries); slot = count & (capacity - 1).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace sw {

template<typename T>
class SpscRing
{
    static_assert(std::is_trivially_copyable_v<T>, "slots are copied as plain bytes");

public:
    // capacity is rounded up to a power of two, at least 2.
    explicit SpscRing(std::size_t capacity)
    {
        std::size_t c = 2;
        while (c < capacity)
            c <<= 1;
        m_mask = c - 1;
        m_slots.reset(new T[c]);
    }

    std::size_t capacity() const { return m_mask + 1; }

    // Producer only. False when the queue is full; nothing is stored then.
    bool push(const T &value)
    {
        const std::uint64_t head = m_head.load(std::memory_order_relaxed);
        if (head - m_tailSeen >= capacity()) {
            m_tailSeen = m_tail.load(std::memory_order_acquire);
            if (head - m_tailSeen >= capacity())
                return false;
        }
        m_slots[head & m_mask] = value;
        m_head.store(head + 1, std::memory_order_release);
        return true;
    }

    // Consumer only. The entry's running number goes to *sequence.
    bool pop(T *value, std::uint64_t *sequence = nullptr)
    {
        const std::uint64_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail == m_headSeen) {
            m_headSeen = m_head.load(std::memory_order_acquire);
            if (tail == m_headSeen)
                return false;
        }
        *value = m_slots[tail & m_mask];
        if (sequence)
            *sequence = tail;
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Entries pushed so far; exact on the producer's thread.
    std::uint64_t pushed() const { return m_head.load(std::memory_order_acquire); }
    // Entries popped so far; exact on the consumer's thread.
    std::uint64_t popped() const { return m_tail.load(std::memory_order_acquire); }

private:
    std::unique_ptr<T[]> m_slots;
    std::size_t m_mask = 0;
    // Each side's index and its cached copy of the other side's index share
    // a cache line; the two sides do not.
    alignas(64) std::atomic<std::uint64_t> m_head{0};
    std::uint64_t m_tailSeen = 0; // producer's last look at m_tail
    alignas(64) std::atomic<std::uint64_t> m_tail{0};
    std::uint64_t m_headSeen = 0; // consumer's last look at m_head
};

} // namespace sw
