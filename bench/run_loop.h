#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/test_scene.h"
#include "platform/clock.h"
#include "platform/toolkit.h"

namespace bench {

inline constexpr std::int32_t kDefaultRunDurationMs = 10000;
inline constexpr int kFramesPerSample = 20;

// What the runs of one program start share.
struct RunState {
  std::int32_t RunDurationMs = kDefaultRunDurationMs;
  std::int32_t RunNumber = 0;       // 1-based number of the current run; never reset
  std::vector<float> FrameSamples;  // ms per frame, mean of one block of 20 frames each
};

// Reads a whole number the lenient way: blanks and TABs skipped, one optional sign,
// "$" for hexadecimal, "%" for binary, digits up to the first other character, 64-bit
// wrap-around; no digits give 0. It never fails.
std::int64_t ReadLenientInteger(std::string_view text);

// Run length from the first command-line argument (nullptr when there is none): seconds
// times 1000, wrapped to a signed 32-bit count of milliseconds; missing or empty gives 10000.
std::int32_t ReadRunDuration(const char* firstArgument);

// elapsed * 100 / duration in 32-bit floats, capped at 100 (not capped below).
float ProgressPercent(std::int32_t elapsedMs, std::int32_t durationMs);

// The percentage as the title writes it: nearest integer, ties to even. Not-a-number,
// which only a zero-length run whose one frame took under a millisecond produces (0 / 0),
// is written as 0: no time has passed.
std::int64_t ProgressInteger(float percent);

// "Grafikkarten-Benchmark | Tessolar - " + integer + " %".
std::string ProgressTitle(float percent);

// One timed run in `window`: frames back to back until RunDurationMs have passed (at least
// one frame), the progress title after every frame, a sample every 20 frames, one
// non-blocking event poll per frame. Returns 1 when the time is up, 0 when a close request
// or shortcut 1 (Escape) asked to stop.
int PerformRun(RunState& state, TestScene& scene, platform::Toolkit& toolkit,
               platform::Clock& clock, int window);

}  // namespace bench
