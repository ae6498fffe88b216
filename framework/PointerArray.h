// A list of pointers kept in a GrowBuffer. The list does not own what it
// points at unless its owner calls DeleteAt/DeleteAll; owners delete their
// elements from last to first.
#pragma once

#include "GrowBuffer.h"

#include <cstring>

namespace toneloom {

template <class T> class PointerArray
{
public:
    PointerArray() : buffer(GrowBuffer::kListGranularity) {}
    PointerArray(const PointerArray&) = delete;
    PointerArray& operator=(const PointerArray&) = delete;

    int Length() const { return buffer.Size() / static_cast<int>(sizeof(T*)); }

    // Null for an index out of range.
    T* Get(int index) const
    {
        if (index < 0 || index >= Length()) {
            return nullptr;
        }
        return buffer.As<T*>()[index];
    }

    // Appends; false (list unchanged) when the list could not grow.
    bool Append(T* element)
    {
        const int length = Length();
        const int32_t wanted = (length + 1) * static_cast<int32_t>(sizeof(T*));
        buffer.Resize(wanted);
        if (buffer.Size() != wanted) {
            return false;
        }
        buffer.As<T*>()[length] = element;
        return true;
    }

    // Inserts before `index`, which is limited to 0 .. Length().
    bool Insert(int index, T* element)
    {
        const int length = Length();
        if (index < 0) {
            index = 0;
        }
        if (index > length) {
            index = length;
        }
        if (!Append(element)) {
            return false;
        }
        T** slots = buffer.As<T*>();
        std::memmove(slots + index + 1, slots + index, sizeof(T*) * static_cast<size_t>(length - index));
        slots[index] = element;
        return true;
    }

    // Takes the element out without destroying it; later ones move down.
    T* Remove(int index)
    {
        if (index < 0 || index >= Length()) {
            return nullptr;
        }
        T* element = Get(index);
        T** slots = buffer.As<T*>();
        const int length = Length();
        std::memmove(slots + index, slots + index + 1, sizeof(T*) * static_cast<size_t>(length - index - 1));
        buffer.Resize((length - 1) * static_cast<int32_t>(sizeof(T*)));
        return element;
    }

    // Destroys the element at `index` and closes the gap.
    void DeleteAt(int index)
    {
        if (index >= 0 && index < Length()) {
            delete Remove(index);
        }
    }

    // Destroys every element, last first, and empties the list.
    void DeleteAll()
    {
        for (int i = Length() - 1; i >= 0; --i) {
            DeleteAt(i);
        }
        buffer.Free();
    }

    // Empties the list without destroying the elements.
    void Clear() { buffer.Free(); }

private:
    GrowBuffer buffer;
};

} // namespace toneloom
