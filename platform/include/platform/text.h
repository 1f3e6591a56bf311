#pragma once
// Text functions: fields split at a separator, replacement, comparison and number conversion.
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// Field n (counted from 1) of text cut at every occurrence of separator; empty past the
// last field and for n < 1. Without the separator the text is field 1.
QString NthField(const QString& text, const QString& separator, int n);
// 0 for the empty text, otherwise the occurrences of separator plus one.
int CountFields(const QString& text, const QString& separator);
// Every occurrence of old replaced by replacement (an empty replacement removes it).
QString ReplaceAll(const QString& text, const QString& old, const QString& replacement);
// 0 exactly when a equals b. Mode 0: case-sensitive; any other mode ignores case.
// Otherwise -1 or 1 by code-unit order.
int StrComp(const QString& a, const QString& b, int mode);
// The value of the decimal number at the start of text (leading blanks skipped, an
// optional sign, digits, an optional fraction and exponent), read in the C locale;
// nullopt when there is none. No "inf", "nan" or hex.
std::optional<double> LeadingNumber(const QString& text);
// LeadingNumber, 0 when there is none.
double Val(const QString& text);
// An integer in decimal.
QString Str(std::int64_t value);
// The number of characters (code points).
int Len(const QString& text);
// A real converted to a 32-bit integer: truncated toward zero, saturated at the limits,
// NaN as 0.
std::int32_t ToInteger(double value);

} // namespace platform
