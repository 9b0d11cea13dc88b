// Subcommand fmt: a number formatted by the library's base formatter strff (fixed or exponent
// form in a field of known width), or with a forced plus sign.
#include <CLI/CLI.hpp>

#include <charconv>

#include "tool.h"
#include "xan/stringl/number_format.h"

namespace xantool {

namespace fmt_cmd {

struct Options {
  std::string Value, Width, Decimals;
  bool Plus = false;
};

// A number of the command line: decimal or exponent form with "." (any locale), "inf", "nan".
long double ParseValue(std::string_view text) {
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  long double value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
    throw Failure("VALUE: '" + std::string(text) + "' is not a number");
  }
  if (ec == std::errc::result_out_of_range) {
    throw Failure("VALUE: '" + std::string(text) + "' lies beyond the range of numbers");
  }
  return value;
}

int Run(const Options& o) {
  const long double value = ParseValue(o.Value);
  const auto width = static_cast<int32_t>(ParseInteger(o.Width, INT32_MIN, INT32_MAX, "WIDTH"));
  const auto decimals =
      static_cast<int32_t>(ParseInteger(o.Decimals, INT32_MIN, INT32_MAX, "DECIMALS"));
  const xan::String text =
      o.Plus ? xan::strffForcePlus(value, width, decimals) : xan::strff(value, width, decimals);
  Out(xan::ToUtf8(text) + "\n");
  return kExitOk;
}

}  // namespace fmt_cmd

Action SetupFmt(CLI::App& sub) {
  using namespace fmt_cmd;
  auto o = std::make_shared<Options>();
  sub.add_option("VALUE", o->Value, "The number, with '.' as the decimal point")->required();
  sub.add_option("WIDTH", o->Width,
                 "The field width; negative: filled with zeros; 0: as wide as needed")
      ->required();
  sub.add_option("DECIMALS", o->Decimals,
                 "Decimals (fixed form); -2: the short exponent form (E+03); other negative "
                 "values: the long one (E+0003)")
      ->required();
  sub.add_flag("-p,--plus", o->Plus, "Put '+' before numbers that are not negative");
  sub.footer(
      "Examples: 'xan fmt 12.5 8 2' => '   12.50'; 'xan fmt -- -12.5 -9 2' => '-00012.50';\n"
      "'xan fmt 5678.5 11 -2' => ' 5.6785E+03'. Put '--' before a negative VALUE.");
  return [o] { return Run(*o); };
}

}  // namespace xantool
