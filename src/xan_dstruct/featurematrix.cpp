// TFeatureMatrix: the value table and its properties list, the kind checks, the structural
// operations, feature-name templates and the feature-matrix text file.
#include "xan/dstruct/featurematrix.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>

#include "platform/simple_text.h"
#include "xan/platform/format_settings.h"
#include "xan/stringl/char_funcs.h"
#include "xan/stringl/conversions.h"
#include "xan_dstruct/component_support.h"
#include "xan_dstruct/number_text.h"

namespace xan {

using detail::SimpleLowerText;
using detail::SimpleUpper;

namespace {

using detail::DecimalText;

// The keywords of the file, looked up with A-Z folded.
constexpr std::initializer_list<StringView> kSections = {u"featdef", u"featvals", u"featend"};
constexpr std::array<StringView, 5> kKindNames = {u"fkUndefined", u"fkInteger", u"fkDouble",
                                                  u"fkString", u"fkTriState"};
constexpr std::initializer_list<StringView> kKindList = {u"fkUndefined", u"fkInteger", u"fkDouble",
                                                         u"fkString", u"fkTriState"};
enum TPropKey : int32_t {
  pkNone,
  pkFeatNum,
  pkFeatName,
  pkFeatKind,
  pkComment,
  pkPresets,
  pkSorted,
  pkGUIElem
};
constexpr std::initializer_list<StringView> kPropKeys = {
    u"fplFeatNum", u"fplFeatName", u"fplFeatKind", u"fplComment",
    u"fplPresets", u"fplSorted",   u"fplGUIElem"};

constexpr StringView kDefaultFeatName = u"undefined";
// Replacements one feature name may take before its expansion counts as runaway.
constexpr int kMaxExpansions = 4096;
// The widest D or I placeholder.
constexpr int32_t kMaxPlaceholderWidth = 4096;

// The value of an unset feature of the kind: "0" for the numbers, empty for the others.
String KindDefault(TFeatKind Kind) {
  return Kind == fkInteger || Kind == fkDouble ? String(u"0") : String();
}

// A "+", "-" or digit, then digits only; a text of one character must be a digit.
bool IsIntegerText(StringView Text) noexcept {
  if (Text.empty()) return false;
  const auto isDigit = [](Char c) { return c >= u'0' && c <= u'9'; };
  if (!isDigit(Text[0]) && (Text.size() == 1 || (Text[0] != u'+' && Text[0] != u'-'))) {
    return false;
  }
  return std::all_of(Text.begin() + 1, Text.end(), isDigit);
}

bool IsFloatText(StringView Text) {
  detail::TLeadingNumber number;
  return detail::ScanLeadingNumber(Text, false, true, number);
}

bool IsTriStateText(StringView Text) {
  const String lower = SimpleLowerText(Text);
  return lower == u"true" || lower == u"false";
}

// n + k * Delta in 32-bit two's complement, as the renumbering counts.
int32_t WrappedNumber(int32_t First, int64_t Steps, int32_t Delta) noexcept {
  const uint64_t v = static_cast<uint64_t>(static_cast<int64_t>(First)) +
                     static_cast<uint64_t>(Steps) * static_cast<uint64_t>(int64_t{Delta});
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// ------------------------------------------------------------------------------------------------
// Reading numbers from lines

// Reads an integer at Text[Pos]: characters of code 32 and below are skipped, then an optional
// sign and digits are read up to the next character of code 32 or below (or the end), as the
// open text file reads integers. False when they are not an integer of the signed 32-bit range;
// Pos is then past the characters read all the same. For text and for the ANSI bytes of a line
// alike (bytes compared by their unsigned codes, so that 128..255 are never blanks).
template <class C>
bool ReadIntToken(std::basic_string_view<C> Text, size_t& Pos, int32_t& Value) noexcept {
  // The code of a character, bytes taken as unsigned.
  const auto code = [&](size_t k) {
    return static_cast<uint32_t>(std::make_unsigned_t<C>(Text[k]));
  };
  const size_t n = Text.size();
  size_t i = Pos;
  while (i < n && code(i) <= 32) ++i;
  const bool negative = i < n && Text[i] == C('-');
  if (i < n && (negative || Text[i] == C('+'))) ++i;
  const size_t digits = i;
  // Stops growing above the largest magnitude of interest, so that no length of digits
  // overflows.
  constexpr uint64_t kBeyond = uint64_t{1} << 32;
  uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const uint32_t digit = code(i) - uint32_t{'0'};
    if (digit > 9) break;
    if (magnitude < kBeyond) magnitude = magnitude * 10 + digit;
  }
  // At least one digit, and nothing else up to the end of the token.
  bool ok = i > digits;
  for (; i < n && code(i) > 32; ++i) ok = false;
  Pos = i;
  if (!ok || magnitude > uint64_t{INT32_MAX} + (negative ? 1 : 0)) return false;
  Value = static_cast<int32_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

// A text that is one integer and nothing else but blanks around it.
bool ReadWholeInt(StringView Text, int32_t& Value) noexcept {
  size_t pos = 0;
  if (!ReadIntToken(Text, pos, Value)) return false;
  while (pos < Text.size() && Text[pos] <= u' ') ++pos;
  return pos == Text.size();
}

// Text (or bytes) without the blanks (code 32) at its start and end.
template <class C>
std::basic_string_view<C> TrimmedBlanks(std::basic_string_view<C> Text) noexcept {
  const size_t first = Text.find_first_not_of(C(' '));
  if (first == Text.npos) return {};
  return Text.substr(first, Text.find_last_not_of(C(' ')) - first + 1);
}

// The characters of the 256 bytes of the ANSI code page (ASCII and UTF-8's single bytes alike).
constexpr std::array<Char, 256> kAnsiChars = [] {
  std::array<Char, 256> chars{};
  for (size_t b = 0; b < chars.size(); ++b) chars[b] = AnsiToChar(static_cast<uint8_t>(b));
  return chars;
}();

// Appends the decimal digits of a number, without making a text of them first.
void AppendDecimal(String& Out, int32_t Value) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
  Out.append(digits, end);
}

// Whether storage for Capacity elements serves a new content of Needed elements: it must hold
// them, and not be more than four times as large, so that a small file read after a large one
// does not keep the large one's memory.
bool ServesAgain(size_t Capacity, uint64_t Needed) noexcept {
  return Needed > 0 && Capacity >= Needed && Capacity / 4 <= Needed;
}

// The failure of a read or a conversion in the file; LoadFromOpenFile turns it into -2.
struct TLoadFailure {};

// ------------------------------------------------------------------------------------------------
// Feature-name templates

// The integer at the start of a placeholder's parameter: blanks skipped, an optional sign, then
// digits; 0 when there are none. Limited to +-kMaxPlaceholderWidth + 1, so that a huge width is
// recognised as too wide.
int32_t PlaceholderWidth(StringView Param) noexcept {
  size_t i = 0;
  while (i < Param.size() && Param[i] == u' ') ++i;
  bool negative = false;
  if (i < Param.size() && (Param[i] == u'+' || Param[i] == u'-')) negative = Param[i++] == u'-';
  int32_t w = 0;
  for (; i < Param.size() && Param[i] >= u'0' && Param[i] <= u'9'; ++i) {
    w = std::min(w * 10 + (Param[i] - u'0'), kMaxPlaceholderWidth + 1);
  }
  return negative ? -w : w;
}

// D and I: n in decimal, right-aligned in w characters (w > 0) or with exactly -w digits (w < 0).
String PlaceholderNumber(int32_t N, int32_t W) {
  if (W == 0) return DecimalText(N);
  if (W > 0) {
    const String text = DecimalText(N);
    const size_t w = static_cast<size_t>(W);
    if (text.size() >= w) return text.substr(text.size() - w);
    return String(w - text.size(), u' ') + text;
  }
  const String digits = DecimalText(N < 0 ? -int64_t{N} : int64_t{N});
  const size_t w = static_cast<size_t>(-W);
  String out = N < 0 ? u"-" : u"";
  if (digits.size() >= w) return out + digits.substr(digits.size() - w);
  return out + String(w - digits.size(), u'0') + digits;
}

// H: exactly w (1..8) upper-case hexadecimal digits of the low bits of n.
String PlaceholderHex(int32_t N, int32_t W) {
  const int32_t w = std::clamp(W, 1, 8);
  const auto v = static_cast<uint32_t>(N);
  String out;
  for (int32_t k = w - 1; k >= 0; --k) out += u"0123456789ABCDEF"[(v >> (4 * k)) & 0xF];
  return out;
}

// Expands Template for feature Index with number N; false when the expansion fails.
bool ExpandTemplate(StringView Template, int32_t Index, int32_t N, TDateTime When, String& Out) {
  String text(Template);
  for (int expansions = 0;; ++expansions) {
    const size_t open = text.find(u"<%");
    if (open == String::npos) {
      Out = std::move(text);
      return true;
    }
    const size_t close = text.find(u"%>");
    if (close == String::npos || close < open || expansions == kMaxExpansions) return false;
    // close >= open + 1, so the letter at open + 2 exists; a real letter puts close past it.
    const Char letter = SimpleUpper(text[open + 2]);
    const StringView param =
        close > open + 3 ? StringView(text).substr(open + 3, close - open - 3) : StringView();
    const int32_t w = PlaceholderWidth(param);
    String replacement;
    switch (letter) {
      case u'D':
      case u'I':
        if (w > kMaxPlaceholderWidth || w < -kMaxPlaceholderWidth) return false;
        replacement = PlaceholderNumber(letter == u'D' ? N : Index, w);
        break;
      case u'H':
        replacement = PlaceholderHex(N, w);
        break;
      case u'T':
        try {
          replacement = FormatDateTime(param, When);
        } catch (const EConvertError&) {
          return false;
        }
        break;
      default:
        return false;
    }
    text.replace(open, close + 2 - open, replacement);
  }
}

}  // namespace

// ================================================================================================
// TFeatMatProps

TFeatMatProps::TFeatMatProps(TComponent* AOwner) : TComponent(AOwner) {
  Clear();
}

TFeatMatProps::~TFeatMatProps() = default;

void TFeatMatProps::Clear() {
  FeatNum = 0;
  FeatName = kDefaultFeatName;
  FeatKind = fkUndefined;
  Comment.clear();
  PresetValues.clear();
  Sorted = false;
  GUIElem = nullptr;
}

void TFeatMatProps::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TFeatMatProps*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FeatNum = src->FeatNum;
  FeatName = src->FeatName;
  FeatKind = src->FeatKind;
  Comment = src->Comment;
  PresetValues = src->PresetValues;
  Sorted = src->Sorted;
  GUIElem = src->GUIElem;
}

