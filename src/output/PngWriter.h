#pragma once
// The five images as PNG files: the canvas's pixels exactly, as palette indices of as
// few bits as hold them when an image has at most 256 colours, else as 8-bit RGB;
// fixed settings throughout, so the same pixels always give the same bytes and the
// window and the batch tool write the same files.

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
