#pragma once
// Text forms of numbers used on screen, in message texts and in lap-time files.
// All of them are free functions of the value alone (plus, where the system's
// decimal separator matters, that separator passed in), so they are exact and
// testable without a window.

#include <QChar>
#include <QString>
#include <QStringView>

namespace sw {

// "#####.000" / "####.000": three decimals, rounded, no leading zero below one
// second (0 -> ".000", 0.5 -> ".500", 83.1234 -> "83.123", -0.25 -> "-.250").
QString formatTime(double seconds);

// The value a time text shows: seconds rounded to thousandths exactly as
// formatTime rounds them.
double shownSeconds(double seconds);

// "##0": whole number, rounded half away from zero, at least one digit.
QString formatWhole(double v);

// Shortest decimal digits of v, at most 15 significant, no trailing zeros, no
// leading zero below magnitude 1, '.' as separator, no blanks (0.5 -> ".5",
// 12.50 -> "12.5", -0.25 -> "-.25", 0 -> "0").
QString plainNumber(double v);

// Number-to-text form: one blank before a value that is zero or positive (the
// minus sign stands in that place otherwise), then plainNumber (4 -> " 4",
// 0.5 -> " .5", -3 -> "-3").
QString numberText(double v);

// Lap-time file print form: numberText with the given decimal separator and a
// trailing blank (4 -> " 4 ", 12.5 -> " 12.5 " or " 12,5 ").
QString printForm(double v, QChar decimalSeparator);

// Leading-number reading of a text, the way typed fields and file cells are
// read: leading white space skipped, an optional sign, digits with at most one
// decimal point, an optional exponent. Text without a leading number reads as
// 0. A number that does not fit a double (1e400) or is not finite reads as 0,
// so no caller ever sees inf or nan.
double val(QStringView text);

// Whether the text starts with a finite number in the sense of val() (after
// leading white space). "abc" and "" are not numbers; "7x" is.
bool startsWithNumber(QStringView text);

// Banker's rounding to a whole number (2.5 -> 2, 3.5 -> 4), as the number of
// segments is rounded.
double roundHalfEven(double v);

} // namespace sw
