#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "record/RecordTag.h"
#include "session/ReportDriver.h"
#include "support/Analysis.h"
#include "support/FakeReportSources.h"
#include "support/RecordingReportCanvas.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::FakeReportSources;
using testing::RecordingReportCanvas;
using testing::ReportCall;
using testing::SameResults;

// A beat of `gain` times the numbered records' QRS (9000 to 15000 units) with late
// potentials, so several scales keep maxima and ridges form, under the header whose
// captions the page shows.
LoadedRecord MakeRecord(double gain, int onset = 330, int offset = 420) {
  RecordFields f = testing::NumberedFields(1);
  f.PatientName = "DOE JOHN";
  f.AveragingCount = 212;
  f.QrsOnset = onset;
  f.QrsOffset = offset;
  return *testing::Decoded(EncodeRecord(f, testing::BeatSamples(1, onset, offset, gain)));
}

struct Printout {
  AnalysisState State;
  LoadedRecord Loaded;
  RecordingReportCanvas Canvas;
  ReportOutcome Outcome = ReportOutcome::Printed;

  Printout(int width, int height) : Canvas(width, height) { InitialiseAnalysisState(State); }
  void Print(const LoadedRecord& file) {
    FakeReportSources sources(State, Loaded, file, "test.r01");
    Outcome = PrintReport(Canvas, State, Loaded, sources);
  }
};

constexpr int kA4Width = 4760;
constexpr int kA4Height = 6736;

// The eight curves per lead, in drawing order [scale][lead][position]: each is a
// MoveTo followed by 399 LineTo right after the lead's frame rectangle.
using Curves = std::vector<std::vector<std::vector<int>>>;
Curves RecordedCurves(const RecordingReportCanvas& canvas) {
  Curves curves(kScales, std::vector<std::vector<int>>(kLeads));
  int found = 0;
  const auto& calls = canvas.Calls;
  for (std::size_t i = 0; i + 1 < calls.size() && found < kScales * kLeads; ++i) {
    if (calls[i].What != ReportCall::Kind::Rectangle ||
        calls[i + 1].What != ReportCall::Kind::MoveTo) {
      continue;
    }
    auto& ys = curves[found / kLeads][found % kLeads];
    for (int p = 0; p < kPositions; ++p) ys.push_back(calls[i + 1 + p].B);
    ++found;
  }
  EXPECT_EQ(found, kScales * kLeads);
  return curves;
}

bool HasText(const RecordingReportCanvas& canvas, int x, int y, const std::string& text) {
  for (const auto& t : canvas.Texts) {
    if (t.X == x && t.Y == y && t.Text == text) return true;
  }
  return false;
}

TEST(ReportLayout, A4PageAtSixHundredDotsGivesTheAgreedFigures) {
  const ReportLayout layout = ComputeReportLayout(kA4Width, kA4Height);
  EXPECT_EQ(layout.Wu, 4284.0);
  EXPECT_DOUBLE_EQ(layout.Hu, 6062.4);
  EXPECT_EQ(layout.HalfW, 2142);
  EXPECT_EQ(layout.BoxH, 1515);
  EXPECT_EQ(layout.LineH, 86);
  EXPECT_NEAR(layout.Step, 5.04, 1e-12);
  EXPECT_LT(layout.Step, 5.04);  // so 400 steps make 2015, not 2016
  EXPECT_EQ(layout.LeftM, 317);
  EXPECT_EQ(layout.NormalPen, 5);
  EXPECT_EQ(layout.ThinPen, 2);

  const int expected[kLeads][4] = {  // x0, top, bottom for X, Y, Z, M
      {317, 2860, 4375}, {317 + 2142, 2860, 4375}, {317, 4547, 6062}, {317 + 2142, 4547, 6062}};
  for (int lead = 0; lead < kLeads; ++lead) {
    const ReportBox box = LeadBox(layout, lead);
    EXPECT_EQ(box.X0, expected[lead][0]) << lead;
    EXPECT_EQ(box.YTop, expected[lead][1]) << lead;
    EXPECT_EQ(box.YBottom, expected[lead][2]) << lead;
    EXPECT_EQ(box.Width, 2015) << lead;
  }
}

