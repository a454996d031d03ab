#pragma once

#include <cstdint>

namespace boxwander {

// The host's 32-bit error codes. Host calls' own codes are passed on unchanged.
using ErrorCode = std::int32_t;

inline constexpr ErrorCode kErrNone = 0;
inline constexpr ErrorCode kErrOutOfMemory = 4;
// The effect's own code for input and output buffers that do not fit together.
inline constexpr ErrorCode kErrMismatchedBuffers = 255;
inline constexpr ErrorCode kErrInternalStructDamaged = 512;
inline constexpr ErrorCode kErrBadCallbackParam = 516;

}  // namespace boxwander
