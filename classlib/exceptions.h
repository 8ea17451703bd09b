// The exception classes of the class library. Every error the program raises
// derives from Exception; a message is 8-bit text in the ANSI code page.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

// The silent exception: it unwinds to the nearest boundary, which shows nothing.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
  explicit EAbort(std::string message) : Exception(std::move(message)) {}
};
[[noreturn]] void Abort();

class EOutOfMemory : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EStringListError : public EListError { using EListError::EListError; };
class EComponentError : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EThread : public Exception { using Exception::Exception; };

class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFileStreamError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
class EFCreateError : public EFileStreamError { using EFileStreamError::EFileStreamError; };

// An operating-system error with its code and the system's message for it.
class EOSError : public Exception {
public:
  EOSError(uint32_t code, std::string message)
      : Exception(std::move(message)), code_(code) {}
  uint32_t ErrorCode() const { return code_; }

private:
  uint32_t code_;
};

// A failed COM or shell call: the HRESULT and the system's message for it.
class EOleError : public Exception { using Exception::Exception; };
class EOleSysError : public EOleError {
public:
  explicit EOleSysError(int32_t errorCode);
  EOleSysError(std::string message, int32_t errorCode)
      : EOleError(std::move(message)), code_(errorCode) {}
  int32_t ErrorCode() const { return code_; }

private:
  int32_t code_;
};

// The system's text for an error code (Windows: FormatMessage; natively the C
// library's text), without the trailing line break.
std::string SysErrorMessage(uint32_t code);

// Raises EOSError for the calling thread's last OS error.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(uint32_t code);

// Raises EOleSysError when result is a failure code; returns it otherwise.
int32_t OleCheck(int32_t result);
