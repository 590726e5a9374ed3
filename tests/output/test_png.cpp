// The PNG writer shared by the window's "Save image as..." and wavelet-batch
// --images, decoded again with libpng (an independent decoder that also checks every
// chunk's check value); and the CSV writer's in-place fallback.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/AtomicFile.h"
#include "output/CsvWriter.h"
#include "output/PngWriter.h"
#include "session/Workbench.h"
#include "support/DecodePng.h"
#include "support/Records.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::DecodePng;
using testing::ReadAll;
using testing::TempDir;

TEST(PngWriter, DecodesToTheCanvasPixelsInBothImageSizesAndNamesAFailedTarget) {
  TempDir dir;
  for (const auto& [width, height] : {std::pair{800, 200}, std::pair{400, 300}}) {
    // Every channel distinct, so a swapped red and blue or a shifted row shows.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        pixels[static_cast<std::size_t>(y) * width + x] =
            static_cast<std::uint32_t>((x * 7) & 0xFF) | ((y * 3) & 0xFF) << 8 | ((x + y) & 0xFF) << 16;
      }
    }
    pixels[0] = 0x000000FF;  // pure red
    const std::string path = dir.File("image" + std::to_string(width) + ".png");
    const Outcome written = WritePng(path, pixels.data(), width, height);
    ASSERT_TRUE(written.Ok) << written.ErrorText;
    const std::string bytes = ReadAll(path);
    const std::vector<unsigned char> encoded = EncodePng(pixels.data(), width, height);
    EXPECT_EQ(bytes, std::string(encoded.begin(), encoded.end()));
    const testing::DecodedPng decoded = DecodePng(bytes);
    ASSERT_EQ(decoded.Width, width);
    ASSERT_EQ(decoded.Height, height);
    EXPECT_EQ(decoded.Rgb[0], 0xFF);
    EXPECT_EQ(decoded.Rgb[2], 0x00);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::uint32_t c = pixels[i];
      ASSERT_EQ(decoded.Rgb[3 * i], c & 0xFF) << i;
      ASSERT_EQ(decoded.Rgb[3 * i + 1], (c >> 8) & 0xFF) << i;
      ASSERT_EQ(decoded.Rgb[3 * i + 2], (c >> 16) & 0xFF) << i;
    }
  }
  // Written like the CSV export: through a temporary file, and a target that cannot
  // take it is named.
  const std::string nowhere = dir.File("no/such/dir/x.png");
  const std::vector<std::uint32_t> black(400 * 300, 0);
  EXPECT_EQ(WritePng(nowhere, black.data(), 400, 300).ErrorText, "Cannot write [" + nowhere + "]");
}

// The decoded file shows exactly `pixels`; names the first pixel that differs.
::testing::AssertionResult DecodesTo(const std::vector<unsigned char>& encoded,
                                     const std::uint32_t* pixels, int width, int height) {
  const testing::DecodedPng decoded = DecodePng(std::string(encoded.begin(), encoded.end()));
  if (decoded.Width != width || decoded.Height != height) {
    return ::testing::AssertionFailure() << "decoded " << decoded.Width << " x " << decoded.Height;
  }
  const std::vector<unsigned char>& rgb = decoded.Rgb;
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    const std::uint32_t got = rgb[3 * i] | rgb[3 * i + 1] << 8 | rgb[3 * i + 2] << 16;
    if (got != pixels[i]) {
      return ::testing::AssertionFailure() << "pixel " << i << " is " << std::hex << got;
    }
  }
  return ::testing::AssertionSuccess();
}

// The image header's bit depth and colour type (3 palette, 2 RGB), bytes 24 and 25
// of the file: after the 8-byte signature, the header's length and type, its width
// and height.
std::pair<int, int> DepthAndColourType(const std::vector<unsigned char>& encoded) {
  return {encoded.at(24), encoded.at(25)};
}

