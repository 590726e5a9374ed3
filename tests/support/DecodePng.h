#pragma once
// A PNG file's pixels as 8-bit RGB, decoded with libpng (empty when not a PNG).

#include <png.h>

#include <string>
#include <vector>

namespace wavelet::testing {

struct DecodedPng {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Rgb;
};

inline DecodedPng DecodePng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  DecodedPng out;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
  image.format = PNG_FORMAT_RGB;
  out.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.Rgb.data(), 0, nullptr)) return {};
  out.Width = static_cast<int>(image.width);
  out.Height = static_cast<int>(image.height);
  return out;
}

}  // namespace wavelet::testing
