#include "output/PngWriter.h"

#include <libdeflate.h>

#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "output/ZlibStream.h"

#include <memory>

namespace wavelet {
namespace {

// The colours of one image in the order they first appear, row by row, so the same
// pixels always give the same palette; at most 256, as a PNG palette holds.
class Palette {
 public:
  static constexpr int kLimit = 256;

  void Clear() {
    slots_.fill(kEmpty);
    count_ = 0;
  }
  int Size() const { return count_; }
  std::uint32_t Entry(int index) const { return colours_[static_cast<std::size_t>(index)]; }

  // The colour's index, entered if new; -1 when the palette is full.
  int IndexOf(std::uint32_t colour) {
    std::size_t slot = (colour * 0x9E3779B1u) >> (32 - kSlotBits);
    while (slots_[slot] != kEmpty) {
      if (colours_[static_cast<std::size_t>(slots_[slot])] == colour) return slots_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (count_ == kLimit) return -1;
    colours_[static_cast<std::size_t>(count_)] = colour;
    slots_[slot] = static_cast<std::int16_t>(count_);
    return count_++;
  }

 private:
  // Four times the limit, so a probe seldom takes more than a step or two.
  static constexpr int kSlotBits = 10;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
  static constexpr std::int16_t kEmpty = -1;
  std::array<std::int16_t, kSlots> slots_{};
  std::array<std::uint32_t, kLimit> colours_{};
  int count_ = 0;
};

// Levels measured on the pictures of sample records (bench_png): palette indices (black
// with thin lines) come out both smaller and faster at level 2 than at level 1; a
// map's RGB compresses a third faster at level 1 than at level 2, for 3 % more bytes.
// Higher levels cost more time than the bytes they save.
constexpr int kPaletteLevel = 2;
constexpr int kRgbLevel = 1;

// What one thread reuses from picture to picture: a batch writes thousands, and
// allocating the compressors' tables and the row buffers afresh for each cost more
// than the compression (page faults, memory handed back to the system and taken
// again). Nothing carries over between images but capacity.
struct EncoderWorkspace {
  Palette palette;
  std::vector<unsigned char> scanlines;  // filter byte + samples, row after row
  std::vector<unsigned char> stream;     // the zlib stream of the scanlines
  ZlibCompressor paletteCompressor{kPaletteLevel}, rgbCompressor{kRgbLevel};
};

EncoderWorkspace& ThreadWorkspace() {
  thread_local EncoderWorkspace workspace;
  return workspace;
}

struct ImageShape {
  std::size_t Width = 0, Height = 0;
};

// The end of the run of `colour` that starts at `x`: eight pixels at a time (a
// branch-free test the compiler vectorises), then one by one.
std::size_t RunEnd(const std::uint32_t* row, std::size_t x, std::size_t width,
                   std::uint32_t colour) {
  constexpr std::size_t kBlock = 8;
  while (x + kBlock <= width) {
    std::uint32_t differs = 0;
    for (std::size_t k = 0; k < kBlock; ++k) differs |= row[x + k] ^ colour;
    if (differs != 0) break;
    x += kBlock;
  }
  while (x < width && row[x] == colour) ++x;
  return x;
}

// The scanlines as 8-bit palette indices, unfiltered (long runs of one index pack
// best as they are: measured, the "Up" filter makes them larger); false, with the
// palette full, at the first pixel past 256 colours.
bool IndexPixels(const std::uint32_t* pixels, ImageShape shape, Palette& palette,
                 std::vector<unsigned char>& scanlines) {
  palette.Clear();
  scanlines.resize((shape.Width + 1) * shape.Height);
  unsigned char* out = scanlines.data();
  // Runs of one colour are the rule: a run costs one lookup and one fill.
  std::uint32_t colour = pixels[0];
  int index = palette.IndexOf(colour);
  for (std::size_t y = 0; y < shape.Height; ++y) {
    *out++ = 0;
    const std::uint32_t* row = pixels + y * shape.Width;
    std::size_t x = 0;
    while (true) {
      const std::size_t end = RunEnd(row, x, shape.Width, colour);
      std::memset(out + x, index, end - x);
      if (end == shape.Width) break;
      colour = row[end];
      index = palette.IndexOf(colour);
      if (index < 0) return false;
      x = end;
    }
    out += shape.Width;
  }
  return true;
}

// The fewest bits per index that hold every index of the palette.
int PaletteBitDepth(int colours) {
  if (colours <= 2) return 1;
  if (colours <= 4) return 2;
  if (colours <= 16) return 4;
  return 8;
}

// One row of 8-bit indices packed to Depth bits, leftmost pixel in the high bits as
// PNG orders them; the last byte is padded with zero bits. Returns the end of `out`.
template <int Depth>
unsigned char* PackRow(const unsigned char* in, std::size_t width, unsigned char* out) {
  constexpr std::size_t kPerByte = 8 / Depth;
  std::size_t x = 0;
  for (; x + kPerByte <= width; x += kPerByte) {
    unsigned byte = 0;
    for (std::size_t k = 0; k < kPerByte; ++k) byte = (byte << Depth) | in[x + k];
    *out++ = static_cast<unsigned char>(byte);
  }
  if (x < width) {
    unsigned byte = 0;
    for (std::size_t k = 0; k < kPerByte; ++k) {
      byte = (byte << Depth) | (x + k < width ? in[x + k] : 0u);
    }
    *out++ = static_cast<unsigned char>(byte);
  }
  return out;
}

// Packs 8-bit index scanlines to Depth bits in place: each packed row is shorter than
// the one it is read from, so writing never overtakes reading. Returns the packed size.
template <int Depth>
std::size_t PackScanlines(std::vector<unsigned char>& scanlines, ImageShape shape) {
  unsigned char* out = scanlines.data();
  const unsigned char* in = scanlines.data();
  for (std::size_t y = 0; y < shape.Height; ++y, in += shape.Width + 1) {
    *out++ = in[0];  // the filter byte
    out = PackRow<Depth>(in + 1, shape.Width, out);
  }
  return static_cast<std::size_t>(out - scanlines.data());
}

std::size_t PackIndices(std::vector<unsigned char>& scanlines, ImageShape shape, int depth) {
  switch (depth) {
    case 1: return PackScanlines<1>(scanlines, shape);
    case 2: return PackScanlines<2>(scanlines, shape);
    case 4: return PackScanlines<4>(scanlines, shape);
    default: return scanlines.size();
  }
}

// The scanlines as 8-bit RGB, for images of more than 256 colours, each row as its
// difference from the row above (PNG's "Up" filter; above the first row counts as
// black): a map's bands change little from row to row, and the differences pack 40 %
// smaller at no cost in time.
void RgbScanlines(const std::uint32_t* pixels, ImageShape shape,
                  std::vector<unsigned char>& scanlines) {
  constexpr unsigned char kFilterUp = 2;
  scanlines.resize((shape.Width * 3 + 1) * shape.Height);
  unsigned char* out = scanlines.data();
  for (std::size_t y = 0; y < shape.Height; ++y) {
    *out++ = kFilterUp;
    const std::uint32_t* row = pixels + y * shape.Width;
    const std::uint32_t* above = y > 0 ? row - shape.Width : nullptr;
    for (std::size_t x = 0; x < shape.Width; ++x) {
      const std::uint32_t c = row[x];
      const std::uint32_t u = above != nullptr ? above[x] : 0;
      // Differences modulo 256, channel by channel.
      out[0] = static_cast<unsigned char>((c & 0xFF) - (u & 0xFF));
      out[1] = static_cast<unsigned char>(((c >> 8) & 0xFF) - ((u >> 8) & 0xFF));
      out[2] = static_cast<unsigned char>(((c >> 16) & 0xFF) - ((u >> 16) & 0xFF));
      out += 3;
    }
  }
}

// PNG's byte order for every number it holds.
void StoreBigEndian(std::uint32_t value, unsigned char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// A PNG file written chunk by chunk into a buffer of its exact size, known from the
// number of chunks and the sum of their data sizes before the first is written.
class PngFile {
 public:
  PngFile(std::size_t chunkData, int chunks)
      : bytes_(sizeof kSignature + chunkData + kChunkFrame * static_cast<std::size_t>(chunks)) {
    Put(kSignature, sizeof kSignature);
  }

  void Chunk(const char (&type)[5], const unsigned char* data, std::size_t size) {
    BigEndian(static_cast<std::uint32_t>(size));
    const std::size_t start = at_;
    Put(type, 4);
    Put(data, size);
    // The check value covers the type and the data, not the length.
    BigEndian(static_cast<std::uint32_t>(libdeflate_crc32(0, bytes_.data() + start, size + 4)));
  }

  std::vector<unsigned char> Take() {
    if (at_ != bytes_.size()) throw std::logic_error("PNG chunks other than announced");
    return std::move(bytes_);
  }

 private:
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static constexpr std::size_t kChunkFrame = 12;  // length, type and check value

  void Put(const void* data, std::size_t size) {
    if (size > 0) std::memcpy(bytes_.data() + at_, data, size);
    at_ += size;
  }
  void BigEndian(std::uint32_t value) {
    unsigned char bytes[4];
    StoreBigEndian(value, bytes);
    Put(bytes, sizeof bytes);
  }

  std::vector<unsigned char> bytes_;
  std::size_t at_ = 0;
};

// Image header: size, bit depth, colour type (2 RGB, 3 palette), then deflate,
// adaptive filtering and no interlace, the only methods PNG defines.
std::array<unsigned char, 13> ImageHeader(ImageShape shape, int depth, int colourType) {
  std::array<unsigned char, 13> header{};
  StoreBigEndian(static_cast<std::uint32_t>(shape.Width), header.data());
  StoreBigEndian(static_cast<std::uint32_t>(shape.Height), header.data() + 4);
  header[8] = static_cast<unsigned char>(depth);
  header[9] = static_cast<unsigned char>(colourType);
  return header;
}

std::vector<unsigned char> PaletteEntries(const Palette& palette) {
  std::vector<unsigned char> entries;
  entries.reserve(static_cast<std::size_t>(palette.Size()) * 3);
  for (int i = 0; i < palette.Size(); ++i) {
    const std::uint32_t c = palette.Entry(i);
    entries.push_back(static_cast<unsigned char>(c & 0xFF));
    entries.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    entries.push_back(static_cast<unsigned char>((c >> 16) & 0xFF));
  }
  return entries;
}

// Scanlines ready for compression: the first Size bytes of the workspace's buffer.
struct Scanlines {
  int Depth = 8;
  int ColourType = 3;  // 3 palette, 2 RGB
  std::size_t Size = 0;
};

// Palette indices at the fewest bits that hold them when the image has at most 256
// colours, else RGB.
Scanlines MakeScanlines(const std::uint32_t* pixels, ImageShape shape,
                        EncoderWorkspace& workspace) {
  if (IndexPixels(pixels, shape, workspace.palette, workspace.scanlines)) {
    const int depth = PaletteBitDepth(workspace.palette.Size());
    return {depth, 3, PackIndices(workspace.scanlines, shape, depth)};
  }
  RgbScanlines(pixels, shape, workspace.scanlines);
  return {8, 2, workspace.scanlines.size()};
}

// The scanlines' zlib stream into the workspace; its length.
std::size_t Compress(EncoderWorkspace& workspace, const Scanlines& lines) {
  ZlibCompressor& compressor =
      lines.ColourType == 3 ? workspace.paletteCompressor : workspace.rgbCompressor;
  const std::size_t compressed =
      compressor.Compress(workspace.scanlines.data(), lines.Size, workspace.stream);
  if (compressed == 0) throw std::runtime_error("Cannot encode a PNG image");
  return compressed;
}

}  // namespace

std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0) throw std::runtime_error("Cannot encode a PNG image");
  const ImageShape shape{static_cast<std::size_t>(width), static_cast<std::size_t>(height)};
  EncoderWorkspace& workspace = ThreadWorkspace();
  const Scanlines lines = MakeScanlines(pixels, shape, workspace);
  const std::size_t compressed = Compress(workspace, lines);

  const std::array<unsigned char, 13> header = ImageHeader(shape, lines.Depth, lines.ColourType);
  const std::vector<unsigned char> entries =
      lines.ColourType == 3 ? PaletteEntries(workspace.palette) : std::vector<unsigned char>();
  PngFile file(header.size() + entries.size() + compressed, entries.empty() ? 3 : 4);
  file.Chunk("IHDR", header.data(), header.size());
  if (!entries.empty()) file.Chunk("PLTE", entries.data(), entries.size());
  file.Chunk("IDAT", workspace.stream.data(), compressed);
  file.Chunk("IEND", nullptr, 0);
  return file.Take();
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
