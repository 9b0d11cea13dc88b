// The mixed file stream: a file stream for files that mix lines of 8-bit text with binary
// integers, doubles and bytes, written and read back in the same order.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace xan {

// A file stream with typed and line-wise reads and writes in the encodings of the stream
// primitives (xan/streams/primitives.h): 8-bit text (the low byte of each character), CR LF after
// written lines, little-endian signed 32-bit integers, IEEE 754 doubles, 10-byte extended values
// and single bytes. It holds nothing beyond the file stream.
//
// A file of WriteLn(u"X=1"), WriteInteger(-2), WriteDouble(0.5), WriteByte(255) holds the 18 bytes
//   58 3D 31 0D 0A  FE FF FF FF  00 00 00 00 00 00 E0 3F  FF
// and reads back with ReadLn(4), ReadInteger, ReadDouble and ReadByte, after which Eos() is true.
class XAN_EXPORT TMixedFStream : public TFileStream {
 public:
  // Opens or creates the file as TFileStream does, with the open mode Mode passed on unchanged
  // (fmCreate, fmOpenRead, ...). Raises EFOpenError or EFCreateError when it cannot.
  TMixedFStream(StringView AFileName, uint16_t Mode);
  // Writes pending output and closes the file.
  ~TMixedFStream() override;

  using TFileStream::Read;
  using TFileStream::Write;

  // True when the position is at or beyond the size.
  bool Eos();

  // ---------------------------------------------------------------------------------------------
  // Writing: each raises the stream's write error when not all bytes could be written.

  // Writes the text as 8-bit text, as WriteStringStream does (no length, no terminator).
  void Write(StringView AString);
  // Writes the text followed by CR LF.
  void WriteLn(StringView AString);
  // Write 4, 8 or 1 bytes.
  void WriteInteger(int32_t aNum);
  void WriteDouble(double aNum);
  void WriteByte(uint8_t aNum);

  // ---------------------------------------------------------------------------------------------
  // Reading: the typed reads never raise. error is false on success; when the bytes cannot all be
  // read (or the file raises), error is true and the value is built from the bytes that were read
  // followed by zero bytes; the bytes that were there are consumed.

  // Reads one line: bytes of code 32 or above, and tabs, are appended as the characters of the
  // same code; every other (control) byte is never appended: it ends the line when it completes
  // the line end of EOLMode (0 LF, 1 CR, 2 CR or LF, 3 CR right after LF, 4 LF right after CR,
  // any other never), and is dropped otherwise. The end of the file ends the line as well; test
  // Eos() to tell it.
  //   ReadLn(0) on "ab" CR LF "cd" => u"ab", u"cd";  ReadLn(2) => u"ab", u"", u"cd"
  //   ReadLn(0) on "a" FF NUL TAB "b" LF => u"a\tb"
  String ReadLn(int32_t EOLMode);

  int32_t ReadInteger(bool& error) noexcept;
  double ReadDouble(bool& error) noexcept;
  long double ReadExtended(bool& error) noexcept;
  uint8_t ReadByte(bool& error) noexcept;

  // Scans a decimal integer from the position, as ScanStreamDecimal does.
  //   " 12 34" => 12, then 34
  int32_t ReadDecimal();
  // Scans a floating-point number from the position, as ScanStreamFPNum does.
  double ReadFPNum(bool AllowExp, int32_t DecPChar);
};

}  // namespace xan
