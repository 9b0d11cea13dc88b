// The label objects: TCustomTextLabel with its XML-like element in an open text file, TDTLabel
// and TCrossHair, their setters, copying and change notification.
#include "xan/xanbase/labels.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/simple_text.h"
#include "xan/stringl/number_format.h"
#include "xan/univconst.h"

namespace xan {

namespace {

// ================================================================================================
// Writing

// The keyword of `value` in `table`; empty for a value outside the table, so that a value cast
// into the enumeration from elsewhere never reads beyond it.
template <size_t N>
StringView KeywordOf(const std::array<StringView, N>& table, size_t value) noexcept {
  return value < N ? table[value] : StringView{};
}

// "$" and the low 24 bits of a colour as 6 upper-case hexadecimal digits: $FF123456 => "$123456".
String HexColor(TColor c) {
  String digits;
  detail::AppendHex8(digits, c & 0xFFFFFFU);
  return u"$" + digits.substr(2);
}

bool StartsWithAt(StringView text, size_t at, StringView what) noexcept {
  return text.substr(at, what.size()) == what;
}

// The three sequences a caption is coded with; everything else is written as it stands.
constexpr StringView kLt = u"&lt;";
constexpr StringView kGt = u"&gt;";
constexpr StringView kAmp = u"&amp;";

//   u"a<b>" => u"a&lt;b&gt;",  u"R&D" => u"R&D",  u"&lt;" => u"&amp;lt;"
String EncodeCaption(StringView caption) {
  String out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    const Char c = caption[i];
    if (c == u'<') {
      out += kLt;
    } else if (c == u'>') {
      out += kGt;
    } else if (c == u'&' && (StartsWithAt(caption, i, kLt) || StartsWithAt(caption, i, kGt) ||
                             StartsWithAt(caption, i, kAmp))) {
      out += kAmp;
    } else {
      out += c;
    }
  }
  return out;
}

//   u"a&lt;b&gt;" => u"a<b>",  u"&amp;lt;" => u"&lt;",  u"R&D" => u"R&D",  u"&LT;" => u"&LT;"
String DecodeCaption(StringView text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (StartsWithAt(text, i, kLt)) {
        out += u'<';
        i += kLt.size() - 1;
        continue;
      }
      if (StartsWithAt(text, i, kGt)) {
        out += u'>';
        i += kGt.size() - 1;
        continue;
      }
      if (StartsWithAt(text, i, kAmp)) {
        out += u'&';
        i += kAmp.size() - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// ================================================================================================
// Reading values

size_t SkipBlanks(StringView text, size_t i) noexcept {
  while (i < text.size() && text[i] == u' ') ++i;
  return i;
}

bool IsDigit(Char c) noexcept {
  return c >= u'0' && c <= u'9';
}

// A decimal number at the start of the text, after blanks: an optional sign, digits, "." or ","
// and fraction digits, an optional exponent ("E" or "e", optional sign, digits); it ends at the
// first other character. 0 when no digit stands before the exponent; clamped to +-uc_MaxDouble.
//   u" 1.5x" => 1.5,  u"1,5" => 1.5,  u"-2.5E+0001" => -25,  u".5" => 0.5,  u"1e" => 1,
//   u"abc" => 0,  u"1e999" => uc_MaxDouble,  u"-1e999" => -uc_MaxDouble,  u"1e-999" => 0
double ReadDecimalNumber(StringView text) noexcept {
  constexpr double kMax = static_cast<double>(uc_MaxDouble);
  size_t i = SkipBlanks(text, 0);
  std::string number;  // the parts in the form from_chars reads: digits, ".", digits, "e", exponent
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  // The place of the first significant digit relative to the point, to tell an overflow from an
  // underflow when the value is beyond a double.
  int64_t order = 0;
  bool significant = false;
  bool digits = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    digits = true;
    significant = significant || text[i] != u'0';
    if (significant) ++order;
    number += static_cast<char>(text[i]);
  }
  if (i < text.size() && (text[i] == u'.' || text[i] == u',')) {
    number += '.';
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      digits = true;
      if (!significant && text[i] == u'0') --order;
      significant = significant || text[i] != u'0';
      number += static_cast<char>(text[i]);
    }
  }
  if (!digits || !significant) return 0;
  int64_t exponent = 0;
  if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
    size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
      negativeExponent = text[j++] == u'-';
    // Beyond a million the exponent only tells over- from underflow, so it stops growing there.
    for (; j < text.size() && IsDigit(text[j]); ++j) {
      exponent = std::min<int64_t>(exponent * 10 + (text[j] - u'0'), 1000000);
    }
    if (negativeExponent) exponent = -exponent;
  }
  number += 'e';
  number += std::to_string(exponent);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = order + exponent > 0 ? kMax : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0;
  }
  if (value > kMax) value = kMax;
  return negative ? -value : value;
}