void TFeatMatProps::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

// ================================================================================================
// TFeatureMatrix: sizes

TFeatureMatrix::TFeatureMatrix(TComponent* AOwner) : TComponent(AOwner) {}

TFeatureMatrix::~TFeatureMatrix() = default;

void TFeatureMatrix::Fail(StringView Reason) const {
  throw EXANDStructError(ComponentMessage(Reason));
}

// ------------------------------------------------------------------------------------------------
// The value texts: one pool of characters, each cell a reference to its text in it. Storing a
// text appends it; what is no longer referred to is dropped by a compaction once it outweighs the
// texts in use.

StringView TFeatureMatrix::Text(int32_t fix, int32_t obj) const noexcept {
  const TValueRef& r = Ref(fix, obj);
  return r.Length == 0 ? StringView() : StringView(FValueText.data() + r.Offset, r.Length);
}

TFeatureMatrix::TValueRef TFeatureMatrix::AddText(StringView Text) {
  if (Text.empty()) return {};
  if (Text.size() > UINT32_MAX) Fail(detail::kNotEnoughMemory);
  // A text taken from the pool itself is copied first: appending may move the pool.
  const std::less<const Char*> before;
  if (!FValueText.empty() && !before(Text.data(), FValueText.data()) &&
      before(Text.data(), FValueText.data() + FValueText.size())) {
    return AddText(String(Text));
  }
  const TValueRef ref{FValueText.size(), static_cast<uint32_t>(Text.size())};
  detail::GuardStorage(*this, detail::kNotEnoughMemory,
                       [&] { FValueText.insert(FValueText.end(), Text.begin(), Text.end()); });
  return ref;
}

