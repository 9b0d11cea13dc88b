// Stream primitives: typed values and 8-bit text on streams, line reading, searching, whole-stream
// text, the number scanners, line counting, extracting and replacing.
#include "xan/streams/primitives.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#include "xan/univconst.h"
#include "xan_streams/extended.h"
#include "xan_streams/stream_text.h"

namespace xan {

using streams_detail::AppendBytes;
using streams_detail::CompletesLineEnd;
using streams_detail::kCR;
using streams_detail::kLF;
using streams_detail::LowerAZ;

namespace streams_detail {

std::string ReadRest(TStream& AStream) {
  std::string bytes;
  const int64_t rest = AStream.Size() - AStream.Position();
  if (rest > 0) bytes.resize(static_cast<size_t>(rest));
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) bytes.resize(std::max<size_t>(4096, 2 * bytes.size()));
    const int64_t n = AStream.Read(bytes.data() + done, static_cast<int64_t>(bytes.size() - done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace streams_detail

namespace {

// Little-endian bytes of an unsigned value and back.
template <size_t N, class U>
std::array<uint8_t, N> LittleEndian(U Value) {
  std::array<uint8_t, N> b{};
  for (size_t i = 0; i < N; ++i) b[i] = static_cast<uint8_t>(Value >> (8 * i));
  return b;
}
template <class U, size_t N>
U FromLittleEndian(const std::array<uint8_t, N>& B) {
  U v = 0;
  for (size_t i = N; i-- > 0;) v = static_cast<U>((v << 8) | B[i]);
  return v;
}

template <size_t N>
void WriteArray(TStream& AStream, const std::array<uint8_t, N>& Bytes) {
  AStream.WriteBuffer(Bytes.data(), static_cast<int64_t>(N));
}

// Reads up to N bytes into a zeroed array; Error is true unless all N came. Never raises.
template <size_t N>
std::array<uint8_t, N> ReadArray(TStream& AStream, bool& Error) noexcept {
  std::array<uint8_t, N> b{};
  size_t done = 0;
  try {
    while (done < N) {
      const int64_t n = AStream.Read(b.data() + done, static_cast<int64_t>(N - done));
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch): a failing stream is reported through Error
  }
  Error = done != N;
  return b;
}

// Removes a trailing CR or LF, twice at most.
void StripLineEnd(String& Line) {
  for (int i = 0; i < 2 && !Line.empty() && (Line.back() == kCR || Line.back() == kLF); ++i) {
    Line.pop_back();
  }
}

// The index just past the first byte of P[0..N) that completes the line end of EOLMode, with Prev
// the byte before P[0]; N + 1 when there is none.
size_t FindLineEnd(const uint8_t* P, size_t N, int32_t EOLMode, uint8_t Prev) {
  const size_t none = N + 1;
  if (EOLMode == 0 || EOLMode == 1) {
    const void* hit = std::memchr(P, EOLMode == 0 ? kLF : kCR, N);
    return hit == nullptr ? none : static_cast<size_t>(static_cast<const uint8_t*>(hit) - P) + 1;
  }
  if (EOLMode < 0 || EOLMode > 4) return none;
  for (size_t i = 0; i < N; ++i) {
    if (CompletesLineEnd(EOLMode, P[i], i == 0 ? Prev : P[i - 1])) return i + 1;
  }
  return none;
}

}  // namespace

// ================================================================================================
// Writers

void WriteStringStream(TStream& AStream, StringView Text) {
  std::array<uint8_t, 4096> buffer{};
  size_t fill = 0;
  for (const Char c : Text) {
    buffer[fill++] = static_cast<uint8_t>(c & 0xFF);
    if (fill == buffer.size()) {
      AStream.WriteBuffer(buffer.data(), static_cast<int64_t>(fill));
      fill = 0;
    }
  }
  // The closing write happens even when it is empty, as the write pattern is part of the contract.
  if (fill == 0) {
    AStream.Write(buffer.data(), 0);
  } else {
    AStream.WriteBuffer(buffer.data(), static_cast<int64_t>(fill));
  }
}

void WriteLnStream(TStream& AStream, StringView Text) {
  WriteStringStream(AStream, Text);
  const uint8_t crlf[2] = {kCR, kLF};
  AStream.WriteBuffer(crlf, 2);
}

void WriteLongintToStream(TStream& AStream, int32_t Value) {
  WriteArray(AStream, LittleEndian<4>(static_cast<uint32_t>(Value)));
}

void WriteSingleToStream(TStream& AStream, float Value) {
  WriteArray(AStream, LittleEndian<4>(std::bit_cast<uint32_t>(Value)));
}

void WriteDoubleToStream(TStream& AStream, double Value) {
  WriteArray(AStream, LittleEndian<8>(std::bit_cast<uint64_t>(Value)));
}

void WriteExtendedToStream(TStream& AStream, long double Value) {
  WriteArray(AStream, streams_detail::EncodeExtended(Value));
}

// ================================================================================================
// Typed readers

int32_t ReadLongintFromStream(TStream& AStream, bool& Error) noexcept {
  return static_cast<int32_t>(FromLittleEndian<uint32_t>(ReadArray<4>(AStream, Error)));
}

float ReadSingleFromStream(TStream& AStream, bool& Error) noexcept {
  return std::bit_cast<float>(FromLittleEndian<uint32_t>(ReadArray<4>(AStream, Error)));
}

double ReadDoubleFromStream(TStream& AStream, bool& Error) noexcept {
  return std::bit_cast<double>(FromLittleEndian<uint64_t>(ReadArray<8>(AStream, Error)));
}

long double ReadExtendedFromStream(TStream& AStream, bool& Error) noexcept {
  return streams_detail::DecodeExtended(ReadArray<10>(AStream, Error));
}

// ================================================================================================
// Lines and searching

String ReadLnStream(TStream& AStream, bool& EndOfStream, int32_t EOLMode) {
  EndOfStream = false;
  String line;
  uint8_t prev = 0;
  for (;;) {
    // Bytes the stream holds already are scanned in one piece; the result is the same as taking
    // them one at a time.
    const auto window = AStream.Buffered();
    if (!window.empty()) {
      const size_t end = FindLineEnd(window.data(), window.size(), EOLMode, prev);
      const size_t take = std::min(end, window.size());
      AppendBytes(line, window.data(), take);
      prev = window[take - 1];
      AStream.ConsumeBuffered(take);
      if (end <= window.size()) break;
      continue;
    }
    uint8_t b = 0;
    if (!AStream.NextByte(b)) {
      EndOfStream = true;
      return line;
    }
    line += static_cast<Char>(b);
    const bool complete = CompletesLineEnd(EOLMode, b, prev);
    prev = b;
    if (complete) break;
  }
  StripLineEnd(line);
  return line;
}

bool FindInStream(TStream& AStream, uint8_t Value) {
  for (;;) {
    const auto window = AStream.Buffered();
    if (!window.empty()) {
      const void* hit = std::memchr(window.data(), Value, window.size());
      if (hit != nullptr) {
        AStream.ConsumeBuffered(
            static_cast<size_t>(static_cast<const uint8_t*>(hit) - window.data()) + 1);
        return true;
      }
      AStream.ConsumeBuffered(window.size());
      continue;
    }
    uint8_t b = 0;
    if (!AStream.NextByte(b)) return false;
    if (b == Value) return true;
  }
}

namespace {

// The rest of the stream read in blocks of 256 bytes until one comes back shorter.
std::string ReadIn256Blocks(TStream& AStream) {
  constexpr size_t kBlock = 256;
  std::string bytes;
  for (;;) {
    const size_t old = bytes.size();
    bytes.resize(old + kBlock);
    const int64_t n = AStream.Read(bytes.data() + old, kBlock);
    bytes.resize(old + static_cast<size_t>(std::max<int64_t>(n, 0)));
    if (n < static_cast<int64_t>(kBlock)) return bytes;
  }
}

}  // namespace

String StreamAsString(TStream& AStream) {
  const std::string bytes = ReadIn256Blocks(AStream);
  String text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<Char>(static_cast<uint8_t>(bytes[2 * i]) |
                                (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

String StreamAsByteString(TStream& AStream) {
  return BytesToString(ReadIn256Blocks(AStream));
}

String ReadStreamUntil(TStream& AStream, StringView SearchText, int32_t& ErrCode) {
  constexpr size_t kBlock = 256;
  ErrCode = -1;
  const String search = LowerAZ(SearchText);
  const int64_t start = AStream.Position();
  String text;
  String lower;
  size_t found = String::npos;
  uint8_t block[kBlock];
  for (;;) {
    const int64_t n = std::max<int64_t>(AStream.Read(block, kBlock), 0);
    const size_t old = text.size();
    AppendBytes(text, block, static_cast<size_t>(n));
    lower.resize(text.size());
    for (size_t i = old; i < text.size(); ++i) lower[i] = LowerAZ(text[i]);
    // Earlier places were searched with the earlier blocks: a new match must reach into this one.
    if (!search.empty() && lower.size() >= search.size()) {
      const size_t from = old >= search.size() ? old - search.size() + 1 : 0;
      found = lower.find(search, from);
    }
    if (found != String::npos || n < static_cast<int64_t>(kBlock)) break;
  }
  if (found != String::npos) {
    ErrCode = 0;
    text.resize(found + search.size());
    AStream.SetPosition(start + static_cast<int64_t>(text.size()));
  }
  return text;
}

int32_t CountLinesInStream(TStream& AStream) {
  int64_t count = 0;
  auto countIn = [&count](const uint8_t* p, size_t n) {
    if (n == 0) return;  // p may be null then
    const uint8_t* end = p + n;
    while ((p = static_cast<const uint8_t*>(std::memchr(p, kLF, static_cast<size_t>(end - p)))) !=
           nullptr) {
      ++count;
      ++p;
    }
  };
  const auto window = AStream.Buffered();
  countIn(window.data(), window.size());
  AStream.ConsumeBuffered(window.size());
  constexpr size_t kBlock = 1 << 17;
  std::unique_ptr<uint8_t[]> block(new uint8_t[kBlock]);
  for (;;) {
    const int64_t n = AStream.Read(block.get(), kBlock);
    if (n <= 0) break;
    countIn(block.get(), static_cast<size_t>(n));
  }
  return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

// ================================================================================================
// Number scanners

int32_t ScanStreamDecimal(TStream& AStream) {
  uint8_t b = 0;
  do {
    if (!AStream.NextByte(b)) return 0;
  } while (b == ' ' || b == kLF || b == kCR);
  const bool negative = b == '-';
  if ((b == '-' || b == '+') && !AStream.NextByte(b)) return 0;
  uint32_t value = 0;  // unsigned, so that the documented wrap-around is well defined
  while (b >= '0' && b <= '9') {
    value = value * 10U + static_cast<uint32_t>(b - '0');
    if (!AStream.NextByte(b)) break;
  }
  return static_cast<int32_t>(negative ? 0U - value : value);
}

namespace {

enum TFPState : uint8_t {
  fpLead,
  fpSign,
  fpInt,
  fpPoint,
  fpFrac,
  fpExp,
  fpExpSign,
  fpExpDigit,
  fpDone,
  fpFail
};
enum TFPClass : uint8_t { fcPoint, fcSign, fcWhite, fcDigit, fcExp, fcOther };

TFPClass ClassifyFP(int Byte, int32_t DecPChar) {
  if ((Byte == '.' && (DecPChar == 1 || DecPChar == 3)) ||
      (Byte == ',' && (DecPChar == 2 || DecPChar == 3))) {
    return fcPoint;
  }
  if (Byte == '+' || Byte == '-') return fcSign;
  if (Byte == '\t' || Byte == kLF || Byte == kCR || Byte == ' ') return fcWhite;
  if (Byte >= '0' && Byte <= '9') return fcDigit;
  if (Byte == 'E') return fcExp;
  return fcOther;
}

// The transitions; fpExp in a row stands for "Exp when exponents are allowed, else Done".
constexpr std::array<std::array<TFPState, 6>, 8> kFPNext = {{
    //  point     sign        white    digit       'E'      other
    {fpPoint, fpSign, fpLead, fpInt, fpFail, fpFail},         // Lead
    {fpPoint, fpFail, fpFail, fpInt, fpFail, fpFail},         // Sign
    {fpPoint, fpDone, fpDone, fpInt, fpExp, fpDone},          // Int
    {fpFail, fpDone, fpDone, fpFrac, fpExp, fpDone},          // Point
    {fpFail, fpDone, fpDone, fpFrac, fpExp, fpDone},          // Frac
    {fpFail, fpExpSign, fpFail, fpExpDigit, fpFail, fpFail},  // Exp
    {fpFail, fpFail, fpFail, fpExpDigit, fpFail, fpFail},     // ExpSign
    {fpDone, fpDone, fpDone, fpExpDigit, fpDone, fpDone},     // ExpDigit
}};

constexpr int kMaxExponentDigits = 4200;

// The value of a number text of the scanner ([sign] digits [. digits] [E [sign] digits], at least
// one of the parts present). Values beyond the double range become infinities or zeros.
double ConvertFPText(const std::string& Text) {
  size_t i = 0;
  const bool negative = !Text.empty() && Text[0] == '-';
  if (!Text.empty() && (Text[0] == '-' || Text[0] == '+')) i = 1;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(Text.data() + i, Text.data() + Text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the side follows from the decimal exponent of the
    // first significant digit.
    const size_t e = Text.find('E');
    const std::string mantissa = Text.substr(i, e == std::string::npos ? std::string::npos : e - i);
    long exponent = 0;
    if (e != std::string::npos) {
      std::from_chars(Text.data() + e + (Text[e + 1] == '+' ? 2 : 1), Text.data() + Text.size(),
                      exponent);
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    const long magnitude = static_cast<long>(point) - static_cast<long>(first) + exponent;
    value = (first == std::string::npos || magnitude <= 0)
                ? 0.0
                : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0;
  }
  (void)ptr;
  return negative ? -value : value;
}

}  // namespace

double ScanStreamFPNum(TStream& AStream, bool AllowExp, int32_t DecPChar) {
  std::string text;
  int exponentDigits = 0;  // stops growing once above the limit; only compared with it
  TFPState state = fpLead;
  while (state != fpDone && state != fpFail) {
    uint8_t b = 0;
    int c = AStream.NextByte(b) ? b : -1;
    if (c >= 'a' && c <= 'z') c -= 32;
    const TFPState from = state;
    state = kFPNext[from][ClassifyFP(c, DecPChar)];
    if (state == fpExp && from != fpExp && from != fpExpSign && !AllowExp) state = fpDone;
    if (state == fpDone || state == fpFail) break;
    if (state == fpExpDigit) {
      const bool starts = from == fpExp || from == fpExpSign;
      const int prior = starts ? 0 : exponentDigits;
      exponentDigits = prior > kMaxExponentDigits ? prior : prior * 10 + (c - '0');
    }
    if (c == ',') c = '.';
    if (c > 32 && exponentDigits <= kMaxExponentDigits) text += static_cast<char>(c);
  }
  double value = 0;
  if (state == fpDone) {
    if (!text.empty() && text.back() == '.') text += '0';
    value = ConvertFPText(text);
  }
  const auto limit = static_cast<double>(uc_MaxDouble);
  return std::clamp(value, -limit, limit);
}

// ================================================================================================
// Extracting and replacing

namespace {

// Folds A-Z in 8-bit text.
std::string LowerAZBytes(std::string_view Bytes) {
  std::string out(Bytes);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

void WriteBytes(TStream& AStream, std::string_view Bytes) {
  AStream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

}  // namespace

int32_t ExtractFromStream(TStream& Source, TMemoryStream& Dest, const TStringList& Delimiters) {
  struct TPair {
    std::string Start;
    std::string End;
  };
  std::vector<TPair> pairs;
  for (int32_t i = 0; i + 1 < Delimiters.Count(); i += 2) {
    if (Delimiters.Strings(i).empty()) continue;
    pairs.push_back(
        {StringToBytes(Delimiters.Strings(i)), StringToBytes(Delimiters.Strings(i + 1))});
  }
  const std::string data = streams_detail::ReadRest(Source);
  int32_t pieces = 0;
  size_t pos = 0;
  while (pos < data.size() && !pairs.empty()) {
    size_t best = std::string::npos;
    const TPair* pair = nullptr;
    for (const TPair& p : pairs) {
      const size_t at = data.find(p.Start, pos);
      if (at < best) best = at, pair = &p;
    }
    if (pair == nullptr) break;
    const size_t from = best + pair->Start.size();
    const size_t to = pair->End.empty() ? std::string::npos : data.find(pair->End, from);
    const size_t stop = to == std::string::npos ? data.size() : to;
    WriteBytes(Dest, std::string_view(data).substr(from, stop - from));
    WriteBytes(Dest, "\r\n");
    ++pieces;
    if (to == std::string::npos) break;
    pos = to + pair->End.size();
  }
  return pieces;
}

namespace {

// The replacement of one occurrence: ReplaceText with its modifiers resolved.
String ExpandReplacement(StringView ReplaceText, StringView Brackets, const String& Occurrence,
                         int32_t Number, TSRUnknownModifierEvent OnUnknownModifier) {
  if (Brackets.empty()) return String(ReplaceText);
  const Char open = Brackets[0];
  const Char close = Brackets.size() > 1 ? Brackets[1] : Brackets[0];
  String out;
  size_t i = 0;
  while (i < ReplaceText.size()) {
    const size_t closeAt = ReplaceText[i] == open ? ReplaceText.find(close, i + 1) : String::npos;
    if (closeAt == String::npos) {
      out += ReplaceText[i++];
      continue;
    }
    const StringView command = ReplaceText.substr(i + 1, closeAt - i - 1);
    const String name = LowerAZ(command);
    if (name.empty()) {
      out += Occurrence;
    } else if (name == u"upper") {
      out += streams_detail::UpperAZ(Occurrence);
    } else if (name == u"lower") {
      out += LowerAZ(Occurrence);
    } else if (name == u"count") {
      out += FromUtf8(std::to_string(Number));
    } else if (OnUnknownModifier != nullptr) {
      String substring = Occurrence;
      OnUnknownModifier(command, substring);
      out += substring;
    } else {
      out += ReplaceText.substr(i, closeAt - i + 1);
    }
    i = closeAt + 1;
  }
  return out;
}

}  // namespace

int32_t SearchAndReplace(TMemoryStream& Source, TMemoryStream& Dest, StringView SearchText,
                         StringView ReplaceText, bool IgnoreCase, int32_t FirstMatch,
                         int32_t MaxCount, StringView Brackets,
                         TSRUnknownModifierEvent OnUnknownModifier) {
  const int64_t start = Source.Position();
  const std::string data = streams_detail::ReadRest(Source);
  const std::string search =
      IgnoreCase ? LowerAZBytes(StringToBytes(SearchText)) : StringToBytes(SearchText);
  const std::string haystack = IgnoreCase ? LowerAZBytes(data) : data;
  std::string out;
  int32_t seen = 0;
  int32_t replaced = 0;
  size_t pos = 0;
  while (!search.empty() && (MaxCount <= 0 || replaced < MaxCount)) {
    const size_t at = haystack.find(search, pos);
    if (at == std::string::npos) break;
    ++seen;
    out.append(data, pos, at - pos);
    if (seen >= FirstMatch) {
      ++replaced;
      const String occurrence = BytesToString(std::string_view(data).substr(at, search.size()));
      out += StringToBytes(
          ExpandReplacement(ReplaceText, Brackets, occurrence, replaced, OnUnknownModifier));
    } else {
      out.append(data, at, search.size());
    }
    pos = at + search.size();
  }
  out.append(data, pos);
  if (&Source == &Dest) {
    Dest.SetSize(start);
    Dest.SetPosition(start);
  }
  WriteBytes(Dest, out);
  return replaced;
}

}  // namespace xan
