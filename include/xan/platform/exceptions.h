// The platform's exception root and its own errors: I/O, stream, conversion and variant errors.
// The library's errors (EXANError and its unit subclasses) derive from Exception too.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// Base of every exception the library and its platform layer raise. The message is kept as
// text (Message()) and as UTF-8 (what()).
class XAN_EXPORT Exception : public std::exception {
 public:
  explicit Exception(String message);
  ~Exception() override;

  const String& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override;

 private:
  String FMessage;
  std::string FUtf8;
};

// A failed input or output operation of the host: open, read, write, close. ErrorCode() is the
// host's error number (errno on POSIX), or a code of the platform layer where the host gave none.
class XAN_EXPORT EInOutError : public Exception {
 public:
  EInOutError(String message, int32_t errorCode);
  ~EInOutError() override;
  int32_t ErrorCode() const noexcept { return FErrorCode; }

 private:
  int32_t FErrorCode;
};

// A file that cannot be opened (EFOpenError) or created (EFCreateError). ErrorCode() is the
// host's error number.
class XAN_EXPORT EFOpenError : public EInOutError {
 public:
  using EInOutError::EInOutError;
  ~EFOpenError() override;
};
class XAN_EXPORT EFCreateError : public EInOutError {
 public:
  using EInOutError::EInOutError;
  ~EFCreateError() override;
};

// A stream that could not do what was asked of it: EReadError when fewer bytes than demanded
// could be read, EWriteError when not all bytes could be written, EStreamError itself for a
// position or size the stream cannot take. Failures of the host (a disk error, a full disk)
// are raised as EInOutError with the host's error number instead.
class XAN_EXPORT EStreamError : public Exception {
 public:
  using Exception::Exception;
  ~EStreamError() override;
};
class XAN_EXPORT EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
  ~EReadError() override;
};
class XAN_EXPORT EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
  ~EWriteError() override;
};

// A value that cannot be converted, or an object that cannot be copied into another.
class XAN_EXPORT EConvertError : public Exception {
 public:
  using Exception::Exception;
  ~EConvertError() override;
};

// A variant that cannot be converted to the requested type.
class XAN_EXPORT EVariantError : public Exception {
 public:
  using Exception::Exception;
  ~EVariantError() override;
};

}  // namespace xan
