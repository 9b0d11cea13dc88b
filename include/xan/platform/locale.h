// Locale case rules of the platform: case mapping of characters and texts and case-insensitive
// comparison, following the process's default locale.
#pragma once

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// All functions here follow ICU's default locale. On this host ICU takes it from the environment
// (LC_ALL, LC_MESSAGES, LANG) when it is first needed; "C" and "POSIX" give the language-neutral
// rules. The locale matters for a few languages only: Turkish and Azeri map "i" to the dotted
// capital U+0130 and "I" to the dotless small U+0131, Lithuanian keeps dots on accented "i".
// The locale is looked up on every call, so a change of ICU's default locale takes effect at once.
// None of these functions raises except for std::bad_alloc.

// ================================================================================================
// Single characters. A character is one UTF-16 code unit; where the locale's full mapping of a
// character is longer than one unit ("ß" => "SS"), the language-neutral single-unit mapping is
// used instead ("ß" stays "ß"). A surrogate code unit maps to itself.

// The upper case of one character.
//   u'a' => u'A',  u'\u00e9' => u'\u00c9',  u'1' => u'1',  u'\u00df' => u'\u00df'
//   Turkish locale: u'i' => u'\u0130'
XAN_EXPORT Char LocaleUpperChar(Char c) noexcept;

// The lower case of one character.
//   u'A' => u'a',  u'\u00c9' => u'\u00e9',  u'\u0130' => u'i'
//   Turkish locale: u'I' => u'\u0131'
XAN_EXPORT Char LocaleLowerChar(Char c) noexcept;

// The language-neutral simple case folding of one character: the same in every locale (also in
// Turkish and Azeri), the form in which case-insensitive file systems compare names. A character
// whose folding is longer than one unit, and a surrogate code unit, stay as they are.
//   u'A' => u'a',  u'\u00c9' => u'\u00e9',  u'I' => u'i' in every locale,  u'\u0130' => u'\u0130',
//   u'\u00df' => u'\u00df',  u'1' => u'1'
XAN_EXPORT Char NeutralFoldChar(Char c) noexcept;

// ================================================================================================
// Whole texts: the full mappings, so the length may change; surrogate pairs are mapped as one
// character, lone surrogates are kept.

// The text in upper case.
//   u"Stra\u00dfe" => u"STRASSE",  u"abc1" => u"ABC1",  u"" => u""
XAN_EXPORT String LocaleUpperCase(StringView text);

// The text in lower case.
//   u"\u00c9T\u00c9" => u"\u00e9t\u00e9",  u"ABC1" => u"abc1",  u"" => u""
XAN_EXPORT String LocaleLowerCase(StringView text);

// ================================================================================================
// Case-insensitive comparison: both texts are compared after full case folding (Turkish and Azeri
// locales fold "I" and "\u0130" their own way). The order is that of the folded texts' code
// points, not a dictionary order.

// Negative, 0 or positive as a sorts before, equal to or after b without regard to case.
//   (u"abc", u"ABC") => 0,  (u"a", u"B") => negative,  (u"stra\u00dfe", u"STRASSE") => 0
XAN_EXPORT int LocaleCompareText(StringView a, StringView b) noexcept;

// True when a and b are equal without regard to case.
//   (u"\u00e9T\u00e9", u"\u00c9t\u00c9") => true,  (u"a", u"a ") => false
XAN_EXPORT bool LocaleSameText(StringView a, StringView b) noexcept;

}  // namespace xan
