// A growable, terminated 8-bit text (granularity 128 bytes).
#pragma once

#include "GrowBuffer.h"

namespace toneloom {

class TextBuffer
{
public:
    TextBuffer() : buffer(GrowBuffer::kTextGranularity) {}
    explicit TextBuffer(const char* text) : TextBuffer() { Set(text); }
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Takes `text` up to its terminator, or up to maxLength characters when
    // maxLength is above 0 and comes first. Null or empty leaves "".
    // Returns false when no memory could be had (the old text stays).
    bool Set(const char* text, int maxLength = 0);

    // Never null: "" when nothing is stored.
    const char* Get() const;
    int Length() const;

private:
    GrowBuffer buffer;
};

} // namespace toneloom