void TFeatureMatrix::Store(int32_t fix, int32_t obj, StringView Text) {
  Point(Ref(fix, obj), AddText(Text));
  Compact();
}

void TFeatureMatrix::StoreBytes(int32_t fix, int32_t obj, std::string_view Bytes,
                                TTextEncoding Encoding) {
  TValueRef ref;
  if (!Bytes.empty()) {
    if (Bytes.size() > UINT32_MAX) Fail(detail::kNotEnoughMemory);
    const auto* const bytes = reinterpret_cast<const uint8_t*>(Bytes.data());
    const size_t n = Bytes.size();
    if (Encoding == teUtf8 && !std::all_of(bytes, bytes + n, [](uint8_t b) { return b < 0x80; })) {
      Store(fix, obj, FromUtf8(Bytes));
      return;
    }
    ref = {FValueText.size(), static_cast<uint32_t>(n)};
    detail::GuardStorage(*this, detail::kNotEnoughMemory,
                         [&] { FValueText.resize(FValueText.size() + n); });
    Char* const out = FValueText.data() + ref.Offset;
    for (size_t k = 0; k < n; ++k) out[k] = kAnsiChars[bytes[k]];
  }
  Point(Ref(fix, obj), ref);
  Compact();
}

void TFeatureMatrix::CompactPool() noexcept {
  if (FFeatVals.empty()) {
    TTextPool().swap(FValueText);
    FLiveText = 0;
    return;
  }
  // Every cell gets a copy of its text of its own, so the texts in use take FLiveText characters.
  TTextPool text;
  try {
    text.resize(static_cast<size_t>(FLiveText));
  } catch (...) {  // NOLINT(bugprone-empty-catch): the garbage stays until there is memory
    return;
  }
  Char* out = text.data();
  for (TValueRef& r : FFeatVals) {
    if (r.Length == 0) continue;
    std::copy_n(FValueText.data() + r.Offset, r.Length, out);
    r.Offset = static_cast<uint64_t>(out - text.data());
    out += r.Length;
  }
  FValueText.swap(text);
}

// ------------------------------------------------------------------------------------------------

void TFeatureMatrix::CheckSizes(int32_t NFeats, int32_t NObjs) const {
  if (NFeats < 0) Fail(u"negative number of features");
  if (NObjs < 0) Fail(u"negative number of objects");
  if (NFeats > MaxFeatures ||
      static_cast<uint64_t>(NFeats) * static_cast<uint64_t>(NObjs) > MaxValues) {
    Fail(detail::kNotEnoughMemory);
  }
}

