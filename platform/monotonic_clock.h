#pragma once

#include "platform/clock.h"

namespace platform {

// CLOCK_MONOTONIC in whole milliseconds, truncated to 32 bits.
class MonotonicClock final : public Clock {
 public:
  std::uint32_t NowMs() override;
};

}  // namespace platform