TEST(ReportPage, A4PageCarriesFramesLettersTextsAndBannerWhereAgreed) {
  Printout out(kA4Width, kA4Height);
  out.Print(MakeRecord(0.35));
  ASSERT_EQ(out.Outcome, ReportOutcome::Printed);
  const auto& calls = out.Canvas.Calls;

  ASSERT_GE(calls.size(), 7u);
  EXPECT_EQ(calls[0], (ReportCall{ReportCall::Kind::JobTitle, 0, 0, 0, 0, "WAVELET < test.r01 > "}));
  EXPECT_EQ(calls[1].What, ReportCall::Kind::BeginJob);
  EXPECT_EQ(calls[2], (ReportCall{ReportCall::Kind::PenWidth, 5, 0, 0, 0, {}}));
  EXPECT_EQ(calls[3], (ReportCall{ReportCall::Kind::Font, 0, 10, 0, 0, "Courier New"}));
  EXPECT_EQ(calls.back().What, ReportCall::Kind::EndJob);

  // Frame of X and the letters of the upper and lower rows, redrawn for every scale.
  EXPECT_EQ(calls[6], (ReportCall{ReportCall::Kind::Text, 317 + 172, 3085, 0, 0, "X"}));
  EXPECT_EQ(calls[7], (ReportCall{ReportCall::Kind::Rectangle, 317, 4375, 2332, 2860, {}}));
  int zLetters = 0;
  for (const auto& t : out.Canvas.Texts) zLetters += (t.Text == "Z" && t.Y == 4772) ? 1 : 0;
  EXPECT_EQ(zLetters, kScales);

  EXPECT_TRUE(HasText(out.Canvas, 1388, 6564, kReportBannerText));
  EXPECT_TRUE(HasText(out.Canvas, 317, 3 * 86, "file name :"));
  EXPECT_TRUE(HasText(out.Canvas, 317 + 714, 3 * 86, "test.r01"));
  EXPECT_TRUE(HasText(out.Canvas, 317 + 714, 5 * 86, "DOE JOHN"));
  EXPECT_TRUE(HasText(out.Canvas, 317 + 714, 13 * 86, "212"));
  EXPECT_TRUE(HasText(out.Canvas, 2459, 3 * 86, "[decomposed surface area <= 96]"));
  EXPECT_TRUE(HasText(out.Canvas, 2459, 6 * 86, "[fqrs >= 140                  ]"));
  EXPECT_TRUE(HasText(out.Canvas, 2459 - 714, 8 * 86, "decomposed surface area(M5) :"));
  EXPECT_TRUE(HasText(out.Canvas, 2459 - 714, 13 * 86, "judge2 :"));

  // Values and flags come from the sheet as refreshed after this analysis.
  FakeReportSources sheet(out.State, out.Loaded, {}, "test.r01");
  sheet.ShowCalculationData();
  EXPECT_TRUE(HasText(out.Canvas, 3570, 8 * 86, sheet.Captions.at("LabelA35")));
  EXPECT_TRUE(HasText(out.Canvas, 3570, 11 * 86, sheet.Captions.at("LabelF35")));
  EXPECT_TRUE(HasText(out.Canvas, 4284, 11 * 86, sheet.Captions.at("Label72")));
  EXPECT_TRUE(HasText(out.Canvas, 4284, 12 * 86, sheet.Captions.at("Label242")));

  // Raw lead letters, X lowest.
  EXPECT_TRUE(HasText(out.Canvas, 317, 2452, "X"));  // trunc(160 * Step) + 1515 + 303 - 172
  EXPECT_TRUE(HasText(out.Canvas, 317, 2049, "Y"));
  EXPECT_TRUE(HasText(out.Canvas, 317, 1515 + 303 - 172, "Z"));
}

