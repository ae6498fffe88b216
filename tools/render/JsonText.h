// Text as a JSON string literal, for the renderer's --json listings.
#pragma once

#include <string>

namespace toneloom {

// `text` (UTF-8) in double quotes, with quotes, backslashes and control
// characters escaped.
std::string JsonQuoted(const std::string& text);

// A finite number as JSON writes it (shortest form that reads back the same).
std::string JsonNumber(double value);

} // namespace toneloom