void TFeatureMatrix::ResizeTable(int32_t NFeats, int32_t NObjs) {
  CheckSizes(NFeats, NObjs);
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    // Everything that may fail is made first, the large value table before the properties; the
    // matrix changes only when all of it is there.
    const size_t cells = static_cast<size_t>(NFeats) * static_cast<size_t>(NObjs);
    // The table changes in place when its rows keep their length or when it holds no value to
    // move (then the storage it has, a load's reused one among others, serves again).
    const bool inPlace = NFeats == FNFeats || FFeatVals.empty();
    TValueTable values;
    if (inPlace) {
      FFeatVals.reserve(cells);
    } else {
      values.resize(cells);
    }
    TPropsList added;
    for (int32_t i = FNFeats; i < NFeats; ++i) added.push_back(std::make_unique<TFeatMatProps>());
    FFeatProps.reserve(static_cast<size_t>(NFeats));
    if (inPlace) {
      for (size_t i = cells; i < FFeatVals.size(); ++i) Point(FFeatVals[i], {});
      FFeatVals.resize(cells);
    } else {
      for (int32_t o = 1; o <= FNObjs; ++o) {
        for (int32_t f = 1; f <= FNFeats; ++f) {
          if (f <= NFeats && o <= NObjs) {
            values[static_cast<size_t>(o - 1) * static_cast<size_t>(NFeats) +
                   static_cast<size_t>(f - 1)] = Ref(f, o);
          } else {
            Point(Ref(f, o), {});
          }
        }
      }
      FFeatVals.swap(values);
    }
    FFeatProps.resize(std::min(FFeatProps.size(), static_cast<size_t>(NFeats)));
    for (auto& p : added) FFeatProps.push_back(std::move(p));
  });
  FNFeats = NFeats;
  FNObjs = NObjs;
  Compact();
}

void TFeatureMatrix::SetNFeats(int32_t count) {
  ResizeTable(count, FNObjs);
  Changed();
}

void TFeatureMatrix::SetNObjs(int32_t count) {
  ResizeTable(FNFeats, count);
  Changed();
}

bool TFeatureMatrix::Resize(int32_t NFeats, int32_t NObjs) {
  try {
    ResizeTable(NFeats, NObjs);
  } catch (const EXANDStructError&) {
    return false;
  }
  Changed();
  Changed();
  return true;
}

void TFeatureMatrix::Clear() {
  TValueTable().swap(FFeatVals);
  FFeatProps.clear();
  FNFeats = 0;
  FNObjs = 0;
  Compact();
  Changed();
}

void TFeatureMatrix::ResetToDefault() {
  for (int32_t o = 1; o <= FNObjs; ++o) {
    // The callback may change the matrix, so nothing of the pool is held across it.
    const TValueRef zero = AddText(u"0");
    for (int32_t f = 1; f <= FNFeats; ++f) {
      Point(Ref(f, o), Kind(f) == fkInteger || Kind(f) == fkDouble ? zero : TValueRef{});
    }
    Compact();
    Changed();
  }
}

// ================================================================================================
// Properties of the features

TFeatMatProps* TFeatureMatrix::GetFeatProps(int32_t fix) {
  if (FeatInRange(fix)) return FFeatProps[static_cast<size_t>(fix) - 1].get();
  if (FOutOfRangeProps) {
    FOutOfRangeProps->Clear();
  } else {
    FOutOfRangeProps = std::make_unique<TFeatMatProps>();
  }
  return FOutOfRangeProps.get();
}

void TFeatureMatrix::SetFeatProps(int32_t fix, TFeatMatProps* FeatMatProps) {
  if (!FeatInRange(fix) || FeatMatProps == nullptr) return;
  std::unique_ptr<TFeatMatProps>& slot = FFeatProps[static_cast<size_t>(fix) - 1];
  if (slot.get() != FeatMatProps) {
    const bool ownedHere =
        std::any_of(FFeatProps.begin(), FFeatProps.end(),
                    [FeatMatProps](const auto& p) { return p.get() == FeatMatProps; });
    std::unique_ptr<TFeatMatProps> taken;
    if (FeatMatProps == FOutOfRangeProps.get()) {
      taken = std::move(FOutOfRangeProps);
    } else if (ownedHere) {
      taken = std::make_unique<TFeatMatProps>();
      taken->Assign(*FeatMatProps);
    } else {
      if (FeatMatProps->Owner() != nullptr) FeatMatProps->Owner()->RemoveComponent(FeatMatProps);
      taken.reset(FeatMatProps);
    }
    slot = std::move(taken);
  }
  Changed();
}

void TFeatureMatrix::SetFeatProps(int32_t fix, std::unique_ptr<TFeatMatProps> FeatMatProps) {
  if (!FeatInRange(fix) || !FeatMatProps) return;
  SetFeatProps(fix, FeatMatProps.release());
}

