// The tour's sections, one per topic of the library, and the helper they print with.
#pragma once

#include <string>
#include <string_view>

#include "xan/platform/strings.h"

namespace tour {

// Prints `  label => "value"`.
void Show(std::string_view label, xan::StringView value);
// Prints a section heading.
void Heading(std::string_view title);

// Where the sections that draw write their pictures (the tour's first argument, else
// "tour-pictures" in the current directory).
extern std::string PictureDir;

void Foundation();
void Labels();
void Numbers();
void Strings();
void Conversions();
void Grep();
void Streams();
void StringTable();
void FeatureMatrix();
void DataStructures();
void Checksums();
void Colours();
void Html();
void Paths();
void Locations();
void Graphics();
void Trees();
void SaveDialog();
void Cpuid();

}  // namespace tour
