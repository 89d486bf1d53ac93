#include "PngFile.h"

#include <windows.h>
// These need <windows.h> first.
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <utility>

#include "SystemError.h"
#include "ports/Failure.h"

namespace brivanto::win32ui {
namespace {

using Microsoft::WRL::ComPtr;

constexpr std::size_t kBytesPerPixel = 3;

void Check(HRESULT result) {
  if (FAILED(result)) {
    throw Failure(failure_codes::FromHresult(static_cast<std::uint32_t>(result)),
                  "De afbeelding kan niet als PNG worden gemaakt: " +
                      win32::SystemMessage(static_cast<std::uint32_t>(result)));
  }
}

// COM for one encoding. A thread that has it already keeps it as it was: in the same apartment
// the call only counts up (S_FALSE) and is undone here; in the other one (RPC_E_CHANGED_MODE)
// nothing was taken, and WIC works in either.
class ComScope {
 public:
  ComScope() {
    const HRESULT result =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (result != RPC_E_CHANGED_MODE) {
      Check(result);
      initialised_ = true;
    }
  }
  ~ComScope() {
    if (initialised_) {
      ::CoUninitialize();
    }
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_ = false;
};

// WIC's PNG encoder takes 24-bit pixels in blue, green, red order.
std::vector<BYTE> BgrPixels(const RgbPicture& picture) {
  const auto count =
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != count * kBytesPerPixel) {
    Check(E_INVALIDARG);
  }
  std::vector<BYTE> bgr(picture.pixels.begin(), picture.pixels.end());
  for (std::size_t offset = 0; offset < bgr.size(); offset += kBytesPerPixel) {
    std::swap(bgr[offset], bgr[offset + 2]);
  }
  return bgr;
}

void WriteFrame(IWICBitmapEncoder& encoder, const RgbPicture& picture) {
  std::vector<BYTE> pixels = BgrPixels(picture);
  ComPtr<IWICBitmapFrameEncode> frame;
  Check(encoder.CreateNewFrame(frame.GetAddressOf(), nullptr));
  Check(frame->Initialize(nullptr));
  const auto width = static_cast<UINT>(picture.width);
  const auto height = static_cast<UINT>(picture.height);
  Check(frame->SetSize(width, height));
  // The encoder answers with the nearest format it has; anything else would change the pixels.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  Check(frame->SetPixelFormat(&format));
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    Check(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
  }
  Check(frame->WritePixels(height, static_cast<UINT>(width * kBytesPerPixel),
                           static_cast<UINT>(pixels.size()), pixels.data()));
  Check(frame->Commit());
}

std::string StreamBytes(IStream& stream) {
  STATSTG status{};
  Check(stream.Stat(&status, STATFLAG_NONAME));
  std::string bytes(static_cast<std::size_t>(status.cbSize.QuadPart), '\0');
  Check(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
  ULONG read = 0;
  Check(stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
  if (read != bytes.size()) {
    Check(STG_E_READFAULT);
  }
  return bytes;
}

}  // namespace

std::string EncodePng(const RgbPicture& picture) {
  // Declared first, so every COM object below is released while COM is still there.
  const ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_PPV_ARGS(factory.GetAddressOf())));
  ComPtr<IStream> stream;
  Check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf()));
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf()));
  Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  WriteFrame(*encoder.Get(), picture);
  Check(encoder->Commit());
  return StreamBytes(*stream.Get());
}

}  // namespace brivanto::win32ui
