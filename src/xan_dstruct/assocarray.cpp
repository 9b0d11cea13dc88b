// TAssocArray: linear lookup with simple case folding, growth by Granularity, removal by moving
// the last entry, the tolerant conversions and the XML form on streams.
#include "xan/dstruct/assocarray.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <system_error>

#include "platform/simple_text.h"
#include "xan/platform/format_settings.h"
#include "xan/streams/primitives.h"
#include "xan/streams/tags.h"
#include "xan/univconst.h"
#include "xan_dstruct/component_support.h"
#include "xan_dstruct/number_text.h"

namespace xan {

using detail::SimpleLower;
using detail::SimpleLowerText;
using detail::SimpleUpper;

namespace {

using detail::DecimalText;

bool IsTextType(TVarType Type) noexcept {
  return Type == varString || Type == varUString || Type == varOleStr;
}

// The integers the conversions take at their value (UInt64 is not among them), Single and Double.
bool IsNumberType(TVarType Type) noexcept {
  switch (Type) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varSingle:
    case varDouble:
      return true;
    default:
      return false;
  }
}

bool SameKey(StringView Stored, StringView Wanted, bool IgnoreCase) noexcept {
  return IgnoreCase ? detail::SimpleSameText(Stored, Wanted) : Stored == Wanted;
}

// The leading integer of a text: blanks skipped, an optional sign, digits up to the first other
// character, limited to the 32-bit range; 0 without digits.
int32_t LeadingInt(StringView Text) noexcept {
  size_t i = 0;
  while (i < Text.size() && Text[i] == u' ') ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == u'+' || Text[i] == u'-')) negative = Text[i++] == u'-';
  int64_t v = 0;
  for (; i < Text.size() && Text[i] >= u'0' && Text[i] <= u'9'; ++i) {
    v = std::min<int64_t>(v * 10 + (Text[i] - u'0'), int64_t{1} << 31);
  }
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The leading number of a text by the feature matrix's state machine, "," read as ".".
double LeadingNumber(StringView Text) {
  detail::TLeadingNumber number;
  if (!detail::ScanLeadingNumber(Text, true, false, number)) return 0;
  if (number.Mantissa.find_first_of(u"0123456789") == String::npos) return 0;
  const String text = number.Mantissa + u'E' + DecimalText(number.Exponent);
  double value = 0;
  const TFormatSettings dot{u'.'};
  // The only failure left is a value beyond the double range.
  if (!TryStrToFloat(text, value, dot)) value = std::numeric_limits<double>::infinity();
  return number.Negative ? -value : value;
}

// ------------------------------------------------------------------------------------------------
// Escapes of the XML form

String Escape(StringView Text) {
  String out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    const Char c = Text[i];
    switch (c) {
      case u'&':
        out += u"&amp;";
        continue;
      case u'<':
        out += u"&lt;";
        continue;
      case u'>':
        out += u"&gt;";
        continue;
      case u'"':
        out += u"&quot;";
        continue;
      default:
        break;
    }
    if (c >= 32 && c <= 126) {
      out += c;
      continue;
    }
    uint32_t code = c;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((c - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    }
    out += u"&#" + DecimalText(code) + u';';
  }
  return out;
}

// Resolves &amp; &lt; &gt; &quot; &apos; and the references &#N; and &#xH; (up to U+10FFFF);
// any other "&" stays as it stands.
String Unescape(StringView Text) {
  String out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    // The ";" is looked for only within the longest reference taken ("&#1114111;"), so that a
    // long run of "&" without ";" is read in one pass instead of one search to the end per "&".
    const size_t semi = Text[i] == u'&' ? Text.substr(0, i + 11).find(u';', i) : StringView::npos;
    if (semi == StringView::npos) {
      out += Text[i];
      continue;
    }
    const StringView name = Text.substr(i + 1, semi - i - 1);
    uint32_t code = 0x110000;
    if (name == u"amp") code = u'&';
    if (name == u"lt") code = u'<';
    if (name == u"gt") code = u'>';
    if (name == u"quot") code = u'"';
    if (name == u"apos") code = u'\'';
    if (name.size() >= 2 && name[0] == u'#') {
      const bool hex = name[1] == u'x' || name[1] == u'X';
      const std::string digits(name.begin() + (hex ? 2 : 1), name.end());
      uint32_t v = 0;
      const auto res =
          std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
      if (!digits.empty() && res.ec == std::errc() && res.ptr == digits.data() + digits.size()) {
        code = v;
      }
    }
    if (code > 0x10FFFF) {
      out += Text[i];
      continue;
    }
    if (code > 0xFFFF) {
      out += static_cast<Char>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<Char>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<Char>(code);
    }
    i = semi;
  }
  return out;
}

