// What a user means by a value typed for a parameter, in a host's field or
// the editor's value entry: one of the parameter's value texts (in any letter
// case) or a number, optionally followed by the parameter's unit.
//
// [any thread] Reads the parameter's declaration only.
#pragma once

namespace toneloom {

class IParamRecord;

// The plain value `text` stands for, in `*plain`. Numbers are decimal with a
// point or one comma as the decimal mark, an optional sign and exponent, read
// the same whatever C locale the host has set; blanks around the text and
// between number and unit do not count; the unit matches in any case. A
// parameter shown negated reads typed numbers negated too. False, leaving
// `*plain` alone, for anything else: an empty or unreadable text, a number
// that is not finite, another unit, a comma followed by exactly three digits
// ("1,500" is 1.5 to some and 1500 to others), and a bare number for a list
// whose every value has a text (its position is nothing the user sees).
bool ReadTypedValue(const IParamRecord& param, const char* text, double* plain);

} // namespace toneloom