// A decimal integer at the start of the text, after blanks: optional "+" or "-", digits up to the
// first other character; 0 without digits; clamped to the 32-bit range.
//   u" 12x" => 12,  u"-7" => -7,  u"+3" => 3,  u"x" => 0,  u"99999999999" => 2147483647
int32_t ReadInteger(StringView text) noexcept {
  size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - u'0'), int64_t{1} << 32);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// A colour in hexadecimal after blanks, with an optional "$" first; digits up to the first
// other character.
//   u"$C0C0C0" => 0xC0C0C0,  u" $ff" => 0xFF,  u"12g" => 0x12,  u"" => 0
TColor ReadHexColor(StringView text) noexcept {
  int32_t pos = 1;
  return static_cast<TColor>(ScanHexNumber(detail::TrimBlanksView(text), pos));
}

// The name=value pairs of a tag's attribute text, names lowered. A value in double quotes may
// hold blanks and "="; an unquoted one runs to the next blank or double quote; blanks around
// "=" are skipped, and a name without "=" has an empty value. The pairs end at a malformed one:
// a double quote in a name, "=" where a value should start or inside an unquoted value.
//   u"x= 1 y=\"a b\"" => (x, 1) (y, a b),  u"a=1 b==2 c=3" => (a, 1)
using TAttributes = std::vector<std::pair<String, String>>;

TAttributes ParseAttributes(StringView text) {
  TAttributes pairs;
  size_t i = 0;
  const size_t n = text.size();
  for (;;) {
    i = SkipBlanks(text, i);
    if (i >= n) return pairs;
    const size_t nameStart = i;
    for (; i < n && text[i] != u'=' && text[i] != u' '; ++i) {
      if (text[i] == u'"') return pairs;
    }
    String name = detail::SimpleLowerText(text.substr(nameStart, i - nameStart));
    i = SkipBlanks(text, i);
    if (i >= n || text[i] != u'=') {
      pairs.emplace_back(std::move(name), String());
      continue;
    }
    i = SkipBlanks(text, i + 1);
    size_t valueStart = i;
    size_t valueEnd = i;
    if (i < n && text[i] == u'"') {
      valueStart = ++i;
      while (i < n && text[i] != u'"') ++i;
      valueEnd = i;
      if (i < n) ++i;  // the closing quote
    } else {
      for (; i < n && text[i] != u' ' && text[i] != u'"'; ++i) {
        if (text[i] == u'=') return pairs;
      }
      valueEnd = i;
    }
    pairs.emplace_back(std::move(name), String(text.substr(valueStart, valueEnd - valueStart)));
  }
}

// The value of the first attribute of that (lower-case) name; empty when there is none.
StringView Attribute(const TAttributes& pairs, StringView name) noexcept {
  for (const auto& [key, value] : pairs) {
    if (key == name) return value;
  }
  return {};
}

// ================================================================================================
// Reading the element

// The characters of the element, read from the file up to the ">" that ends a tag or content.
class TElementSource {
 public:
  explicit TElementSource(TTextFile& TextFile) : FFile(TextFile) {}

  // Appends the characters up to and including the next ">" to Text; false when the file ends
  // first.
  bool ReadThroughGreater(String& Text) {
    Char c = 0;
    do {
      if (!FFile.ReadChar(c)) return false;
      Text += c;
    } while (c != u'>');
    return true;
  }

  // Skips to the next "<" and reads the tag from there through its ">"; false when the file ends
  // first.
  bool ReadTag(String& Tag) {
    Char c = 0;
    do {
      if (!FFile.ReadChar(c)) return false;
    } while (c != u'<');
    Tag.assign(1, u'<');
    return ReadThroughGreater(Tag);
  }

 private:
  TTextFile& FFile;
};

