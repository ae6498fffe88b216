#include "StateChunk.h"

#include "TextBuffer.h"

#include <cstring>
#include <limits>

namespace toneloom {

bool StateChunk::PutBytes(const void* bytes, int32_t count)
{
    if (count <= 0) {
        return count == 0;
    }
    const int32_t oldSize = buffer.Size();
    if (oldSize > std::numeric_limits<int32_t>::max() - count) {
        return false;
    }
    buffer.Resize(oldSize + count);
    if (buffer.Size() != oldSize + count) {
        return false;
    }
    std::memcpy(buffer.Data() + oldSize, bytes, static_cast<size_t>(count));
    return true;
}

bool StateChunk::PutString(const char* text)
{
    const int32_t length = text != nullptr ? static_cast<int32_t>(std::strlen(text)) : 0;
    return PutInt32(length) && PutBytes(text, length);
}

bool StateChunk::Resize(int32_t size)
{
    buffer.Resize(size, true);
    return buffer.Size() == (size > 0 ? size : 0);
}

int StateChunk::GetRaw(void* out, int32_t count, int position) const
{
    if (position < 0 || int64_t{position} + count > buffer.Size()) {
        return -1;
    }
    std::memcpy(out, buffer.Data() + position, static_cast<size_t>(count));
    return position + count;
}

int StateChunk::GetString(TextBuffer* text, int position) const
{
    int32_t length = 0;
    const int afterLength = GetInt32(&length, position);
    if (afterLength < 0) {
        return -1;
    }
    const int64_t end = int64_t{afterLength} + length;
    if (length > 0 && end <= buffer.Size()) {
        text->Set(reinterpret_cast<const char*>(buffer.Data()) + afterLength, length);
    }
    if (end < 0 || end > std::numeric_limits<int>::max()) {
        return -1;
    }
    return static_cast<int>(end);
}

} // namespace toneloom
