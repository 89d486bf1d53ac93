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

// The picture as a PNG file's bytes, 8-bit RGB, made by the system's own PNG encoder (WIC).
// Throws Failure, numbered with the HRESULT, when the encoder cannot be reached or refuses.
std::string EncodePng(const RgbPicture& picture);

}  // namespace brivanto::win32ui