// Record 1's sex byte is 1, which every loader reads as F; a tag saying the recording
// stated no sex changes that one text and nothing else of the page.
TEST(ReportPage, ASexTheRecordingDidNotStatePrintsAsNotStated) {
  const LoadedRecord plain = MakeRecord(0.35);
  LoadedRecord stated = plain;
  WriteRecordTag(stated.RecordBuffer, {0.1, 1000, "x.hea"});
  LoadedRecord unstated = plain;
  WriteRecordTag(unstated.RecordBuffer, {0.1, 1000, "x.hea", true, true});
  Printout a(kA4Width, kA4Height), b(kA4Width, kA4Height), c(kA4Width, kA4Height);
  a.Print(plain);
  b.Print(stated);
  c.Print(unstated);
  EXPECT_TRUE(HasText(a.Canvas, 317, 7 * 86, "sex :"));
  EXPECT_TRUE(HasText(a.Canvas, 317 + 714, 7 * 86, "F"));
  EXPECT_EQ(b.Canvas.Calls, a.Canvas.Calls);
  ASSERT_EQ(c.Canvas.Calls.size(), a.Canvas.Calls.size());
  int differing = 0;
  for (std::size_t i = 0; i < a.Canvas.Calls.size(); ++i) {
    if (c.Canvas.Calls[i] == a.Canvas.Calls[i]) continue;
    ++differing;
    EXPECT_EQ(c.Canvas.Calls[i], (ReportCall{ReportCall::Kind::Text, 317 + 714, 7 * 86, 0, 0, "sex not stated"}));
  }
  EXPECT_EQ(differing, 1);
}

TEST(ReportPage, NarrowPageUsesPenWidthOneAndUnitDashes) {
  Printout out(900, 1273);
  const ReportLayout layout = ComputeReportLayout(900, 1273);
  ASSERT_LT(layout.Step, 1.0);
  ASSERT_EQ(layout.NormalPen, 0);
  out.Print(MakeRecord(0.35));
  EXPECT_EQ(out.Canvas.Calls[2], (ReportCall{ReportCall::Kind::PenWidth, 1, 0, 0, 0, {}}));

  int ridges = 0;
  for (int lead = 0; lead < kLeads; ++lead) {
    const ReportBox box = LeadBox(layout, lead);
    for (int p = 2; p <= 397; ++p) {
      if (out.State.RidgeFlags[lead][p] != 1) continue;
      ++ridges;
      const int x = ReportPositionX(layout, box, p);
      bool found = false;
      for (const auto& s : out.Canvas.Segments) {
        found |= s.X1 == x && s.Y1 == box.YTop && s.Y2 == box.YTop + 1;
      }
      EXPECT_TRUE(found) << "lead " << lead << " position " << p;
    }
  }
  EXPECT_GT(ridges, 0);
}

TEST(DashedVerticalLine, DashesStartEveryFourLengthsAndMayOverrunTheBottom) {
  RecordingReportCanvas canvas(100, 100);
  DrawDashedVerticalLine(canvas, 7, 13, 0, 3);
  ASSERT_EQ(canvas.Segments.size(), 2u);
  EXPECT_EQ(canvas.Segments[0].Y1, 0);
  EXPECT_EQ(canvas.Segments[0].Y2, 3);
  EXPECT_EQ(canvas.Segments[1].Y1, 12);
  EXPECT_EQ(canvas.Segments[1].Y2, 15);  // past the bottom by up to d

  RecordingReportCanvas unit(100, 100);
  DrawDashedVerticalLine(unit, 7, 10, 0, 0);  // a zero length would never advance
  ASSERT_EQ(unit.Segments.size(), 3u);
  EXPECT_EQ(unit.Segments[2].Y1, 8);
  EXPECT_EQ(unit.Segments[2].Y2, 9);

  RecordingReportCanvas none(100, 100);
  DrawDashedVerticalLine(none, 7, 10, 10, 2);
  EXPECT_TRUE(none.Segments.empty());
}

