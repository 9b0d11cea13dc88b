// The table of the xan tool's subcommands: one line each, in the order --help lists them.
#include "tool.h"

namespace xantool {

// Each subcommand's Setup, defined in its cmd_*.cpp file.
Action SetupCrc32(CLI::App& sub);
Action SetupCrc16(CLI::App& sub);
Action SetupSha1(CLI::App& sub);
Action SetupBase64(CLI::App& sub);
Action SetupAscii85(CLI::App& sub);
Action SetupRle(CLI::App& sub);
Action SetupColor(CLI::App& sub);
Action SetupPalette(CLI::App& sub);
Action SetupMarks(CLI::App& sub);
Action SetupGrep(CLI::App& sub);
Action SetupFmt(CLI::App& sub);
Action SetupFeatmat(CLI::App& sub);
Action SetupCpuid(CLI::App& sub);
Action SetupHtml(CLI::App& sub);
Action SetupUrl(CLI::App& sub);
Action SetupTree(CLI::App& sub);
Action SetupPassword(CLI::App& sub);

namespace {
constexpr Command kCommands[] = {
    {"crc32", "CRC-32 of files, as sha1sum lists them (-c checks a list)", SetupCrc32},
    {"crc16", "CRC-16 of files (XMODEM, or CCITT-FALSE with --ccitt)", SetupCrc16},
    {"sha1", "SHA-1 of files, as sha1sum lists them (-c checks a list)", SetupSha1},
    {"base64", "Base64: encode or decode a file or standard input", SetupBase64},
    {"ascii85", "ASCII85: encode or decode a file or standard input", SetupAscii85},
    {"rle", "Run-length coding (lead-in byte 165): encode or decode", SetupRle},
    {"color", "A colour in every model, with its name or the nearest named colour", SetupColor},
    {"palette", "A palette of key colours spread over n colours: a palette file or a PNG strip",
     SetupPalette},
    {"marks", "Every data-point mark drawn into a PNG image", SetupMarks},
    {"grep", "Lines that match a pattern of the library's matcher", SetupGrep},
    {"fmt", "A number in a field of fixed width and decimals", SetupFmt},
    {"featmat", "Load a feature-matrix file and report on it", SetupFeatmat},
    {"cpuid", "What the processor says about itself", SetupCpuid},
    {"html", "Fill a template's <#name> tags with values", SetupHtml},
    {"url", "Percent-encode or decode text", SetupUrl},
    {"tree", "Copy, count, delete or trash directory trees", SetupTree},
    {"password", "Pronounceable passwords", SetupPassword},
};
}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

}  // namespace xantool
