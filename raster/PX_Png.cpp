// PNG decoding through libpng from memory.
#include "PX_Png.h"

#include "PX_MemBitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

namespace toneloom {

namespace {

constexpr size_t kSignatureBytes = 8;
// Larger pictures are refused before anything is allocated for them.
constexpr png_uint_32 kMaxSide = 16384; // pixels
constexpr int kDecodeRowAlignment = 4;  // pixels

struct MemoryReader
{
    const png_byte* data;
    size_t length;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->length - reader->position) {
        png_error(png, "truncated");
    }
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

// Quiet: a bad picture is a result, not a message.
void StopDecoding(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// Reads the whole picture into a new bitmap of pixel values, or null. What
// the error exit must free is held in volatile locals, so it survives the
// longjmp intact.
PX_MemBitmap* Decode(const png_byte* bytes, size_t length)
{
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, StopDecoding, IgnoreWarning);
    if (png == nullptr) {
        return nullptr;
    }
    png_infop info = png_create_info_struct(png);
    PX_MemBitmap* volatile bitmap = nullptr;
    png_bytep* volatile rows = nullptr;
    MemoryReader reader = {bytes, length, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete bitmap;
        std::free(rows);
        return nullptr;
    }
    if (info == nullptr) {
        png_error(png, "no memory");
    }
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    // Everything to 8-bit A, R, G, B bytes.
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparency) {
        png_set_tRNS_to_alpha(png);
    }
    if (depth == 16) {
        png_set_strip_16(png);
    }
    if (depth < 8) {
        png_set_packing(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency) {
        png_set_swap_alpha(png);
    } else {
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        png_error(png, "unexpected layout");
    }

    bitmap = new (std::nothrow)
        PX_MemBitmap(static_cast<int>(width), static_cast<int>(height), kDecodeRowAlignment);
    if (bitmap == nullptr || bitmap->Pixels() == nullptr) {
        png_error(png, "no memory");
    }
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (rows == nullptr) {
        png_error(png, "no memory");
    }
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = reinterpret_cast<png_bytep>(bitmap->Row(static_cast<int>(y)));
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);

    // A, R, G, B bytes become pixel values.
    for (png_uint_32 y = 0; y < height; ++y) {
        PX_Pixel* row = bitmap->Row(static_cast<int>(y));
        const unsigned char* b = reinterpret_cast<const unsigned char*>(row);
        for (png_uint_32 x = 0; x < width; ++x, b += 4) {
            row[x] = PX_MakePixel(b[0], b[1], b[2], b[3]);
        }
    }
    return bitmap;
}

} // namespace

PX_IBitmap* DecodePng(const void* bytes, size_t length, PX_IBitmap* target)
{
    if (bytes == nullptr || length < kSignatureBytes ||
        png_sig_cmp(static_cast<png_const_bytep>(bytes), 0, kSignatureBytes) != 0) {
        return nullptr;
    }
    PX_MemBitmap* decoded = Decode(static_cast<const png_byte*>(bytes), length);
    if (decoded == nullptr || target == nullptr) {
        return decoded;
    }
    // The target changes only once the whole picture has decoded.
    const int width = decoded->Width();
    const int height = decoded->Height();
    target->SetSize(width, height); // false may only mean "already this size"
    if (target->Pixels() == nullptr || target->Width() != width || target->Height() != height) {
        delete decoded;
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(target->Row(y), decoded->Row(y), static_cast<size_t>(width) * sizeof(PX_Pixel));
    }
    delete decoded;
    return target;
}

} // namespace toneloom
