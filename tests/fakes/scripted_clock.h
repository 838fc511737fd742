#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace fakes {

// A clock that moves only when told to: `now` is what the next reading returns.
class ScriptedClock final : public platform::Clock {
 public:
  explicit ScriptedClock(std::uint32_t start = 0) : now(start) {}
  std::uint32_t NowMs() override {
    ++readings;
    return now;
  }
  std::uint32_t now;
  int readings = 0;
};

}  // namespace fakes
