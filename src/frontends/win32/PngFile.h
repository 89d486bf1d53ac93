#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brivanto::win32ui {

// A picture as rows of red, green and blue bytes, top row first.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3
};

// The picture as a PNG file's bytes. The data is stored, not compressed: Windows has no
// compressor at hand, and a picture of one window stays small enough.
std::string EncodePng(const RgbPicture& picture);

}  // namespace brivanto::win32ui
