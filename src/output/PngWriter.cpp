#include "output/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <stdexcept>
#include <string_view>

#include <memory>

namespace wavelet {
namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp) {}

void NoWarning(png_structp, png_const_charp) {}

// libpng's structures, released however the encoding ends.
struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngWrite() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, NoWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

// The encoding proper. libpng reports errors (out of memory, in practice) by a
// long jump back here, which skips only libpng's own frames: every C++ object this
// touches lives in the caller.
bool Encode(png_structp png, png_infop info, std::vector<unsigned char>& out,
            std::vector<unsigned char>& row, const std::uint32_t* pixels, int width, int height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Fixed choices rather than libpng's adaptive defaults, so the bytes stay the same
  // whoever writes them: the images are mostly black with thin lines, whose long runs
  // run-length coding packs nearly as tightly as full deflate at a third of the time.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  unsigned char* bytes = row.data();
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = source[x];
      bytes[3 * x] = static_cast<unsigned char>(c & 0xFF);
      bytes[3 * x + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
      bytes[3 * x + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
    }
    png_write_row(png, bytes);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height) {
  std::vector<unsigned char> out;
  out.reserve(static_cast<std::size_t>(width) * height / 8);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  PngWrite write;
  if (write.info == nullptr || !Encode(write.png, write.info, out, row, pixels, width, height)) {
    throw std::runtime_error("Cannot encode a PNG image");
  }
  return out;
}

Outcome WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
                 DeferredRenames* renames) {
  std::vector<unsigned char> bytes;
  try {
    bytes = EncodePng(pixels, width, height);
  } catch (const std::exception& error) {
    return Outcome::Failure(FailureKind::Failed, CannotWriteText(path), error.what());
  }
  auto writer = renames != nullptr ? std::make_unique<AtomicFileWriter>(path, *renames)
                                   : std::make_unique<AtomicFileWriter>(path);
  writer->Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return writer->Commit();
}

}  // namespace wavelet
