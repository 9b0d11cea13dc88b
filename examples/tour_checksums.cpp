// Tour section: CRC-16, CRC-32 and SHA-1 checksums, and Base64 and ASCII85 between streams.
#include <cstdio>
#include <iostream>
#include <string>

#include "tour.h"
#include "xan/dstruct.h"

namespace {

std::string Hex(uint32_t v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
  return buf;
}

}  // namespace

void tour::Checksums() {
  using namespace xan;
  Heading("Checksums and encodings: CRC, SHA-1, Base64, ASCII85");
  const TBytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  std::cout << "  CRC16ofBuffer(\"123456789\", 9, crcZModem) => "
            << Hex(CRC16ofBuffer(check, 9, crcZModem), 4)
            << "\n  CRC16ofBuffer(\"123456789\", 9, crcCCITT)  => "
            << Hex(CRC16ofBuffer(check, 9, crcCCITT), 4)
            << "\n  CRC32ofBuffer(\"123456789\", 9)            => "
            << Hex(CRC32ofBuffer(check, 9), 8) << "\n";

  TStringStream abc(u"abc");
  Show("SHA1DigestToHex(SHA1FromStream(\"abc\"))", SHA1DigestToHex(SHA1FromStream(abc)));
  Show("SHA1DigestToHex(SHA1FromString(u\"abc\")), all six bytes",
       SHA1DigestToHex(SHA1FromString(u"abc")));

  TStringStream man(u"Man"), base64;
  EncodeBase64(man, base64, false);
  Show("EncodeBase64(\"Man\")", base64.DataString());
  base64.SetPosition(0);
  TStringStream decoded;
  const int32_t status = DecodeBase64(base64, decoded);
  Show("DecodeBase64(\"TWFu\")", decoded.DataString());
  std::cout << "    status " << status << "\n";

  TStringStream abcd(u"ABCD"), ascii85;
  EncodeASCII85(abcd, ascii85, true);
  Show("EncodeASCII85(\"ABCD\")", ascii85.DataString());
  TStringStream broken(u"!!z!!~>"), out;
  std::cout << "  DecodeASCII85(\"!!z!!~>\") => status " << DecodeASCII85(broken, out)
            << " (a \"z\" inside a group)\n";
}
