#include "Screenshot.h"

#include <cstdio>
#include <fstream>

#include "Handles.h"
#include "ports/Failure.h"

namespace brivanto::win32ui {
namespace {

constexpr WORD kBitsPerPixel = 32;

BITMAPINFO TopDownBitmap(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

RgbPicture FromBgrx(const std::uint8_t* bits, int width, int height) {
  RgbPicture picture{width, height, {}};
  const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  picture.pixels.reserve(count * 3);
  for (std::size_t pixel = 0; pixel < count; ++pixel) {
    const std::uint8_t* bgrx = bits + pixel * 4;
    picture.pixels.insert(picture.pixels.end(), {bgrx[2], bgrx[1], bgrx[0]});
  }
  return picture;
}

// A file left half written is no picture: it goes. One that could not be opened is not ours.
bool WriteWholeFile(const std::string& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return false;
  }
  out << bytes;
  out.close();
  if (out) {
    return true;
  }
  // The caller hears of the failure already; a file that cannot be removed either stays.
  static_cast<void>(std::remove(file.c_str()));
  return false;
}

}  // namespace

std::optional<RgbPicture> CaptureWindow(HWND window) {
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) {
    return std::nullopt;
  }
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const WindowDc screen(nullptr);
  const UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
  BITMAPINFO info = TopDownBitmap(width, height);
  void* bits = nullptr;
  const UniqueBitmap bitmap(
      ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap || bits == nullptr) {
    return std::nullopt;
  }
  const Selection selected(memory.get(), bitmap.get());
  // Copied from the screen, as the user sees it: PrintWindow leaves the child controls out
  // under Wine.
  ::UpdateWindow(window);
  if (!::BitBlt(memory.get(), 0, 0, width, height, screen.Get(), bounds.left, bounds.top,
                SRCCOPY)) {
    return std::nullopt;
  }
  return FromBgrx(static_cast<const std::uint8_t*>(bits), width, height);
}

bool SaveWindowPicture(HWND window, const std::string& file) {
  const auto picture = CaptureWindow(window);
  if (!picture) {
    return false;
  }
  // Encoded before the file is opened, so a failing encoder leaves an existing file as it was.
  std::string png;
  try {
    png = EncodePng(*picture);
  } catch (const Failure&) {
    return false;
  }
  return WriteWholeFile(file, png);
}

}  // namespace brivanto::win32ui
