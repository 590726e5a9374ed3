// The PNG writer shared by the window's "Save image as..." and wavelet-batch
// --images, decoded again with libpng; and the CSV writer's in-place fallback.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "output/CsvWriter.h"
#include "support/DecodePng.h"
#include "output/PngWriter.h"
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