// ------------------------------------------------------------------------------------------------
// Values of the XML form

// The variant types the XML form carries, found back by their names.
constexpr TVarType kScalarTypes[] = {varEmpty,    varNull,     varSmallint, varInteger,  varSingle,
                                     varDouble,   varCurrency, varDate,     varOleStr,   varBoolean,
                                     varShortInt, varByte,     varWord,     varLongWord, varInt64,
                                     varUInt64,   varString,   varUString};
constexpr TVarType kArrayType = varArray | varVariant;

template <class T>
String ShortestText(T Value) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, Value);
  return String(buf, res.ptr);
}

String ScalarText(const Variant& V) {
  switch (V.VarType()) {
    case varEmpty:
    case varNull:
      return {};
    case varSingle:
      return ShortestText(static_cast<float>(V.AsDouble()));
    case varDouble:
    case varDate:
      return ShortestText(V.AsDouble());
    case varBoolean:
      return V.AsBoolean() ? u"true" : u"false";
    default:
      return V.AsString();
  }
}

// Parses ASCII number text exactly as a whole; false for anything else.
template <class T>
bool ParseExact(StringView Text, T& Value) {
  std::string ascii;
  for (const Char c : Text) {
    if (c > 127) return false;
    ascii += static_cast<char>(c);
  }
  const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), Value);
  return !ascii.empty() && res.ec == std::errc() && res.ptr == ascii.data() + ascii.size();
}

template <class T>
bool ParseInteger(StringView Text, Variant& Out) {
  int64_t v = 0;
  if (!ParseExact(Text, v) || v < std::numeric_limits<T>::min() ||
      v > std::numeric_limits<T>::max()) {
    return false;
  }
  Out = Variant(static_cast<T>(v));
  return true;
}

// Currency text (an optional "-", digits, up to four decimals) as units of 1/10000.
bool ParseCurrency(StringView Text, Variant& Out) {
  const bool negative = !Text.empty() && Text[0] == u'-';
  if (negative) Text.remove_prefix(1);
  const size_t point = Text.find(u'.');
  const StringView whole = Text.substr(0, point);
  const StringView fraction = point == StringView::npos ? StringView() : Text.substr(point + 1);
  if (fraction.size() > 4 || (point != StringView::npos && fraction.empty())) return false;
  uint64_t units = 0;
  uint64_t frac = 0;
  if (!ParseExact(whole, units) || (!fraction.empty() && !ParseExact(fraction, frac))) {
    return false;
  }
  for (size_t k = fraction.size(); k < 4; ++k) frac *= 10;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (units > (limit - frac) / 10000) return false;
  const uint64_t magnitude = units * 10000 + frac;
  Out = Variant::FromCurrencyUnits(static_cast<int64_t>(negative ? 0 - magnitude : magnitude));
  return true;
}

bool ParseScalar(TVarType Type, const String& Text, Variant& Out) {
  switch (Type) {
    case varEmpty:
      Out = Variant();
      return true;
    case varNull:
      Out = Variant::Null();
      return true;
    case varShortInt:
      return ParseInteger<int8_t>(Text, Out);
    case varSmallint:
      return ParseInteger<int16_t>(Text, Out);
    case varInteger:
      return ParseInteger<int32_t>(Text, Out);
    case varInt64:
      return ParseInteger<int64_t>(Text, Out);
    case varByte:
      return ParseInteger<uint8_t>(Text, Out);
    case varWord:
      return ParseInteger<uint16_t>(Text, Out);
    case varLongWord:
      return ParseInteger<uint32_t>(Text, Out);
    case varUInt64: {
      uint64_t v = 0;
      if (!ParseExact(Text, v)) return false;
      Out = Variant(v);
      return true;
    }
    case varSingle: {
      float v = 0;
      if (!ParseExact(Text, v)) return false;
      Out = Variant(v);
      return true;
    }
    case varDouble:
    case varDate: {
      double v = 0;
      if (!ParseExact(Text, v)) return false;
      Out = Type == varDate ? Variant::FromDate(v) : Variant(v);
      return true;
    }
    case varCurrency:
      return ParseCurrency(Text, Out);
    case varBoolean:
      if (SimpleLowerText(Text) != u"true" && SimpleLowerText(Text) != u"false") return false;
      Out = Variant(SimpleLowerText(Text) == u"true");
      return true;
    case varString:
      Out = Variant::FromAnsi(StringToAnsi(Text));
      return true;
    case varOleStr:
      Out = Variant::FromOleStr(Text);
      return true;
    case varUString:
      Out = Variant(Text);
      return true;
    default:
      return false;
  }
}

