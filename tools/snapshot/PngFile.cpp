#include "PngFile.h"

#include "PX_IBitmap.h"
#include "PX_Types.h"
#include "SystemCalls.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace toneloom {

namespace {

constexpr int kRgbBytes = 3;

} // namespace

bool WritePngFile(const PX_IBitmap& picture, const std::string& path, std::string* error)
{
    const int width = picture.Width();
    const int height = picture.Height();
    if (width <= 0 || height <= 0) {
        *error = "nothing to write: the picture is empty";
        return false;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * kRgbBytes);
    for (int y = 0; y < height; ++y) {
        const PX_Pixel* row = picture.Row(y);
        unsigned char* out = rgb.data() + static_cast<size_t>(y) * width * kRgbBytes;
        for (int x = 0; x < width; ++x) {
            *out++ = static_cast<unsigned char>(PX_Red(row[x]));
            *out++ = static_cast<unsigned char>(PX_Green(row[x]));
            *out++ = static_cast<unsigned char>(PX_Blue(row[x]));
        }
    }

    const std::string partial = path + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool encoded = png_image_write_to_stdio(&image, file, /*convert_to_8bit*/ 0, rgb.data(),
                                                  width * kRgbBytes, nullptr) != 0;
    const std::string reason = encoded ? "" : image.message;
    png_image_free(&image);
    const bool flushed = std::fflush(file) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !flushed || !closed) {
        std::remove(partial.c_str());
        *error = "cannot write '" + path + "': " +
                 (!encoded ? reason : std::string(std::strerror(flushed ? errno : flushError)));
        return false;
    }
    if (!MoveOver(partial, path)) {
        std::remove(partial.c_str());
        *error = "cannot write '" + path + "': it cannot replace what is there";
        return false;
    }
    return true;
}

} // namespace toneloom
