// Text conversion at the host boundary: our fixed 8-bit texts are UTF-8 (in
// practice ASCII); the host's strings are terminated UTF-16 (String128 and
// the like).
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <cstddef>
#include <string>

namespace toneloom {

// Units in the host's fixed strings (String128), terminator included.
constexpr int kString128Units = 128;

// Writes `text` (UTF-8; null counts as "") into `out` as terminated UTF-16 of
// at most `capacity` units including the terminator. Bytes that are not valid
// UTF-8 are taken as Latin-1 characters.
void TextToUtf16(const char* text, Steinberg::char16* out, int capacity);

// Writes the UTF-16 text `in`, read up to its terminator or `inCapacity`
// units, into `out` as terminated UTF-8 of at most `outCapacity` bytes,
// truncated at a character boundary. Unpaired surrogates become U+FFFD.
void Utf16ToText(const Steinberg::char16* in, int inCapacity, char* out, size_t outCapacity);

// The same conversion into a string, for callers that are not on the audio
// thread (it allocates).
std::string Utf16ToUtf8(const Steinberg::char16* in, int inCapacity = kString128Units);

} // namespace toneloom
