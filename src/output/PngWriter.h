#pragma once
// The five images as PNG files: the canvas's pixels exactly, as 8-bit RGB, through
// libpng with fixed settings, so the window and the batch tool write the same bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace wavelet {

// Pixels are 0x00BBGGRR (red in the low byte), `width` per row, rows top to bottom.
std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height);

struct PngWriteResult {
  bool Ok = false;
  std::string ErrorText;  // "Cannot write [" + path + "]"
};

// Through a temporary file renamed over `path`, with the checks of the CSV export.
PngWriteResult WritePng(const std::string& path, const std::uint32_t* pixels, int width,
                        int height);

}  // namespace wavelet
