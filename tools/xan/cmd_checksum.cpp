// Subcommands crc32, crc16 and sha1: the checksum of each file in the form sha1sum writes, and
// the check of such a list; files of any size are read in blocks.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/dstruct/checksums.h"

namespace xantool {

namespace checksum_cmd {

enum class Kind { Crc32, Crc16, Sha1 };

std::string Hex(uint64_t value, int digits) {
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    s[static_cast<size_t>(i)] = "0123456789abcdef"[value & 15];
  return s;
}

// The checksum of a file ("-": standard input) as lower-case hexadecimal digits.
std::string ChecksumOf(const std::string& name, Kind kind, bool ccitt) {
  InputFile file(name, true);
  if (kind == Kind::Sha1) {
    InputStream stream(file);
    std::string hex = xan::ToUtf8(xan::SHA1DigestToHex(xan::SHA1FromStream(stream)));
    for (char& c : hex) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    return hex;
  }
  // Each block continues the register where the one before left it.
  std::vector<uint8_t> block(size_t{1} << 20);
  if (kind == Kind::Crc32) {
    uint32_t crc = 0xFFFFFFFFU;
    while (const size_t n = file.Read(block))
      crc = xan::CalcNextCRC32(std::span(block).first(n), crc);
    return Hex(~crc, 8);
  }
  uint16_t crc = ccitt ? 0xFFFF : 0x0000;
  while (const size_t n = file.Read(block))
    crc = xan::CalcNextCRC16(std::span(block).first(n), crc);
  return Hex(crc, 4);
}

// ------------------------------------------------------------------------------------------------
// The list format: "<digits>  <name>"; a name holding a backslash or a line feed is written
// with them as "\\" and "\n", and the line then begins with a backslash.

std::string ListLine(const std::string& digest, const std::string& name) {
  if (name.find_first_of("\\\n") == std::string::npos) return digest + "  " + name + "\n";
  std::string escaped;
  for (char c : name) escaped += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : std::string(1, c);
  return "\\" + digest + "  " + escaped + "\n";
}

// Reads one line of a list into digest and name; false when it is not such a line.
bool ParseListLine(std::string_view line, size_t digits, std::string& digest, std::string& name) {
  const bool escaped = !line.empty() && line.front() == '\\';
  if (escaped) line.remove_prefix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() < digits + 3 || line[digits] != ' ' ||
      (line[digits + 1] != ' ' && line[digits + 1] != '*')) {
    return false;
  }
  digest.clear();
  for (char c : line.substr(0, digits)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    digest += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  name.clear();
  const std::string_view rest = line.substr(digits + 2);
  for (size_t i = 0; i < rest.size(); ++i) {
    if (escaped && rest[i] == '\\' && i + 1 < rest.size()) {
      ++i;
      if (rest[i] != '\\' && rest[i] != 'n') return false;
      name += rest[i] == 'n' ? '\n' : '\\';
    } else {
      name += rest[i];
    }
  }
  return true;
}

struct Options {
  std::vector<std::string> Files;
  bool Check = false;
  bool Ccitt = false;
};

int Sum(const Options& o, Kind kind) {
  int status = kExitOk;
  for (const std::string& name : o.Files) {
    try {
      Out(ListLine(ChecksumOf(name, kind, o.Ccitt), name));
    } catch (const Failure& e) {
      Complain(e.what());
      status = kExitError;
    }
  }
  return status;
}

int CheckLists(const Options& o, Kind kind) {
  const size_t digits = kind == Kind::Sha1 ? 40 : kind == Kind::Crc32 ? 8 : 4;
  int64_t checked = 0, failed = 0;
  bool error = false;
  for (const std::string& list : o.Files) {
    InputFile file(list);
    LineReader lines(file);
    std::string line, expected, name;
    while (lines.Next(line)) {
      if (!ParseListLine(line, digits, expected, name)) {
        Complain(list + ": line " + std::to_string(lines.LineNumber()) +
                 ": not a line of a checksum list");
        error = true;
        continue;
      }
      ++checked;
      std::string actual;
      try {
        actual = ChecksumOf(name, kind, o.Ccitt);
      } catch (const Failure& e) {
        Complain(e.what());
        Out(name + ": FAILED open or read\n");
        error = true;
        continue;
      }
      const bool same = actual == expected;
      failed += same ? 0 : 1;
      Out(name + (same ? ": OK\n" : ": FAILED\n"));
    }
  }
  if (failed > 0) {
    Complain(std::to_string(failed) + " of " + std::to_string(checked) +
             " checksums did not match");
  }
  return error ? kExitError : failed > 0 ? kExitNo : kExitOk;
}

Action Setup(CLI::App& sub, Kind kind) {
  auto o = std::make_shared<Options>();
  sub.add_option("FILE", o->Files, "Files to read; '-' or none: standard input");
  sub.add_flag("-c,--check", o->Check,
               "Read lists of checksums from the FILEs and check each file named in them");
  if (kind == Kind::Crc16) {
    sub.add_flag("--ccitt", o->Ccitt,
                 "Start the register at FFFF (CRC-16/CCITT-FALSE); the default starts at 0 "
                 "(CRC-16/XMODEM)");
  }
  return [o, kind] {
    if (o->Files.empty()) o->Files.emplace_back("-");
    return o->Check ? CheckLists(*o, kind) : Sum(*o, kind);
  };
}

}  // namespace checksum_cmd

Action SetupCrc32(CLI::App& sub) {
  using namespace checksum_cmd;
  return Setup(sub, Kind::Crc32);
}
Action SetupCrc16(CLI::App& sub) {
  using namespace checksum_cmd;
  return Setup(sub, Kind::Crc16);
}
Action SetupSha1(CLI::App& sub) {
  using namespace checksum_cmd;
  return Setup(sub, Kind::Sha1);
}

}  // namespace xantool
