#include "IParamRecord.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace toneloom {

namespace {

constexpr int kMaxDecimals = 6;
constexpr double kContinuousWheelStep = 0.01; // normalised units per notch
constexpr double kListWheelSpan = 0.5;        // spread over the number of value texts

// Digits after the point needed to show multiples of `step`, at most 6.
int DecimalsForStep(double step)
{
    int digits = 0;
    double s = step;
    while (std::isfinite(s) && s != std::floor(s) && digits < kMaxDecimals) {
        ++digits;
        s *= 10.0;
    }
    return digits;
}

// Rounds half away from zero to an int, saturating outside the int range.
int RoundAwayFromZero(double v)
{
    const double r = v >= 0.0 ? v + 0.5 : v - 0.5;
    if (!(r > -std::numeric_limits<int>::max())) {
        return -std::numeric_limits<int>::max(); // keeps -result representable
    }
    if (!(r < std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(r);
}

} // namespace

void CopyFixedText(char* field, size_t size, const char* text)
{
    if (size == 0) {
        return;
    }
    size_t length = 0;
    if (text != nullptr) {
        while (length + 1 < size && text[length] != '\0') {
            ++length;
        }
        std::memcpy(field, text, length);
    }
    std::memset(field + length, 0, size - length);
}

IParamRecord::IParamRecord() : valueTexts(GrowBuffer::kListGranularity) {}

void IParamRecord::DeclareDouble(const char* newName, double newDefault, double newMin,
                                 double newMax, double newStep, const char* newLabel)
{
    if (kind == kKindNone) {
        kind = kKindDouble;
    }
    CopyFixedText(name, sizeof name, newName);
    CopyFixedText(label, sizeof label, newLabel);
    min = newMin;
    value = newDefault;
    max = newMax > newMin + newStep ? newMax : newMin + newStep;
    step = newStep;
    defaultValue = newDefault;
    decimals = DecimalsForStep(newStep);
}

void IParamRecord::DeclareInt(const char* newName, int newDefault, int newMin, int newMax,
                              const char* newLabel)
{
    if (kind == kKindNone) {
        kind = kKindInt;
    }
    DeclareDouble(newName, newDefault, newMin, newMax, 1.0, newLabel);
}

void IParamRecord::DeclareEnum(const char* newName, int newDefault, int count, const char* newLabel)
{
    if (kind == kKindNone) {
        kind = kKindEnum;
    }
    DeclareDouble(newName, newDefault, 0.0, count - 1.0, 1.0, newLabel);
}

void IParamRecord::ChangeShape(double newShape)
{
    if (newShape != 0.0) {
        shape = newShape;
    }
}

void IParamRecord::ClearValueTexts()
{
    valueTexts.Resize(0);
}

bool IParamRecord::AddValueText(int forValue, const char* text)
{
    const int count = ValueTextCount();
    const auto entrySize = static_cast<int32_t>(sizeof(ValueText));
    valueTexts.Resize((count + 1) * entrySize);
    if (valueTexts.Size() != (count + 1) * entrySize) {
        return false;
    }
    ValueText& entry = valueTexts.As<ValueText>()[count];
    entry.value = forValue;
    CopyFixedText(entry.text, sizeof entry.text, text);
    return true;
}

double IParamRecord::PlainOf(double normalised) const
{
    return std::pow(normalised, shape) * (max - min) + min;
}

double IParamRecord::Limited(double plain) const
{
    if (!(plain >= min)) { // also catches NaN
        return min;
    }
    return plain > max ? max : plain;
}

double IParamRecord::NormalisedOf(double plain) const
{
    return std::pow((Limited(plain) - min) / (max - min), 1.0 / shape);
}

void IParamRecord::SetFromNormalised(double normalised)
{
    value = PlainOf(normalised);
    if (kind != kKindDouble) {
        value = std::floor(value / step + 0.5) * step;
    }
    if (value >= max) {
        value = max;
    }
}

int IParamRecord::ValueTextCount() const
{
    return valueTexts.Size() / static_cast<int>(sizeof(ValueText));
}

const char* IParamRecord::ValueTextFor(int forValue) const
{
    const ValueText* entries = valueTexts.As<ValueText>();
    for (int i = 0, n = ValueTextCount(); i < n; ++i) {
        if (entries[i].value == forValue) {
            return entries[i].text;
        }
    }
    return "";
}

const ValueText* IParamRecord::ValueTextAt(int i) const
{
    return i >= 0 && i < ValueTextCount() ? valueTexts.As<ValueText>() + i : nullptr;
}

bool IParamRecord::ValueForText(const char* text, double* result) const
{
    if (text == nullptr) {
        return false;
    }
    const ValueText* entries = valueTexts.As<ValueText>();
    for (int i = 0, n = ValueTextCount(); i < n; ++i) {
        if (std::strcmp(entries[i].text, text) == 0) {
            *result = entries[i].value;
            return true;
        }
    }
    return false;
}

void IParamRecord::FormatValue(double v, bool isNormalised, char* text, size_t capacity) const
{
    if (text == nullptr || capacity == 0) {
        return;
    }
    if (isNormalised) {
        v = PlainOf(v);
    }
    const int rounded = RoundAwayFromZero(v);
    if (ValueTextCount() > 0) {
        const char* named = ValueTextFor(rounded);
        if (named[0] != '\0') {
            std::snprintf(text, capacity, "%s", named);
            return;
        }
    }
    if (v == 0.0) {
        std::snprintf(text, capacity, "0");
    } else if (decimals == 0) {
        std::snprintf(text, capacity, "%d", negateDisplay ? -rounded : rounded);
    } else {
        std::snprintf(text, capacity, "%.*f", decimals, negateDisplay ? -v : v);
    }
}

double IParamRecord::ValueFromTypedText(const char* text) const
{
    double result = 0.0;
    if (ValueTextCount() > 0 && ValueForText(text, &result)) {
        return result;
    }
    result = text != nullptr ? std::strtod(text, nullptr) : 0.0;
    return negateDisplay ? -result : result;
}

double IParamRecord::WheelStep() const
{
    if (kind == kKindDouble || kind == kKindInt) {
        return kContinuousWheelStep;
    }
    const int count = ValueTextCount();
    return count > 0 ? kListWheelSpan / count : kContinuousWheelStep;
}

void IParamRecord::SetGroup(const char* text)
{
    CopyFixedText(group, sizeof group, text);
}

} // namespace toneloom
