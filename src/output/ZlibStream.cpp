#include "output/ZlibStream.h"

#include <libdeflate.h>

namespace wavelet {

ZlibCompressor::ZlibCompressor(int level) : level_(level) {}
ZlibCompressor::~ZlibCompressor() = default;
ZlibCompressor::ZlibCompressor(ZlibCompressor&&) noexcept = default;
ZlibCompressor& ZlibCompressor::operator=(ZlibCompressor&&) noexcept = default;

void ZlibCompressor::Release::operator()(libdeflate_compressor* compressor) const {
  libdeflate_free_compressor(compressor);
}

std::size_t ZlibCompressor::Compress(const void* data, std::size_t size,
                                     std::vector<unsigned char>& out) {
  if (!compressor_) compressor_.reset(libdeflate_alloc_compressor(level_));
  if (!compressor_) return 0;
  out.resize(libdeflate_zlib_compress_bound(compressor_.get(), size));
  return libdeflate_zlib_compress(compressor_.get(), data, size, out.data(), out.size());
}

}  // namespace wavelet
