// A report page on its way to a PDF: its lines as strokes, its commands between the
// batch tool and the page program, its line art as PDF operators.

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <string>
#include <vector>

#include "output/PdfPageContent.h"
#include "output/RecordedPage.h"
#include "output/ReportStrokes.h"

namespace wavelet {
namespace {

// Each stroke as "x1,y1-x2,y2/width", dashed ones with "~dash:gap".
class StrokeList final : public StrokeSink {
 public:
  void Line(StrokePoint a, StrokePoint b, int width) override { Add(a, b, width, ""); }
  void DashedLine(StrokePoint a, StrokePoint b, int dash, int gap, int width) override {
    std::string mark = "~";  // built step by step: GCC 12 warns falsely on "~" + string
    mark += std::to_string(dash);
    mark += ':';
    mark += std::to_string(gap);
    Add(a, b, width, mark);
  }
  std::vector<std::string> Strokes;

 private:
  void Add(StrokePoint a, StrokePoint b, int width, const std::string& dash) {
    Strokes.push_back(std::to_string(a.X) + "," + std::to_string(a.Y) + "-" + std::to_string(b.X) +
                      "," + std::to_string(b.Y) + "/" + std::to_string(width) + dash);
  }
};

std::vector<std::string> Strokes(void (*draw)(StrokeCollector&)) {
  StrokeList list;
  StrokeCollector collector(list);
  collector.StartPage(10);
  draw(collector);
  collector.Flush();
  return list.Strokes;
}

TEST(ReportStrokes, OnlyWhatLooksTheSameIsJoined) {
  // Sloped lines stay apart; lines going on along an axis become one; a line of no
  // length goes; turning back along the axis is a line of its own.
  EXPECT_EQ(Strokes([](StrokeCollector& c) {
              c.MoveTo(0, 0);
              c.LineTo(10, 2);
              c.LineTo(20, 4);
              c.LineTo(30, 4);
              c.LineTo(30, 4);
              c.LineTo(45, 4);
              c.LineTo(60, 4);
              c.LineTo(50, 4);
              c.MoveTo(60, 4);  // not where the last line ended
              c.LineTo(60, 9);
              c.SetPenWidth(5);  // what came before goes first
              c.LineTo(60, 20);
            }),
            (std::vector<std::string>{"0,0-10,2/10", "10,2-20,4/10", "20,4-60,4/10",
                                      "60,4-50,4/10", "60,4-60,9/10", "60,9-60,20/5"}));
  // A column of equal lines at equal steps is one dashed stroke, unless the gaps are
  // no wider than the pen (then strokes would touch) or the steps differ.
  EXPECT_EQ(Strokes([](StrokeCollector& c) {
              for (int i = 0; i < 4; ++i) {
                c.MoveTo(100, 40 * i);
                c.LineTo(100, 40 * i + 10);
              }
              for (int i = 0; i < 2; ++i) {  // gap 10: no wider than the pen
                c.MoveTo(200, 20 * i);
                c.LineTo(200, 20 * i + 10);
              }
              c.MoveTo(300, 0);
              c.LineTo(300, 10);
              c.MoveTo(300, 40);
              c.LineTo(300, 50);
              c.MoveTo(300, 90);
              c.LineTo(300, 100);
            }),
            (std::vector<std::string>{"100,0-100,130/10~10:30", "200,0-200,10/10",
                                      "200,20-200,30/10", "300,0-300,10/10", "300,40-300,50/10",
                                      "300,90-300,100/10"}));
}

TEST(RecordedPages, GoAndComeBackWholeAndDamageIsRefused) {
  PageRecorder recorder(9583, 13699);
  recorder.SetJobTitle("WAVELET < P0001.R01 >");
  recorder.SetPenWidth(10);
  recorder.SetPenStyle(ReportPenStyle::Solid);
  recorder.SetBrushStyle(ReportBrushStyle::Clear);
  recorder.SetFont("Courier New", ReportCharset::Ansi, 10);
  recorder.MoveTo(INT_MAX, INT_MIN);  // steps of more than an int
  recorder.LineTo(INT_MIN, INT_MAX);
  recorder.LineTo(-5, 7);
  recorder.Rectangle(1, 2, -3, 4);
  recorder.TextOut(-8, 9, "file name :");
  RecordedPage& page = recorder.Page();
  page.Entry = "/data/P0001.R01";
  const std::string bytes = SerializePage(page);
  const std::optional<RecordedPage> back = ParsePage(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(SerializePage(*back), bytes);
  EXPECT_EQ(back->Texts, page.Texts);
  ASSERT_EQ(back->Commands.size(), page.Commands.size());
  for (std::size_t i = 0; i < page.Commands.size(); ++i) {
    const RecordedPage::Command &a = page.Commands[i], &b = back->Commands[i];
    EXPECT_TRUE(a.Kind == b.Kind && a.A == b.A && a.B == b.B && a.C == b.C && a.D == b.D &&
                a.TextIndex == b.TextIndex)
        << i;
  }
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(ParsePage(std::string_view(bytes).substr(0, size))) << size;
  }
  EXPECT_FALSE(ParsePage(bytes + '\0'));
  std::string badText = bytes;
  badText[badText.size() - 1] = 4;  // the text's index 2: one past the two texts
  EXPECT_FALSE(ParsePage(badText));
}

std::string Inflated(const std::string& deflated) {
  std::string content(std::size_t{1} << 16, '\0');
  uLongf size = content.size();
  if (uncompress(reinterpret_cast<Bytef*>(content.data()), &size,
                 reinterpret_cast<const Bytef*>(deflated.data()), deflated.size()) != Z_OK) {
    return {};
  }
  content.resize(size);
  return content;
}

TEST(PdfPageContent, EachLineMovesOnFromTheLastInShortNumbers) {
  PdfPageStreams streams(::testing::TempDir());  // a nameless file there
  ASSERT_TRUE(streams.Good());
  PdfPageContent content(streams);
  // An A4 page at 1200 dots an inch, its printable area 167 dots in.
  content.StartPage({0.06, 0, 0, -0.06, 167 * 0.06, 842 - 167 * 0.06});
  content.Line({1000, 2000}, {1010, 2003}, 10);
  content.Line({1010, 2003}, {1020, 2003}, 10);
  content.Line({1010, 2003}, {1000, 2000}, 5);
  content.DashedLine({500, 0}, {500, 130}, 10, 30, 5);
  content.Rectangle(638, 5813, 4696, 8895, 5);
  content.FinishPage();
  content.StartPage({1, 0, 0, 1, 0, 0});
  content.FinishPage();
  ASSERT_EQ(streams.Size(), 2u);
  std::string deflated;
  ASSERT_TRUE(streams.Read(0, deflated));
  // The page's matrix in the digits the toolkit writes its own with, so both contents
  // land on the same device positions.
  EXPECT_EQ(Inflated(deflated),
            "q /WStroke gs 0.060000000 0 0 -0.060000000 10.0199999 831.980000 cm 2 J 1 j\n"
            "10 w\n"
            "q 1 0 0 1 1000 2000 cm 0 0 m 10 3 l S\n"
            "1 0 0 1 10 3 cm 0 0 m 10 0 l S\n"
            "Q\n"
            "5 w\n"
            "q 1 0 0 1 1010 2003 cm 0 0 m -10 -3 l S\n"
            "Q\n"
            "[10 30 ] 0 d 500 0 m 500 130 l S [] 0 d\n"
            "638 5813 4058 3082 re S\n"
            "Q\n");
  ASSERT_TRUE(streams.Read(1, deflated));
  EXPECT_EQ(Inflated(deflated), "q /WStroke gs 1 0 0 1 0 0 cm 2 J 1 j\nQ\n");
  EXPECT_FALSE(streams.Read(2, deflated));
}

}  // namespace
}  // namespace wavelet
