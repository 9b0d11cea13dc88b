// A short tour of the library for a newcomer: `./run demo` builds and runs it.
// Each section (examples/tour_<topic>.cpp) shows one part of what the library can do.
#include "tour.h"

#include <iostream>

namespace tour {

std::string PictureDir;

void Show(std::string_view label, xan::StringView value) {
  std::cout << "  " << label << " => \"" << xan::ToUtf8(value) << "\"\n";
}

void Heading(std::string_view title) {
  std::cout << "\n== " << title << "\n";
}

}  // namespace tour

int main(int argc, char** argv) {
  if (argc > 1) tour::PictureDir = argv[1];
  tour::Foundation();
  tour::Labels();
  tour::Graphics();
  tour::Numbers();
  tour::Strings();
  tour::Conversions();
  tour::Grep();
  tour::Streams();
  tour::StringTable();
  tour::FeatureMatrix();
  tour::DataStructures();
  tour::Checksums();
  tour::Colours();
  tour::Html();
  tour::Paths();
  tour::Trees();
  tour::Locations();
  tour::SaveDialog();
  tour::Cpuid();
  return 0;
}
