#include "bench/run_loop.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "bench/window_titles.h"

namespace bench {
namespace {

constexpr int kEscapeShortcut = 1;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Writes the title for `percent` into buf and returns its length; no allocation, since it
// runs once per measured frame.
std::size_t FormatProgressTitle(float percent, char (&buf)[96]) {
  std::size_t n = kProgressTitlePrefix.copy(buf, kProgressTitlePrefix.size());
  const auto result = std::to_chars(buf + n, buf + sizeof buf - 2, ProgressInteger(percent));
  n = static_cast<std::size_t>(result.ptr - buf);
  buf[n++] = ' ';
  buf[n++] = '%';
  return n;
}

}  // namespace

std::int64_t ReadLenientInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == '%') {
    base = 2;
    ++i;
  }
  std::uint64_t value = 0;  // unsigned, so the wrap-around is defined
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (negative) value = ~value + 1;
  return static_cast<std::int64_t>(value);
}

std::int32_t ReadRunDuration(const char* firstArgument) {
  if (firstArgument == nullptr || *firstArgument == '\0') return kDefaultRunDurationMs;
  const auto seconds = static_cast<std::uint64_t>(ReadLenientInteger(firstArgument));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds * 1000u));
}

float ProgressPercent(std::int32_t elapsedMs, std::int32_t durationMs) {
  const float percent =
      static_cast<float>(elapsedMs) * 100.0f / static_cast<float>(durationMs);
  return percent > 100.0f ? 100.0f : percent;
}

std::int64_t ProgressInteger(float percent) {
  if (std::isnan(percent)) return 0;
  // Below the int64 range only -infinity can come (a clock running backwards over a
  // zero-length run); the hardware conversion would give the smallest value there too.
  if (percent < -9.2233720368547758e18f) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::nearbyint(percent));  // ties to even
}

std::string ProgressTitle(float percent) {
  char buf[96];
  return std::string(buf, FormatProgressTitle(percent, buf));
}

int PerformRun(RunState& state, TestScene& scene, platform::Toolkit& toolkit,
               platform::Clock& clock, int window) {
  const std::uint32_t RunStartMs = clock.NowMs();
  std::uint32_t LastSampleMs = RunStartMs;
  state.FrameSamples.clear();
  std::int32_t FrameCount = 0;
  ++state.RunNumber;
  char title[96];
  for (;;) {
    DrawTestFrame(scene);
    ++FrameCount;
    const std::uint32_t NowMs = clock.NowMs();
    const std::int32_t ElapsedMs = platform::ElapsedMs(NowMs, RunStartMs);
    const float ProgressPercentValue = ProgressPercent(ElapsedMs, state.RunDurationMs);
    toolkit.SetWindowTitle(window,
                           std::string_view(title, FormatProgressTitle(ProgressPercentValue, title)));
    if (FrameCount % kFramesPerSample == 0) {
      const auto blockMs = static_cast<float>(platform::ElapsedMs(NowMs, LastSampleMs));
      state.FrameSamples.push_back(blockMs / 20.0f);
      LastSampleMs = NowMs;
    }
    const platform::Event event = toolkit.PollEvent();
    if (event.kind == platform::EventKind::CloseRequest) return 0;
    if (event.kind == platform::EventKind::Shortcut && event.number == kEscapeShortcut) return 0;
    if (ElapsedMs >= state.RunDurationMs) return 1;
  }
}

}  // namespace bench
