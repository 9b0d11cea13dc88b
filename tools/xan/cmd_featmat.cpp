// Subcommand featmat: loads a feature-matrix file with the library and reports its features,
// how many values each has and how many of them do not fit the feature's kind.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>

#include "tool.h"
#include "xan/dstruct/featurematrix.h"

namespace xantool {

namespace featmat_cmd {

constexpr const char* kKindNames[] = {"fkUndefined", "fkInteger", "fkDouble", "fkString",
                                      "fkTriState"};

// Whether the stored text of a value reads as its feature's kind.
bool Fits(const xan::TFeatureMatrix& m, int32_t f, int32_t o, xan::TFeatKind kind) {
  try {
    switch (kind) {
      case xan::fkInteger:
        m.GetFeatValInt(f, o);
        break;
      case xan::fkDouble:
        m.GetFeatValDouble(f, o);
        break;
      case xan::fkTriState:
        m.GetFeatValTriState(f, o);
        break;
      default:
        break;
    }
    return true;
  } catch (const xan::Exception&) {
    return false;
  }
}

std::string Column(std::string text, size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

int Check(const std::string& name) {
  xan::TFeatureMatrix m;
  const int32_t result = m.Load(ReadableFileName(name));
  if (result == -1) throw Failure(SystemError(name, ENOENT));
  if (result == -2) {
    Complain(name + ": not a feature-matrix file: no #featdef or #featvals section");
    return kExitNo;
  }
  std::string text = name + ": " + std::to_string(m.NFeatures()) + " features, " +
                     std::to_string(m.NObjects()) + " objects\n";
  if (m.NFeatures() > 0) text += "  feature  number  kind          values  not valid  name\n";
  int64_t invalid = 0;
  for (int32_t f = 1; f <= m.NFeatures(); ++f) {
    const xan::TFeatMatProps& p = *m.GetFeatProps(f);
    int64_t values = 0, bad = 0;
    if (p.FeatKind != xan::fkUndefined) {
      for (int32_t o = 1; o <= m.NObjects(); ++o) {
        if (m.GetFeatValStr(f, o).empty()) continue;
        ++values;
        bad += Fits(m, f, o, p.FeatKind) ? 0 : 1;
      }
    }
    invalid += bad;
    text += Column(std::to_string(f), 9) + Column(std::to_string(p.FeatNum), 8) + "  " +
            kKindNames[p.FeatKind] + std::string(12 - std::strlen(kKindNames[p.FeatKind]), ' ') +
            Column(p.FeatKind == xan::fkUndefined ? "-" : std::to_string(values), 8) +
            Column(std::to_string(bad), 11) + "  " + xan::ToUtf8(p.FeatName) + "\n";
  }
  Out(text);
  if (result == -3) {
    Complain(name + ": damaged: a line could not be read or converted; shown is what came before");
    return kExitNo;
  }
  if (invalid > 0) {
    Complain(name + ": " + std::to_string(invalid) + (invalid == 1 ? " value does" : " values do") +
             " not fit its feature's kind");
    return kExitNo;
  }
  return kExitOk;
}

}  // namespace featmat_cmd

Action SetupFeatmat(CLI::App& sub) {
  using namespace featmat_cmd;
  auto action = std::make_shared<std::string>();
  auto file = std::make_shared<std::string>();
  sub.add_option("ACTION", *action, "check: load the file and report on it")
      ->required()
      ->check(CLI::IsMember({"check"}));
  sub.add_option("FILE", *file, "A feature-matrix file (#featdef, #featvals, #featend)")
      ->required();
  return [action, file] { return Check(*file); };
}

}  // namespace xantool
