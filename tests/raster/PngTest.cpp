// PNG decoding: every colour type written here with libpng decodes to 8-bit
// ARGB; broken input gives null and leaves a given target alone; the editor's
// pictures are found by id.
#include "PX_MemBitmap.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace toneloom;
using toneloom::test::At;

namespace {

using Bytes = std::vector<unsigned char>;

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// A 3 x 2 picture of the given type; `rows` are the raw sample bytes.
struct Picture
{
    const char* name;
    int colourType;
    int depth;
    std::vector<Bytes> rows;
    std::vector<png_color> palette;
    Bytes transparency;             // tRNS for palette images
    bool greyKey = false;           // tRNS for grey: sample value 0 is clear
    std::vector<PX_Pixel> expected; // row by row
};

Bytes Encode(const Picture& picture)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, 3, 2, picture.depth, picture.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty()) {
        png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
    }
    if (!picture.transparency.empty()) {
        png_set_tRNS(png, info, picture.transparency.data(),
                     static_cast<int>(picture.transparency.size()), nullptr);
    }
    if (picture.greyKey) {
        png_color_16 key = {};
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    for (const Bytes& row : picture.rows) {
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<Picture> Pictures()
{
    std::vector<Picture> all;
    all.push_back({"Palette",
                   PNG_COLOR_TYPE_PALETTE,
                   8,
                   {{0, 1, 2}, {2, 1, 0}},
                   {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                   {},
                   false,
                   {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u}});
    all.push_back({"PaletteTwoBitWithTransparency",
                   PNG_COLOR_TYPE_PALETTE,
                   2,
                   {{0x18}, {0x90}}, // indices 0,1,2 and 2,1,0
                   {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                   {0, 128},
                   false,
                   {0x00FF0000u, 0x8000FF00u, 0xFF0000FFu, 0xFF0000FFu, 0x8000FF00u, 0x00FF0000u}});
    all.push_back({"GreyOneBit",
                   PNG_COLOR_TYPE_GRAY,
                   1,
                   {{0xA0}, {0x40}},
                   {},
                   {},
                   false,
                   {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}});
    all.push_back({"GreyWithTransparency",
                   PNG_COLOR_TYPE_GRAY,
                   8,
                   {{0, 128, 255}, {255, 0, 7}},
                   {},
                   {},
                   true,
                   {0x00000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x00000000u, 0xFF070707u}});
    all.push_back({"GreyAlpha",
                   PNG_COLOR_TYPE_GRAY_ALPHA,
                   8,
                   {{10, 0, 20, 128, 30, 255}, {40, 1, 50, 2, 60, 3}},
                   {},
                   {},
                   false,
                   {0x000A0A0Au, 0x80141414u, 0xFF1E1E1Eu, 0x01282828u, 0x02323232u, 0x033C3C3Cu}});
    all.push_back({"RgbWithoutAlpha",
                   PNG_COLOR_TYPE_RGB,
                   8,
                   {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}},
                   {},
                   {},
                   false,
                   {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu, 0xFF0D0E0Fu, 0xFF101112u}});
    all.push_back({"Rgba",
                   PNG_COLOR_TYPE_RGB_ALPHA,
                   8,
                   {{1, 2, 3, 0, 4, 5, 6, 100, 7, 8, 9, 255},
                    {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}},
                   {},
                   {},
                   false,
                   {0x00010203u, 0x64040506u, 0xFF070809u, 0x0D0A0B0Cu, 0x110E0F10u, 0x15121314u}});
    // 16-bit samples keep their high bytes.
    all.push_back({"Rgba16",
                   PNG_COLOR_TYPE_RGB_ALPHA,
                   16,
                   {{0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xFF, 0xFF, 0, 0, 0, 0,
                     0,    0,    0,    0,    1,    2,    3,    4,    5, 6, 7, 8},
                    Bytes(24, 0xAB)},
                   {},
                   {},
                   false,
                   {0xFF123456u, 0x00000000u, 0x07010305u, 0xABABABABu, 0xABABABABu, 0xABABABABu}});
    return all;
}

class PngColourType : public testing::TestWithParam<Picture>
{
};

} // namespace

TEST_P(PngColourType, DecodesToArgb)
{
    const Picture& picture = GetParam();
    const Bytes png = Encode(picture);
    ASSERT_GT(png.size(), 8u);
    std::unique_ptr<PX_IBitmap> bitmap(DecodePng(png.data(), png.size(), nullptr));
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 3);
    ASSERT_EQ(bitmap->Height(), 2);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(At(*bitmap, i % 3, i / 3), picture.expected[static_cast<size_t>(i)])
            << std::hex << At(*bitmap, i % 3, i / 3) << " at " << std::dec << i;
    }
    // The same into a given system bitmap of another size.
    PX_SysBitmap target(40, 30);
    EXPECT_EQ(DecodePng(png.data(), png.size(), &target), &target);
    ASSERT_EQ(target.Width(), 3);
    EXPECT_EQ(At(target, 2, 1), picture.expected[5]);
}

