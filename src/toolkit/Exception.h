#pragma once
// The exception hierarchy of the framework layer. Every exception the system
// raises derives from Exception and carries a UTF-16 message.
#include <cstdint>
#include <exception>
#include <string>

namespace ts {

class Exception : public std::exception {
public:
  explicit Exception(std::wstring message);
  ~Exception() override;

  const std::wstring& Message() const noexcept { return fMessage; }
  void SetMessage(std::wstring message);
  // The message as UTF-8, for code that only knows std::exception.
  const char* what() const noexcept override { return fNarrow.c_str(); }

private:
  std::wstring fMessage;
  std::string fNarrow;
};

// Silent exception: aborts an operation without any message being shown.
class EAbort : public Exception { public: using Exception::Exception; };
class EOutOfMemory : public Exception { public: using Exception::Exception; };
class EListError : public Exception { public: using Exception::Exception; };
class EStringListError : public Exception { public: using Exception::Exception; };
class EConvertError : public Exception { public: using Exception::Exception; };
class EInvalidOperation : public Exception { public: using Exception::Exception; };
class EComponentError : public Exception { public: using Exception::Exception; };
class EInvalidArgument : public Exception { public: using Exception::Exception; };

// A failed platform call, with its Win32 error code.
class EOSError : public Exception {
public:
  EOSError(std::wstring message, uint32_t errorCode);
  uint32_t ErrorCode() const noexcept { return fErrorCode; }
private:
  uint32_t fErrorCode;
};

// A failed input or output operation, with its error code.
class EInOutError : public Exception {
public:
  EInOutError(std::wstring message, int32_t errorCode) : Exception(std::move(message)), fErrorCode(errorCode) {}
  int32_t ErrorCode() const noexcept { return fErrorCode; }
private:
  int32_t fErrorCode;
};

// A failed COM call, with its HRESULT.
class EOleSysError : public Exception {
public:
  EOleSysError(std::wstring message, int32_t errorCode);
  int32_t ErrorCode() const noexcept { return fErrorCode; }
private:
  int32_t fErrorCode;
};

// Raises EOSError for the thread's last error (or the given code).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(uint32_t errorCode);
// Raises EOleSysError for a failed HRESULT; does nothing for success codes.
void OleCheck(int32_t result);

// Abort the current operation silently.
[[noreturn]] void Abort();

std::string WideToUtf8(const std::wstring& text);

}  // namespace ts
