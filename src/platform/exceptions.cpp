// The platform's exception root and its own errors. Destructors are defined here so that the
// classes' type information lives in libxan and catches work across the library boundary.
#include "xan/platform/exceptions.h"

#include <utility>

namespace xan {

Exception::Exception(String message) : FMessage(std::move(message)), FUtf8(ToUtf8(FMessage)) {}
Exception::~Exception() = default;
const char* Exception::what() const noexcept {
  return FUtf8.c_str();
}

EInOutError::EInOutError(String message, int32_t errorCode)
    : Exception(std::move(message)), FErrorCode(errorCode) {}
EInOutError::~EInOutError() = default;

EFOpenError::~EFOpenError() = default;
EFCreateError::~EFCreateError() = default;

EStreamError::~EStreamError() = default;
EReadError::~EReadError() = default;
EWriteError::~EWriteError() = default;

EConvertError::~EConvertError() = default;
EVariantError::~EVariantError() = default;

}  // namespace xan
