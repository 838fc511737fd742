#include <gtest/gtest.h>

#include <vector>

#include "platform/cp1252.h"
#include "platform/embedded_assets.h"
#include "platform/png_image.h"

namespace {

TEST(Cp1252, ConvertsToUtf8) {
  EXPECT_EQ(platform::Cp1252ToUtf8("Lauf 1 : 2,00 ( \xB1 0,50 )"),
            "Lauf 1 : 2,00 ( \xC2\xB1 0,50 )");
  EXPECT_EQ(platform::Cp1252ToUtf8("\x80\x9F\xE4\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xA4\xC3\xBF");
  EXPECT_EQ(platform::Cp1252ToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(EmbeddedPictures, DecodeWithTheirSizesAndAlpha) {
  struct Row {
    const char* name;
    int width;
    int height;
    bool opaque;  // every pixel opaque, or transparent corners
  };
  const Row rows[] = {
      {"splash", 400, 225, true},     {"hint_icon", 48, 48, false},
      {"results_icon", 48, 48, false}, {"app_16", 16, 16, false},
      {"app_128", 128, 128, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::RgbaImage image;
    ASSERT_TRUE(platform::DecodePng(platform::EmbeddedAsset(row.name), image));
    EXPECT_EQ(image.width, row.width);
    EXPECT_EQ(image.height, row.height);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(row.width) * row.height * 4);
    if (row.opaque) {
      for (std::size_t i = 3; i < image.pixels.size(); i += 4) ASSERT_EQ(image.pixels[i], 255);
    } else {
      EXPECT_EQ(image.pixels[3], 0);                       // top-left corner
      EXPECT_EQ(image.pixels[image.pixels.size() - 1], 0);  // bottom-right corner
    }
  }
}

TEST(EmbeddedPictures, MalformedBytesAreRejected) {
  const std::span<const unsigned char> splash = platform::EmbeddedAsset("splash");
  ASSERT_GT(splash.size(), 100u);
  std::vector<unsigned char> truncated(splash.begin(), splash.begin() + splash.size() / 2);
  std::vector<unsigned char> garbage(splash.begin(), splash.end());
  for (std::size_t i = 40; i < garbage.size(); i += 7) garbage[i] ^= 0x5A;
  const std::vector<unsigned char> notPng{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  platform::RgbaImage image;
  EXPECT_FALSE(platform::DecodePng(truncated, image));
  EXPECT_FALSE(platform::DecodePng(garbage, image));
  EXPECT_FALSE(platform::DecodePng(notPng, image));
  EXPECT_FALSE(platform::DecodePng({}, image));
  EXPECT_TRUE(platform::EmbeddedAsset("no such picture").empty());
}

}  // namespace
