#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// A decoded picture: width x height pixels, row by row from the top, each pixel the bytes
// R, G, B, A in memory with straight (not premultiplied) alpha.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Decodes PNG bytes of any colour type and depth with libpng; false on malformed data.
bool DecodePng(std::span<const unsigned char> png, RgbaImage& image);

}  // namespace platform
