// Fuzz target: the number scanners: decimal and floating-point numbers on streams, hexadecimal
// numbers in text, and the feature matrix's checks of integer and floating-point values, whose
// setter and getter must agree on what a number is.
#include <cmath>

#include "fuzz_support.h"
#include "xan/dstruct/featurematrix.h"
#include "xan/streams/primitives.h"
#include "xan/stringl/conversions.h"
#include "xan/stringl/number_format.h"
#include "xan/univconst.h"
#include "xan/xanbase.h"

namespace {

void Streams(std::string_view bytes) {
  xan::TStringStream s(bytes);
  for (int guard = 0; s.Position() < s.Size(); ++guard) {
    FUZZ_CHECK(guard <= static_cast<int>(bytes.size()), "ScanStreamDecimal does not move on");
    xan::ScanStreamDecimal(s);
  }
  for (const bool exp : {false, true}) {
    for (int32_t point = 0; point <= 3; ++point) {
      xan::TStringStream f(bytes);
      for (int guard = 0; f.Position() < f.Size(); ++guard) {
        FUZZ_CHECK(guard <= static_cast<int>(bytes.size()), "ScanStreamFPNum does not move on");
        const double x = xan::ScanStreamFPNum(f, exp, point);
        FUZZ_CHECK(!std::isnan(x) && std::fabs(x) <= static_cast<double>(xan::uc_MaxDouble),
                   "ScanStreamFPNum beyond its range");
      }
    }
  }
}

void Hex(const xan::String& text) {
  for (int32_t pos = 1; pos <= static_cast<int32_t>(text.size());) {
    const int32_t before = pos;
    xan::ScanHexNumber(text, pos);
    FUZZ_CHECK(pos >= before && pos <= static_cast<int32_t>(text.size()) + 1,
               "ScanHexNumber leaves pos outside the text");
    pos = pos == before ? pos + 1 : pos;
  }
}

// A text the integer check lets in reads as an integer (or is beyond 64 bits); one the
// floating-point check lets in reads as a number.
void FeatureChecks(const xan::String& text) {
  xan::TFeatureMatrix m;
  m.Resize(2, 1);
  m.SetFeatType(1, 1, xan::fkInteger);
  m.SetFeatType(2, 2, xan::fkDouble);
  try {
    m.SetFeatValStr(1, 1, text);
    try {
      m.GetFeatValInt(1, 1);
    } catch (const xan::EConvertError&) {
      // beyond the 64-bit range, as documented
    } catch (const xan::EXANDStructError&) {
      FUZZ_CHECK(text.empty(), "an integer the setter took is refused by the getter");
    }
  } catch (const xan::EXANDStructError&) {
  }
  try {
    m.SetFeatValStr(2, 1, text);
    try {
      m.GetFeatValDouble(2, 1);
    } catch (const xan::EConvertError&) {
      // a number followed by other text, as documented
    } catch (const xan::EXANDStructError&) {
      FUZZ_CHECK(text.empty(), "a number the setter took is refused by the getter");
    }
  } catch (const xan::EXANDStructError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Streams(bytes);
  const xan::String text = xan::BytesToString(bytes.substr(0, 256));
  Hex(text);
  FeatureChecks(text);
  xan::StrToTriState(text);
  return 0;
}
