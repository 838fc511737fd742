#pragma once

#include <string>
#include <string_view>

namespace platform {

// Code page 1252 bytes as UTF-8 (0x80-0x9F are the Windows punctuation; the five bytes that
// code page leaves undefined map to U+0081 and the like).
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace platform
