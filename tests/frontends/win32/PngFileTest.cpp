// The picture's PNG read back through the system's decoder (WIC): the same size and pixels, top
// row first, whichever COM apartment the caller's thread already has, and that apartment left as
// it was.

#include <gtest/gtest.h>

// The other system headers need <windows.h> before them.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>
// clang-format on

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "PngFile.h"
#include "ports/Failure.h"

namespace brivanto::win32test {
namespace {

using Microsoft::WRL::ComPtr;
using win32ui::RgbPicture;

// Every pixel differs from its neighbours in each channel, so a swap of red and blue, a row
// stride or an upside-down picture all show.
RgbPicture Gradient(int width, int height) {
  RgbPicture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.pixels.insert(picture.pixels.end(), {static_cast<std::uint8_t>(x * 7 + y),
                                                   static_cast<std::uint8_t>(y * 13),
                                                   static_cast<std::uint8_t>(255 - x - y * 3)});
    }
  }
  return picture;
}

// What the decoder made of the file, in the picture's own form.
RgbPicture Decode(const std::string& png) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  WICPixelFormatGUID format{};
  UINT width = 0;
  UINT height = 0;
  std::string bytes = png;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.GetAddressOf()))) ||
      FAILED(factory->CreateStream(stream.GetAddressOf())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.GetAddressOf())) ||
      FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(frame->GetPixelFormat(&format)) || FAILED(frame->GetSize(&width, &height)) ||
      !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    return {};
  }
  RgbPicture picture{static_cast<int>(width), static_cast<int>(height),
                     std::vector<std::uint8_t>(std::size_t{width} * height * 3)};
  if (FAILED(frame->CopyPixels(nullptr, width * 3, static_cast<UINT>(picture.pixels.size()),
                               picture.pixels.data()))) {
    return {};
  }
  for (std::size_t offset = 0; offset < picture.pixels.size(); offset += 3) {
    std::swap(picture.pixels[offset], picture.pixels[offset + 2]);
  }
  return picture;
}

struct Outcome {
  std::string failure;
  std::string png;
  HRESULT comAfterwards = E_FAIL;  // CoInitializeEx once the PNG was made
  RgbPicture decoded;
};

// In a thread of its own, so that each case starts without COM.
Outcome EncodeInThread(const RgbPicture& picture, std::optional<DWORD> callerApartment) {
  Outcome outcome;
  std::thread([&] {
    int initialisations = 0;
    if (callerApartment && SUCCEEDED(::CoInitializeEx(nullptr, *callerApartment))) {
      ++initialisations;
    }
    try {
      outcome.png = win32ui::EncodePng(picture);
    } catch (const Failure& failure) {
      outcome.failure = failure.what();
    }
    outcome.comAfterwards =
        ::CoInitializeEx(nullptr, callerApartment.value_or(COINIT_APARTMENTTHREADED));
    initialisations += SUCCEEDED(outcome.comAfterwards) ? 1 : 0;
    outcome.decoded = Decode(outcome.png);
    for (; initialisations > 0; --initialisations) {
      ::CoUninitialize();
    }
  }).join();
  return outcome;
}

TEST(PngFile, ReadsBackAsItWasWhicheverApartmentTheCallerHas) {
  const struct {
    const char* name;
    std::optional<DWORD> callerApartment;
    int width;
    int height;
  } cases[] = {
      {"no COM yet", std::nullopt, 3, 2},
      {"single-threaded apartment", COINIT_APARTMENTTHREADED, 301, 157},
      {"multithreaded apartment", COINIT_MULTITHREADED, 1, 1},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const RgbPicture picture = Gradient(testCase.width, testCase.height);
    const Outcome outcome = EncodeInThread(picture, testCase.callerApartment);
    EXPECT_EQ(outcome.failure, "");
    // 8-bit RGB, as every viewer reads it.
    ASSERT_GE(outcome.png.size(), 26U);
    EXPECT_EQ(outcome.png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(outcome.png[24], 8);
    EXPECT_EQ(outcome.png[25], 2);
    // The caller's COM neither taken away nor left behind.
    EXPECT_EQ(outcome.comAfterwards, testCase.callerApartment ? S_FALSE : S_OK);
    EXPECT_EQ(outcome.decoded.width, picture.width);
    EXPECT_EQ(outcome.decoded.height, picture.height);
    EXPECT_EQ(outcome.decoded.pixels, picture.pixels);
  }
}

TEST(PngFile, RefusesAPictureWhosePixelsDoNotFitItsSize) {
  for (const RgbPicture& picture : {RgbPicture{}, RgbPicture{2, 2, std::vector<std::uint8_t>(9)}}) {
    EXPECT_THROW(win32ui::EncodePng(picture), Failure);
  }
}

}  // namespace
}  // namespace brivanto::win32test
