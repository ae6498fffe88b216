#include "HostText.h"

#include <algorithm>
#include <cstdint>

namespace toneloom {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 character at `text`; returns the bytes it took (at
// least 1). A malformed sequence yields its first byte as a Latin-1 character.
int DecodeUtf8(const unsigned char* text, char32_t* codePoint)
{
    const unsigned char lead = text[0];
    int length = 1;
    char32_t value = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = text[i]; // a terminator fails the test below
        if ((next & 0xC0u) != 0x80u) {
            *codePoint = lead;
            return 1;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (length > 1 && (overlong || surrogate || value > 0x10FFFF)) {
        *codePoint = lead;
        return 1;
    }
    *codePoint = value;
    return length;
}

int EncodeUtf8(char32_t codePoint, char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

} // namespace

void TextToUtf16(const char* text, Steinberg::char16* out, int capacity)
{
    if (out == nullptr || capacity < 1) {
        return;
    }
    int written = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
    while (*bytes != 0) {
        char32_t codePoint = 0;
        const int used = DecodeUtf8(bytes, &codePoint);
        const int units = codePoint >= 0x10000 ? 2 : 1;
        if (written + units > capacity - 1) {
            break;
        }
        if (units == 2) {
            const char32_t offset = codePoint - 0x10000;
            out[written++] = static_cast<Steinberg::char16>(0xD800 + (offset >> 10));
            out[written++] = static_cast<Steinberg::char16>(0xDC00 + (offset & 0x3FF));
        } else {
            out[written++] = static_cast<Steinberg::char16>(codePoint);
        }
        bytes += used;
    }
    out[written] = 0;
}

void Utf16ToText(const Steinberg::char16* in, int inCapacity, char* out, size_t outCapacity)
{
    if (out == nullptr || outCapacity < 1) {
        return;
    }
    size_t written = 0;
    for (int i = 0; in != nullptr && i < inCapacity && in[i] != 0; ++i) {
        char32_t codePoint = static_cast<uint16_t>(in[i]);
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < inCapacity &&
            static_cast<uint16_t>(in[i + 1]) >= 0xDC00 &&
            static_cast<uint16_t>(in[i + 1]) <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) +
                        (static_cast<uint16_t>(in[i + 1]) - 0xDC00);
            ++i;
        } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            codePoint = kReplacementCharacter;
        }
        char encoded[4];
        const int length = EncodeUtf8(codePoint, encoded);
        if (written + static_cast<size_t>(length) > outCapacity - 1) {
            break;
        }
        for (int b = 0; b < length; ++b) {
            out[written++] = encoded[b];
        }
    }
    out[written] = '\0';
}

std::string Utf16ToUtf8(const Steinberg::char16* in, int inCapacity)
{
    // Each UTF-16 unit gives at most 3 bytes (a surrogate pair 4 for 2 units).
    std::string text(static_cast<size_t>(std::max(inCapacity, 0)) * 3 + 1, '\0');
    Utf16ToText(in, inCapacity, text.data(), text.size());
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

} // namespace toneloom