TEST(ReportPage, TallCurvesStopAtTheBoxTopAndTallSquaresAreLeftOut) {
  Printout out(kA4Width, kA4Height);
  out.Print(MakeRecord(10));
  const ReportLayout layout = ComputeReportLayout(kA4Width, kA4Height);
  const Curves curves = RecordedCurves(out.Canvas);
  int onTop = 0;
  for (int scale = 0; scale < kScales; ++scale) {
    for (int lead = 0; lead < kLeads; ++lead) {
      const ReportBox box = LeadBox(layout, lead);
      for (int y : curves[scale][lead]) {
        EXPECT_GE(y, box.YTop);
        onTop += y == box.YTop ? 1 : 0;
      }
    }
  }
  EXPECT_GT(onTop, 0);

  // Recorded from the agreed output: two of the 135 retained maxima stand above their
  // boxes and get no square.
  ASSERT_EQ(out.State.PeakListCount, 135);
  int squares = 0;
  for (const auto& r : out.Canvas.Rectangles) squares += (r.X2 - r.X1) < 20 ? 1 : 0;
  EXPECT_EQ(squares, 133);
}

// Square centre against the curve point it marks: [scale][lead][position] of curves.
struct SquareOffset {
  int Offset;  // square centre minus curve point, device units (down is positive)
  int Height;  // PeakListHeight of the entry
};

// Every maximum of this record fits its box, so square n marks peak-list entry n.
std::vector<SquareOffset> SquareOffsetsFromCurves(Printout& out) {
  const Curves curves = RecordedCurves(out.Canvas);
  std::vector<const testing::RecordedRectangle*> squares;
  for (const auto& r : out.Canvas.Rectangles) {
    if (r.X2 - r.X1 < 20) squares.push_back(&r);
  }
  const PeakListData& list = out.State.PeakList;
  EXPECT_EQ(out.State.PeakListCount, 133);  // recorded from the agreed output
  EXPECT_EQ(squares.size(), static_cast<std::size_t>(out.State.PeakListCount));
  std::vector<SquareOffset> offsets;
  for (std::size_t n = 0; n < squares.size() && list.PeakListLead[n] != -1; ++n) {
    const int centre = squares[n]->Y1 + (squares[n]->Y2 - squares[n]->Y1) / 2;
    offsets.push_back(
        {centre - curves[list.PeakListScale[n]][list.PeakListLead[n]][list.PeakListPosition[n]],
         list.PeakListHeight[n]});
  }
  return offsets;
}

TEST(ReportPage, SquaresSitOnTheCurvesOnlyAtTheStartUpAmplification) {
  for (double selected : {2.0, 4.0, 1.0}) {
    Printout out(kA4Width, kA4Height);
    out.State.Display.SelectedScale = selected;
    out.Print(MakeRecord(1.8));
    const std::vector<SquareOffset> offsets = SquareOffsetsFromCurves(out);
    ASSERT_FALSE(offsets.empty());
    bool clearlyOff = false;
    for (const auto& [offset, height] : offsets) {
      if (selected == 2.0) {
        // Only the truncated peak height separates them: under 2 steps, plus a unit.
        EXPECT_GE(offset, -1);
        EXPECT_LE(offset, 12);
      } else if (selected > 2.0) {
        if (height >= 1) {
          EXPECT_LE(offset, 1);  // higher on the page
        }
      } else {
        EXPECT_GE(offset, -1);  // lower on the page
      }
      clearlyOff |= std::abs(offset) > 12;
    }
    EXPECT_EQ(clearlyOff, selected != 2.0) << selected;
  }
}