INSTANTIATE_TEST_SUITE_P(RasterPng, PngColourType, testing::ValuesIn(Pictures()),
                         [](const testing::TestParamInfo<Picture>& p) {
                             return std::string(p.param.name);
                         });

TEST(RasterPng, BrokenInputGivesNullAndLeavesTheTargetAlone)
{
    const Bytes good = Encode(Pictures()[5]);
    ASSERT_GT(good.size(), 60u);
    PX_MemBitmap target(9, 4);
    test::Fill(target, 0x12345678u);
    auto refused = [&](const Bytes& bytes) {
        const bool none = DecodePng(bytes.data(), bytes.size(), nullptr) == nullptr;
        const bool targetNone = DecodePng(bytes.data(), bytes.size(), &target) == nullptr;
        return none && targetNone && target.Width() == 9 && target.Height() == 4 &&
               test::InkOf(target, 0x12345678u).Empty();
    };
    EXPECT_EQ(DecodePng(nullptr, 100, nullptr), nullptr);
    EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 7)));
    Bytes wrongSignature = good;
    wrongSignature[1] = 'Q';
    EXPECT_TRUE(refused(wrongSignature));
    for (size_t cut : {size_t{8}, size_t{33}, good.size() / 2, good.size() - 13, good.size() - 1}) {
        EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + static_cast<long>(cut)))) << cut;
    }
    // A damaged byte in the image data fails the chunk's checksum.
    Bytes damaged = good;
    damaged[good.size() - 20] ^= 0x5A;
    EXPECT_TRUE(refused(damaged));
    // A header claiming an enormous picture is refused before allocating it.
    Bytes enormous = good;
    enormous[16] = 0x7F; // width 0x7F000003
    const uLong crc = crc32(crc32(0, nullptr, 0), enormous.data() + 12, 17);
    for (int i = 0; i < 4; ++i) {
        enormous[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    }
    EXPECT_TRUE(refused(enormous));
    // The good picture still decodes into the target after all that.
    EXPECT_EQ(DecodePng(good.data(), good.size(), &target), &target);
    EXPECT_EQ(target.Width(), 3);
}

TEST(RasterPng, EditorPicturesLoadByIdWithTheirSizes)
{
#ifdef _WIN32
    const PX_Module module = GetModuleHandleA(nullptr);
#else
    const PX_Module module = nullptr;
#endif
    struct Expected
    {
        int id, width, height;
    };
    const Expected pictures[] = {
        {100, 470, 455}, {101, 57, 57}, {102, 40, 40}, {103, 406, 58},
        {104, 360, 40},  {105, 68, 23}, {106, 79, 23}, {107, 86, 80},
        {108, 90, 91},   {109, 48, 21}, {110, 80, 23}, {111, 175, 385},
    };
    // The sets for 2x and 3x screens: 100 ids on per step, each picture
    // that many times as wide and high.
    for (int zoom = 1; zoom <= 3; ++zoom) {
        for (const Expected& picture : pictures) {
            const int id = picture.id + 100 * (zoom - 1);
            std::unique_ptr<PX_IBitmap> bitmap(LoadPngResource(module, id, nullptr));
            ASSERT_NE(bitmap, nullptr) << id;
            EXPECT_EQ(bitmap->Width(), picture.width * zoom) << id;
            EXPECT_EQ(bitmap->Height(), picture.height * zoom) << id;
        }
    }
    // The background has no alpha: every pixel loads opaque.
    std::unique_ptr<PX_IBitmap> background(LoadPngResource(module, 0x10000 | 100, nullptr));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(test::InkOf(*background, 0xFF000000u, 0xFF000000u).count, 0);
    EXPECT_EQ(LoadPngResource(module, 99, nullptr), nullptr);
    EXPECT_EQ(LoadPngResource(module, 112, nullptr), nullptr);
    EXPECT_EQ(LoadPngResource(module, 412, nullptr), nullptr);
    // toneloom-play's strip pictures are its own, not the editor's.
    EXPECT_EQ(LoadPngResource(module, 120, nullptr), nullptr);
}