TEST(PngWriter, WritesAPaletteAtTheFewestBitsThatHoldItsColoursUpTo256ThenRgb) {
  // Rows of 13 pixels, so packed rows end inside a byte; colour k of n at pixel i for
  // k = 37 i mod n, scattered so that no row is one run. 256 and 257 colours take one
  // row of as many pixels, the last colour at the very last pixel.
  const std::vector<std::pair<int, std::pair<int, int>>> cases = {
      {1, {1, 3}},  {2, {1, 3}},  {3, {2, 3}},  {4, {2, 3}},   {5, {4, 3}},
      {16, {4, 3}}, {17, {8, 3}}, {91, {8, 3}}, {256, {8, 3}}, {257, {8, 2}}};
  for (const auto& [colours, expected] : cases) {
    const int width = colours > 91 ? colours : 13;
    const int height = colours > 91 ? 1 : 7;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::uint32_t k = static_cast<std::uint32_t>(i * 37 % colours);
      pixels[i] = (k * 0x9E3779B1u) & 0x00FFFFFF;
    }
    const std::vector<unsigned char> encoded = EncodePng(pixels.data(), width, height);
    EXPECT_EQ(DepthAndColourType(encoded), expected) << colours << " colours";
    EXPECT_TRUE(DecodesTo(encoded, pixels.data(), width, height)) << colours << " colours";
  }
}

TEST(PngWriter, TheSamePixelsGiveTheSameBytesAfterAnyOtherPictureOnAnyThread) {
  std::vector<std::uint32_t> lines(400 * 300, 0);
  for (int x = 0; x < 400; ++x) lines[static_cast<std::size_t>(150 * 400 + x)] = 0x0000FF00;
  std::vector<std::uint32_t> noise(400 * 300);
  for (std::size_t i = 0; i < noise.size(); ++i) {
    noise[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
  }
  const std::vector<unsigned char> first = EncodePng(lines.data(), 400, 300);
  EncodePng(noise.data(), 400, 300);
  EXPECT_EQ(EncodePng(lines.data(), 400, 300), first);
  std::vector<unsigned char> elsewhere;
  std::thread([&] { elsewhere = EncodePng(lines.data(), 400, 300); }).join();
  EXPECT_EQ(elsewhere, first);
}

class QuietSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

// The pictures the program writes: the raw view and the basic view's curves fit a
// palette, a map's colour ramp does not.
TEST(PngWriter, TheFivePicturesOfEveryDisplayModeDecodeToTheirCanvases) {
  TempDir dir;
  const std::vector<std::string> names = testing::WriteSampleRecords(dir.Path(), 1, 3);
  Workbench bench;
  bench.StartUp();
  for (const int mode : {kDisplayBasic, kDisplaySpectrogram, kDisplayMap}) {
    DisplaySettings view;
    view.DisplayMode = mode;
    QuietSink sink;
    AnalysisDriverHooks hooks;
    ASSERT_TRUE(bench.ShowRecord(dir.File(names[0]), names[0], sink, view, hooks).Ok);
    for (int i = 0; i < kImageCount; ++i) {
      const Canvas& image = bench.Images().Lead(i);
      const int width = image.Width(), height = image.Height();
      const std::vector<unsigned char> encoded = EncodePng(image.Pixels(), width, height);
      EXPECT_TRUE(DecodesTo(encoded, image.Pixels(), width, height)) << mode << " " << i;
      const bool leadMap = mode == kDisplayMap && i < 4;
      EXPECT_EQ(DepthAndColourType(encoded).second, leadMap ? 2 : 3) << mode << " " << i;
    }
  }
}

// A directory nobody may write in, holding a file everybody may write: as "nobody"
// (root passes every permission check), the fallback writes the file in place and
// the strict writer refuses.
TEST(CsvInPlaceFallback, WritesAWritableFileInAReadOnlyDirectory) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  std::ofstream(path) << "old contents that are longer than the new\r\n";
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  const uid_t me = ::geteuid();
  if (me == 0 && ::seteuid(65534) != 0) {
    ::chmod(dir.Path().c_str(), 0755);
    GTEST_SKIP() << "running as root and cannot become nobody";
  }
  Outcome strict, fallback;
  {
    AtomicFileWriter writer(path);
    writer.Write("strict\r\n");
    strict = writer.Commit();
  }
  const std::string afterStrict = ReadAll(path);
  {
    AtomicFileWriter writer(path, InPlaceFallback::Allowed);
    writer.Write("new\r\n");
    fallback = writer.Commit();
  }
  if (me == 0) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_FALSE(strict.Ok);
  EXPECT_EQ(afterStrict, "old contents that are longer than the new\r\n");
  EXPECT_TRUE(fallback.Ok) << fallback.ErrorText;
  EXPECT_EQ(ReadAll(path), "new\r\n");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"out.csv"});
}

}  // namespace
}  // namespace wavelet
