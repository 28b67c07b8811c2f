#pragma once
// The exception classes every command lets through to the error display.
// Messages are UTF-8 text.

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  // The class name shown by the last-resort display.
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

// A failed checked file operation; ErrorCode is the run-time or platform code.
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int code, std::string path = "")
      : Exception(std::move(message)), ErrorCode(code), Path(std::move(path)) {}
  const char* ClassName() const override { return "EInOutError"; }
  int ErrorCode;
  // The file or folder that failed, where it is not the one the command was
  // given (a temporary folder, a backup); empty otherwise. The window shows
  // the message alone; the command line names it after the message.
  std::string Path;
};

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EInvalidOperation"; }
};

// The silent exception: the error display shows nothing for it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EAbort"; }
};

// The text shown for an exception's message, in the window's error box and
// on the command line alike: a period is added when the text is not empty
// and its last byte sorts above "." (non-ASCII counts as above).
std::string ErrorDisplayText(const std::string& message);

// printf-style formatting into a std::string ("%d", "%s"...).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
