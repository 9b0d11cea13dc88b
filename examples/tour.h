// The tour's sections, one per topic of the library, and the helper they print with.
#pragma once

#include <string_view>

#include "xan/platform/strings.h"

namespace tour {

// Prints `  label => "value"`.
void Show(std::string_view label, xan::StringView value);
// Prints a section heading.
void Heading(std::string_view title);

void Foundation();
void Numbers();
void Cpuid();
void Colours();
void Strings();
void DataStructures();
void Grep();
void Conversions();
void Streams();
void StringTable();
void Html();
void FeatureMatrix();
void Checksums();

}  // namespace tour
