// Text-file utilities over the platform's text file and streams: appending, line-end repair,
// words, last lines, line counts, searching, encodings by their first bytes, the ASC header.
#include "xan/filesys/textfiles.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "platform/simple_text.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/locale.h"
#include "xan/platform/streams.h"
#include "xan/streams/primitives.h"

namespace xan {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

int32_t ClampCount(int64_t Count) noexcept {
  return static_cast<int32_t>(std::min<int64_t>(Count, std::numeric_limits<int32_t>::max()));
}

// The file opened for appending, or created when it does not exist. An existing file that cannot
// be opened for writing keeps its error: creating would replace it.
TTextFile OpenForAppending(StringView FileName) {
  TTextFile file;
  try {
    file.Open(FileName, tfmAppend);
  } catch (const EFOpenError&) {
    if (FileExists(FileName)) throw;
    file.Open(FileName, tfmRewrite);
  }
  return file;
}

}  // namespace

// =================================================================================================
// Writing

void AppendToTextFile(StringView FileName, StringView Line) {
  TTextFile file = OpenForAppending(FileName);
  file.WriteLn(Line);
  file.Close();
}

void AppendToTextFile(StringView FileName, const TStringList& Lines) {
  TTextFile file = OpenForAppending(FileName);
  for (const String& line : Lines) file.WriteLn(line);
  file.Close();
}

namespace {

// Copies In to Out, giving every CR a LF after it (see EnsureCRLFInFile), one block at a time.
void CopyWithCRLF(TStream& In, TStream& Out) {
  constexpr size_t kBlock = size_t{256} << 10;
  std::unique_ptr<uint8_t[]> in(new uint8_t[kBlock]);
  std::vector<uint8_t> out;
  out.reserve(2 * kBlock + 1);
  bool afterCR = false;  // the last byte of the previous block was a CR still to be followed
  for (;;) {
    const auto n = static_cast<size_t>(In.Read(in.get(), static_cast<int64_t>(kBlock)));
    if (n == 0) break;
    const uint8_t* p = in.get();
    const uint8_t* const end = p + n;
    out.clear();
    if (afterCR) {
      if (*p != kLF) out.push_back(kLF);
      out.push_back(*p++);
      afterCR = false;
    }
    while (p != end) {
      const auto* cr =
          static_cast<const uint8_t*>(std::memchr(p, kCR, static_cast<size_t>(end - p)));
      if (cr == nullptr) {
        out.insert(out.end(), p, end);
        break;
      }
      out.insert(out.end(), p, cr + 1);
      p = cr + 1;
      if (p == end) {
        afterCR = true;
        break;
      }
      // The byte after a CR is copied as it is, without being taken for a CR itself.
      if (*p != kLF) out.push_back(kLF);
      out.push_back(*p++);
    }
    Out.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  }
  if (afterCR) Out.WriteBuffer(&kLF, 1);
}

}  // namespace

void EnsureCRLFInFile(StringView InFileName, StringView OutFileName) {
  // The same name for both: the file is read whole first, since creating the output empties it.
  if (ExpandFileName(InFileName) == ExpandFileName(OutFileName)) {
    TMemoryStream in;
    in.LoadFromFile(InFileName);
    TFileStream out(OutFileName, fmCreate);
    CopyWithCRLF(in, out);
    out.Flush();
    return;
  }
  TFileStream in(InFileName, fmOpenRead | fmShareDenyWrite);
  TFileStream out(OutFileName, fmCreate);
  CopyWithCRLF(in, out);
  out.Flush();
}

// =================================================================================================
// Reading an open text file

String ReadNextWordInTextFile(TTextFile& TextFile) {
  String word;
  Char c = 0;
  do {
    if (!TextFile.ReadChar(c)) return word;
  } while (c <= 32);
  do {
    word += c;
  } while (TextFile.ReadChar(c) && c > 32);
  return word;
}

TStrArray ReadLastNLinesOfTextFile(TTextFile& TextFile, int32_t N, int32_t& NumLines) {
  NumLines = 0;
  TextFile.Rewind();
  // The ring grows with the lines read, so that a large N costs memory only for the result.
  const size_t slots = N < 1 ? 0 : static_cast<size_t>(N);
  std::vector<String> ring;
  int64_t count = 0;
  String line;
  while (!TextFile.Eof()) {
    TextFile.ReadLn(line);
    if (slots != 0) {
      const auto slot = static_cast<size_t>(count % static_cast<int64_t>(slots));
      if (slot == ring.size()) {
        ring.push_back(std::move(line));
      } else {
        ring[slot].swap(line);
      }
    }
    ++count;
  }
  TextFile.Rewind();
  NumLines = ClampCount(count);
  TStrArray result(slots);
  // Oldest first: with fewer lines than slots the empty slots come before the lines read.
  const size_t filled = ring.size();
  const size_t next =
      filled < slots || slots == 0 ? 0 : static_cast<size_t>(count % static_cast<int64_t>(slots));
  for (size_t i = 0; i < filled; ++i) {
    result[slots - filled + i] = std::move(ring[(next + i) % filled]);
  }
  return result;
}

