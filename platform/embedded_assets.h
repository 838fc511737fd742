#pragma once

#include <span>
#include <string_view>

namespace platform {

// Bytes of a file from assets/ compiled into the binary, by its short name
// ("splash", "hint_icon", "results_icon", "app_16" ... "app_128"); empty when unknown.
std::span<const unsigned char> EmbeddedAsset(std::string_view name);

}  // namespace platform