TEST(ReportPage, PrintingTheSameRecordTwiceGivesTheSamePage) {
  Printout out(kA4Width, kA4Height);
  out.Print(MakeRecord(0.35));
  const std::vector<ReportCall> first = out.Canvas.Calls;
  out.Canvas.Calls.clear();
  AnalyseRecord(out.State, MakeRecord(0.8, 300, 450));  // leave other maxima behind
  out.Print(MakeRecord(0.35));
  EXPECT_TRUE(first == out.Canvas.Calls);
}

TEST(ReportState, PrintingLeavesTheStateOfABasicAnalysisAndRefreshesTheSheet) {
  for (bool jobAccepted : {true, false}) {
    auto state = testing::AnalysedState(MakeRecord(0.8, 300, 450));
    LoadedRecord loaded;
    RecordingReportCanvas canvas(kA4Width, kA4Height, jobAccepted);
    FakeReportSources sources(*state, loaded, MakeRecord(0.35), "test.r01");
    const ReportOutcome outcome = PrintReport(canvas, *state, loaded, sources);

    // The same history with a plain analysis of the reloaded record.
    auto expected = testing::AnalysedState(MakeRecord(0.8, 300, 450));
    AnalyseRecord(*expected, MakeRecord(0.35));
    EXPECT_TRUE(SameResults(*state, *expected));
    EXPECT_EQ(state->TransformMagnitude, expected->TransformMagnitude);
    EXPECT_EQ(sources.SheetRefreshes, 1);
    if (jobAccepted) {
      EXPECT_EQ(outcome, ReportOutcome::Printed);
    } else {
      // A refused job draws nothing at all after asking.
      EXPECT_EQ(outcome, ReportOutcome::JobNotStarted);
      ASSERT_EQ(canvas.Calls.size(), 2u);
      EXPECT_EQ(canvas.Calls[1].What, ReportCall::Kind::BeginJob);
    }
  }
}

TEST(ReportState, UnreadableRecordPrintsNothingAndChangesNothing) {
  auto state = testing::AnalysedState(MakeRecord(0.35));
  const auto before = std::make_unique<AnalysisState>(*state);
  LoadedRecord loaded = MakeRecord(0.35);
  RecordingReportCanvas canvas(kA4Width, kA4Height);
  FakeReportSources sources(*state, loaded, MakeRecord(0.8), "test.r01");
  sources.Readable = false;
  EXPECT_EQ(PrintReport(canvas, *state, loaded, sources), ReportOutcome::RecordUnreadable);
  EXPECT_TRUE(canvas.Calls.empty());
  EXPECT_EQ(sources.SheetRefreshes, 0);
  EXPECT_TRUE(SameResults(*state, *before));
  EXPECT_EQ(state->TransformMagnitude, before->TransformMagnitude);
}

TEST(ReportPage, ExtremeRecordsAndTinyPagesStillGiveAFinishedPage) {
  LoadedRecord wild = *testing::EmptyRecord(65535, 0);  // onset past the end, offset before it
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    for (int j = 0; j < kSamplesPerLead; ++j) wild.LeadSignals[lead][j] = (j % 2 ? 3e7 : -3e7);
  }
  for (auto [width, height] : {std::pair{kA4Width, kA4Height}, std::pair{1, 1}, std::pair{0, 0}}) {
    Printout out(width, height);
    out.Print(wild);
    EXPECT_EQ(out.Outcome, ReportOutcome::Printed);
    EXPECT_EQ(out.Canvas.Calls.back().What, ReportCall::Kind::EndJob);
    const ReportLayout layout = ComputeReportLayout(width, height);
    const Curves curves = RecordedCurves(out.Canvas);
    for (int lead = 0; lead < kLeads; ++lead) {
      for (int y : curves[kScales - 1][lead]) EXPECT_GE(y, LeadBox(layout, lead).YTop);
    }
  }
}

}  // namespace
}  // namespace wavelet