// The deepest nesting of arrays in a value: 0 for a scalar.
int32_t NestingDepth(const Variant& V) {
  if (!V.IsArray()) return 0;
  int32_t depth = 0;
  for (const Variant& e : V.Elements()) {
    depth = std::max(depth, NestingDepth(e));
    if (depth > TAssocArray::MaxXMLDepth) break;
  }
  return depth + 1;
}

// Writes one value as an element Tag (with the attribute text Head before its type); array
// elements become elements "item<Depth + 1>".
void WriteValue(TStream& Out, const String& Tag, const String& Head, const Variant& V,
                int32_t Depth) {
  String line = u"<" + Tag + Head + u" type=\"" + VarTypeAsText(V.VarType()) + u'"';
  if (!V.IsArray()) {
    if (!V.IsEmpty() && !V.IsNull()) line += u" value=\"" + Escape(ScalarText(V)) + u'"';
    WriteLnStream(Out, line + u"/>");
    return;
  }
  WriteLnStream(Out, line + u" low=\"" + DecimalText(V.LowBound()) + u"\">");
  const String itemTag = u"item" + DecimalText(Depth + 1);
  for (const Variant& e : V.Elements()) WriteValue(Out, itemTag, String(), e, Depth + 1);
  WriteLnStream(Out, u"</" + Tag + u">");
}

// Calls Handle with the attribute text and content of every element named Tag in Content,
// skipping other tags; false as soon as Handle gives false.
bool ForEachElement(const String& Content, const String& Tag,
                    const std::function<bool(const String&, const String&)>& Handle) {
  // Content came from a byte stream, so each of its characters is one byte again here.
  TStringStream in(Content);
  // The empty name stands for "no further tag"; every unknown name gives the last index.
  const String tags[] = {Tag, String(), u"\x01"};
  String attributes;
  String content;
  for (;;) {
    const int32_t ix = ReadNextTagInStream(in, tags, attributes, content);
    if (ix == 1 && in.Position() >= in.Size()) return true;
    if (ix == 0 && !Handle(attributes, content)) return false;
  }
}

// Reads the value of one element at nesting depth Depth.
bool ReadValue(const String& Attributes, const String& Content, int32_t Depth, Variant& Out) {
  const String type = ScanForXMLAttrib(Attributes, u"type");
  if (type == VarTypeAsText(kArrayType)) {
    int32_t low = 0;
    if (Depth >= TAssocArray::MaxXMLDepth ||
        !ParseExact(ScanForXMLAttrib(Attributes, u"low"), low)) {
      return false;
    }
    std::vector<Variant> items;
    const bool ok = ForEachElement(Content, u"item" + DecimalText(Depth + 1),
                                   [&](const String& a, const String& c) {
                                     Variant item;
                                     if (!ReadValue(a, c, Depth + 1, item)) return false;
                                     items.push_back(std::move(item));
                                     return true;
                                   });
    if (!ok) return false;
    try {
      Out = Variant::Array(low, std::move(items));
    } catch (const EVariantError&) {  // the upper bound would pass the 32-bit range
      return false;
    }
    return true;
  }
  for (const TVarType code : kScalarTypes) {
    if (VarTypeAsText(code) == type) {
      return ParseScalar(code, Unescape(ScanForXMLAttrib(Attributes, u"value")), Out);
    }
  }
  return false;
}

// ------------------------------------------------------------------------------------------------
// Attribute items, read as ScanForXMLAttrib reads them.

enum TItemState : uint8_t { isName, isEquals, isQuoted, isPlain };

