#pragma once
// A report page kept as the commands that draw it: recorded where the record is
// analysed, replayed where the page is printed. The batch tool's workers record the
// pages, so the page program only renders them and never loads or analyses a record;
// the window's batch records each page in the same pass as the row and the images.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/ReportCanvas.h"

namespace wavelet {

struct RecordedPage {
  enum class Op : std::uint8_t {
    PenWidth, PenStyle, BrushStyle, Font, MoveTo, LineTo, Rectangle, Text
  };
  struct Command {
    Op Kind;
    int A = 0, B = 0, C = 0, D = 0;  // coordinates, a width, or a style; Font: size, charset
    int TextIndex = -1;              // Font and Text: index into Texts
  };

  int Width = 0;
  int Height = 0;
  std::string JobTitle;
  std::string Entry;  // the work-list entry the page reports on
  std::vector<Command> Commands;
  std::vector<std::string> Texts;
};

// A canvas of a given page size that keeps every command of one job.
class PageRecorder final : public ReportCanvas {
 public:
  PageRecorder(int width, int height);

  int PageWidth() const override { return page_.Width; }
  int PageHeight() const override { return page_.Height; }
  void SetJobTitle(const std::string& title) override { page_.JobTitle = title; }
  bool BeginJob() override { return true; }
  void EndJob() override {}
  void SetPenWidth(int width) override;
  void SetPenStyle(ReportPenStyle style) override;
  void SetBrushStyle(ReportBrushStyle style) override;
  void SetFont(const std::string& name, ReportCharset charset, int pointSize) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& text) override;

  RecordedPage& Page() { return page_; }

 private:
  void Add(RecordedPage::Op op, int a = 0, int b = 0, int c = 0, int d = 0, int text = -1);
  RecordedPage page_;
};

// Draws the page on `target` as one job: its title, BeginJob, every command, EndJob.
// False (nothing drawn) when the target refuses the job.
bool ReplayPage(const RecordedPage& page, ReportCanvas& target);

// The page as bytes for another process, and back. Parsing checks every size and
// index, so damaged bytes give nothing rather than a wrong page.
std::string SerializePage(const RecordedPage& page);
std::optional<RecordedPage> ParsePage(std::string_view bytes);

// The conversation of wavelet-batch with its page program, in helper frames: the page
// program answers its start with kPageSizeFrame (the width and height the pages are
// laid out in, two 4-byte numbers) or kPagesFailedFrame (why it cannot write, as
// text); it is sent kPageFrame frames, each a serialized page, then kPagesEndFrame;
// it answers that with kPagesDoneFrame once its file is written, else with
// kPagesFailedFrame. Input that ends without kPagesEndFrame writes nothing.
inline constexpr char kPageSizeFrame = 'S';
inline constexpr char kPageFrame = 'P';
inline constexpr char kPagesEndFrame = 'F';
inline constexpr char kPagesDoneFrame = 'D';
inline constexpr char kPagesFailedFrame = 'E';
// A recorded page is a few hundred kilobytes; anything near this is not one.
inline constexpr std::size_t kLargestPageFrame = std::size_t{1} << 30;
// The answers are a page size or a sentence.
inline constexpr std::size_t kLargestPagesAnswer = 4096;

}  // namespace wavelet
