#pragma once
// The five images as PNG files: the canvas's pixels exactly, as palette indices of as
// few bits as hold them when an image has at most 256 colours, else as 8-bit RGB;
// fixed settings throughout, so the same pixels always give the same bytes and the
// window and the batch tool write the same files.

#include <cstdint>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Outcome.h"

namespace wavelet {

// Pixels are 0x00BBGGRR (red in the low byte), `width` per row, rows top to bottom.
std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height);

// Written atomically, synced on its own, or with the run's other pictures when
// `renames` is given (then the file appears under its name at renames.Finish()).
Outcome WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
                 DeferredRenames* renames = nullptr);

}  // namespace wavelet
