#pragma once
// A zlib stream (deflate with its header and check value, as PNG's image data and PDF's
// /FlateDecode streams hold it) by libdeflate, at one level. The compressor's tables
// are made on first use and kept: a batch compresses thousands of pictures and pages,
// and making them afresh for each cost more than compressing.

#include <cstddef>
#include <memory>
#include <vector>

struct libdeflate_compressor;

namespace wavelet {

class ZlibCompressor {
 public:
  explicit ZlibCompressor(int level);
  ~ZlibCompressor();
  ZlibCompressor(ZlibCompressor&&) noexcept;
  ZlibCompressor& operator=(ZlibCompressor&&) noexcept;

  // `size` bytes at `data` into `out` (resized to the bound of their stream); the
  // stream's length, 0 when it could not be made.
  std::size_t Compress(const void* data, std::size_t size, std::vector<unsigned char>& out);

 private:
  struct Release {
    void operator()(libdeflate_compressor* compressor) const;
  };
  int level_;
  std::unique_ptr<libdeflate_compressor, Release> compressor_;
};

}  // namespace wavelet
