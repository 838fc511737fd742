// Any bytes as the run-length argument: reading never fails or overflows (UBSan traps on
// signed overflow), and the argument's run length agrees with its lenient reading.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "bench/run_loop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string argument(reinterpret_cast<const char*>(data), size);  // NUL-terminated
  static_cast<void>(bench::ReadLenientInteger(argument));  // every byte, NULs included
  const std::int32_t duration = bench::ReadRunDuration(argument.c_str());

  // As a C string the argument ends at its first NUL.
  const std::string_view asArgument(argument.c_str(), std::strlen(argument.c_str()));
  const auto seconds = static_cast<std::uint64_t>(bench::ReadLenientInteger(asArgument));
  const std::int32_t expected =
      asArgument.empty() ? bench::kDefaultRunDurationMs
                         : static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds * 1000u));
  if (duration != expected) __builtin_trap();
  return 0;
}