bool TFeatureMatrix::ClippedRange(int32_t IxFrom, int32_t IxTo, int32_t& Low,
                                  int32_t& High) const noexcept {
  if (FNFeats == 0) return false;
  if (IxFrom == 0 && IxTo == 0) {
    Low = 1;
    High = FNFeats;
    return true;
  }
  IxFrom = std::clamp(IxFrom, 1, FNFeats);
  IxTo = std::clamp(IxTo, 1, FNFeats);
  Low = std::min(IxFrom, IxTo);
  High = std::max(IxFrom, IxTo);
  return true;
}

void TFeatureMatrix::SetFeatType(int32_t IxFrom, int32_t IxTo, TFeatKind FeatKind) {
  int32_t low = 0;
  int32_t high = 0;
  if (!ClippedRange(IxFrom, IxTo, low, high)) return;
  for (int32_t i = low; i <= high; ++i) FFeatProps[static_cast<size_t>(i) - 1]->FeatKind = FeatKind;
}

void TFeatureMatrix::RenumberFeatures(int32_t IxFrom, int32_t IxTo, int32_t FirstNum,
                                      int32_t Delta) {
  int32_t low = 0;
  int32_t high = 0;
  if (!ClippedRange(IxFrom, IxTo, low, high)) return;
  for (int32_t i = low; i <= high; ++i) {
    FFeatProps[static_cast<size_t>(i) - 1]->FeatNum = WrappedNumber(FirstNum, i - low, Delta);
  }
}

int32_t TFeatureMatrix::GenerateFeatNames(StringView Template, int32_t IxFrom, int32_t IxTo,
                                          int32_t FirstNum, int32_t Delta) {
  int32_t low = 1;
  int32_t high = FNFeats;
  if (IxFrom != 0 || IxTo != 0) {
    if (!FeatInRange(IxFrom) || !FeatInRange(IxTo)) return -1;
    low = std::min(IxFrom, IxTo);
    high = std::max(IxFrom, IxTo);
  }
  const TDateTime now = Now();
  for (int32_t i = low; i <= high; ++i) {
    String name;
    if (!ExpandTemplate(Template, i, WrappedNumber(FirstNum, i - low, Delta), now, name)) {
      return -2;
    }
    FFeatProps[static_cast<size_t>(i) - 1]->FeatName = std::move(name);
  }
  return 0;
}

int32_t TFeatureMatrix::FindFeatName(StringView Name) const noexcept {
  for (int32_t i = 1; i <= FNFeats; ++i) {
    if (detail::SimpleSameText(FFeatProps[static_cast<size_t>(i) - 1]->FeatName, Name)) return i;
  }
  return -1;
}

int32_t TFeatureMatrix::FindFeatNum(int32_t Num) const noexcept {
  for (int32_t i = 1; i <= FNFeats; ++i) {
    if (FFeatProps[static_cast<size_t>(i) - 1]->FeatNum == Num) return i;
  }
  return -1;
}

// ================================================================================================
// Values

void TFeatureMatrix::CheckValue(int32_t fix, StringView FeatVal, bool EmptyPassesNumbers) const {
  const TFeatKind kind = Kind(fix);
  if (kind == fkUndefined) Fail(u"feature " + DecimalText(fix) + u" is undefined");
  if (kind == fkString || (FeatVal.empty() && (EmptyPassesNumbers || kind == fkTriState))) return;
  const String quoted = u"feature value \"" + String(FeatVal) + u"\" is not a valid ";
  if (kind == fkInteger && !IsIntegerText(FeatVal)) Fail(quoted + u"integer number");
  if (kind == fkDouble && !IsFloatText(FeatVal)) Fail(quoted + u"floating point number");
  if (kind == fkTriState && !IsTriStateText(FeatVal)) Fail(quoted + u"tri-state value");
}

String TFeatureMatrix::GetFeatValStr(int32_t fix, int32_t obj) const {
  if (!InRange(fix, obj)) return {};
  if (Kind(fix) == fkUndefined) Fail(u"feature " + DecimalText(fix) + u" is undefined");
  return String(Text(fix, obj));
}

void TFeatureMatrix::SetFeatValStr(int32_t fix, int32_t obj, StringView FeatVal) {
  if (!InRange(fix, obj)) return;
  CheckValue(fix, FeatVal, true);
  Store(fix, obj, FeatVal);
  Changed();
}

int64_t TFeatureMatrix::GetFeatValInt(int32_t fix, int32_t obj) const {
  if (!InRange(fix, obj)) return 0;
  const StringView text = Text(fix, obj);
  if (!IsIntegerText(text)) Fail(u"feature is not an integer");
  const std::string ascii(text.begin() + (text[0] == u'+' ? 1 : 0), text.end());
  int64_t value = 0;
  const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (res.ec != std::errc()) {
    throw EConvertError(u"'" + String(text) + u"' is not a valid integer value");
  }
  return value;
}

