#include "IEffectParameter.h"

#include "HostText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int kDisplayTextSize = 64; // a formatted value: sign, digits, point, 6 decimals
// A typed text in UTF-8: up to 127 UTF-16 units of up to 3 bytes each.
constexpr int kTypedTextSize = kString128Units * 3;
constexpr int kNumberTextSize = 64; // digits of a typed number, sign and exponent included

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

// Reads "<number>" or "<number> <unit>" (the unit in any case, the blank
// optional). The number is decimal, with a point or a comma, an optional
// sign and exponent, read the same in every locale. False for anything else,
// for a number that is not finite, and for a comma followed by exactly three
// digits ("1,500" is 1.5 to some users and 1500 to others).
bool ReadNumber(std::string_view text, const char* unit, double* number)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    size_t length = 0;
    char digits[kNumberTextSize] = {};
    size_t comma = std::string_view::npos;
    while (length < text.size() && length + 1 < sizeof digits) {
        const char c = text[length];
        const bool numberChar = (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' ||
                                c == '+' || c == 'e' || c == 'E';
        if (!numberChar) {
            break;
        }
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

} // namespace

IEffectParameter::IEffectParameter(IParamRecord* newRecord, int index, UnitID unitId)
    : record(newRecord)
{
    info.id = static_cast<ParamID>(index);
    TextToUtf16(record->Name(), info.title, kString128Units);
    info.shortTitle[0] = 0;
    TextToUtf16(record->Label(), info.units, kString128Units);
    info.stepCount =
        record->Kind() == kKindDouble ? 0 : static_cast<int32>(record->Max() - record->Min());
    // NormalisedOf limits the default into the range first, so a default
    // outside it cannot give a value the host would reject.
    info.defaultNormalizedValue = record->NormalisedOf(record->DefaultValue());
    valueNormalized = info.defaultNormalizedValue;
    info.unitId = unitId;
    info.flags = record->CanAutomate() ? ParameterInfo::kCanAutomate : 0;
    precision = record->Decimals();
    // Every whole value in the range has a text of its own: a list.
    const double span = record->Max() - record->Min() + 1.0;
    textsOnly = record->IsWholeNumberKind() && record->ValueTextCount() >= span;
    for (double v = record->Min(); textsOnly && v <= record->Max(); v += 1.0) {
        textsOnly = record->ValueTextFor(static_cast<int>(v))[0] != '\0';
    }
}

void IEffectParameter::toString(ParamValue normalised, String128 string) const
{
    if (string == nullptr) {
        return;
    }
    if (!std::isfinite(normalised)) {
        string[0] = 0;
        return;
    }
    char text[kDisplayTextSize] = {};
    record->FormatValue(std::clamp(normalised, 0.0, 1.0), true, text, sizeof text);
    TextToUtf16(text, string, kString128Units);
}

bool IEffectParameter::fromString(const TChar* string, ParamValue& normalised) const
{
    if (string == nullptr) {
        return false;
    }
    char text[kTypedTextSize] = {};
    Utf16ToText(string, kString128Units, text, sizeof text);
    double plain = 0.0;
    if (!PlainOfTypedText(text, &plain)) {
        return false;
    }
    normalised = record->NormalisedOf(plain);
    return true;
}

bool IEffectParameter::PlainOfTypedText(const char* typed, double* plain) const
{
    const std::string_view text = Trimmed(typed);
    if (text.empty()) {
        return false;
    }
    for (int i = 0; i < record->ValueTextCount(); ++i) {
        const ValueText* entry = record->ValueTextAt(i);
        if (SameLetters(text, entry->text)) {
            *plain = entry->value;
            return true;
        }
    }
    // A list is chosen by its texts: a bare number would be its position,
    // which the user never sees.
    if (textsOnly) {
        return false;
    }
    double number = 0.0;
    if (!ReadNumber(text, record->Label(), &number)) {
        return false;
    }
    // What the user sees is negated for such a parameter; so is what they type.
    *plain = record->NegateDisplay() ? -number : number;
    return true;
}

ParamValue IEffectParameter::toPlain(ParamValue normalised) const
{
    if (!std::isfinite(normalised)) {
        return record->Min();
    }
    return record->PlainOf(std::clamp(normalised, 0.0, 1.0));
}

ParamValue IEffectParameter::toNormalized(ParamValue plain) const
{
    return record->NormalisedOf(plain);
}

} // namespace toneloom
