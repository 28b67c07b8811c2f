#include "MPEGError.h"

#include <cassert>
#include <utility>

namespace {

const char* const kMessages[] = {
    "MPEG library not loaded",       // 0
    "Internal decoder error",        // 1
    "Incorrect mode",                // 2
    "Input stream error",            // 3
    "Input stream is non-seekable",  // 4
    "Output device failure",         // 5
};
constexpr int kMessageCount = static_cast<int>(sizeof kMessages / sizeof kMessages[0]);

}  // namespace

const char* MPEGErrorMessage(int code) {
  assert(code >= 0 && code < kMessageCount);
  return kMessages[code];
}

TMPEGError::TMPEGError(std::string message) : Exception(std::move(message)), ErrorCode(0) {}

TMPEGError::TMPEGError(std::string message, uint8_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}

TMPEGError TMPEGError::FromCode(int32_t code) {
  if (code <= 0) return TMPEGError(MPEGErrorMessage(0), 0);
  const char* message = code < kMessageCount ? MPEGErrorMessage(code) : MPEGErrorMessage(1);
  return TMPEGError(message, static_cast<uint8_t>(code & 0xFF));
}
