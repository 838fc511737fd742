#pragma once

#include <cstdint>

namespace platform {

// A millisecond clock: an unsigned 32-bit count from an arbitrary origin that wraps
// after 2^32 ms. Differences of two readings are taken modulo 2^32 and read as signed.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t NowMs() = 0;
};

// Signed 32-bit difference later - earlier, correct across the wrap.
inline std::int32_t ElapsedMs(std::uint32_t later, std::uint32_t earlier) {
  return static_cast<std::int32_t>(later - earlier);
}

}  // namespace platform