// Reads the item at Pos into Name and Value; false for a malformed item.
bool ReadItem(StringView Text, size_t& Pos, String& Name, String& Value) {
  Name.clear();
  Value.clear();
  TItemState state = isName;
  for (; Pos < Text.size(); ++Pos) {
    const Char c = Text[Pos];
    if (state == isName) {
      if (c == u'"') return false;
      if (c == u'=') {
        state = isEquals;
      } else {
        Name += c;
      }
    } else if (state == isEquals) {
      if (c == u'=') return false;
      if (c == u'"') {
        state = isQuoted;
      } else if (c != u' ') {
        Value += c;
        state = isPlain;
      }
    } else if (state == isQuoted) {
      if (c == u'"') break;
      Value += c;
    } else {
      if (c == u' ' || c == u'"') break;
      if (c == u'=') return false;
      Value += c;
    }
  }
  if (Pos < Text.size()) ++Pos;  // the character that ended the item
  return true;
}

}  // namespace

// ================================================================================================

TAssocArray::TAssocArray(TComponent* AOwner) : TComponent(AOwner) {
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    FDataArray.resize(static_cast<size_t>(FGranularity));
    FKeyArray.resize(static_cast<size_t>(FGranularity));
  });
}

TAssocArray::~TAssocArray() = default;

int32_t TAssocArray::IndexOf(StringView Key) const noexcept {
  for (int32_t i = 0; i < FNEntries; ++i) {
    if (SameKey(FKeyArray[static_cast<size_t>(i)], Key, FIgnoreCase)) return i;
  }
  return -1;
}

void TAssocArray::Add(StringView Key, const Variant& Value) {
  const int32_t found = IndexOf(Key);
  if (found >= 0) {
    FDataArray[static_cast<size_t>(found)] = Value;
    return;
  }
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    const auto n = static_cast<size_t>(FNEntries) + 1;
    String key = FIgnoreCase ? SimpleLowerText(Key) : String(Key);
    Variant value = Value;
    if (FDataArray.size() < n) {
      const size_t length = n + static_cast<size_t>(std::max(FGranularity, 0));
      FKeyArray.resize(length);
      try {
        FDataArray.resize(length);
      } catch (...) {
        FKeyArray.resize(FDataArray.size());
        throw;
      }
    }
    FKeyArray[n - 1] = std::move(key);
    FDataArray[n - 1] = std::move(value);
  });
  ++FNEntries;
}

bool TAssocArray::Remove(StringView Key) {
  const int32_t found = IndexOf(Key);
  if (found < 0) return false;
  const auto last = static_cast<size_t>(FNEntries) - 1;
  if (static_cast<size_t>(found) != last) {
    FKeyArray[static_cast<size_t>(found)] = std::move(FKeyArray[last]);
    FDataArray[static_cast<size_t>(found)] = std::move(FDataArray[last]);
  }
  FKeyArray[last].clear();
  FDataArray[last] = Variant();
  --FNEntries;
  return true;
}

Variant TAssocArray::Resolve(StringView Key) const {
  const int32_t found = IndexOf(Key);
  return found < 0 ? Variant::Null() : FDataArray[static_cast<size_t>(found)];
}

String TAssocArray::ResolveAsString(StringView Key) const {
  const int32_t found = IndexOf(Key);
  return found < 0 ? String() : FDataArray[static_cast<size_t>(found)].AsString();
}

double TAssocArray::ResolveAsNumber(StringView Key) const {
  const int32_t found = IndexOf(Key);
  if (found < 0) return 0;
  const Variant& v = FDataArray[static_cast<size_t>(found)];
  double value = 0;
  if (IsNumberType(v.VarType()) || v.VarType() == varCurrency) {
    value = v.AsDouble();
  } else if (IsTextType(v.VarType())) {
    value = LeadingNumber(v.AsString());
  }
  const auto limit = static_cast<double>(uc_MaxDouble);
  return std::isnan(value) ? value : std::clamp(value, -limit, limit);
}

int32_t TAssocArray::ResolveAsInt(StringView Key) const {
  const int32_t found = IndexOf(Key);
  if (found < 0) return 0;
  const Variant& v = FDataArray[static_cast<size_t>(found)];
  if (IsNumberType(v.VarType())) return v.AsInt32();
  return IsTextType(v.VarType()) ? LeadingInt(v.AsString()) : 0;
}

String TAssocArray::GetKeys(int32_t ix) const {
  if (ix < 1 || ix > FNEntries) return {};
  return FKeyArray[static_cast<size_t>(ix) - 1];
}

