// Simple case ("A".."Z" and "a".."z" only) under the names the string unit's users know, in
// namespace xan; the functions themselves are the shared ones of platform/simple_text.h.
#pragma once

#include "platform/simple_text.h"

namespace xan {

using detail::SimpleLower;
using detail::SimpleLowerText;
using detail::SimpleUpper;
using detail::SimpleUpperText;

}  // namespace xan
