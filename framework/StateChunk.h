// A byte stream for saved state and preset records. Writing appends at the
// end; reading takes an explicit position and returns the position after what
// was read, or -1 when the bytes are not there. Values are stored in the
// machine's byte order (little-endian on every target we build).
#pragma once

#include "GrowBuffer.h"

#include <cstdint>

namespace toneloom {

class TextBuffer;

class StateChunk
{
public:
    StateChunk() : buffer(GrowBuffer::kListGranularity) {}
    StateChunk(const StateChunk&) = delete;
    StateChunk& operator=(const StateChunk&) = delete;

    // Appends; each reports whether the used size grew by the bytes written.
    bool PutBytes(const void* bytes, int32_t count);
    bool PutDouble(double value) { return PutBytes(&value, sizeof value); }
    bool PutInt32(int32_t value) { return PutBytes(&value, sizeof value); }
    bool PutByte(uint8_t value) { return PutBytes(&value, sizeof value); }
    // A string item: int32 length, then the characters without terminator.
    bool PutString(const char* text);
    bool PutChunk(const StateChunk& other) { return PutBytes(other.Data(), other.Size()); }

    // Reads at `position`; the result is the next position or -1.
    int GetDouble(double* value, int position) const { return GetRaw(value, sizeof *value, position); }
    int GetInt32(int32_t* value, int position) const { return GetRaw(value, sizeof *value, position); }
    int GetByte(uint8_t* value, int position) const { return GetRaw(value, sizeof *value, position); }
    // Reads a string item. The position moves past the item by its stored
    // length even when that length is negative or runs past the end; the
    // characters are copied into `text` only when they lie inside the chunk
    // and the length is above 0 (otherwise `text` keeps what it held).
    int GetString(TextBuffer* text, int position) const;

    const uint8_t* Data() const { return buffer.Data(); }
    int32_t Size() const { return buffer.Size(); }
    // Empties the chunk, keeping its memory.
    void Clear() { buffer.Resize(0); }
    // Sets the used size directly (new bytes are undefined); false on failure.
    bool Resize(int32_t size);

private:
    int GetRaw(void* out, int32_t count, int position) const;

    GrowBuffer buffer;
};

} // namespace toneloom
