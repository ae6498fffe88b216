#include "TextBuffer.h"

#include <cstring>

namespace toneloom {

bool TextBuffer::Set(const char* text, int maxLength)
{
    int length = 0;
    if (text != nullptr) {
        while (text[length] != '\0' && (maxLength <= 0 || length < maxLength)) {
            ++length;
        }
    }
    char* chars = static_cast<char*>(buffer.Resize(length + 1));
    if (chars == nullptr || buffer.Size() != length + 1) {
        return false;
    }
    if (length > 0) {
        std::memcpy(chars, text, static_cast<size_t>(length));
    }
    chars[length] = '\0';
    return true;
}

const char* TextBuffer::Get() const
{
    return buffer.Size() > 0 ? reinterpret_cast<const char*>(buffer.Data()) : "";
}

int TextBuffer::Length() const
{
    return static_cast<int>(std::strlen(Get()));
}

} // namespace toneloom
