// The mixed file stream: its typed and line-wise operations, in the encodings and with the
// scanners of the stream primitives.
#include "xan/streams/mixed_fstream.h"

#include "xan/streams/primitives.h"
#include "xan_streams/stream_text.h"

namespace xan {

using streams_detail::CompletesLineEnd;

TMixedFStream::TMixedFStream(StringView AFileName, uint16_t Mode) : TFileStream(AFileName, Mode) {}

TMixedFStream::~TMixedFStream() = default;

bool TMixedFStream::Eos() {
  return Position() >= Size();
}

void TMixedFStream::Write(StringView AString) {
  WriteStringStream(*this, AString);
}

void TMixedFStream::WriteLn(StringView AString) {
  WriteLnStream(*this, AString);
}

void TMixedFStream::WriteInteger(int32_t aNum) {
  WriteLongintToStream(*this, aNum);
}

void TMixedFStream::WriteDouble(double aNum) {
  WriteDoubleToStream(*this, aNum);
}

void TMixedFStream::WriteByte(uint8_t aNum) {
  WriteBuffer(&aNum, 1);
}

String TMixedFStream::ReadLn(int32_t EOLMode) {
  String line;
  uint8_t prev = 0;
  uint8_t b = 0;
  while (NextByte(b)) {
    if (b >= 32 || b == '\t') {
      line += static_cast<Char>(b);
    } else if (CompletesLineEnd(EOLMode, b, prev)) {
      break;
    }
    prev = b;
  }
  return line;
}

int32_t TMixedFStream::ReadInteger(bool& error) noexcept {
  return ReadLongintFromStream(*this, error);
}

double TMixedFStream::ReadDouble(bool& error) noexcept {
  return ReadDoubleFromStream(*this, error);
}

long double TMixedFStream::ReadExtended(bool& error) noexcept {
  return ReadExtendedFromStream(*this, error);
}

uint8_t TMixedFStream::ReadByte(bool& error) noexcept {
  uint8_t b = 0;
  try {
    error = Read(&b, 1) != 1;
  } catch (...) {  // a failing file is reported through error
    error = true;
  }
  return b;
}

int32_t TMixedFStream::ReadDecimal() {
  return ScanStreamDecimal(*this);
}

double TMixedFStream::ReadFPNum(bool AllowExp, int32_t DecPChar) {
  return ScanStreamFPNum(*this, AllowExp, DecPChar);
}

}  // namespace xan
