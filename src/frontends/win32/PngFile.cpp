#include "PngFile.h"

#include <algorithm>
#include <array>

namespace brivanto::win32ui {
namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

std::array<std::uint32_t, 256> CrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < table.size(); ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) {
      c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
    }
    table[n] = c;
  }
  return table;
}

std::uint32_t Crc(const std::string& bytes) {
  static const auto table = CrcTable();
  std::uint32_t crc = 0xFFFFFFFFU;
  for (const char byte : bytes) {
    crc = table[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFFU] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFU;
}

std::uint32_t Adler32(const std::string& bytes) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const char byte : bytes) {
    a = (a + static_cast<std::uint8_t>(byte)) % 65521U;
    b = (b + a) % 65521U;
  }
  return (b << 16) | a;
}

void AppendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += static_cast<char>((value >> shift) & 0xFFU);
  }
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = type + data;
  out += typed;
  AppendBigEndian(out, Crc(typed));
}

// Each row starts with filter 0: its bytes as they are.
std::string Scanlines(const RgbPicture& picture) {
  const auto rowBytes = static_cast<std::size_t>(picture.width) * 3;
  std::string raw;
  raw.reserve((rowBytes + 1) * static_cast<std::size_t>(picture.height));
  for (int row = 0; row < picture.height; ++row) {
    raw += '\0';
    const auto* start = picture.pixels.data() + static_cast<std::size_t>(row) * rowBytes;
    raw.append(reinterpret_cast<const char*>(start), rowBytes);
  }
  return raw;
}

std::string StoredZlibStream(const std::string& raw) {
  std::string stream("\x78\x01", 2);
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
    const bool last = offset + length == raw.size();
    stream += static_cast<char>(last ? 1 : 0);
    const auto len = static_cast<std::uint16_t>(length);
    const auto nlen = static_cast<std::uint16_t>(~len);
    for (const std::uint16_t value : {len, nlen}) {
      stream += static_cast<char>(value & 0xFFU);
      stream += static_cast<char>(value >> 8);
    }
    stream.append(raw, offset, length);
    offset += length;
  } while (offset < raw.size());
  AppendBigEndian(stream, Adler32(raw));
  return stream;
}

}  // namespace

std::string EncodePng(const RgbPicture& picture) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  AppendBigEndian(header, static_cast<std::uint32_t>(picture.width));
  AppendBigEndian(header, static_cast<std::uint32_t>(picture.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", StoredZlibStream(Scanlines(picture)));
  AppendChunk(png, "IEND", {});
  return png;
}

}  // namespace brivanto::win32ui