void TFeatureMatrix::SetFeatValint(int32_t fix, int32_t obj, int64_t FeatVal) {
  if (!InRange(fix, obj)) return;
  if (Kind(fix) == fkUndefined || Kind(fix) == fkTriState) {
    Fail(u"feature is not of numeric or string type");
  }
  Store(fix, obj, DecimalText(FeatVal));
  Changed();
}

double TFeatureMatrix::GetFeatValDouble(int32_t fix, int32_t obj) const {
  if (!InRange(fix, obj)) return 0;
  const StringView text = Text(fix, obj);
  if (!IsFloatText(text)) Fail(u"feature is not a floating point number");
  return StrToFloat(text);
}

void TFeatureMatrix::SetFeatValDouble(int32_t fix, int32_t obj, double FeatVal) {
  if (!InRange(fix, obj)) return;
  if (Kind(fix) != fkDouble && Kind(fix) != fkString) {
    Fail(u"feature is not a floating point or string type");
  }
  Store(fix, obj, FloatToStr(FeatVal));
  Changed();
}

TTriState TFeatureMatrix::GetFeatValTriState(int32_t fix, int32_t obj) const {
  if (!InRange(fix, obj)) return tsUndefined;
  const StringView text = Text(fix, obj);
  if (!text.empty() && !IsTriStateText(text)) Fail(u"feature is not a tri-state value");
  return StrToTriState(text);
}

void TFeatureMatrix::SetFeatValTriState(int32_t fix, int32_t obj, TTriState FeatVal) {
  if (!InRange(fix, obj)) return;
  if (Kind(fix) != fkTriState && Kind(fix) != fkString) {
    Fail(u"feature is not a tri-state or string type");
  }
  Store(fix, obj, TriStateToStr(FeatVal, 0));
  Changed();
}

void TFeatureMatrix::FillText(int32_t fix, StringView Value) {
  const TValueRef ref = AddText(Value);
  for (int32_t o = 1; o <= FNObjs; ++o) Point(Ref(fix, o), ref);
  Compact();
  Changed();
}

bool TFeatureMatrix::Fill(int32_t fix, StringView FeatVal) {
  if (!FeatInRange(fix)) return false;
  CheckValue(fix, FeatVal, false);
  FillText(fix, FeatVal);
  return true;
}

bool TFeatureMatrix::Fill(int32_t fix, int64_t FeatVal) {
  if (!FeatInRange(fix)) return false;
  if (Kind(fix) != fkInteger) Fail(u"feature " + DecimalText(fix) + u" is not an integer number");
  FillText(fix, DecimalText(FeatVal));
  return true;
}

bool TFeatureMatrix::Fill(int32_t fix, double FeatVal) {
  if (!FeatInRange(fix)) return false;
  if (Kind(fix) != fkDouble) {
    Fail(u"feature " + DecimalText(fix) + u" is not floating point number");
  }
  FillText(fix, FloatToStr(FeatVal));
  return true;
}

bool TFeatureMatrix::Fill(int32_t fix, TTriState FeatVal) {
  if (!FeatInRange(fix)) return false;
  if (Kind(fix) != fkTriState) Fail(u"feature " + DecimalText(fix) + u" is not a tri-state value");
  FillText(fix, TriStateToStr(FeatVal, 0));
  return true;
}

// ================================================================================================
// Objects and features as wholes

void TFeatureMatrix::InsertObject(int32_t obj) {
  if (!ObjInRange(obj)) return;
  SetNObjs(FNObjs + 1);
  for (int32_t o = FNObjs; o > obj; --o) {
    for (int32_t f = 1; f <= FNFeats; ++f) Point(Ref(f, o), Ref(f, o - 1));
  }
  ClearObject(obj);
  Changed();
}

void TFeatureMatrix::RemoveObject(int32_t obj) {
  if (!ObjInRange(obj)) return;
  for (int32_t o = obj; o < FNObjs; ++o) {
    for (int32_t f = 1; f <= FNFeats; ++f) Point(Ref(f, o), Ref(f, o + 1));
  }
  SetNObjs(FNObjs - 1);
  Changed();
}

void TFeatureMatrix::InsertFeature(int32_t feat) {
  if (feat < 1 || feat > FNFeats + 1) return;
  SetNFeats(FNFeats + 1);
  // The callback of the size change may have resized the matrix; only what is still there moves.
  if (FeatInRange(feat)) {
    for (int32_t f = FNFeats; f > feat; --f) {
      FFeatProps[static_cast<size_t>(f) - 1]->Assign(*FFeatProps[static_cast<size_t>(f) - 2]);
      for (int32_t o = 1; o <= FNObjs; ++o) Point(Ref(f, o), Ref(f - 1, o));
    }
    FFeatProps[static_cast<size_t>(feat) - 1]->Clear();
    for (int32_t o = 1; o <= FNObjs; ++o) Point(Ref(feat, o), {});
  }
  Changed();
}

