// Any bytes as a settings file: parsing never fails, writing and reading back gives the same
// entries, values read as "%d" would, and a written value is read back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "app/settings_file.h"

namespace {

// The C library's reading of a decimal number, clamped to 32 bits, as the reference.
std::int32_t ReferenceInt(const std::string& value) {
  const long long wide = std::strtoll(value.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long long>(
      wide, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const app::SettingsContent first = app::ParseSettingsText(bytes);
  Check(app::ParseSettingsText(app::SettingsText(first)) == first);

  for (const app::SettingsEntry& entry : first.entries) {
    if (entry.kind != app::SettingsEntryKind::Key) continue;
    // strtoll stops at a NUL, as ReadScanfInt stops at any byte that is no digit.
    Check(app::ReadScanfInt(entry.value) == ReferenceInt(entry.value));
  }

  // Look-up and writing on the parsed entries, without a file. The key is ASCII, the same
  // in both modes.
  app::Settings settings;
  settings.open = true;
  settings.content = first;
  const std::int32_t value = static_cast<std::int32_t>(size * 2654435761u);
  app::WriteSettingInt(settings, app::kHideTipKey, value);
  Check(app::ReadSettingInt(settings, "hIDEtIP", value ^ 1) == value);
  Check(settings.content.entries.size() <= first.entries.size() + 1);
  Check(app::ParseSettingsText(app::SettingsText(settings.content)) == settings.content);
  return 0;
}
