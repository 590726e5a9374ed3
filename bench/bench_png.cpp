// Speed and size of the pictures' PNG encoding over the five images of sample
// records in each display mode, beside a yardstick: the same pixels through libpng as
// 8-bit RGB with zlib level 1 run-length coding and no filter (the encoding before
// palettes and libdeflate). Counters: encoded bytes per picture and the share of
// pictures that fit a palette.

#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "output/PngWriter.h"
#include "record/RecordFile.h"
#include "record/SampleRecords.h"
#include "session/Workbench.h"

namespace wavelet {
namespace {

constexpr int kRecords = 8;

struct Picture {
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Pixels;
};

class NoHeaderSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

// The five pictures of sample records 0..kRecords-1 as wavelet-batch --images draws
// them in `displayMode`.
std::vector<Picture> DrawPictures(int displayMode) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("wavelet-bench-png-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  Workbench bench;
  bench.StartUp();
  NoHeaderSink sink;
  AnalysisDriverHooks hooks;
  DisplaySettings view;
  view.DisplayMode = displayMode;
  std::vector<Picture> pictures;
  for (int i = 0; i < kRecords; ++i) {
    const RecordBytes bytes = MakeSampleRecord(1, i);
    const std::string path = JoinPath(directory.string(), SampleRecordName(i));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) continue;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (!bench.ShowRecord(path, SampleRecordName(i), sink, view, hooks).Ok) continue;
    for (int k = 0; k < kImageCount; ++k) {
      const Canvas& canvas = bench.Images().Lead(k);
      const std::uint32_t* pixels = canvas.Pixels();
      pictures.push_back({canvas.Width(), canvas.Height(),
                          {pixels, pixels + static_cast<std::size_t>(canvas.Width()) * canvas.Height()}});
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return pictures;
}

const std::vector<Picture>& Pictures(int displayMode) {
  static const std::vector<Picture> modes[] = {DrawPictures(kDisplayBasic),
                                               DrawPictures(kDisplaySpectrogram),
                                               DrawPictures(kDisplayMap)};
  return modes[displayMode];
}

void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp) {}

std::vector<unsigned char> LibpngRgb(const Picture& picture) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width), static_cast<png_uint_32>(picture.Height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  std::vector<unsigned char> row(static_cast<std::size_t>(picture.Width) * 3);
  for (int y = 0; y < picture.Height; ++y) {
    for (int x = 0; x < picture.Width; ++x) {
      const std::uint32_t c = picture.Pixels[static_cast<std::size_t>(y) * picture.Width + x];
      row[3 * x] = static_cast<unsigned char>(c & 0xFF);
      row[3 * x + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Colour type 3 (palette) is byte 25 of the file, in the image header.
bool PaletteImage(const std::vector<unsigned char>& bytes) { return bytes.size() > 25 && bytes[25] == 3; }

template <typename Encoder>
void TimeEncoding(benchmark::State& state, Encoder encode) {
  const std::vector<Picture>& pictures = Pictures(static_cast<int>(state.range(0)));
  std::size_t bytes = 0, palettes = 0;
  for (auto _ : state) {
    bytes = 0;
    palettes = 0;
    for (const Picture& picture : pictures) {
      const std::vector<unsigned char> encoded = encode(picture);
      bytes += encoded.size();
      palettes += PaletteImage(encoded) ? 1 : 0;
    }
  }
  const double count = static_cast<double>(pictures.size());
  state.counters["pictures_per_s"] = benchmark::Counter(
      count * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes_per_picture"] = static_cast<double>(bytes) / count;
  state.counters["palette_share"] = static_cast<double>(palettes) / count;
}

// Argument: the display mode (0 basic, 1 spectrogram, 2 map).
void BM_EncodePng(benchmark::State& state) {
  TimeEncoding(state, [](const Picture& p) { return EncodePng(p.Pixels.data(), p.Width, p.Height); });
}
BENCHMARK(BM_EncodePng)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_LibpngRgbYardstick(benchmark::State& state) { TimeEncoding(state, LibpngRgb); }
BENCHMARK(BM_LibpngRgbYardstick)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wavelet

BENCHMARK_MAIN();
