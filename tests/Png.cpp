#include "tests/Png.h"

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1A\n";
constexpr std::size_t kSignatureSize = 8;

void PutU32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 0xFF);
}

std::uint32_t GetU32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = type + data;
  out += body;
  PutU32(out, crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size()));
}

}  // namespace

bool WritePng(const std::string& path, const Capture& picture) {
  std::string raw;  // each row: filter type 0, then red, green, blue of each pixel
  for (int y = 0; y < picture.height; ++y) {
    raw += '\0';
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = picture.At(x, y);
      raw += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    }
  }
  uLongf size = compressBound(raw.size());
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9) != Z_OK) {
    return false;
  }
  packed.resize(size);
  std::string header;
  PutU32(header, picture.width);
  PutU32(header, picture.height);
  header += {8, 2, 0, 0, 0};  // 8 bits, RGB, deflate, the one filter set, not interlaced
  std::string file(kSignature, kSignatureSize);
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

bool ReadPng(const std::string& path, Capture& picture) {
  std::ifstream in(path, std::ios::binary);
  const std::string file{std::istreambuf_iterator<char>(in), {}};
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  if (file.compare(0, kSignatureSize, kSignature, kSignatureSize) != 0) return false;
  std::uint32_t width = 0, height = 0;
  std::string packed;
  for (std::size_t at = kSignatureSize; at + 12 <= file.size();) {
    const std::uint32_t length = GetU32(bytes + at);
    if (length > file.size() - at - 12) return false;
    const unsigned char* data = bytes + at + 8;
    if (file.compare(at + 4, 4, "IHDR") == 0) {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
      width = GetU32(data);
      height = GetU32(data + 4);
    } else if (file.compare(at + 4, 4, "IDAT") == 0) {
      packed.append(file, at + 8, length);
    }
    at += 12 + length;
  }
  if (width == 0 || height == 0 || width > Bitmap::kMaxSide || height > Bitmap::kMaxSide) {
    return false;
  }
  const std::size_t stride = 3 * width + 1;
  std::vector<unsigned char> raw(stride * height);
  uLongf size = raw.size();
  const int status =
      uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()), packed.size());
  if (status != Z_OK || size != raw.size()) return false;
  // WritePng filters no row; a file that does is not one of ours.
  for (std::size_t y = 0; y < height; ++y) {
    if (raw[y * stride] != 0) return false;
  }
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.resize(std::size_t{width} * height);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const unsigned char* rgb = &raw[i / width * stride + 1 + i % width * 3];
    picture.pixels[i] =
        0xFF000000u | std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
  }
  return true;
}