TStrArray ReadLastNLinesOfTextFile(StringView FileName, int32_t N, int32_t& NumLines) {
  TTextFile file(FileName, tfmRead);
  return ReadLastNLinesOfTextFile(file, N, NumLines);
}

int32_t CountLinesInTextFile(TTextFile& TextFile, TFeedbackProc Feedback) {
  constexpr int64_t kFeedbackEvery = 1000;
  TextFile.Rewind();
  int64_t count = 0;
  while (!TextFile.Eof()) {
    TextFile.ReadLnBytes();
    ++count;
    if (Feedback != nullptr && count % kFeedbackEvery == 0) {
      Feedback(nullptr, static_cast<double>(count), 0);
    }
  }
  TextFile.Rewind();
  return ClampCount(count);
}

namespace {

// Counts the lines of a file as the text file reads them, in large blocks instead of line by
// line: every LF ends a line, so does every CR that no LF follows, and a last byte that is
// neither ends one more. memchr finds the line-end bytes at the speed of memory.
class TLineCounter {
 public:
  explicit TLineCounter(TFeedbackProc Feedback) : FFeedback(Feedback) {}

  void Add(const uint8_t* P, size_t N) {
    if (N == 0) return;
    const uint8_t* const end = P + N;
    if (FPendingCR) FLines += *P != kLF ? 1 : 0;
    FPendingCR = false;
    for (const uint8_t* q = P; (q = Find(q, end, kLF)) != nullptr; ++q) ++FLines;
    for (const uint8_t* q = P; (q = Find(q, end, kCR)) != nullptr; ++q) {
      if (q + 1 == end) {
        FPendingCR = true;  // the next block tells whether a LF follows
      } else {
        FLines += q[1] != kLF ? 1 : 0;
      }
    }
    FLastEndsLine = end[-1] == kLF || end[-1] == kCR;
    Report();
  }

  int64_t Finish() {
    if (FPendingCR || !FLastEndsLine) ++FLines;
    FPendingCR = false;
    FLastEndsLine = true;
    Report();
    return FLines;
  }

 private:
  static const uint8_t* Find(const uint8_t* P, const uint8_t* End, uint8_t B) noexcept {
    return static_cast<const uint8_t*>(std::memchr(P, B, static_cast<size_t>(End - P)));
  }

  // The feedback for every thousandth line counted since the last report, in order.
  void Report() {
    for (; FFeedback != nullptr && FNextReport <= FLines; FNextReport += kFeedbackEvery) {
      FFeedback(nullptr, static_cast<double>(FNextReport), 0);
    }
  }

  static constexpr int64_t kFeedbackEvery = 1000;
  TFeedbackProc FFeedback;
  int64_t FLines = 0;
  int64_t FNextReport = kFeedbackEvery;
  bool FPendingCR = false;
  bool FLastEndsLine = true;  // also for an empty file
};

}  // namespace

int32_t CountLinesInTextFile(StringView FileName, TFeedbackProc Feedback) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
  constexpr size_t kBlock = size_t{256} << 10;
  std::unique_ptr<uint8_t[]> block(new uint8_t[kBlock]);
  TLineCounter counter(Feedback);
  for (;;) {
    const int64_t n = file.Read(block.get(), static_cast<int64_t>(kBlock));
    if (n <= 0) break;
    counter.Add(block.get(), static_cast<size_t>(n));
  }
  return ClampCount(counter.Finish());
}

// =================================================================================================
// Recognising and searching files

TTextfileType CheckTextFileType(StringView FileName) {
  uint8_t b[4] = {};
  int64_t got = 0;
  {
    TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
    while (got < 4) {
      const int64_t n = file.Read(b + got, 4 - got);
      if (n <= 0) break;
      got += n;
    }
  }
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return tftUTF8;
  // The zeros of FF FE 00 00 must be in the file: a file of the two bytes FF FE is UTF-16.
  if (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0 && got == 4) return tftUnicode4_le;
  if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return tftRTF;
  return tftUnknown;
}

int32_t DetectStringInFile(StringView FileName, StringView SearchText, bool IgnoreCase,
                           int32_t MaxChars) {
  TTextFile file(FileName, tfmRead);
  if (SearchText.empty()) return 0;
  const String search = IgnoreCase ? detail::SimpleLowerText(SearchText) : String(SearchText);
  int64_t count = 0;
  String line;
  while (count < MaxChars && !file.Eof()) {
    file.ReadLn(line);
    if (IgnoreCase) {
      for (Char& c : line) c = detail::SimpleLower(c);
    }
    const size_t at = line.find(search);
    if (at != String::npos) {
      count += static_cast<int64_t>(at) + 1;
      return count <= MaxChars ? static_cast<int32_t>(count) : 0;
    }
    count += static_cast<int64_t>(line.size());
  }
  return 0;
}

