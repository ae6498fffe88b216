// Writing a picture as a PNG file.
#pragma once

#include <string>

namespace toneloom {

class PX_IBitmap;

// Writes `picture` as an 8-bit RGB PNG at `path` (alpha is dropped: the
// editor is opaque). The bytes go to a file beside `path` that takes its place
// only once complete, so a failure leaves no partial file and an existing
// file untouched. False with a one-line reason.
bool WritePngFile(const PX_IBitmap& picture, const std::string& path, std::string* error);

} // namespace toneloom