void TFeatureMatrix::RemoveFeature(int32_t feat) {
  if (!FeatInRange(feat)) return;
  for (int32_t f = feat; f < FNFeats; ++f) {
    FFeatProps[static_cast<size_t>(f) - 1]->Assign(*FFeatProps[static_cast<size_t>(f)]);
    for (int32_t o = 1; o <= FNObjs; ++o) Point(Ref(f, o), Ref(f + 1, o));
  }
  SetNFeats(FNFeats - 1);
  Changed();
}

void TFeatureMatrix::ClearObject(int32_t obj) {
  if (!ObjInRange(obj)) return;
  const TValueRef zero = AddText(u"0");
  for (int32_t f = 1; f <= FNFeats; ++f) {
    Point(Ref(f, obj), Kind(f) == fkInteger || Kind(f) == fkDouble ? zero : TValueRef{});
  }
  Compact();
  Changed();
}

void TFeatureMatrix::ClearFeature(int32_t feat) {
  if (!FeatInRange(feat)) return;
  FillText(feat, KindDefault(Kind(feat)));
}

void TFeatureMatrix::CopyObject(int32_t Source, int32_t Target) {
  if (!ObjInRange(Source) || !ObjInRange(Target)) return;
  for (int32_t f = 1; f <= FNFeats; ++f) Point(Ref(f, Target), Ref(f, Source));
  Changed();
}

// ================================================================================================
// The file

void TFeatureMatrix::Save(StringView FName) const {
  TTextFile file(FName, tfmRewrite);
  SaveToOpenFile(file);
  file.Close();
}

void TFeatureMatrix::SaveToOpenFile(TTextFile& F) const {
  F.WriteLn(u"#featdef " + DecimalText(FNFeats) + u" 1");
  String line;
  for (int32_t i = 1; i <= FNFeats; ++i) {
    const TFeatMatProps& p = *FFeatProps[static_cast<size_t>(i) - 1];
    const String head = DecimalText(i) + u' ';
    const auto put = [&](int key, StringView value) {
      line = head;
      line += std::data(kPropKeys)[key - 1];
      line += u' ';
      line += value;
      F.WriteLn(line);
    };
    put(pkFeatNum, DecimalText(p.FeatNum));
    put(pkFeatName, p.FeatName);
    put(pkFeatKind, kKindNames[p.FeatKind < kKindNames.size() ? p.FeatKind : fkUndefined]);
    put(pkComment, p.Comment);
    put(pkPresets, p.PresetValues);
    put(pkSorted, BoolToStr(p.Sorted, 0));
  }
  F.WriteLn(u"#featvals " + DecimalText(FNFeats) + u' ' + DecimalText(FNObjs));
  // The value lines are the bulk of a file: each is put together in one reused text.
  for (int32_t o = 1; o <= FNObjs; ++o) {
    const String objText = u' ' + DecimalText(o) + u' ';
    const TValueRef* const row =
        FFeatVals.data() + static_cast<size_t>(o - 1) * static_cast<size_t>(FNFeats);
    for (int32_t f = 1; f <= FNFeats; ++f) {
      const TValueRef& r = row[f - 1];
      if (r.Length == 0) continue;
      line.clear();
      AppendDecimal(line, f);
      line += objText;
      line.append(FValueText.data() + r.Offset, r.Length);
      F.WriteLn(line);
    }
  }
  F.WriteLn(u"#featend");
}

int32_t TFeatureMatrix::Load(StringView FName) {
  TTextFile file;
  try {
    file.Open(FName, tfmRead);
  } catch (const EFOpenError& e) {
    if (e.ErrorCode() == static_cast<int32_t>(std::errc::no_such_file_or_directory) ||
        e.ErrorCode() == static_cast<int32_t>(std::errc::not_a_directory)) {
      return -1;
    }
    throw;
  }
  switch (LoadFromOpenFile(file)) {
    case 0:
      return 0;
    case -1:
      return -2;
    default:
      return -3;
  }
}

int32_t TFeatureMatrix::LoadFromOpenFile(TTextFile& F) {
  // The table and the pool of the content being replaced are kept for the new content: memory
  // written once costs no page faults when it is written again.
  TSpareStorage spare;
  spare.Values.swap(FFeatVals);
  spare.Text.swap(FValueText);
  FNObjs = 0;
  FLiveText = 0;
  Clear();
  int32_t result = -1;
  try {
    ReadSections(F, result, spare);
  } catch (...) {  // a failed read, conversion or allocation ends the reading
    result = -2;
  }
  Changed();
  return result;
}

