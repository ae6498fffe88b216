#include "ParameterEditQueue.h"

namespace toneloom {

bool ParameterEditQueue::Push(const ParameterEdit& edit)
{
    const size_t at = tail.load(std::memory_order_relaxed);
    const size_t next = (at + 1) % kCapacity;
    if (next == head.load(std::memory_order_acquire)) {
        return false;
    }
    slots[at] = edit;
    tail.store(next, std::memory_order_release);
    return true;
}

bool ParameterEditQueue::Pop(ParameterEdit* edit)
{
    const size_t at = head.load(std::memory_order_relaxed);
    if (at == tail.load(std::memory_order_acquire)) {
        return false;
    }
    *edit = slots[at];
    head.store((at + 1) % kCapacity, std::memory_order_release);
    return true;
}

} // namespace toneloom
