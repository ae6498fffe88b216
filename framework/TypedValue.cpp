#include "TypedValue.h"

#include "IParamRecord.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace toneloom {

namespace {

constexpr size_t kNumberTextSize = 64; // digits of a typed number, sign and exponent included
constexpr int kMaxListScan = 1024;     // whole values searched for a text of their own

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal but for the case of ASCII letters.
bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' || c == '+' || c == 'e' ||
           c == 'E';
}

// "<number>" or "<number> <unit>", by the rules in the header.
bool ReadNumber(std::string_view text, const char* unit, double* number)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    size_t length = 0;
    char digits[kNumberTextSize] = {};
    size_t comma = std::string_view::npos;
    while (length < text.size() && length + 1 < sizeof digits && IsNumberChar(text[length])) {
        const char c = text[length];
        if (c == ',') {
            if (comma != std::string_view::npos) {
                return false;
            }
            comma = length;
        }
        digits[length] = c == ',' ? '.' : c;
        ++length;
    }
    if (comma != std::string_view::npos) {
        size_t decimals = 0;
        while (comma + 1 + decimals < length && digits[comma + 1 + decimals] >= '0' &&
               digits[comma + 1 + decimals] <= '9') {
            ++decimals;
        }
        if (decimals == 3) {
            return false;
        }
    }
    // from_chars takes the longest number at the start; what it leaves must
    // be the unit.
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits, digits + length, value);
    if (error != std::errc() || end == digits || !std::isfinite(value)) {
        return false;
    }
    const std::string_view rest = Trimmed(text.substr(static_cast<size_t>(end - digits)));
    if (!rest.empty() && !SameLetters(rest, Trimmed(unit != nullptr ? unit : ""))) {
        return false;
    }
    *number = value;
    return true;
}

// Every whole value in the range has a text of its own.
bool IsTextList(const IParamRecord& param)
{
    if (!param.IsWholeNumberKind() || param.ValueTextCount() == 0 ||
        param.Max() - param.Min() > kMaxListScan) {
        return false;
    }
    for (double v = param.Min(); v <= param.Max(); v += 1.0) {
        if (param.ValueTextFor(static_cast<int>(v))[0] == '\0') {
            return false;
        }
    }
    return true;
}

} // namespace

bool ReadTypedValue(const IParamRecord& param, const char* typed, double* plain)
{
    const std::string_view text = Trimmed(typed != nullptr ? typed : "");
    if (text.empty() || plain == nullptr) {
        return false;
    }
    for (int i = 0; i < param.ValueTextCount(); ++i) {
        const ValueText* entry = param.ValueTextAt(i);
        if (entry != nullptr && SameLetters(text, entry->text)) {
            *plain = entry->value;
            return true;
        }
    }
    if (IsTextList(param)) {
        return false;
    }
    double number = 0.0;
    if (!ReadNumber(text, param.Label(), &number)) {
        return false;
    }
    *plain = param.NegateDisplay() ? -number : number;
    return true;
}

} // namespace toneloom