void TFeatureMatrix::ReadSections(TTextFile& F, int32_t& Result, TSpareStorage& Spare) {
  String line;
  while (!F.Eof()) {
    F.ReadLn(line);
    if (line.empty() || line[0] != u'#') continue;
    const size_t blank = line.find(u' ');
    if (blank == String::npos) continue;
    const StringView keyword = StringView(line).substr(1, blank - 1);
    const StringView rest = TrimmedBlanks(StringView(line).substr(blank + 1));
    const int32_t section = StringIx(keyword, false, kSections);
    if (section == 3) return;  // featend
    if (section == 0) continue;
    Result = 0;
    if (section == 1) {
      // featdef <count> <version>
      size_t pos = 0;
      int32_t count = 0;
      int32_t version = 0;
      if (!ReadIntToken(rest, pos, count) || !ReadIntToken(rest, pos, version)) {
        throw TLoadFailure();
      }
      if (version != 1) continue;
      if (count < 0) throw TLoadFailure();
      ResizeTable(0, FNObjs);
      ResizeTable(count, FNObjs);
      for (int64_t k = 0; k < int64_t{6} * count; ++k) {
        F.ReadLn(line);
        size_t at = 0;
        int32_t fix = 0;
        if (!ReadIntToken(StringView(line), at, fix)) throw TLoadFailure();
        const StringView item = TrimmedBlanks(StringView(line).substr(at));
        const size_t split = item.find(u' ');
        if (split == StringView::npos || !FeatInRange(fix)) continue;
        const StringView value = item.substr(split + 1);
        TFeatMatProps& p = *FFeatProps[static_cast<size_t>(fix) - 1];
        switch (StringIx(item.substr(0, split), false, kPropKeys)) {
          case pkFeatNum:
            if (!ReadWholeInt(value, p.FeatNum)) throw TLoadFailure();
            break;
          case pkFeatName:
            p.FeatName = value;
            break;
          case pkFeatKind: {
            const int32_t kind = StringIx(value, false, kKindList);
            p.FeatKind = kind == 0 ? fkUndefined : static_cast<TFeatKind>(kind - 1);
            break;
          }
          case pkComment:
            p.Comment = value;
            break;
          case pkPresets:
            p.PresetValues = value;
            break;
          case pkSorted:
            p.Sorted = SimpleLowerText(value) == u"true";
            break;
          default:
            break;
        }
      }
    } else {
      // featvals <features> <objects>, then the values up to an empty or "#" line
      const size_t split = rest.find(u' ');
      int32_t nf = 0;
      int32_t no = 0;
      if (split == StringView::npos || !ReadWholeInt(rest.substr(0, split), nf) ||
          !ReadWholeInt(rest.substr(split + 1), no) || nf < 0 || no < 0) {
        throw TLoadFailure();
      }
      TValueTable().swap(FFeatVals);
      FNObjs = 0;
      Compact();
      CheckSizes(nf, no);
      const uint64_t cells = static_cast<uint64_t>(nf) * static_cast<uint64_t>(no);
      if (ServesAgain(Spare.Values.capacity(), cells)) {
        FFeatVals.swap(Spare.Values);
        FFeatVals.clear();
      }
      TValueTable().swap(Spare.Values);
      ResizeTable(nf, no);
      // The texts take fewer characters than the file has bytes left: room for them at once
      // spares the copies of a growing pool (pages not written to are never touched).
      const auto left = static_cast<uint64_t>(F.BytesLeft());
      if (cells > 0 && FValueText.empty()) {
        if (ServesAgain(Spare.Text.capacity(), left)) {
          FValueText.swap(Spare.Text);
          FValueText.clear();
        }
        TTextPool().swap(Spare.Text);
        try {
          if (left <= FValueText.max_size()) FValueText.reserve(static_cast<size_t>(left));
        } catch (...) {  // NOLINT(bugprone-empty-catch): then the pool grows as it goes
        }
      }
      // The value lines are the bulk of a file: their numbers are read from the line's bytes and
      // only the value itself is converted from the file's encoding, straight into the pool.
      while (!F.Eof()) {
        const std::string_view bytes = F.ReadLnBytes();
        if (bytes.empty() || bytes[0] == '#') return;
        size_t at = 0;
        int32_t fix = 0;
        int32_t obj = 0;
        if (!ReadIntToken(bytes, at, fix) || !ReadIntToken(bytes, at, obj)) throw TLoadFailure();
        if (!InRange(fix, obj)) continue;
        StoreBytes(fix, obj, TrimmedBlanks(bytes.substr(at)), F.Encoding());
      }
      return;
    }
  }
}

// ================================================================================================
// Copying and notification

void TFeatureMatrix::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TFeatureMatrix*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  TPropsList props;
  TValueTable values;
  TTextPool text;
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    props.reserve(src->FFeatProps.size());
    for (const auto& p : src->FFeatProps) {
      props.push_back(std::make_unique<TFeatMatProps>());
      props.back()->Assign(*p);
    }
    values = src->FFeatVals;
    text = src->FValueText;
  });
  FFeatProps.swap(props);
  FFeatVals.swap(values);
  FValueText.swap(text);
  FLiveText = src->FLiveText;
  FNFeats = src->FNFeats;
  FNObjs = src->FNObjs;
  // The change of NFeatures notifies, still through this matrix's own callback.
  Changed();
  FOnChange = src->FOnChange;
}

void TFeatureMatrix::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

void TFeatureMatrix::Changed() {
  if (FOnChange) FOnChange(this);
}

}  // namespace xan
