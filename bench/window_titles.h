#pragma once

#include <string_view>

namespace bench {

// Window number of the splash and, later, the benchmark window.
inline constexpr int kMainWindow = 0;

inline constexpr std::string_view kWindowTitle = "Grafikkarten-Benchmark | Tessolar";
// Followed by the run's progress in percent and " %".
inline constexpr std::string_view kProgressTitlePrefix = "Grafikkarten-Benchmark | Tessolar - ";

}  // namespace bench
