// The exception the platform raises for a host error number: the same message on every host,
// with the host's own description of the number.
#pragma once

#include <utility>

#include "xan/platform/exceptions.h"
#include "xan/platform/strings.h"

namespace xan::detail {

// Raises E (EInOutError or a class derived from it) with the message
// Action + " \"" + FileName + "\": " + Description, and Err as ErrorCode().
template <class E>
[[noreturn]] void RaiseHostError(int Err, StringView Action, StringView FileName,
                                 StringView Description) {
  String message(Action);
  message += u" \"";
  message += FileName;
  message += u"\": ";
  message += Description;
  throw E(std::move(message), Err);
}

}  // namespace xan::detail
