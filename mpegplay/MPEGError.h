#pragma once
// TMPEGError: every failure of the MPEG player and of the decoder library it
// drives reaches the application as one of these.

#include <cstdint>
#include <string>

#include "Exceptions.h"

class TMPEGError : public Exception {
 public:
  // ErrorCode 0.
  explicit TMPEGError(std::string message);
  TMPEGError(std::string message, uint8_t errorCode);

  // The error for a code the library reported: the message of that code, and
  // its low byte as ErrorCode. Codes 0 and below give the code-0 message
  // ("MPEG library not loaded") with ErrorCode 0; codes above 5, for which the
  // library names no meaning, give "Internal decoder error".
  static TMPEGError FromCode(int32_t code);

  const char* ClassName() const override { return "TMPEGError"; }

  uint8_t ErrorCode;
};

// The fixed message texts, indexed by the library's error codes 0 to 5.
// REQUIRES: 0 <= code <= 5.
const char* MPEGErrorMessage(int code);

// Messages the player raises itself beside the table.
inline constexpr const char* kMPEGCannotLoad = "Can't load MPEG library";
inline constexpr const char* kMPEGNoStream = "Can't play non-specified stream";
inline constexpr uint8_t kMPEGNoStreamCode = 254;
inline constexpr uint8_t kMPEGNotLoadedCode = 0;
inline constexpr uint8_t kMPEGIncorrectModeCode = 2;