void TAssocArray::SetKeys(int32_t ix, StringView v) {
  if (ix < 1 || ix > FNEntries) return;
  FKeyArray[static_cast<size_t>(ix) - 1] = v;
}

Variant TAssocArray::GetValues(int32_t ix) const {
  if (ix < 1 || ix > FNEntries) return Variant(String());
  return FDataArray[static_cast<size_t>(ix) - 1];
}

void TAssocArray::SetValues(int32_t ix, const Variant& v) {
  if (ix < 1 || ix > FNEntries) return;
  FDataArray[static_cast<size_t>(ix) - 1] = v;
}

void TAssocArray::Clear() {
  std::vector<Variant> data;
  std::vector<String> keys;
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    data.resize(static_cast<size_t>(std::max(FGranularity, 0)));
    keys.resize(data.size());
  });
  FDataArray.swap(data);
  FKeyArray.swap(keys);
  FNEntries = 0;
}

void TAssocArray::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TAssocArray*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<Variant> data;
  std::vector<String> keys;
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    const auto n = static_cast<ptrdiff_t>(src->FNEntries);
    data.assign(src->FDataArray.begin(), src->FDataArray.begin() + n);
    keys.assign(src->FKeyArray.begin(), src->FKeyArray.begin() + n);
  });
  FDataArray.swap(data);
  FKeyArray.swap(keys);
  FNEntries = src->FNEntries;
  FGranularity = src->FGranularity;
  FIgnoreCase = src->FIgnoreCase;
  FDataID = src->FDataID;
}

void TAssocArray::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

// ================================================================================================
// The XML form

void TAssocArray::WriteToXMLStream(TStream& OutStream, bool CreateHeader, StringView DataID) const {
  for (int32_t i = 0; i < FNEntries; ++i) {
    if (NestingDepth(FDataArray[static_cast<size_t>(i)]) > MaxXMLDepth) {
      throw EXANDStructError(ComponentMessage(u"value nested too deeply"));
    }
  }
  if (CreateHeader) WriteLnStream(OutStream, u"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>");
  WriteLnStream(OutStream, u"<assocarray dataid=\"" + Escape(DataID) + u"\" ignorecase=\"" +
                               (FIgnoreCase ? u"true" : u"false") + u"\" entries=\"" +
                               DecimalText(FNEntries) + u"\">");
  const String entryTag = u"entry";
  for (int32_t i = 0; i < FNEntries; ++i) {
    const String head = u" key=\"" + Escape(FKeyArray[static_cast<size_t>(i)]) + u'"';
    WriteValue(OutStream, entryTag, head, FDataArray[static_cast<size_t>(i)], 0);
  }
  WriteLnStream(OutStream, u"</assocarray>");
}

bool TAssocArray::ReadFromXMLStream(TStream& InStream, StringView DataID) {
  String attributes;
  String content;
  while (ScanStreamForXMLTag(InStream, u"assocarray", attributes, content)) {
    if (Unescape(ScanForXMLAttrib(attributes, u"dataid")) != DataID) continue;
    TAssocArray read;
    read.SetGranularity(FGranularity);
    read.SetIgnoreCase(FIgnoreCase);
    const String ignoreCase = SimpleLowerText(ScanForXMLAttrib(attributes, u"ignorecase"));
    if (ignoreCase == u"true" || ignoreCase == u"false") read.SetIgnoreCase(ignoreCase == u"true");
    const bool ok = ForEachElement(content, u"entry", [&read](const String& a, const String& c) {
      Variant value;
      if (!ReadValue(a, c, 0, value)) return false;
      read.Add(Unescape(ScanForXMLAttrib(a, u"key")), value);
      return true;
    });
    if (!ok) return false;
    read.SetDataID(DataID);
    Assign(read);
    return true;
  }
  return false;
}

int32_t TAssocArray::AddXMLAttributes(StringView Attributes) {
  int32_t added = 0;
  size_t pos = 0;
  String name;
  String value;
  while (pos < Attributes.size() && ReadItem(Attributes, pos, name, value)) {
    const size_t first = name.find_first_not_of(u' ');
    if (first == String::npos) continue;
    Add(StringView(name).substr(first, name.find_last_not_of(u' ') - first + 1),
        Variant(Unescape(value)));
    ++added;
  }
  return added;
}

}  // namespace xan
