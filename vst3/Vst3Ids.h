// Identifiers the host stores with projects and presets, and the one helper
// that makes four-character codes: every ID of the plug-in is defined here.
// They never change: saved states, automation and host plug-in lists depend
// on them.
#pragma once

#include <array>
#include <cstdint>

namespace toneloom {

// Four-character codes as the hosts see them ('abcd' = 0x61626364).
constexpr uint32_t FourCharCode(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}

// VST 3 parameter IDs beside the product's parameter indices 0 .. n - 1.
// Bypass: a normalised value above 0.5 means bypassed.
constexpr uint32_t kBypassParamId = FourCharCode('b', 'p', 'a', 's'); // 0x62706173
// Program change, and the ID of the program list "Factory Presets".
constexpr uint32_t kPresetParamId = FourCharCode('p', 'r', 's', 't'); // 0x70727374

// The product's four-character plug-in and manufacturer IDs.
constexpr int32_t kToneloomUniqueId = static_cast<int32_t>(FourCharCode('d', 'e', 'v', 'j'));
constexpr int32_t kToneloomVendorId = static_cast<int32_t>(FourCharCode('O', 'v', 'N', 't'));

// The class ID of the one class the module offers, as four 32-bit words.
struct ClassIdWords
{
    uint32_t word0;
    uint32_t word1;
    uint32_t word2;
    uint32_t word3;
};

constexpr ClassIdWords kToneloomClassId{0xF2AEE70D, 0x00DE4F4E,
                                        static_cast<uint32_t>(kToneloomVendorId),
                                        static_cast<uint32_t>(kToneloomUniqueId)};

using ClassIdBytes = std::array<uint8_t, 16>;

// The 16 bytes in the COM-compatible order the SDK uses on Windows, on every
// platform: word 0 little-endian; word 1's high half, then its low half, each
// little-endian; words 2 and 3 big-endian.
constexpr ClassIdBytes ComOrderedBytes(const ClassIdWords& id)
{
    const auto byteOf = [](uint32_t word, int shift) {
        return static_cast<uint8_t>((word >> shift) & 0xFFu);
    };
    return ClassIdBytes{
        byteOf(id.word0, 0),  byteOf(id.word0, 8),  byteOf(id.word0, 16), byteOf(id.word0, 24),
        byteOf(id.word1, 16), byteOf(id.word1, 24), byteOf(id.word1, 0),  byteOf(id.word1, 8),
        byteOf(id.word2, 24), byteOf(id.word2, 16), byteOf(id.word2, 8),  byteOf(id.word2, 0),
        byteOf(id.word3, 24), byteOf(id.word3, 16), byteOf(id.word3, 8),  byteOf(id.word3, 0)};
}

constexpr ClassIdBytes kToneloomClassIdBytes = ComOrderedBytes(kToneloomClassId);

static_assert(kToneloomClassIdBytes[0] == 0x0D && kToneloomClassIdBytes[4] == 0xDE &&
                  kToneloomClassIdBytes[6] == 0x4E && kToneloomClassIdBytes[15] == 0x6A,
              "class ID bytes 0D E7 AE F2 DE 00 4E 4F 4F 76 4E 74 64 65 76 6A");

} // namespace toneloom
