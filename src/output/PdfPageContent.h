#pragma once
// A report page's lines and rectangles as PDF operators of our own, added to the page
// the toolkit wrote with the texts. The toolkit's PDF writer makes every drawing call a
// block of its own, in page coordinates, and deflates the lot with zlib's default
// effort, which took most of the time and the bytes of a page. Here the state is set
// only when it changes, and each line starts where the coordinates were moved to with
// "1 0 0 1 dx dy cm", so a line is "0 0 m dx dy l S" in small numbers that repeat from
// line to line: deflate (libdeflate's) finds most of a page in what it has seen.
//
// The content is meant to follow the page's own content wrapped in "q" ... "Q", so it
// starts from the page's initial state; its strokes use the graphics state named
// kPdfStrokeState among the page's resources (stroke adjustment on, as the toolkit's).

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "output/ReportStrokes.h"
#include "output/ZlibStream.h"

namespace wavelet {

inline constexpr const char* kPdfStrokeState = "/WStroke";

// The content streams of a document's pages, deflated, kept in a temporary file until
// the document is put together, so a run of thousands of pages holds none in memory.
class PdfPageStreams {
 public:
  // The file is made nameless in `directory` (the document's own, whose file system
  // has to hold the pages anyway), else among the system's temporary files.
  explicit PdfPageStreams(const std::string& directory = {});
  ~PdfPageStreams();
  PdfPageStreams(const PdfPageStreams&) = delete;
  PdfPageStreams& operator=(const PdfPageStreams&) = delete;

  // False once the temporary file failed.
  bool Good() const { return file_ != nullptr && good_; }
  // Deflates `content` (zlib format, as /FlateDecode reads it) and keeps it.
  void Add(const std::string& content);
  std::size_t Size() const { return pages_.size(); }
  // Page `index`'s deflated stream; false when it cannot be read back.
  bool Read(std::size_t index, std::string& deflated) const;

 private:
  struct Extent {
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
  };
  std::FILE* file_ = nullptr;
  std::vector<Extent> pages_;
  std::uint64_t end_ = 0;
  std::vector<unsigned char> buffer_;
  ZlibCompressor compressor_;
  bool good_ = true;
};

// Writes each page's operators, and gives the finished page to `streams`.
class PdfPageContent final : public StrokeSink {
 public:
  explicit PdfPageContent(PdfPageStreams& streams) : streams_(streams) {}

  // `matrix` (a b c d e f) takes device units to the page's points.
  void StartPage(const std::array<double, 6>& matrix);
  void Line(StrokePoint from, StrokePoint to, int penWidth) override;
  void DashedLine(StrokePoint from, StrokePoint to, int dash, int gap, int penWidth) override;
  // An outline from corner to corner, with the pen of `penWidth`.
  void Rectangle(int x1, int y1, int x2, int y2, int penWidth);
  void FinishPage();

 private:
  void Number(std::int64_t value);
  void Op(const char* op);
  void UsePen(int width);
  void MoveOrigin(StrokePoint to);
  void EndGroup();

  PdfPageStreams& streams_;
  std::string content_;
  int penWidth_ = -1;
  // Lines go in groups inside "q" ... "Q", each moved from the one before; a group
  // starts from the page's coordinates, so rounding never adds up over more lines
  // than one group has.
  bool grouped_ = false;
  int groupLines_ = 0;
  StrokePoint origin_;
};

}  // namespace wavelet