// Reads lines up to and including the one that opens the wanted element; false at the end of
// the file.
bool FindElement(TTextFile& TextFile, StringView DataID) {
  const bool anyId = DataID.empty();
  const String wanted = detail::SimpleLowerText(detail::TrimBlanksView(DataID));
  String line;
  Char c = 0;
  // PeekChar (not Eof) so that a file open for writing raises instead of looking empty.
  while (TextFile.PeekChar(c)) {
    TextFile.ReadLn(line);
    for (Char& ch : line) ch = detail::SimpleLower(ch);
    if (line.find(u"<custtextlbl") == String::npos || line.find(u"xanduroze") == String::npos) {
      continue;
    }
    if (anyId) return true;
    const size_t id = line.find(u"id=\"");
    if (id == String::npos) continue;
    const size_t start = id + 4;
    size_t end = line.find(u'"', start);
    if (end == String::npos) end = line.size();
    if (detail::TrimBlanksView(StringView(line).substr(start, end - start)) == wanted) return true;
  }
  return false;
}

// The parts of a tag "<name attributes>" or "<name attributes/>".
struct TTagParts {
  String Name;  // lowered
  String AttributeText;
  bool Closed = false;  // ends in "/>"
};

TTagParts SplitTag(StringView tag) {
  TTagParts parts;
  StringView body = tag.substr(1, tag.size() - 2);  // without "<" and ">"
  parts.Closed = !body.empty() && body.back() == u'/';
  if (parts.Closed) body.remove_suffix(1);
  const size_t blank = body.find(u' ');
  parts.Name = detail::SimpleLowerText(body.substr(0, blank));
  if (blank != StringView::npos) {
    parts.AttributeText = String(detail::TrimBlanksView(body.substr(blank + 1)));
  }
  return parts;
}

}  // namespace

// ================================================================================================
// TCustomTextLabel

TCustomTextLabel::TCustomTextLabel() : FFont(std::make_unique<TFont>()) {}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TCustomTextLabel*>(&Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  FPosX = source->FPosX;
  FPosY = source->FPosY;
  FLayer = source->FLayer;
  FXShadow = source->FXShadow;
  FYShadow = source->FYShadow;
  FColorShadow = source->FColorShadow;
  FAlignment = source->FAlignment;
  FVertAlign = source->FVertAlign;
  FAttachDat = source->FAttachDat;
  FColorBkg = source->FColorBkg;
  FColorBrd = source->FColorBrd;
  FTransPar = source->FTransPar;
  FFont->Assign(*source->FFont);
  FCaption = source->FCaption;
  FMode = source->FMode;
  FOnChange = source->FOnChange;
  FVisible = source->FVisible;
}

void TCustomTextLabel::AssignTo(TPersistent& Dest) const {
  if (auto* dest = dynamic_cast<TCustomTextLabel*>(&Dest)) {
    dest->Assign(*this);
  } else {
    TPersistent::AssignTo(Dest);
  }
}

void TCustomTextLabel::Changed() {
  if (FOnChange) FOnChange(this);
}

