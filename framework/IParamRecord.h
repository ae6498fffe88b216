// One automatable parameter: kind, range, step, shape, current and default
// value, texts, and the conversions between plain values (the parameter's own
// units) and normalised values (0..1, used by hosts and editor controls).
#pragma once

#include "GrowBuffer.h"

#include <cstddef>
#include <cstdint>

namespace toneloom {

enum ParamKind : int32_t
{
    kKindNone = 0, // not declared yet
    kKindBool = 1,
    kKindInt = 2,
    kKindEnum = 3,
    kKindDouble = 4,
};

// Fixed text fields hold 31 characters and a terminator.
constexpr int kParamTextSize = 32;

struct ValueText
{
    int32_t value;
    char text[kParamTextSize];
};

class IParamRecord
{
public:
    IParamRecord();
    IParamRecord(const IParamRecord&) = delete;
    IParamRecord& operator=(const IParamRecord&) = delete;

    // Declarations, called once per record before any other use. The value is
    // not limited here; max becomes at least min + step.
    void DeclareDouble(const char* name, double defaultValue, double minValue, double maxValue,
                       double step, const char* label);
    void DeclareInt(const char* name, int defaultValue, int minValue, int maxValue,
                    const char* label);
    void DeclareEnum(const char* name, int defaultValue, int count, const char* label);
    // Exponent of the normalised mapping; 0 is ignored.
    void ChangeShape(double newShape);
    // Appends a text for `forValue`; false if it could not be stored.
    bool AddValueText(int forValue, const char* text);
    // Forgets every value text (for a list whose entries change at run time).
    void ClearValueTexts();

    // plain = normalised^shape * (max - min) + min, without limiting or rounding.
    double PlainOf(double normalised) const;
    // Limits the plain value to [min, max] (NaN counts as min), then inverts PlainOf.
    double NormalisedOf(double plain) const;
    double CurrentNormalised() const { return NormalisedOf(value); }
    // Whole-number kinds round to the step (halves up); only the top is limited.
    void SetFromNormalised(double normalised);
    // Stores a plain value as it is (the caller limits it when needed).
    void SetPlain(double plain) { value = plain; }
    // The plain value limited to [min, max]; NaN gives min.
    double Limited(double plain) const;

    int ValueTextCount() const;
    // Text of the first entry for `forValue`, or "" if there is none.
    const char* ValueTextFor(int forValue) const;
    // Entry `i` (0 .. ValueTextCount() - 1) in the order added; null outside.
    const ValueText* ValueTextAt(int i) const;
    // Value of the first entry whose text matches exactly; false if none.
    bool ValueForText(const char* text, double* result) const;

    // Writes the display text of `v` (plain, or normalised when isNormalised).
    void FormatValue(double v, bool isNormalised, char* text, size_t capacity) const;
    // The plain value a user means by typing `text`: a value text, else the
    // leading decimal number (0 if none), negated when negate display is set.
    double ValueFromTypedText(const char* text) const;
    // How far one wheel notch moves the normalised value.
    double WheelStep() const;

    ParamKind Kind() const { return kind; }
    bool IsWholeNumberKind() const { return kind != kKindDouble; }
    double Value() const { return value; }
    double Min() const { return min; }
    double Max() const { return max; }
    double Step() const { return step; }
    double Shape() const { return shape; }
    double DefaultValue() const { return defaultValue; }
    int Decimals() const { return decimals; }
    const char* Name() const { return name; }
    const char* Label() const { return label; }
    const char* Group() const { return group; }
    bool NegateDisplay() const { return negateDisplay; }
    bool CanAutomate() const { return canAutomate; }

    void SetGroup(const char* text);
    void SetNegateDisplay(bool negate) { negateDisplay = negate; }
    void SetCanAutomate(bool automate) { canAutomate = automate; }

private:
    ParamKind kind = kKindNone;
    double value = 0.0;
    double min = 0.0;
    double max = 1.0;
    double step = 1.0;
    double shape = 1.0;
    double defaultValue = 0.0;
    int32_t decimals = 0;
    char name[kParamTextSize] = {};
    char label[kParamTextSize] = {};
    char group[kParamTextSize] = {};
    bool negateDisplay = false;
    bool canAutomate = true;
    GrowBuffer valueTexts;
};

// Copies `text` into a fixed field of `size` bytes, truncating and terminating.
void CopyFixedText(char* field, size_t size, const char* text);

} // namespace toneloom
