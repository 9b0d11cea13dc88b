// Locale-dependent text of the platform: the format settings of the process locale, the general
// float text and its reading, and date/time values formatted with a strftime pattern.
#pragma once

#include "xan/platform/exceptions.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// ================================================================================================
// Format settings
//
// Most of the library writes numbers with "." whatever the locale. The few operations documented
// as locale-dependent take their decimal separator from a TFormatSettings, by default the one of
// the process locale at the time of the call.
//
// The process locale is the C library's: its LC_NUMERIC category as the program last set it with
// setlocale (std::setlocale). A program that never calls setlocale runs in the "C" locale, whose
// decimal separator is "."; setlocale(LC_ALL, "") takes the user's locale from the environment
// (LANG, LC_ALL, LC_NUMERIC). The C library's locale is used rather than ICU's default locale
// because it is the one the application itself controls, and it can be changed and restored at
// run time (the library's case rules follow ICU, see xan/platform/locale.h).

struct TFormatSettings {
  // The character between the integer and the fraction digits of a number.
  Char DecimalSeparator = u'.';
};

// The settings of the process locale now, read with localeconv(). The locale's decimal point
// becomes DecimalSeparator when it is one character (a single byte, or one UTF-16 code unit in
// UTF-8); a longer or empty decimal point gives ".". Raises nothing. Like localeconv() itself, it
// must not run while another thread calls setlocale.
//   "C" or "POSIX" locale => '.',  "de_DE.UTF-8" => ',',  "en_US.UTF-8" => '.'
XAN_EXPORT TFormatSettings FormatSettings() noexcept;

// ================================================================================================
// Floating-point text

// The general text of a double with 15 significant digits: the value is rounded to 15
// significant digits and trailing zeros of the fraction are dropped. Fixed notation is used when
// the value's decimal exponent X (value = 0.ddd * 10^X) lies in -3..15, so from 0.0001 up to
// below 10^15; otherwise scientific notation "d.ddd" + "E" + exponent, written with a "-" when
// negative and without "+" or leading zeros. Zero (also -0) is "0"; NaN and the infinities are
// "NAN", "INF" and "-INF". No digit grouping. Raises nothing but std::bad_alloc.
//   1.5 => "1.5"            -0.25 => "-0.25"          100 => "100"
//   1/3 => "0.333333333333333"                        0.0001 => "0.0001"
//   0.00001 => "1E-5"       1e15 => "1E15"            123456789012345 => "123456789012345"
//   2.5e-10 => "2.5E-10"    0.1 + 0.2 => "0.3"        with separator ',': 1.5 => "1,5"
XAN_EXPORT String FloatToStr(double Value);
XAN_EXPORT String FloatToStr(double Value, const TFormatSettings& Settings);

// Reads a whole text as a double: blanks (code 32) around it are allowed, then an optional "+"
// or "-", digits with at most one DecimalSeparator among or around them (at least one digit in
// all), and an optional exponent "E" or "e" with an optional sign and at least one digit. "NAN",
// "INF" and "INFINITY" (any letter case, the infinities with a sign) give those values, so that
// every text of FloatToStr reads back. The value is the nearest double; a value too small for a
// double becomes 0 (with its sign). False, Value unchanged, for any other text and for a value
// beyond the double range. Raises nothing.
//   " -1.5e2 " => -150    "1." => 1    ".5" => 0.5    "1E-400" => 0    "INF" => infinity
//   "" => false    "1.5x" => false    "1,5" => false (separator '.')    "1E400" => false
//   "1 000" => false    "." => false    "1e" => false
XAN_EXPORT bool TryStrToFloat(StringView Text, double& Value) noexcept;
XAN_EXPORT bool TryStrToFloat(StringView Text, double& Value,
                              const TFormatSettings& Settings) noexcept;

// TryStrToFloat, raising EConvertError "'<Text>' is not a valid floating point value" where it
// gives false.
XAN_EXPORT double StrToFloat(StringView Text);
XAN_EXPORT double StrToFloat(StringView Text, const TFormatSettings& Settings);

// ================================================================================================
// Date and time

// A local date and time: the days since 1899-12-30 00:00, the fraction being the time of day
// (45000.5 is 2023-03-15 12:00). A negative value counts its whole days backwards from
// 1899-12-30 and its fraction forwards from midnight: -1.25 is 1899-12-29 06:00. This is the
// day number that Variant::FromDate takes.
using TDateTime = double;

// The current local date and time, to the millisecond.
XAN_EXPORT TDateTime Now();

// The date and time as text by a pattern in the language of the C library's strftime: every
// character stands for itself except the conversions "%" + letter, among them
//   %Y year (2024)   %y year in 2 digits   %m month 01-12   %d day 01-31   %e day, blank-padded
//   %H hour 00-23    %I hour 01-12         %M minute 00-59  %S second 00-60
//   %p AM/PM         %j day of the year    %a %A weekday name   %b %B month name
//   %F = %Y-%m-%d (4-digit year)  %T = %H:%M:%S         %D = %m/%d/%y    %c %x %X the locale's
//   forms %z offset from UTC (+0100)   %Z time-zone abbreviation   %% a "%"
// Names and the %c %x %X forms follow the process locale's LC_TIME (English in the "C" locale)
// and are read as UTF-8, which suits the "C" locale and every UTF-8 locale. The zone conversions
// describe the host's local time zone at that date. Seconds are truncated; milliseconds have no
// conversion. The numbers (%Y %y %m %d %e %H %I %M %S %j %u %w and %F %T %D %R) are the same
// on every host; names, the locale's forms, the zone fields and conversions with flags or
// widths come from the C library's strftime, and one it does not know is copied as written.
// A character U+0000 in the pattern is copied as it stands. Raises EConvertError
// "Invalid date/time value" when DateTime is not a number or lies outside the years
// -30000..30000.
//   ("%Y-%m-%d %H:%M:%S", 45000.5) => "2023-03-15 12:00:00"
//   ("%d.%m.%y", 1.0) => "31.12.99"     ("%A, %B %e", 45000.5) => "Wednesday, March 15"
//   ("100%%", any) => "100%"            ("", any) => ""
XAN_EXPORT String FormatDateTime(StringView Pattern, TDateTime DateTime);

}  // namespace xan