int32_t FindFirstMatchInTextFile(StringView FileName, StringView SearchText, bool IgnoreCase,
                                 String& Line) {
  Line.clear();
  TTextFile file(FileName, tfmRead);
  if (SearchText.empty()) return 0;
  const String search = IgnoreCase ? LocaleLowerCase(SearchText) : String(SearchText);
  String line;
  while (!file.Eof()) {
    file.ReadLn(line);
    // Lines hold ANSI characters, whose lower case is one character each: positions match.
    const size_t at = IgnoreCase ? LocaleLowerCase(line).find(search) : line.find(search);
    if (at != String::npos) {
      Line = std::move(line);
      return static_cast<int32_t>(at) + 1;
    }
  }
  return 0;
}

// =================================================================================================
// ASC data header

namespace {

// The four flag words of line 4 into the flags: 0, or -3 when one of the first three is neither
// TRUE nor FALSE (the flags before it are set then).
int32_t ReadASCFlags(StringView Line, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  Flag1 = Flag2 = Flag3 = Flag4 = false;
  String text(Line);
  std::replace(text.begin(), text.end(), u'\t', u' ');
  text = detail::SimpleUpperText(text);
  StringView rest = detail::TrimBlanksView(text);
  for (bool* flag : {&Flag1, &Flag2, &Flag3}) {
    if (rest.starts_with(u"TRUE")) {
      *flag = true;
      rest.remove_prefix(4);
    } else if (rest.starts_with(u"FALSE")) {
      *flag = false;
      rest.remove_prefix(5);
    } else {
      return -3;
    }
    rest = detail::TrimBlanksView(rest);
  }
  Flag4 = rest.starts_with(u"TRUE");
  return 0;
}

// The file form's number: TTextFile's integer reader, with "no number" and "no more text" taken
// as unreadable (false, Value 0) instead of raised; then the rest of the line is skipped.
bool ReadASCNumber(TTextFile& File, int32_t& Value) {
  bool ok = true;
  try {
    Value = File.ReadInteger();
  } catch (const EInOutError& e) {
    if (e.ErrorCode() != ioInvalidNumber && e.ErrorCode() != ioReadPastEnd) throw;
    Value = 0;
    ok = false;
  }
  File.ReadLnBytes();
  return ok && Value > 0;
}

// A line of the stream: up to and including the next LF, without the CR LF or LF that ends it
// (a lone CR is a character of the line).
String ReadStreamLine(TStream& Stream) {
  bool end = false;
  return ReadLnStream(Stream, end, 0);
}

// The stream form's number: ScanStreamDecimal, then the rest of its line, unless the byte that
// ended the number was the line's LF (skipping on would lose the next line).
bool ReadASCNumber(TStream& Stream, int32_t& Value) {
  const int64_t before = Stream.Position();
  Value = ScanStreamDecimal(Stream);
  uint8_t ender = 0;
  if (Stream.Position() > before) {
    Stream.Seek(-1, soCurrent);
    Stream.NextByte(ender);
  }
  if (ender != kLF) ReadStreamLine(Stream);
  return Value > 0;
}

// The steps both forms share, over a reader of lines and one of numbers.
template <class TReadLine, class TReadNumber>
int32_t ReadASCHeader(TReadLine ReadLine, TReadNumber ReadNumber, String& Comment, int32_t& Number1,
                      int32_t& Number2, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  int32_t code = 0;
  Comment = ReadLine();
  if (Comment.find(u'\n') != String::npos) code = -4;
  if (!ReadNumber(Number1)) code = -1;
  if (code == 0 && !ReadNumber(Number2)) code = -2;
  if (code != 0) return code;
  return ReadASCFlags(ReadLine(), Flag1, Flag2, Flag3, Flag4);
}

}  // namespace

int32_t ReadHeaderOfASC(StringView FileName, String& Comment, int32_t& Number1, int32_t& Number2,
                        bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  TTextFile file(FileName, tfmRead);
  return ReadASCHeader([&] { return file.ReadLn(); },
                       [&](int32_t& Value) { return ReadASCNumber(file, Value); }, Comment, Number1,
                       Number2, Flag1, Flag2, Flag3, Flag4);
}

int32_t ReadHeaderOfASC(TStream& Stream, String& Comment, int32_t& Number1, int32_t& Number2,
                        bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  return ReadASCHeader([&] { return ReadStreamLine(Stream); },
                       [&](int32_t& Value) { return ReadASCNumber(Stream, Value); }, Comment,
                       Number1, Number2, Flag1, Flag2, Flag3, Flag4);
}

}  // namespace xan