void TCustomTextLabel::SetTxtLblPosX(double Value) {
  FPosX = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblPosY(double Value) {
  FPosY = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblLayer(int32_t Value) {
  if (Value < 1 || Value > 16) return;
  FLayer = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblShadowDx(int32_t Value) {
  FXShadow = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblShadowDy(int32_t Value) {
  FYShadow = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblColorShadow(TColor Value) {
  FColorShadow = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment Value) {
  FVertAlign = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode Value) {
  FAttachDat = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblColorBkg(TColor Value) {
  FColorBkg = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblColorBrd(TColor Value) {
  FColorBrd = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblTranspar(bool Value) {
  FTransPar = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblMode(TTxtLblMode Value) {
  FMode = Value;
  Changed();
}

void TCustomTextLabel::SetTxtLblFont(const TFont& Value) {
  FFont->Assign(Value);
  Changed();
}

void TCustomTextLabel::SetTxtLblCaption(StringView Value) {
  String caption(Value);
  for (Char& c : caption) {
    if (c < u' ' && c != u'\n') c = u' ';
  }
  FCaption = std::move(caption);
  Changed();
}

void TCustomTextLabel::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, StringView DataID,
                                          int32_t Indent) const {
  const String in(static_cast<size_t>(std::clamp(Indent, 1, 255)), u' ');
  const auto integer = [](int32_t v) { return detail::DecimalText(v); };
  const auto flag = [](bool v) { return String(v ? u"1" : u"0"); };

  if (CreateHeader) TextFile.WriteLn(in + u"<?xml version=\"1.0\"?>");
  TextFile.WriteLn();
  TextFile.WriteLn(in + u"<!-- TCustomTextLabel / XAN Component Suite -->");
  TextFile.WriteLn(in + u"<custtextlbl sig=\"XANDUroze\" vers=\"1.0\" id=\"" + String(DataID) +
                   u"\">");
  TextFile.WriteLn(in + u"  <posxy x=" + strff(FPosX, 12, -1) + u" y=" + strff(FPosY, 12, -1) +
                   u" />");
  TextFile.WriteLn(in + u"  <caption>" + EncodeCaption(FCaption) + u"</caption>");
  TextFile.WriteLn(in + u"  <colors brd=" + HexColor(FColorBrd) + u" bg=" + HexColor(FColorBkg) +
                   u" shdw=" + HexColor(FColorShadow) + u" />");
  TextFile.WriteLn(in + u"  <shadowofs dx=" + integer(FXShadow) + u" dy=" + integer(FYShadow) +
                   u" />");
  TextFile.WriteLn(in + u"  <layer val=" + integer(FLayer) + u" />");
  TextFile.WriteLn(in + u"  <transparent val=" + flag(FTransPar) + u" />");
  TextFile.WriteLn(in + u"  <visible val=" + flag(FVisible) + u" />");
  TextFile.WriteLn(in + u"  <alignment horiz=" + String(KeywordOf(xmlAlignment, FAlignment)) +
                   u" vert=" + String(KeywordOf(xmlVerticalAlignment, FVertAlign)) + u" />");
  TextFile.WriteLn(in + u"  <attachmode val=" + String(KeywordOf(xmlTxtLblAttachMode, FAttachDat)) +
                   u" />");
  String styles;
  for (const TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) {
    if (!FFont->Style().Contains(style)) continue;
    if (!styles.empty()) styles += u' ';
    styles += xmlFontStyle[style];
  }
  TextFile.WriteLn(in + u"  <font name=\"" + FFont->Name() + u"\" size=" + integer(FFont->Size()) +
                   u" color=" + HexColor(FFont->Color()) + u" style=\"" + styles + u"\" />");
  TextFile.WriteLn(in + u"  <style val=" + String(KeywordOf(xmlTxtLblMode, FMode)) + u" />");
  TextFile.WriteLn(in + u"</custtextlbl>");
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TTextFile& TextFile, StringView DataID) {
  if (!FindElement(TextFile, DataID)) return false;

  // The values are gathered here and taken into the label only at the closing tag, so that a
  // file that ends inside the element leaves the label as it was.
  struct {
    double PosX, PosY;
    int32_t Layer, XShadow, YShadow;
    TColor ColorShadow, ColorBkg, ColorBrd;
    TAlignment Alignment;
    TVerticalAlignment VertAlign;
    bool TransPar, Visible;
    String Caption;
  } read{FPosX,     FPosY,      FLayer,     FXShadow,  FYShadow, FColorShadow, FColorBkg,
         FColorBrd, FAlignment, FVertAlign, FTransPar, FVisible, FCaption};

  TElementSource source(TextFile);
  String tag, content;
  for (;;) {
    if (!source.ReadTag(tag)) return false;
    const TTagParts parts = SplitTag(tag);
    content.clear();
    const bool complete = parts.Closed || source.ReadThroughGreater(content);
    if (parts.Name == u"/custtextlbl") break;  // complete or not: the element has ended
    if (!complete) return false;

    const TAttributes attributes = ParseAttributes(parts.AttributeText);
    const auto value = [&attributes](StringView name) { return Attribute(attributes, name); };
    if (parts.Name == u"posxy") {
      read.PosX = ReadDecimalNumber(value(u"x"));
      read.PosY = ReadDecimalNumber(value(u"y"));
    } else if (parts.Name == u"colors") {
      read.ColorBrd = ReadHexColor(value(u"brd"));
      read.ColorBkg = ReadHexColor(value(u"bg"));
      read.ColorShadow = ReadHexColor(value(u"shdw"));
    } else if (parts.Name == u"shadowofs") {
      read.XShadow = ReadInteger(value(u"dx"));
      read.YShadow = ReadInteger(value(u"dy"));
    } else if (parts.Name == u"layer") {
      read.Layer = ReadInteger(value(u"val"));
    } else if (parts.Name == u"transparent") {
      read.TransPar = ReadInteger(value(u"val")) == 1;
    } else if (parts.Name == u"visible") {
      read.Visible = ReadInteger(value(u"val")) == 1;
    } else if (parts.Name == u"alignment") {
      if (const int k = FindKeyword(xmlAlignment, value(u"horiz")); k >= 0) {
        read.Alignment = static_cast<TAlignment>(k);
      }
      if (const int k = FindKeyword(xmlVerticalAlignment, value(u"vert")); k >= 0) {
        read.VertAlign = static_cast<TVerticalAlignment>(k);
      }
    } else if (parts.Name == u"caption") {
      // The content ends at "</", or without one at the ">" that ended it; "<caption/>" has none.
      const size_t end = content.find(u"</");
      const size_t length = end != String::npos ? end : content.empty() ? 0 : content.size() - 1;
      read.Caption = DecodeCaption(StringView(content).substr(0, length));
    }
    // attachmode, font, style and unknown elements are passed over.
  }

  FPosX = read.PosX;
  FPosY = read.PosY;
  FLayer = read.Layer;
  FXShadow = read.XShadow;
  FYShadow = read.YShadow;
  FColorShadow = read.ColorShadow;
  FColorBkg = read.ColorBkg;
  FColorBrd = read.ColorBrd;
  FAlignment = read.Alignment;
  FVertAlign = read.VertAlign;
  FTransPar = read.TransPar;
  FVisible = read.Visible;
  FCaption = std::move(read.Caption);
  Changed();
  return true;
}

// ================================================================================================
// TDTLabel

TDTLabel::~TDTLabel() {
  FOnChange = nullptr;
}

void TDTLabel::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TDTLabel*>(&Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  FTimeFormat = source->FTimeFormat;
  FDateSeparator = source->FDateSeparator;
  FTimeSeparator = source->FTimeSeparator;
  FYearLength = source->FYearLength;
  FMonthName = source->FMonthName;
  FDateOrder = source->FDateOrder;
  FDateForTime = source->FDateForTime;
  FOnChange = source->FOnChange;
}

void TDTLabel::AssignTo(TPersistent& Dest) const {
  if (auto* dest = dynamic_cast<TDTLabel*>(&Dest)) {
    dest->Assign(*this);
  } else {
    TPersistent::AssignTo(Dest);
  }
}

void TDTLabel::Changed() {
  if (FOnChange) FOnChange(this);
}

void TDTLabel::SetTimeFormat(TTimeFormat Value) {
  FTimeFormat = Value;
  Changed();
}

void TDTLabel::SetDAteOrder(TDateOrder Value) {
  FDateOrder = Value;
  Changed();
}

void TDTLabel::SetDateSeparator(Char Value) {
  if (Value == FDateSeparator) return;
  FDateSeparator = Value;
  Changed();
}

void TDTLabel::SetTimeSeparator(Char Value) {
  if (Value == FTimeSeparator) return;
  FTimeSeparator = Value;
  Changed();
}

void TDTLabel::SetYearLength(TYearLength Value) {
  if (Value == FYearLength) return;
  FYearLength = Value;
  Changed();
}

void TDTLabel::SetMonthName(bool Value) {
  if (Value == FMonthName) return;
  FMonthName = Value;
  Changed();
}

void TDTLabel::SetDateForTime(TDateForTime Value) {
  if (Value == FDateForTime) return;
  FDateForTime = Value;
  Changed();
}

// ================================================================================================
// TCrossHair

void TCrossHair::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TCrossHair*>(&Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  FPosX = source->FPosX;
  FPosY = source->FPosY;
  FColor = source->FColor;
  FMode = source->FMode;
  FLineType = source->FLineType;
  FLineWid = source->FLineWid;
  FLayer = source->FLayer;
  FOnChange = source->FOnChange;
}

void TCrossHair::AssignTo(TPersistent& Dest) const {
  if (auto* dest = dynamic_cast<TCrossHair*>(&Dest)) {
    dest->Assign(*this);
  } else {
    TPersistent::AssignTo(Dest);
  }
}

void TCrossHair::Changed() {
  if (FOnChange) FOnChange(this);
}

void TCrossHair::SetCrossHPosX(double Value) {
  FPosX = Value;
  Changed();
}

void TCrossHair::SetCrossHPosY(double Value) {
  FPosY = Value;
  Changed();
}

void TCrossHair::SetCrossHColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TCrossHair::SetCrossHMode(TCrossHMode Value) {
  FMode = Value;
  Changed();
}

void TCrossHair::SetCrossHLineType(TPenStyle Value) {
  FLineType = Value;
  Changed();
}

void TCrossHair::SetCrossHLineWid(int32_t Value) {
  FLineWid = Value;
  Changed();
}

void TCrossHair::SetCrossHLayer(int32_t Value) {
  FLayer = std::clamp(Value, 1, 2);
  Changed();
}

void TCrossHair::SetPos(double x, double y) {
  if (x == FPosX && y == FPosY) return;
  FPosX = x;
  FPosY = y;
  Changed();
}

}  // namespace xan
